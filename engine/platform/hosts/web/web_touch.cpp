// The web host's touch controls: the page's buttons for fingers (page/touch.js), read each
// time the engine asks for input, as the pads are. What changed goes to the event sink as
// one more pad (web_touch_pad.h), so touches are recorded and replayed as keys.
#include "engine/platform/hosts/web/web_host.h"

#include "engine/platform/subset/seam/events.h"

extern "C" {
// web_touch.js: the controls held, or tapped since the last call, as bits of TouchControl.
int tolvo_web_touch();
}

namespace web {
namespace {

void Post(const std::vector<PadChange>& changes, const std::vector<TouchKey>& keys) {
    for (const PadChange& change : changes) {
        if (change.kind == PadChange::BUTTON) {
            subset::PostGamepadButton(change.pad, change.button, change.down);
        } else if (change.kind == PadChange::REMOVED) {
            subset::PostGamepadRemoved(change.pad);
        }
    }
    for (const TouchKey& key : keys) {
        subset::PostKey(key.virtualKey, key.down);
    }
}

} // namespace

void WebHost::PollTouch() {
    std::vector<PadChange> changes;
    std::vector<TouchKey> keys;
    touch.Update(static_cast<uint32_t>(tolvo_web_touch()), framesPresented, &changes, &keys);
    Post(changes, keys);
}

void WebHost::ReleaseTouch() {
    std::vector<PadChange> changes;
    std::vector<TouchKey> keys;
    touch.Release(&changes, &keys);
    Post(changes, keys);
}

} // namespace web
