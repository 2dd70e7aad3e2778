#include "game/intro.h"
#include "game_test_support.h"

#include <gtest/gtest.h>

TEST(Intro, StepsOnlyOnTick39AndHoldsTheLastPicture) {
    gametest::StartDisplay();
    Intro intro;
    intro.Init();
    EXPECT_FLOAT_EQ(intro.x, 100.0f);
    EXPECT_FLOAT_EQ(intro.y, 150.0f);
    for (int32_t tick = 0; tick < 39; tick++) {
        intro.Update(tick);
    }
    EXPECT_EQ(intro.picture, 0);
    for (int32_t step = 1; step <= 7; step++) {
        intro.Update(39);
        ASSERT_EQ(intro.picture, step);
        ASSERT_EQ(intro.finished, 0);
    }
    intro.Update(39);
    EXPECT_EQ(intro.picture, 7);
    EXPECT_EQ(intro.finished, 1);
    for (int i = 0; i < 20; i++) {
        intro.Update(39);
    }
    EXPECT_EQ(intro.picture, 7);

    intro.Init(); // a restart plays the sequence again
    EXPECT_EQ(intro.picture, 0);
    EXPECT_EQ(intro.finished, 0);
    intro.Update(39);
    EXPECT_EQ(intro.picture, 1);
}

TEST(Intro, DrawsTheCurrentPictureAtItsPlace) {
    ASSERT_TRUE(gametest::LockClearedDisplay());
    Intro intro;
    gametest::MakePicture(intro.pictures[2], 3, 3, 0x0777);
    intro.picture = 2;
    intro.Draw();
    Tolvo.UnlockBuffer();
    EXPECT_EQ(gametest::PixelAt(100, 150), 0x0777);
    EXPECT_EQ(gametest::PixelAt(102, 152), 0x0777);
    EXPECT_EQ(gametest::PixelAt(99, 150), 0);
}
