// Whole-game scenarios: the real program plays an input script on the headless host
// and its per-frame trace is checked against the game's timetable.
#include "game_trace.h"

#include <gtest/gtest.h>

#include <string>

namespace {

GameTrace Play(const std::string& script, int frames) {
    GameTrace trace;
    EXPECT_TRUE(trace.Run(MUFFINS_PROGRAM, MUFFINS_IMAGES, script, frames))
        << "exit code " << trace.exitCode << "\n"
        << trace.errors.substr(0, 2000);
    EXPECT_EQ(trace.Frames(), frames);
    return trace;
}

// The parts of a line that hold the game's moving state (not the frame number).
std::string StateOf(const GameTrace& trace, int frame) {
    const std::string& line = trace.Line(frame);
    return line.substr(line.find("\"titleShown\""));
}

constexpr int FIRST_PLAY = 1409; // with Space held from the start

} // namespace

TEST(Scenario, TitleThenInstructionsThenIntroWhateverIsPressedOnThePages) {
    const GameTrace trace = Play("5 down 32\n15 up 32\n"       // Space on the title
                                 "100 down 80\n112 up 80\n"    // 'P' on the title
                                 "1000 down 32\n1012 up 32\n", // Space on the instructions
                                 1500);
    if (trace.Frames() < 1500) {
        return;
    }
    for (int frame = 1; frame <= 800; frame++) {
        ASSERT_EQ(trace.Screen(frame), "title") << frame;
    }
    EXPECT_EQ(trace.Int(800, "pageTimer"), 800);
    for (int frame = 801; frame <= 1401; frame++) {
        ASSERT_EQ(trace.Screen(frame), "instructions") << frame;
    }
    EXPECT_FALSE(trace.Bool(801, "paused")); // the title's end clears the pause from 'P'
    for (int frame = 1402; frame <= 1500; frame++) {
        ASSERT_EQ(trace.Screen(frame), "intro") << frame;
    }
    EXPECT_EQ(trace.Int(1402, "pageTimer"), 600);
    // The intro steps every 40 of its updates; the first comes the frame after the switch.
    EXPECT_EQ(trace.Int(1402 + 39, "picture"), 0);
    EXPECT_EQ(trace.Int(1402 + 40, "picture"), 1);
    EXPECT_EQ(trace.Int(1402 + 80, "picture"), 2);
    EXPECT_EQ(trace.Rows(1500, "muffins").size(), 2u);
    EXPECT_EQ(trace.Rows(1500, "fridges").size(), 6u);
    EXPECT_EQ(trace.Rows(1500, "pins").size(), 4u);
}

TEST(Scenario, SpaceHeldPlaysToTheKnockDownGameOverAndRestart) {
    const int frames = FIRST_PLAY + 331 + 20;
    const GameTrace trace = Play("1 down 32\n", frames);
    if (trace.Frames() < frames) {
        return;
    }
    EXPECT_EQ(trace.Screen(FIRST_PLAY - 1), "intro");
    EXPECT_EQ(trace.Screen(FIRST_PLAY), "play");
    EXPECT_FLOAT_EQ(trace.Float(FIRST_PLAY, "y"), 240.0f); // knock-down picture 1 first
    EXPECT_EQ(trace.Rows(FIRST_PLAY, "muffins").size(), 2u);

    auto play = [](int playFrame) { return FIRST_PLAY + playFrame; };
    // The muffin at x 10 falls on play frames 9, 19, 29, ...
    EXPECT_FLOAT_EQ(trace.Rows(play(8), "muffins")[0][1], 0.0f);
    EXPECT_FLOAT_EQ(trace.Rows(play(9), "muffins")[0][1], 10.0f);
    EXPECT_TRUE(trace.Bool(play(219), "clear"));
    EXPECT_FALSE(trace.Bool(play(220), "clear"));
    EXPECT_FALSE(trace.Bool(play(279), "finished"));
    EXPECT_TRUE(trace.Bool(play(280), "finished"));
    EXPECT_EQ(trace.Int(play(280), "fallFrame"), 8);
    EXPECT_EQ(trace.Screen(play(280)), "play");
    for (int p = 281; p <= 330; p++) {
        ASSERT_EQ(trace.Screen(play(p)), "gameover") << p;
    }
    EXPECT_EQ(trace.Int(play(330), "gameOverTimer"), 50);

    EXPECT_EQ(trace.Screen(play(331)), "restart");
    const auto muffins = trace.Rows(play(331), "muffins");
    ASSERT_EQ(muffins.size(), 10u);
    for (const auto& muffin : muffins) {
        EXPECT_FLOAT_EQ(muffin[1], 0.0f);
        EXPECT_EQ(muffin[2], 0.0f);
    }
    EXPECT_TRUE(trace.Bool(play(331), "introShown"));
    EXPECT_FALSE(trace.Bool(play(331), "titleShown"));
    EXPECT_FALSE(trace.Bool(play(331), "finished"));
    for (int p = 332; p <= 339; p++) {
        ASSERT_EQ(trace.Screen(play(p)), "intro") << p;
    }
    EXPECT_EQ(trace.Screen(play(340)), "play");
    EXPECT_EQ(trace.Int(play(340), "keyTick"), 9); // keyTick counts on through the restart
}

