// The web host's gamepads, apart from the browser so that they can be tested anywhere: the
// browser's standard layout as the event sink names its buttons, and what changed between
// two looks at the pads (the Gamepad API is polled, not told).
#ifndef TOLVO_ENGINE_PLATFORM_HOSTS_WEB_WEB_PADS_H
#define TOLVO_ENGINE_PLATFORM_HOSTS_WEB_WEB_PADS_H

#include "engine/platform/subset/seam/events.h"

#include <cstdint>
#include <map>
#include <vector>

namespace web {

// The event sink's button at an index of the browser's standard layout: 0 A, 1 B, 2 X, 3 Y,
// 4 and 5 the shoulders, 8 Back, 9 Start, 12 to 15 the D-pad (up, down, left, right).
// False for the others (the triggers, the sticks' presses, the home button).
bool StandardButton(int index, subset::GamepadButton* button);

// One pad in one look (navigator.getGamepads()).
struct PadReading {
    int index = 0;        // the browser's, the pad's own while it is connected
    uint32_t buttons = 0; // bit i: the button at index i pressed
    float x = 0, y = 0;   // axes[0] and axes[1], the left stick, from -1 (left, up) to 1
};

// What the event sink is to hear of.
struct PadChange {
    enum Kind { BUTTON, STICK, REMOVED } kind;
    int pad;
    subset::GamepadButton button; // BUTTON
    bool down;                    // BUTTON
    float x, y;                   // STICK
};

class PadTracker {
  public:
    // The connected pads of this look: appends what changed since the last one. A pad seen
    // for the first time reports what it already holds; one no longer there is removed.
    void Update(const std::vector<PadReading>& pads, std::vector<PadChange>* changes);
    // The page lost the user's attention: every pad is removed (its keys go up), to be
    // seen afresh when the page has it back.
    void ForgetAll(std::vector<PadChange>* changes);
    bool Empty() const { return known.empty(); }

  private:
    std::map<int, PadReading> known;
};

} // namespace web

#endif
