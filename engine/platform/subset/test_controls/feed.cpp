#include "engine/platform/subset/test_controls/feed.h"

#include "engine/platform/requested_files.h"

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

namespace subset {
namespace {

struct Feed {
    std::multimap<int, ScriptEvent> pending; // by frame; equal frames keep their order
    int frameLimit = 0;
    bool limitClosed = false;
    std::FILE* record = nullptr;
    std::string recordPath;
    int frames = 0;
};

Feed& State() {
    static Feed feed;
    return feed;
}

const char* const RECORD = "TOLVO_RECORD";

void CloseRecord() {
    Feed& feed = State();
    if (feed.record) {
        errno = 0;
        if (std::fclose(feed.record) != 0) {
            ReportNotWritten(RECORD, CannotText("write", feed.recordPath, errno),
                             "the recording is incomplete");
        }
        feed.record = nullptr;
    }
}

// Flushed line by line: the game may end the process without returning. A recording
// that cannot be written is said once and stopped; what is on disk stays.
void WriteRecord(const std::string& line) {
    Feed& feed = State();
    errno = 0;
    if (std::fputs(line.c_str(), feed.record) < 0 || std::fflush(feed.record) != 0) {
        const int error = errno;
        std::fclose(feed.record);
        feed.record = nullptr;
        ReportNotWritten(RECORD, CannotText("write", feed.recordPath, error), "recording stopped");
    }
}

} // namespace

void ResetFeed() {
    Feed& feed = State();
    feed.pending.clear();
    feed.frameLimit = 0;
    feed.limitClosed = false;
    feed.frames = 0;
    CloseRecord();
}

bool FeedScript(const std::string& path) {
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
        FeedEvent(event);
    }
    return true;
}

void FeedEvent(const ScriptEvent& event) {
    State().pending.emplace(event.frame, event);
}

void LimitFrames(int frames) {
    State().frameLimit = frames > 0 ? frames : 0;
    State().limitClosed = false;
}

bool RecordTo(const std::string& path) {
    CloseRecord();
    if (path.empty()) {
        return true;
    }
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file) {
        ReportNotWritten(RECORD, CannotText("create", path, errno), "nothing is recorded");
        return false;
    }
    Feed& feed = State();
    feed.record = file;
    feed.recordPath = path;
    WriteRecord("# Input recorded by Tolvo: FRAME down|up VK, FRAME char CODE, FRAME close\n");
    return feed.record != nullptr;
}

void RecordEvent(ScriptEventKind kind, int value) {
    Feed& feed = State();
    if (!feed.record) {
        return;
    }
    ScriptEvent event;
    event.frame = feed.frames + 1;
    event.kind = kind;
    event.value = value;
    WriteRecord(FormatScriptEvent(event) + "\n");
}

std::vector<ScriptEvent> TakeDueEvents(bool* closeForLimit) {
    Feed& feed = State();
    const int frame = feed.frames + 1;
    std::vector<ScriptEvent> due;
    while (!feed.pending.empty() && feed.pending.begin()->first <= frame) {
        due.push_back(feed.pending.begin()->second);
        feed.pending.erase(feed.pending.begin());
    }
    *closeForLimit = false;
    if (feed.frameLimit > 0 && frame > feed.frameLimit && !feed.limitClosed) {
        feed.limitClosed = true;
        *closeForLimit = true;
    }
    return due;
}

void CountFrame() {
    State().frames++;
}

int FramesCounted() {
    return State().frames;
}

} // namespace subset
