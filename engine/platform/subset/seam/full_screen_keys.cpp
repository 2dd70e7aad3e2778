#include "engine/platform/subset/seam/full_screen_keys.h"

#include "engine/platform/subset/sdk/windows.h"

namespace subset {

FullScreenKeys::Action FullScreenKeys::Key(int virtualKey, bool alt, bool down, bool repeat) {
    if (!down) {
        // The release goes with the press, whatever the modifiers are by now.
        return taken.erase(virtualKey) > 0 ? TAKE : PASS;
    }
    if (virtualKey != VK_F11 && !(virtualKey == VK_RETURN && alt)) {
        return PASS;
    }
    if (repeat) {
        // Held: one toggle per press. A repeat of a key pressed before (Enter, then Alt) is
        // kept from the game, but its release still reaches the game that heard it go down.
        return TAKE;
    }
    taken.insert(virtualKey);
    return TOGGLE;
}

} // namespace subset
