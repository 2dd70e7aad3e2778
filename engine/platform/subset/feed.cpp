#include "engine/platform/subset/feed.h"

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
    int frames = 0;
};

Feed& State() {
    static Feed feed;
    return feed;
}

void CloseRecord() {
    Feed& feed = State();
    if (feed.record) {
        std::fclose(feed.record);
        feed.record = nullptr;
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

void RecordEvent(ScriptEventKind kind, int value) {
    Feed& feed = State();
    if (!feed.record) {
        return;
    }
    ScriptEvent event;
    event.frame = feed.frames + 1;
    event.kind = kind;
    event.value = value;
    // Flushed line by line: the game may end the process without returning.
    std::fprintf(feed.record, "%s\n", FormatScriptEvent(event).c_str());
    std::fflush(feed.record);
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
