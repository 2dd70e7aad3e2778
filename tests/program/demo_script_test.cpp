// The shipped demo: what `make play` shows without a display and `make demo` in a window.
// It is timed against the game's frame counts, so a change of the game's timing or
// layout shows up here rather than as a demo that silently stops making sense.
#include "game_run.h"

#include <gtest/gtest.h>

namespace {

const int MILK_USING = 12;
const int MUFFIN_MELTING = 100;

// Index of the first frame from `from` whose line passes `test`, or -1.
template <typename Test>
int FirstFrame(const std::vector<std::string>& trace, size_t from, Test test) {
    for (size_t i = from; i < trace.size(); i++) {
        if (test(trace[i])) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int MeltingMuffins(const std::string& line) {
    int melting = 0;
    for (const auto& muffin : TraceRows(line, "muffins")) {
        melting += muffin.size() > 2 && muffin[2] == MUFFIN_MELTING;
    }
    return melting;
}

class DemoScript : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { run = new GameRun(GameRun::Play(DEMO_SCRIPT)); }
    static void TearDownTestSuite() {
        delete run;
        run = nullptr;
    }
    static GameRun* run;
};

GameRun* DemoScript::run = nullptr;

TEST_F(DemoScript, EndsByItsOwnCloseWithoutComplaint) {
    EXPECT_EQ(run->exitCode, 0) << run->errors;
    EXPECT_EQ(run->errors.find("[message box]"), std::string::npos) << run->errors;
    // Within a minute of play at 60 frames a second, after the restart.
    ASSERT_GT(run->trace.size(), 2000u);
    EXPECT_LT(run->trace.size(), 3600u);
    EXPECT_EQ(TraceValue(run->trace.back(), "screen"), "intro");
}

TEST_F(DemoScript, ShowsThePagesThenPlaysAfterTheWholeIntro) {
    const auto& trace = run->trace;
    ASSERT_GT(trace.size(), 1500u);
    EXPECT_EQ(TraceValue(trace[0], "screen"), "title");
    EXPECT_EQ(TraceValue(trace[800], "screen"), "instructions");
    int play = FirstFrame(trace, 0,
                          [](const std::string& l) { return TraceValue(l, "screen") == "play"; });
    ASSERT_GT(play, 0);
    // All eight intro pictures have been seen before Space.
    EXPECT_EQ(TraceInt(trace[play - 1], "picture"), 7);
}

TEST_F(DemoScript, TakesARollingPinAndMilkThenMeltsAMuffinWithTheMilk) {
    const auto& trace = run->trace;
    int pin =
        FirstFrame(trace, 0, [](const std::string& l) { return TraceInt(l, "rollingPins") == 1; });
    int milk =
        FirstFrame(trace, 0, [](const std::string& l) { return TraceInt(l, "milkCartons") == 1; });
    int melt = FirstFrame(trace, 0, [](const std::string& l) { return MeltingMuffins(l) == 1; });
    ASSERT_GT(pin, 0);
    ASSERT_GT(milk, pin);
    ASSERT_GT(melt, milk);
    EXPECT_EQ(TraceInt(trace[melt], "milkCartons"), 0);
    EXPECT_EQ(TraceInt(trace[melt], "action"), MILK_USING);
    // The hero was clear the whole time from the first hero update to the melt.
    int firstUpdate =
        FirstFrame(trace, 0,
                   [](const std::string& l) { return TraceValue(l, "screen") == "play"; }) +
        1;
    for (int i = firstUpdate; i <= melt; i++) {
        ASSERT_EQ(TraceValue(trace[i], "clear"), "true") << "frame " << i + 1;
    }
    // A second rolling pin before the end.
    EXPECT_GT(FirstFrame(trace, melt,
                         [](const std::string& l) { return TraceInt(l, "rollingPins") == 2; }),
              melt);
}

TEST_F(DemoScript, IsKnockedDownAfterTheMeltAndTheGameRestarts) {
    const auto& trace = run->trace;
    int melt = FirstFrame(trace, 0, [](const std::string& l) { return MeltingMuffins(l) == 1; });
    ASSERT_GT(melt, 0);
    int down = FirstFrame(trace, melt,
                          [](const std::string& l) { return TraceValue(l, "clear") == "false"; });
    ASSERT_GT(down, melt);
    EXPECT_EQ(TraceInt(trace[down], "rollingPins"), 0) << "a knock-down drops what is carried";
    int over = FirstFrame(
        trace, down, [](const std::string& l) { return TraceValue(l, "screen") == "gameover"; });
    ASSERT_GT(over, down);
    int restart = FirstFrame(
        trace, over, [](const std::string& l) { return TraceValue(l, "screen") == "restart"; });
    EXPECT_EQ(restart, over + 50);
    // The restarted game has its ten muffins and waits at the intro.
    ASSERT_LT(static_cast<size_t>(restart + 1), trace.size());
    EXPECT_EQ(TraceValue(trace[restart + 1], "screen"), "intro");
    EXPECT_EQ(TraceRows(trace[restart + 1], "muffins").size(), 10u);
}

} // namespace
