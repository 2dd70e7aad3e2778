// Files the player asks for (a recording, the trace, frame and sound captures) that cannot
// be written: each failure is said once, naming the setting, the file and the reason; the
// game plays on to its end; what was written before stays; and the exit code is 3 so
// that nobody takes the run's files for complete.
#include "game_run.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Starts a game, then closes the window at frame 40.
const char* const SCRIPT = "3 down 32\n4 up 32\n40 close\n";
const size_t FRAMES = 39;

struct Failure {
    const char* name;
    RunSettings settings;
    std::vector<std::string> messages; // each exactly once
    size_t framesCaptured;             // frames kept from before the failure
};

RunSettings Settings(bool record, int captureEvery, bool audio,
                     std::map<std::string, std::string> links, long sizeLimit = 0) {
    RunSettings settings;
    settings.record = record;
    settings.captureEvery = captureEvery;
    settings.audioCapture = audio;
    settings.links = std::move(links);
    settings.fileSizeLimit = sizeLimit;
    return settings;
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        count++;
    }
    return count;
}

TEST(RequestedFiles, AFileThatCannotBeWrittenIsSaidAndTheGamePlaysOn) {
    const std::string full = "No space left on device";
    const Failure failures[] = {
        {"recording on a full disk",
         Settings(true, 0, false, {{"recording.script", "/dev/full"}}),
         {"TOLVO_RECORD: cannot write recording.script: " + full + "; recording stopped\n"},
         0},
        {"trace on a full disk",
         Settings(true, 0, false, {{"trace.jsonl", "/dev/full"}}),
         {"TOLVO_TRACE: cannot write trace.jsonl: " + full + "; trace stopped\n"},
         0},
        {"third frame on a full disk",
         Settings(true, 1, false, {{"frames/frame-000003.png", "/dev/full"}}),
         {"TOLVO_CAPTURE: cannot write frames/frame-000003.png: " + full + "; capture stopped\n"},
         2},
        {"sound on a full disk",
         Settings(true, 0, true, {{"sound.wav", "/dev/full"}}),
         {"TOLVO_AUDIO_CAPTURE: cannot write sound.wav: " + full + "; capture stopped\n"},
         0},
        {"trace on a nearly full disk",
         Settings(true, 0, false, {}, 4096),
         {"TOLVO_TRACE: cannot write trace.jsonl: File too large; trace stopped\n"},
         0},
    };
    ScriptFile script(SCRIPT);
    for (const Failure& failure : failures) {
        SCOPED_TRACE(failure.name);
        GameRun run = GameRun::Play(script.path, failure.settings);
        EXPECT_EQ(run.exitCode, 3) << run.errors;
        for (const std::string& message : failure.messages) {
            EXPECT_EQ(Count(run.errors, message), 1u) << run.errors;
        }
        // Played to its end: the close at frame 40 is in the recording, or the trace is.
        EXPECT_TRUE(run.recording.find("40 close\n") != std::string::npos ||
                    run.trace.size() == FRAMES)
            << run.errors;
        // What was written before the failure stays: whole pictures, the lines before
        // the one cut short.
        EXPECT_EQ(run.frames.size(), failure.framesCaptured);
        if (failure.settings.fileSizeLimit > 0) {
            EXPECT_GT(run.trace.size(), 0u);
            EXPECT_LT(run.trace.size(), FRAMES);
            EXPECT_TRUE(std::all_of(run.trace.begin(), run.trace.end() - 1,
                                    [](const std::string& line) { return line.back() == '}'; }));
        }
    }
}

TEST(RequestedFiles, FilesThatCannotBeCreatedAreSaidToo) {
    ScriptFile script(SCRIPT);
    GameRun run =
        GameRun::Play(script.path, Settings(true, 1, true,
                                            {{"trace.jsonl", "missing/trace.jsonl"},
                                             {"recording.script", "missing/recording.script"},
                                             {"sound.wav", "missing/sound.wav"},
                                             {"frames", "missing/frames"}}));
    EXPECT_EQ(run.exitCode, 3) << run.errors;
    for (const char* setting :
         {"TOLVO_TRACE: cannot create", "TOLVO_RECORD: cannot create",
          "TOLVO_AUDIO_CAPTURE: cannot create", "TOLVO_CAPTURE: cannot create folder"}) {
        EXPECT_EQ(Count(run.errors, setting), 1u) << setting << "\n" << run.errors;
    }
}

} // namespace
