// TOLVO_RECORD writes what the player did as an input script; replaying it with
// TOLVO_SCRIPT must give the same game, frame for frame: that is what makes a recording
// worth attaching to a bug report.
#include "game_run.h"

#include <gtest/gtest.h>

namespace {

TEST(Recording, ReplayOfTheDemoGivesTheSameTraceAndFrames) {
    GameRun played = GameRun::Play(DEMO_SCRIPT, true, 300);
    ASSERT_EQ(played.exitCode, 0) << played.errors;
    ASSERT_FALSE(played.recording.empty());
    ScriptFile recording(played.recording);
    ASSERT_FALSE(recording.path.empty());

    GameRun replayed = GameRun::Play(recording.path, true, 300);
    ASSERT_EQ(replayed.exitCode, 0) << replayed.errors;
    ASSERT_EQ(replayed.trace.size(), played.trace.size());
    for (size_t i = 0; i < played.trace.size(); i++) {
        ASSERT_EQ(replayed.trace[i], played.trace[i]) << "frame " << i + 1;
    }
    ASSERT_GT(played.frames.size(), 8u);
    EXPECT_EQ(replayed.frames.size(), played.frames.size());
    for (const auto& frame : played.frames) {
        EXPECT_TRUE(replayed.frames[frame.first] == frame.second) << frame.first;
    }
    // A recording of a replay is the recording itself.
    EXPECT_EQ(replayed.recording, played.recording);
}

TEST(Recording, KeepsTypedCharactersAndTheClose) {
    ScriptFile script("# a comment\n"
                      "3 down 80\n"
                      "5 up 80\n"
                      "7 char 97\n"
                      "12 close\n");
    GameRun played = GameRun::Play(script.path, true);
    ASSERT_EQ(played.exitCode, 0) << played.errors;
    EXPECT_EQ(played.trace.size(), 11u);
    // The key-down of P also types a 'p', as on Windows, and is recorded as the key only.
    EXPECT_NE(played.recording.find("3 down 80\n"), std::string::npos) << played.recording;
    EXPECT_NE(played.recording.find("5 up 80\n"), std::string::npos) << played.recording;
    EXPECT_EQ(played.recording.find("char 112"), std::string::npos) << played.recording;
    EXPECT_NE(played.recording.find("7 char 97\n"), std::string::npos) << played.recording;
    EXPECT_NE(played.recording.find("12 close\n"), std::string::npos) << played.recording;

    ScriptFile recording(played.recording);
    GameRun replayed = GameRun::Play(recording.path);
    EXPECT_EQ(replayed.trace, played.trace);
}

} // namespace
