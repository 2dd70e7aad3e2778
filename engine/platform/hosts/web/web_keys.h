// The web host's keyboard, apart from the browser so that it can be tested anywhere: which
// virtual key a KeyboardEvent.code is, which keys keep their meaning for the browser, and
// which key changes the engine is to hear of.
#ifndef TOLVO_ENGINE_PLATFORM_HOSTS_WEB_WEB_KEYS_H
#define TOLVO_ENGINE_PLATFORM_HOSTS_WEB_WEB_KEYS_H

#include "engine/platform/subset/sdk/windows.h"

#include <set>
#include <vector>

namespace web {

// Windows virtual-key code of a KeyboardEvent.code ("KeyA", "ArrowLeft", ...): the key's
// place on the keyboard, as the other hosts report it. 0 for keys the engine never sees.
int VirtualKey(const char* code);

// Whether the browser keeps its own meaning for a key (the game still hears it): shortcuts
// with Ctrl or the Command key, function keys (reloading, the developer tools) and Tab
// (moving to the page's buttons). Every other key the game uses does not scroll the page
// or type anywhere else. F11 and Alt+Enter are the host's (subset::FullScreenKeys), asked
// first.
bool BrowserKeeps(int virtualKey, bool control, bool meta);

// The keys the engine was told are down.
class HeldKeys {
  public:
    // Whether the engine is to hear of this change: every key-down (repeats too), and a
    // key-up only of a key it heard go down.
    bool Change(int virtualKey, bool down);
    // The page lost the user's attention: key-ups for the keys held, each once, since
    // their real key-ups will go elsewhere.
    std::vector<int> ReleaseAll();

  private:
    std::set<int> held;
};

} // namespace web

#endif
