// Input scripts: one event per line, "FRAME down VK", "FRAME up VK", "FRAME char CODE",
// "FRAME close", with '#' starting a comment. Read by TOLVO_SCRIPT, written by TOLVO_RECORD.
#ifndef TOLVO_ENGINE_PLATFORM_SUBSET_TEST_CONTROLS_SCRIPT_H
#define TOLVO_ENGINE_PLATFORM_SUBSET_TEST_CONTROLS_SCRIPT_H

#include <string>
#include <vector>

namespace subset {

enum ScriptEventKind { SCRIPT_DOWN, SCRIPT_UP, SCRIPT_CHAR, SCRIPT_CLOSE };

struct ScriptEvent {
    int frame = 0; // from 1: delivered before the frame-th call of run
    ScriptEventKind kind = SCRIPT_DOWN;
    int value = 0; // virtual-key code (0-255) or character code (0-255); 0 for close
};

inline bool operator==(const ScriptEvent& a, const ScriptEvent& b) {
    return a.frame == b.frame && a.kind == b.kind && a.value == b.value;
}

// Every good line in file order; each bad one adds "line N: why" to `errors` and is skipped.
std::vector<ScriptEvent> ParseScript(const std::string& text, std::vector<std::string>* errors);
// One line, without the newline, that ParseScript reads back as the same event.
std::string FormatScriptEvent(const ScriptEvent& event);

} // namespace subset

#endif
