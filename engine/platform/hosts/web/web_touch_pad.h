// The page's touch controls as one more pad, apart from the browser so that they can be
// tested anywhere. The page says which controls fingers hold; what changed goes to the event
// sink as a gamepad's buttons, so the controls press the game's keys exactly as every pad
// does (subset/seam/gamepad.h: each held at least GAMEPAD_HOLD_FRAMES, one control that
// pauses and resumes) and a game played by touch records and replays as keys. The sound
// control has no pad button: it holds M, as the keyboard does.
#ifndef TOLVO_ENGINE_PLATFORM_HOSTS_WEB_WEB_TOUCH_PAD_H
#define TOLVO_ENGINE_PLATFORM_HOSTS_WEB_WEB_TOUCH_PAD_H

#include "engine/platform/hosts/web/web_pads.h"

#include <cstdint>
#include <vector>

namespace web {

// The controls, as bits of the page's reading (page/touch.js numbers them the same).
enum TouchControl {
    TOUCH_WALK_LEFT,  // the D-pad's left
    TOUCH_WALK_RIGHT, // the D-pad's right
    TOUCH_MILK,       // Y: G
    TOUCH_PIN,        // X: F
    TOUCH_SPLASH,     // B: T
    TOUCH_SWING,      // the right shoulder: R
    TOUCH_START,      // A: Space
    TOUCH_PAUSE,      // Start: P while playing, O while paused
    TOUCH_SOUND,      // M
    TOUCH_CONTROLS
};

// The pad number the controls report as: the browser numbers its own pads from 0.
constexpr int TOUCH_PAD = -1;

// A key the controls press or let go themselves (the sound control's M).
struct TouchKey {
    int virtualKey;
    bool down;
};

class TouchPad {
  public:
    // One look at the controls before the next frame: bit c of `held` is control c held
    // (or tapped since the last look); `presented` is the frames presented so far. Appends
    // the pad's changes and the keys to post.
    void Update(uint32_t held, int presented, std::vector<PadChange>* changes,
                std::vector<TouchKey>* keys);
    // The page lost the user's attention: every control lets go now.
    void Release(std::vector<PadChange>* changes, std::vector<TouchKey>* keys);

  private:
    uint32_t pressed = 0;   // the pad's buttons as last reported
    bool soundDown = false; // M held for the sound control
    int soundSince = 0;     // frames presented when it went down
};

} // namespace web

#endif
