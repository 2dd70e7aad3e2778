#include "game/random.h"

#include <gtest/gtest.h>

TEST(Random, StartsAtOneAndRepeatsTheSameSequence) {
    Random random;
    EXPECT_EQ(random.Next(), 41);
    EXPECT_EQ(random.Next(), 18467);
    EXPECT_EQ(random.Next(), 6334);
    EXPECT_EQ(random.Next(), 26500);
    EXPECT_EQ(random.Next(), 19169);
}

TEST(Random, ValuesStayWithinFifteenBitsAndStateWrapsModulo2To32) {
    Random random(0xffffffffu);
    for (int i = 0; i < 10000; i++) {
        const int32_t value = random.Next();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, 32767);
    }
    Random wrap(0xffffffffu);
    wrap.Next();
    EXPECT_EQ(wrap.state, 0xffffffffu * 214013u + 2531011u);
}

TEST(Random, OverwriteIndexDrawsFromTheOneProcessWideGenerator) {
    Random expected = gameRandom;
    for (int i = 0; i < 200; i++) {
        const int32_t index = RandomOverwriteIndex(100);
        ASSERT_EQ(index, expected.Next() * 99 / 32767);
        ASSERT_GE(index, 0);
        ASSERT_LE(index, 99);
    }
    EXPECT_EQ(gameRandom.state, expected.state);
}