TEST(Scenario, PauseHoldsEverythingAndOnlyOResumes) {
    const GameTrace trace = Play("1403 down 79\n1415 up 79\n" // 'O' in the intro: nothing
                                 "1425 down 32\n1432 up 32\n" // Space: play from the poll at 1429
                                 "1445 down 80\n1452 up 80\n" // 'P': paused at 1449
                                 "1465 down 32\n1472 up 32\n" // Space does not resume
                                 "1485 down 79\n1492 up 79\n" // 'O' resumes at 1489
                                 "1495 down 39\n",            // walk right
                                 1560);
    if (trace.Frames() < 1560) {
        return;
    }
    EXPECT_EQ(trace.Screen(1419), "intro");
    EXPECT_EQ(trace.Screen(1428), "intro");
    EXPECT_EQ(trace.Screen(1429), "play");
    EXPECT_EQ(trace.Screen(1448), "play");
    // The counters still wrap on the first paused frame (10 to 0), then stand still.
    for (int frame = 1449; frame <= 1488; frame++) {
        ASSERT_EQ(trace.Screen(frame), "paused") << frame;
        if (frame > 1449) {
            ASSERT_EQ(trace.Int(frame, "heroTick"), trace.Int(1450, "heroTick"));
            ASSERT_EQ(trace.Int(frame, "muffinTick"), trace.Int(1450, "muffinTick"));
        }
        const std::string& line = trace.Line(frame);
        const std::string& first = trace.Line(1449);
        ASSERT_EQ(line.substr(line.find("\"hero\"")), first.substr(first.find("\"hero\"")));
    }
    EXPECT_EQ(trace.Screen(1489), "play");
    EXPECT_GT(trace.Float(1560, "worldX"), 10.0f);
}

TEST(Scenario, TheSameScriptGivesTheSameTraceEveryTime) {
    const std::string script = "1 down 32\n1420 down 39\n1500 up 39\n1520 down 37\n1560 up 37\n";
    const GameTrace first = Play(script, 1700);
    const GameTrace second = Play(script, 1700);
    ASSERT_EQ(first.Frames(), second.Frames());
    for (int frame = 1; frame <= first.Frames(); frame++) {
        ASSERT_EQ(first.Line(frame), second.Line(frame)) << frame;
    }
    EXPECT_NE(StateOf(first, 1500), StateOf(first, 1700));
}

TEST(Scenario, TheHeroTakesARollingPinAndMilkAndMeltsTwoMuffins) {
    const GameTrace trace = Play("1 down 32\n"
                                 "1412 down 39\n1415 up 39\n1415 up 32\n" // walk right
                                 "1441 down 70\n1446 up 70\n"             // 'F' by the first pin
                                 "1601 down 39\n1604 up 39\n"             // on to the fridge
                                 "1612 down 71\n1615 up 71\n"             // 'G' across its side
                                 "1700 down 84\n1700 down 82\n"           // 'T' and 'R' held
                                 "2025 down 37\n2300 up 37\n", // back to the other muffin
                                 2300);
    if (trace.Frames() < 2300) {
        return;
    }
    EXPECT_EQ(trace.Int(1448, "rollingPins"), 0);
    EXPECT_EQ(trace.Int(1449, "rollingPins"), 1);
    EXPECT_EQ(trace.Int(1449, "action"), 19);
    EXPECT_EQ(trace.Rows(1449, "pins")[0][2], 16.0f);
    EXPECT_EQ(trace.Int(1519, "action"), 20);

    EXPECT_EQ(trace.Int(1619, "milkCartons"), 1);
    EXPECT_EQ(trace.Int(1619, "action"), 10);
    EXPECT_EQ(trace.Rows(1619, "fridges")[0][2], 14.0f);

    EXPECT_EQ(trace.Rows(1948, "muffins")[1][2], 3.0f);
    EXPECT_EQ(trace.Rows(1949, "muffins")[1][2], 100.0f);
    EXPECT_EQ(trace.Int(1949, "milkCartons"), 0);
    EXPECT_EQ(trace.Int(1949, "action"), 12);

    EXPECT_EQ(trace.Rows(2199, "muffins")[0][2], 100.0f);
    EXPECT_EQ(trace.Int(2199, "rollingPins"), 0);
    EXPECT_EQ(trace.Int(2199, "action"), 21);
    EXPECT_EQ(trace.Rows(2300, "muffins")[1][5], 6.0f); // melted pictures end at 6

    for (int frame = 1410; frame <= 2300; frame++) {
        ASSERT_EQ(trace.Screen(frame), "play") << frame;
        ASSERT_TRUE(trace.Bool(frame, "clear")) << frame;
    }
}
