// The player's full-screen keys, the same on every host that offers full screen: F11, or
// Enter with Alt held, toggles it. They are the host's: neither the game nor the browser
// sees them, nor the release of a key they took. A host asks Key with each key change,
// as a virtual key, before it posts the key to the engine.
#ifndef TOLVO_ENGINE_PLATFORM_SUBSET_SEAM_FULL_SCREEN_KEYS_H
#define TOLVO_ENGINE_PLATFORM_SUBSET_SEAM_FULL_SCREEN_KEYS_H

#include <set>

namespace subset {

class FullScreenKeys {
  public:
    enum Action {
        PASS,   // the game's key: post it
        TAKE,   // the host's: nothing to do but keep it from the game (and the browser)
        TOGGLE, // the host's, freshly pressed: toggle full screen now
    };
    Action Key(int virtualKey, bool alt, bool down, bool repeat);

  private:
    std::set<int> taken; // pressed as the host's key and not yet released
};

} // namespace subset

#endif
