// Presentation pacing: the rate chosen, waits on time, no bursts after a late frame.
#include "engine/display/frame_pacer.h"
#include "engine/platform/hosts/headless/headless.h"
#include "engine/platform/subset/test_controls/test_controls.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

namespace {

using Clock = FramePacer::Clock;
using std::chrono::milliseconds;

TEST(FramePacerTest, RateComesFromTheEnvironmentElseTheRefreshElseSixty) {
    EXPECT_EQ(FramePacer::ChooseRate("0", 75), 0);
    EXPECT_EQ(FramePacer::ChooseRate("30", 75), 30);
    EXPECT_EQ(FramePacer::ChooseRate("29.97", 75), 29.97);
    EXPECT_EQ(FramePacer::ChooseRate(nullptr, 75), 75);
    EXPECT_EQ(FramePacer::ChooseRate("", 75), 75);
    EXPECT_EQ(FramePacer::ChooseRate("fast", 75), 75);
    EXPECT_EQ(FramePacer::ChooseRate("-5", 75), 75);
    EXPECT_EQ(FramePacer::ChooseRate(nullptr, 1), 60);
    EXPECT_EQ(FramePacer::ChooseRate(nullptr, 0), 60);
}

TEST(FramePacerTest, UnpacedNeverWaits) {
    FramePacer pacer;
    pacer.SetRate(0);
    Clock::time_point now{};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(pacer.Delay(now), Clock::duration::zero());
}

TEST(FramePacerTest, FastFramesWaitForTheirTurn) {
    FramePacer pacer;
    pacer.SetRate(50); // 20 ms
    Clock::time_point start = Clock::time_point{} + milliseconds(1000);
    EXPECT_EQ(pacer.Delay(start), Clock::duration::zero());
    // Each frame is ready 5 ms after the last was shown: it waits 15 ms.
    Clock::time_point shown = start;
    for (int i = 1; i <= 4; ++i) {
        Clock::time_point ready = shown + milliseconds(5);
        Clock::duration wait = pacer.Delay(ready);
        EXPECT_EQ(std::chrono::duration_cast<milliseconds>(wait).count(), 15) << i;
        shown = ready + wait;
        EXPECT_EQ(shown, start + milliseconds(20 * i));
    }
}

TEST(FramePacerTest, LateFrameIsShownAtOnceAndTheScheduleRestartsFromIt) {
    FramePacer pacer;
    pacer.SetRate(50);
    Clock::time_point start = Clock::time_point{} + milliseconds(1000);
    pacer.Delay(start);
    // 100 ms late: shown now, and the frames after it are not rushed to catch up.
    Clock::time_point late = start + milliseconds(120);
    EXPECT_EQ(pacer.Delay(late), Clock::duration::zero());
    Clock::duration wait = pacer.Delay(late + milliseconds(1));
    EXPECT_EQ(std::chrono::duration_cast<milliseconds>(wait).count(), 19);
}

// The pacer sleeps through the platform, and the host decides what time is: the headless
// host sleeps for real only when a rate was asked for.
TEST(FramePacerTest, WaitReallySleepsOnAHostThatKeepsTime) {
    subset::Settings settings;
    settings.rateAsked = true;
    std::string error;
    ASSERT_TRUE(headless::Start(settings, &error));
    FramePacer pacer;
    pacer.SetRate(100); // 10 ms
    Clock::time_point begin = Clock::now();
    for (int i = 0; i < 6; ++i)
        pacer.Wait();
    // The first frame goes at once, five more follow at 10 ms each.
    EXPECT_GE(Clock::now() - begin, milliseconds(45));
    EXPECT_EQ(subset::CallCount("Sleep"), 5);
}

// Windows' default timer would make a 16 ms sleep last 31: the first pacer with a rate
// asks for millisecond timing, once for the whole process (hence a process of its own).
TEST(FramePacerTest, APacedRateAsksForAMillisecondTimerOnce) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            headless::Start();
            FramePacer unpaced;
            unpaced.SetRate(0);
            const int beforeAnyRate = subset::CallCount("timeBeginPeriod");
            FramePacer paced;
            paced.SetRate(60);
            paced.SetRate(30);
            FramePacer another;
            another.SetRate(60);
            std::exit(beforeAnyRate * 10 + subset::CallCount("timeBeginPeriod"));
        },
        ::testing::ExitedWithCode(1), "");
}

TEST(FramePacerTest, WaitReturnsAtOnceInVirtualTime) {
    headless::Start();
    FramePacer pacer;
    pacer.SetRate(10); // 100 ms
    Clock::time_point begin = Clock::now();
    for (int i = 0; i < 6; ++i)
        pacer.Wait();
    const Clock::duration waited = Clock::now() - begin;
    EXPECT_EQ(subset::CallCount("Sleep"), 5);
    // Five frames of 100 ms asked for, and less time passed than one real sleep of a
    // frame takes in the same run: the host did not sleep.
    begin = Clock::now();
    std::this_thread::sleep_for(milliseconds(100));
    EXPECT_LT(waited, Clock::now() - begin);
}

} // namespace
