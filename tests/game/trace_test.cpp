#include "game/shell.h"
#include "game/trace.h"
#include "game_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

TEST(Trace, OneLineHoldsTheWholeStateWithRoundTrippingFloats) {
    gametest::StartDisplay();
    hero.Init();
    muffinTrack.Init(10);
    hero.SetMuffinTrack(&muffinTrack);
    hero.AddFridge(500.0f, 150.0f);
    hero.AddRollingPin(0.1f, 400.0f);
    muffinTrack.Add(-3.5f, 0.0f);
    muffinTrack.Add(1000.0f, 320.0f);
    titleShown = true;
    paused = false;
    pageTimer = 12;
    keyTick = 3;

    const std::string line = Trace::FormatFrame(7, "title");
    EXPECT_EQ(line.rfind("{\"frame\":7,\"screen\":\"title\",\"titleShown\":true,", 0), 0u) << line;
    EXPECT_NE(line.find("\"paused\":false,\"pageTimer\":12,"), std::string::npos) << line;
    EXPECT_NE(line.find("\"keyTick\":3,"), std::string::npos) << line;
    EXPECT_NE(line.find("\"hero\":{\"screenX\":10,\"y\":280,\"worldX\":10,\"walkState\":2,"
                        "\"action\":9,\"walkFrame\":1,\"fallFrame\":1,"),
              std::string::npos)
        << line;
    EXPECT_NE(line.find("\"clear\":false,\"finished\":false},"), std::string::npos) << line;
    EXPECT_NE(line.find("\"fridges\":[[500,150,13]],\"pins\":[[0.100000001,400,15]]"),
              std::string::npos)
        << line;
    EXPECT_NE(line.find("\"muffins\":[[-3.5,0,0,0,0,1],[1000,320,0,0,0,1]]"), std::string::npos)
        << line;
    EXPECT_NE(line.find("\"intro\":{\"picture\":"), std::string::npos) << line;
    EXPECT_EQ(line.back(), '}');
    EXPECT_EQ(line.find(' '), std::string::npos);
    EXPECT_EQ(line.find('\n'), std::string::npos);
}

TEST(Trace, WritesOneLinePerFrameOnlyWhenOpen) {
    const std::string path = testing::TempDir() + "game_trace_test.jsonl";
    Trace trace;
    trace.WriteFrame(1, "title"); // not open: nothing, no crash
    ASSERT_TRUE(trace.Open(path.c_str()));
    trace.WriteFrame(1, "title");
    trace.WriteFrame(2, "play");
    trace.Close();
    std::ifstream in(path);
    std::string first, second, third;
    std::getline(in, first);
    std::getline(in, second);
    EXPECT_FALSE(std::getline(in, third));
    EXPECT_EQ(first.rfind("{\"frame\":1,\"screen\":\"title\"", 0), 0u);
    EXPECT_EQ(second.rfind("{\"frame\":2,\"screen\":\"play\"", 0), 0u);
    std::remove(path.c_str());

    EXPECT_FALSE(trace.Open("/nonexistent-folder/trace.jsonl"));
}
