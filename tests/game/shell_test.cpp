#include "game/shell.h"
#include "game_test_support.h"

#include <gtest/gtest.h>

namespace {

// Puts the shell into play, as after Space on the intro.
void StartPlay() {
    restart();
    introShown = false;
    paused = false;
}

void FillBackBuffer(uint16_t value) {
    ASSERT_TRUE(Tolvo.LockBuffer());
    for (int32_t i = 0; i < Tolvo.width * Tolvo.height; i++) {
        Tolvo.pixels[i] = value;
    }
    Tolvo.UnlockBuffer();
}

} // namespace

TEST(Shell, RestartBeginsARunOfTenMuffinsAtTheIntroKeepingKeyTick) {
    gametest::StartDisplay();
    keyTick = 7;
    heroTick = 4;
    gameOverTimer = 50;
    titleShown = false;
    restart();
    EXPECT_FALSE(titleShown);
    EXPECT_FALSE(instructionsShown);
    EXPECT_TRUE(introShown);
    EXPECT_TRUE(paused);
    EXPECT_EQ(keyTick, 7);
    EXPECT_EQ(heroTick, 0);
    EXPECT_EQ(gameOverTimer, 0);
    EXPECT_EQ(hero.fridgeList.count, 6);
    EXPECT_EQ(hero.rollingPinList.count, 4);
    ASSERT_EQ(muffinTrack.Count(), 10);
    Muffin last;
    muffinTrack.GetMuffin(9, last);
    EXPECT_FLOAT_EQ(last.x, 6500.0f);
    EXPECT_FLOAT_EQ(last.y, 0.0f);
    EXPECT_EQ(last.state, MUFFIN_FALLING);
}

TEST(Shell, RestartsReuseTheStorageOfThePreviousRun) {
    gametest::StartDisplay();
    restart();
    const Muffin* muffins = muffinTrack.muffins.data();
    const Pickup* fridges = hero.fridgeList.storage.data();
    const Pickup* pins = hero.rollingPinList.storage.data();
    for (int i = 0; i < 20; i++) {
        restart();
    }
    EXPECT_EQ(muffinTrack.muffins.data(), muffins);
    EXPECT_EQ(hero.fridgeList.storage.data(), fridges);
    EXPECT_EQ(hero.rollingPinList.storage.data(), pins);
    EXPECT_EQ(muffinTrack.Count(), 10);
    EXPECT_EQ(hero.fridgeList.count, 6);
}

TEST(Shell, AFrameWhoseLockFailsDrawsNothingButStillAdvancesTheGame) {
    gametest::StartDisplay();
    StartPlay();
    gametest::MakePicture(background, 900, 500, 0x1111);
    FillBackBuffer(0x5555);

    muffinTrack.Add(20.0f, 300.0f); // on the hero: knocked down at once

    subset::FailCall("Lock", DDERR_SURFACELOST, 1);
    run();
    EXPECT_EQ(heroTick, 1);
    EXPECT_FALSE(hero.clear);
    EXPECT_FLOAT_EQ(hero.y, 240.0f); // the knock-down picture's frame still counts
    ASSERT_TRUE(Tolvo.LockBuffer());
    EXPECT_EQ(gametest::PixelAt(450, 10), 0x5555);
    Tolvo.UnlockBuffer();

    run();
    EXPECT_EQ(heroTick, 2);
    ASSERT_TRUE(Tolvo.LockBuffer());
    EXPECT_EQ(gametest::PixelAt(450, 10), 0x1111);
    Tolvo.UnlockBuffer();
    background.Free();
}
