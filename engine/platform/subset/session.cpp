#include "engine/platform/subset/session.h"

#include "engine/platform/subset/host.h"
#include "engine/platform/subset/user32.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

namespace subset {
namespace {

struct Session {
    std::multimap<int, ScriptEvent> pending; // by frame; equal frames keep their order
    int frameLimit = 0;
    bool limitClosed = false;
    std::FILE* record = nullptr;
    int answered = 0;
};

Session& State() {
    static Session session;
    return session;
}

void CloseRecord() {
    Session& session = State();
    if (session.record) {
        std::fclose(session.record);
        session.record = nullptr;
    }
}

} // namespace

void ResetSession() {
    Session& session = State();
    session.pending.clear();
    session.frameLimit = 0;
    session.limitClosed = false;
    session.answered = 0;
    CloseRecord();
}

bool PlayScript(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "TOLVO_SCRIPT: cannot read %s\n", path.c_str());
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    std::vector<std::string> errors;
    std::vector<ScriptEvent> events = ParseScript(text.str(), &errors);
    for (const std::string& error : errors) {
        std::fprintf(stderr, "TOLVO_SCRIPT: %s: %s (skipped)\n", path.c_str(), error.c_str());
    }
    for (const ScriptEvent& event : events) {
        QueueInput(event);
    }
    return true;
}

void StopAfterFrames(int frames) {
    State().frameLimit = frames > 0 ? frames : 0;
    State().limitClosed = false;
}

bool RecordInput(const std::string& path) {
    CloseRecord();
    if (path.empty()) {
        return true;
    }
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file) {
        std::fprintf(stderr, "TOLVO_RECORD: cannot create %s\n", path.c_str());
        return false;
    }
    std::fputs("# Input recorded by Tolvo: FRAME down|up VK, FRAME char CODE, FRAME close\n", file);
    std::fflush(file);
    State().record = file;
    return true;
}

void QueueInput(const ScriptEvent& event) {
    State().pending.emplace(event.frame, event);
}

void RecordEvent(ScriptEventKind kind, int value) {
    Session& session = State();
    if (!session.record) {
        return;
    }
    ScriptEvent event;
    event.frame = session.answered + 1;
    event.kind = kind;
    event.value = value;
    // Flushed line by line: the game may end the process without returning.
    std::fprintf(session.record, "%s\n", FormatScriptEvent(event).c_str());
    std::fflush(session.record);
}

void DeliverDueInput() {
    Session& session = State();
    int frame = session.answered + 1;
    while (!session.pending.empty() && session.pending.begin()->first <= frame) {
        ScriptEvent event = session.pending.begin()->second;
        session.pending.erase(session.pending.begin());
        switch (event.kind) {
        case SCRIPT_DOWN:
            PostKey(event.value, true);
            break;
        case SCRIPT_UP:
            PostKey(event.value, false);
            break;
        case SCRIPT_CHAR:
            PostChar(event.value);
            break;
        case SCRIPT_CLOSE:
            PostClose();
            break;
        }
    }
    if (session.frameLimit > 0 && frame > session.frameLimit && !session.limitClosed) {
        session.limitClosed = true;
        PostCloseUnrecorded();
    }
}

void CountEmptyAnswer() {
    State().answered++;
}

int FramesAnswered() {
    return State().answered;
}

} // namespace subset
