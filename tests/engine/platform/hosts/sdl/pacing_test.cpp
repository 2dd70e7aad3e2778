// The engine's frame pacing and a renderer's vsync sharing the wait for each frame: the
// engine's own FramePacer asks the host to sleep, the host's VsyncPacing decides how much,
// and a simulated display returns each present at its next refresh (or at once, when it
// does not wait). Frames must come at the engine's rate, never waiting twice for one.
#include "engine/display/frame_pacer.h"
#include "engine/platform/hosts/sdl/sdl_host.h"
#include "engine/platform/hosts/sdl/sdl_pacing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <vector>

namespace {

const double GAME_PERIOD = 1000.0 / 60;

struct Screen {
    double refresh;  // Hz, as it really is
    double reported; // Hz, as the system tells it (0: unknown)
    bool vsync;      // the renderer says its presents wait for the refresh
    bool waits;      // and they really do
};

struct Timeline {
    std::vector<double> presents; // when each present returned, ms
    std::vector<double> frames;   // when each frame ended, presented or not
    bool trustedAtEnd = false;
    int trustedFrames = 0;
};

typedef std::function<void(int frame, Screen*, bool* presenting, sdl::VsyncPacing*)> Change;

FramePacer::Clock::time_point At(double ms) {
    return FramePacer::Clock::time_point(std::chrono::duration_cast<FramePacer::Clock::duration>(
        std::chrono::duration<double, std::milli>(ms)));
}

// The frame loop: `work` ms of drawing, the engine's wait (whole milliseconds, as
// FramePacer::Wait sleeps), the host's sleep, then the present. `change` may alter the
// screen, or stop presents, before a frame.
Timeline Simulate(Screen screen, int count, const Change& change = nullptr, double work = 3.0) {
    FramePacer pacer;
    pacer.SetRate(1000.0 / GAME_PERIOD);
    sdl::VsyncPacing pacing;
    pacing.Start(screen.vsync, GAME_PERIOD, screen.reported > 0 ? 1000.0 / screen.reported : 0);
    Timeline run;
    double now = 1000.0;
    for (int frame = 0; frame < count; frame++) {
        bool presenting = true;
        if (change) {
            change(frame, &screen, &presenting, &pacing);
        }
        now += work;
        auto wait = pacer.Delay(At(now));
        if (wait > FramePacer::Clock::duration::zero()) {
            auto asked = std::chrono::duration_cast<std::chrono::milliseconds>(wait).count();
            now += pacing.SleepFor(static_cast<unsigned>(asked));
        }
        if (presenting) {
            if (screen.vsync && screen.waits) {
                double refresh = 1000.0 / screen.refresh;
                now = (std::floor(now / refresh + 1e-9) + 1) * refresh; // the next refresh
            } else {
                now += 0.2;
            }
            pacing.Presented(now);
            run.presents.push_back(now);
        }
        run.frames.push_back(now);
        run.trustedFrames += pacing.Trusted() ? 1 : 0;
    }
    run.trustedAtEnd = pacing.Trusted();
    return run;
}

// Intervals between the times from `skip` on.
std::vector<double> Intervals(const std::vector<double>& times, size_t skip = 60) {
    std::vector<double> intervals;
    for (size_t i = std::max<size_t>(skip, 1); i < times.size(); i++) {
        intervals.push_back(times[i] - times[i - 1]);
    }
    return intervals;
}

double Mean(const std::vector<double>& values) {
    double sum = 0;
    for (double value : values) {
        sum += value;
    }
    return values.empty() ? 0 : sum / values.size();
}

int Count(const std::vector<double>& values, double low, double high) {
    return static_cast<int>(std::count_if(values.begin(), values.end(),
                                          [&](double v) { return v >= low && v <= high; }));
}

TEST(EngineRefreshRate, TheGameNeverRunsFasterThanSixtyFramesASecond) {
    const struct {
        int display, engine;
    } RATES[] = {{0, 0},   {1, 1},   {30, 30},  {50, 50},  {59, 59},
                 {60, 60}, {75, 60}, {120, 60}, {144, 60}, {240, 60}};
    for (const auto& rate : RATES) {
        EXPECT_EQ(sdl::EngineRefreshRate(rate.display), rate.engine) << rate.display << " Hz";
    }
}

TEST(VsyncPacing, AtTheGamesRateVsyncAloneWaitsAndNoFrameIsShownTwice) {
    // 60 Hz exactly, the common 59.94 Hz, one a little fast, and one whose rate the
    // system does not tell.
    const Screen SCREENS[] = {{60, 60, true, true},
                              {59.94, 60, true, true},
                              {60.05, 60, true, true},
                              {60, 0, true, true}};
    for (const Screen& screen : SCREENS) {
        Timeline run = Simulate(screen, 20000);
        EXPECT_TRUE(run.trustedAtEnd) << screen.refresh;
        std::vector<double> intervals = Intervals(run.presents);
        double period = 1000.0 / screen.refresh;
        // Every frame one refresh after the one before: none waited for a second one.
        EXPECT_EQ(Count(intervals, period - 0.01, period + 0.01),
                  static_cast<int>(intervals.size()))
            << screen.refresh << " Hz: mean " << Mean(intervals);
    }
}

TEST(VsyncPacing, WithoutVsyncTheEnginePacesAlone) {
    const struct {
        const char* situation;
        Screen screen;
    } CASES[] = {
        {"no vsync offered", {60, 60, false, false}},
        // An emulated display that claims vsync but does not wait (a virtual X server).
        {"vsync claimed, no wait", {60, 0, true, false}},
    };
    for (const auto& c : CASES) {
        Timeline run = Simulate(c.screen, 3600);
        EXPECT_FALSE(run.trustedAtEnd) << c.situation;
        std::vector<double> intervals = Intervals(run.presents);
        EXPECT_NEAR(Mean(intervals), GAME_PERIOD, 0.05) << c.situation;
        // Only a frame of each attempt to see whether vsync waits comes early, and the
        // attempts grow rarer: 3, 123, 363, 843, 1803 and 3723 sleeps in.
        EXPECT_LE(Count(intervals, 0, GAME_PERIOD * 0.8), 5) << c.situation;
    }
}

TEST(VsyncPacing, OnAFasterDisplayTheGameKeepsSixtyFramesASecond) {
    for (double refresh : {75.0, 120.0, 144.0, 240.0}) {
        Timeline run = Simulate({refresh, refresh, true, true}, 1200);
        EXPECT_EQ(run.trustedFrames, 0) << refresh;
        std::vector<double> intervals = Intervals(run.presents);
        EXPECT_NEAR(Mean(intervals), GAME_PERIOD, 0.05) << refresh << " Hz";
        // Each frame held to a refresh: never a whole refresh from its time.
        double refreshPeriod = 1000.0 / refresh;
        EXPECT_EQ(Count(intervals, GAME_PERIOD - refreshPeriod - 1.01,
                        GAME_PERIOD + refreshPeriod + 1.01),
                  static_cast<int>(intervals.size()))
            << refresh << " Hz";
    }
}

TEST(VsyncPacing, ARateTheUserChoseIsTheEnginesToKeep) {
    sdl::VsyncPacing pacing;
    pacing.Start(true, 0.0, GAME_PERIOD);
    double now = 0;
    for (int frame = 0; frame < 300; frame++) {
        EXPECT_EQ(pacing.SleepFor(12), 12u);
        now += 16.0; // a display that waits, at whatever rate
        pacing.Presented(now);
    }
    EXPECT_FALSE(pacing.Trusted());
}

TEST(VsyncPacing, PresentsThatStopWaitingAreNoticedAtOnce) {
    // The presents stop waiting at frame 400 (a window hidden, a compositor that lets go).
    Timeline run = Simulate(
        {60, 60, true, true}, 1200,
        [](int frame, Screen* screen, bool*, sdl::VsyncPacing*) { screen->waits = frame < 400; });
    EXPECT_FALSE(run.trustedAtEnd);
    std::vector<double> intervals = Intervals(run.presents, 400);
    EXPECT_LE(Count(intervals, 0, GAME_PERIOD * 0.8), sdl::PACING_STRIKES + 3);
    EXPECT_NEAR(Mean(Intervals(run.presents, 500)), GAME_PERIOD, 0.1);
}

TEST(VsyncPacing, AfterHoursOnAFastDisplayLosingVsyncFreezesNothing) {
    // Shown by a 60.05 Hz display for an hour, the engine's schedule runs ahead of its
    // frames by seconds; when the presents stop waiting, frames still come a period apart.
    const int HOUR = 60 * 60 * 60;
    Timeline run = Simulate({60.05, 60, true, true}, HOUR + 600,
                            [HOUR](int frame, Screen* screen, bool*, sdl::VsyncPacing*) {
                                screen->waits = frame < HOUR;
                            });
    std::vector<double> after = Intervals(run.presents, HOUR);
    EXPECT_LE(*std::max_element(after.begin(), after.end()), GAME_PERIOD + 4.0);
}

TEST(VsyncPacing, AWindowThatShowsNoFramesIsPacedBySleeping) {
    // The engine presents nothing while its window is in the background (frames 300-599):
    // no present waits, so the host sleeps what the engine asks, and no frame comes early
    // (the one skipped sleep before the host knew is made up at most a frame's work at a
    // time).
    Timeline run = Simulate({60, 60, true, true}, 900,
                            [](int frame, Screen*, bool* presenting, sdl::VsyncPacing*) {
                                *presenting = frame < 300 || frame >= 600;
                            });
    std::vector<double> background(run.frames.begin() + 302, run.frames.begin() + 600);
    std::vector<double> intervals = Intervals(background, 1);
    EXPECT_NEAR(Mean(intervals), GAME_PERIOD, 0.05);
    EXPECT_EQ(Count(intervals, GAME_PERIOD - 1.01, GAME_PERIOD + 4.01),
              static_cast<int>(intervals.size()));
    EXPECT_TRUE(run.trustedAtEnd); // and vsync takes over again when frames come back
}

TEST(VsyncPacing, DoubtedPresentsProveThemselvesAgain) {
    Timeline run = Simulate({60, 60, true, true}, 400,
                            [](int frame, Screen*, bool*, sdl::VsyncPacing* pacing) {
                                if (frame == 200) {
                                    pacing->Doubt();
                                }
                            });
    EXPECT_TRUE(run.trustedAtEnd);
    // Trusted within a few frames of the start, and again within a few of the doubt.
    EXPECT_GE(run.trustedFrames, 400 - 2 * (sdl::PACING_PROOFS + 4));
}

} // namespace
