#include "game/game_keys.h"
#include "game/hero.h"
#include "game/muffin_track.h"
#include "game_test_support.h"

#include <gtest/gtest.h>

namespace {

class HeroTest : public ::testing::Test {
  protected:
    void SetUp() override {
        gametest::StartDisplay();
        gametest::ReleaseAllKeys();
        hero.Init();
        track.Init(10);
        hero.SetMuffinTrack(&track);
    }
    void TearDown() override { gametest::ReleaseAllKeys(); }

    // One hero step: the update with tick 9.
    void Step() { hero.Update(9); }

    // Holds `key` for one update off the step, releases it, then steps until the hero stands.
    int32_t TapAndWalk(int32_t key) {
        gametest::HoldKey(key);
        hero.Update(0);
        gametest::HoldKey(key, false);
        int32_t steps = 0;
        while (hero.walkState == WalkRight || hero.walkState == WalkLeft) {
            Step();
            steps++;
            if (steps > 100) {
                break;
            }
        }
        return steps;
    }

    Hero hero;
    MuffinTrack track;
};

} // namespace

TEST_F(HeroTest, InitSetsEveryFieldAndEmptiesTheLists) {
    hero.AddFridge(500.0f, 150.0f);
    hero.milkCartons = 3;
    hero.finished = true;
    hero.Init();
    EXPECT_FLOAT_EQ(hero.screenX, 10.0f);
    EXPECT_FLOAT_EQ(hero.y, 280.0f);
    EXPECT_FLOAT_EQ(hero.worldX, 10.0f);
    EXPECT_EQ(hero.walkState, StandRight);
    EXPECT_EQ(hero.action, MilkReady);
    EXPECT_EQ(hero.width, 70);
    EXPECT_EQ(hero.height, 150);
    EXPECT_EQ(hero.milkCartons, 0);
    EXPECT_EQ(hero.lastScrollX, 10);
    EXPECT_EQ(hero.rollingPins, 0);
    EXPECT_EQ(hero.walkFrame, 1);
    EXPECT_EQ(hero.fallFrame, 1);
    EXPECT_FALSE(hero.clear);
    EXPECT_FALSE(hero.finished);
    EXPECT_EQ(hero.fridgeList.count, 0);
    EXPECT_EQ(hero.fridgeList.capacity, 100);
    EXPECT_EQ(hero.rollingPinList.count, 0);
}

TEST_F(HeroTest, WalkCyclesTake11StepsFromInitAnd12FromStanding) {
    EXPECT_EQ(TapAndWalk(KEY_RIGHT), 11);
    EXPECT_FLOAT_EQ(hero.screenX, 10.0f + 11 * 18);
    EXPECT_EQ(hero.walkState, StandRight);
    EXPECT_EQ(hero.walkFrame, 0);

    hero.screenX = 10.0f;
    EXPECT_EQ(TapAndWalk(KEY_RIGHT), 12);
    EXPECT_FLOAT_EQ(hero.screenX, 10.0f + 216);
    EXPECT_FLOAT_EQ(hero.worldX, 10.0f + 11 * 18 + 216);
}

TEST_F(HeroTest, RightWalkShowsPictures1To11ThenStands) {
    hero.walkFrame = 0;
    gametest::HoldKey(KEY_RIGHT);
    hero.Update(0);
    gametest::HoldKey(KEY_RIGHT, false);
    for (int32_t picture = 1; picture <= 11; picture++) {
        Step();
        ASSERT_EQ(hero.walkFrame, picture);
    }
    Step();
    EXPECT_EQ(hero.walkFrame, 0);
    EXPECT_EQ(hero.walkState, StandRight);
}

TEST_F(HeroTest, LeftTappedFromStandingMovesOneStepHeldWalksWholeCycles) {
    hero.screenX = 200.0f;
    hero.walkFrame = 0;
    EXPECT_EQ(TapAndWalk(KEY_LEFT), 1);
    EXPECT_FLOAT_EQ(hero.screenX, 182.0f);
    EXPECT_EQ(hero.walkState, StandLeft);

    hero.screenX = 400.0f;
    gametest::HoldKey(KEY_LEFT);
    hero.Update(0);
    Step(); // frame 0 -> 11 (picture 1b), Left still held
    EXPECT_EQ(hero.walkFrame, 11);
    for (int32_t frame = 10; frame >= 1; frame--) {
        Step();
        ASSERT_EQ(hero.walkFrame, frame);
    }
    Step(); // end of the cycle with Left held: a new cycle
    EXPECT_EQ(hero.walkFrame, 11);
    EXPECT_EQ(hero.walkState, WalkLeft);
    EXPECT_FLOAT_EQ(hero.screenX, 400.0f - 12 * 18);
}

TEST_F(HeroTest, LeftWinsOverRightWhenStartingToWalk) {
    gametest::HoldKey(KEY_LEFT);
    gametest::HoldKey(KEY_RIGHT);
    hero.Update(0);
    EXPECT_EQ(hero.walkState, WalkLeft);
}

TEST_F(HeroTest, ScreenLimitsHoldTheHeroWhileTheKitchenScrolls) {
    hero.screenX = 420.0f;
    gametest::HoldKey(KEY_RIGHT);
    hero.Update(0);
    Step();
    EXPECT_FLOAT_EQ(hero.screenX, 425.0f);
    Step();
    EXPECT_FLOAT_EQ(hero.screenX, 425.0f);
    EXPECT_FLOAT_EQ(hero.worldX, 10.0f + 36);
    gametest::ReleaseAllKeys();

    hero.walkState = StandLeft;
    hero.screenX = 5.0f;
    hero.worldX = 5.0f;
    gametest::HoldKey(KEY_LEFT);
    hero.Update(0);
    Step();
    Step();
    EXPECT_FLOAT_EQ(hero.screenX, 0.0f);
    EXPECT_FLOAT_EQ(hero.worldX, -31.0f);
}

TEST_F(HeroTest, PickupsScrollWithEveryHeroStep) {
    hero.AddFridge(500.0f, 150.0f);
    hero.AddRollingPin(200.0f, 400.0f);
    hero.rollingPinList.storage[0].state = RollingPinGone;
    gametest::HoldKey(KEY_RIGHT);
    hero.Update(0);
    Step();
    Step();
    EXPECT_FLOAT_EQ(hero.fridgeList.storage[0].x, 464.0f);
    EXPECT_FLOAT_EQ(hero.rollingPinList.storage[0].x, 164.0f);
    EXPECT_EQ(hero.lastScrollX, 46);
    hero.Update(3); // not a step: nothing scrolls
    EXPECT_FLOAT_EQ(hero.fridgeList.storage[0].x, 464.0f);
}

TEST_F(HeroTest, MilkIsTakenWithAReachOfSevenStepsThenTheHeroIsFree) {
    hero.screenX = 450.0f; // box 450..520 spans the fridge's left side at 500
    hero.AddFridge(500.0f, 150.0f);
    gametest::HoldKey(KEY_G);
    hero.Update(0);
    gametest::HoldKey(KEY_G, false);
    EXPECT_EQ(hero.action, MilkRequested);
    Step();
    EXPECT_EQ(hero.milkCartons, 1);
    EXPECT_EQ(hero.action, MilkReaching);
    EXPECT_EQ(hero.reachFrame, 1);
    EXPECT_EQ(hero.fridgeList.storage[0].state, FridgeEmpty);

    gametest::HoldKey(KEY_G); // ignored while reaching
    for (int32_t frame = 2; frame <= 7; frame++) {
        Step();
        ASSERT_EQ(hero.reachFrame, frame);
        ASSERT_EQ(hero.action, MilkReaching);
    }
    gametest::HoldKey(KEY_G, false);
    Step();
    EXPECT_EQ(hero.action, MilkTaken);
    EXPECT_EQ(hero.reachFrame, 0);
}

TEST_F(HeroTest, RequestsWithFullHandsEndWithoutReaching) {
    hero.screenX = 450.0f;
    hero.AddFridge(500.0f, 150.0f);
    hero.milkCartons = 5;
    gametest::HoldKey(KEY_G);
    hero.Update(0);
    gametest::HoldKey(KEY_G, false);
    EXPECT_EQ(hero.action, MilkRequested);
    Step();
    EXPECT_EQ(hero.action, MilkReady);
    EXPECT_EQ(hero.milkCartons, 5);
    EXPECT_EQ(hero.fridgeList.storage[0].state, FridgeFull);

    hero.rollingPins = 5;
    gametest::HoldKey(KEY_F);
    hero.Update(0);
    EXPECT_EQ(hero.action, MilkReady);
}

TEST_F(HeroTest, FWinsOverGAndRequestsCutAnItemAnimationShort) {
    hero.action = MilkUsing;
    hero.milkFrame = 3;
    gametest::HoldKey(KEY_G);
    gametest::HoldKey(KEY_F);
    hero.Update(0);
    EXPECT_EQ(hero.action, RollingPinRequested);

    hero.action = RollingPinReaching;
    hero.Update(0);
    EXPECT_EQ(hero.action, RollingPinReaching);
}

TEST_F(HeroTest, ItemAnimationsRunSevenPicturesThenReturnToReady) {
    hero.action = RollingPinUsing;
    hero.pinFrame = 0;
    hero.Update(2);
    for (int32_t frame = 1; frame <= 7; frame++) {
        Step();
        ASSERT_EQ(hero.pinFrame, frame);
    }
    Step();
    EXPECT_EQ(hero.action, RollingPinReady);
    EXPECT_EQ(hero.pinFrame, 0);
}

TEST_F(HeroTest, KnockedDownHeroFallsToPicture8AndFinishesWhenItIsDrawn) {
    track.Add(30.0f, 300.0f); // inside the hero's box
    hero.Update(0);
    EXPECT_FALSE(hero.clear);
    gametest::HoldKey(KEY_RIGHT);
    for (int32_t frame = 2; frame <= 8; frame++) {
        Step();
        ASSERT_EQ(hero.fallFrame, frame);
        ASSERT_FLOAT_EQ(hero.screenX, 10.0f); // no walking while down
    }
    Step();
    EXPECT_EQ(hero.fallFrame, 8);
    EXPECT_EQ(hero.walkState, WalkRight); // the key is still taken in
    EXPECT_FALSE(hero.finished);
    hero.Draw(false);
    EXPECT_FLOAT_EQ(hero.y, 240.0f);
    EXPECT_TRUE(hero.finished);
    EXPECT_TRUE(hero.IsFinished());
}

TEST_F(HeroTest, DrawsPickupsCarriedItemsAndTheHeroWhereTheyBelong) {
    ASSERT_TRUE(gametest::LockClearedDisplay());
    gametest::MakePicture(hero.frames[HERO_SLOT_FRIDGE_FULL], 2, 2, 0x0101);
    gametest::MakePicture(hero.frames[HERO_SLOT_FRIDGE_EMPTY], 2, 2, 0x0202);
    gametest::MakePicture(hero.rollingPinIcon, 2, 2, 0x0303);
    gametest::MakePicture(hero.rollingPinEmptyIcon, 2, 2, 0x0404);
    gametest::MakePicture(hero.milkCartonIcon, 2, 2, 0x0505);
    gametest::MakePicture(hero.frames[HERO_SLOT_ROLLING_PIN + 3], 2, 2, 0x0606);
    hero.AddFridge(500.0f, 150.0f);
    hero.AddFridge(700.7f, 150.0f);
    hero.fridgeList.storage[1].state = FridgeEmpty;
    hero.AddRollingPin(200.0f, 400.0f);
    hero.AddRollingPin(300.0f, 400.0f);
    hero.rollingPinList.storage[1].state = RollingPinGone;
    hero.milkCartons = 5;
    hero.rollingPins = 5;
    hero.clear = true;
    hero.action = RollingPinUsing;
    hero.pinFrame = 3;
    hero.screenX = 100.0f;
    hero.Draw();
    Tolvo.UnlockBuffer();

    EXPECT_EQ(gametest::PixelAt(500, 150), 0x0101);
    EXPECT_EQ(gametest::PixelAt(700, 150), 0x0202);
    EXPECT_EQ(gametest::PixelAt(200, 400), 0x0303);
    EXPECT_EQ(gametest::PixelAt(300, 400), 0x0404);
    for (int32_t k = 0; k < 5; k++) {
        EXPECT_EQ(gametest::PixelAt(785 - 15 * k, 50), 0x0505) << k;
        EXPECT_EQ(gametest::PixelAt(25 + 15 * k, 50), 0x0404) << k;
    }
    EXPECT_EQ(gametest::PixelAt(710, 50), 0);
    EXPECT_EQ(gametest::PixelAt(100, 230), 0x0606); // the swing is 50 pixels higher
    EXPECT_EQ(gametest::PixelAt(100, 280), 0);
}

TEST_F(HeroTest, DrawsStandingAndKnockedDownPictures) {
    ASSERT_TRUE(gametest::LockClearedDisplay());
    gametest::MakePicture(hero.frames[HERO_SLOT_LEFT + 0], 2, 2, 0x0a0a);
    gametest::MakePicture(hero.frames[HERO_SLOT_FALLING + 1], 2, 2, 0x0b0b);
    hero.clear = true;
    hero.walkState = StandLeft;
    hero.walkFrame = 0;
    hero.Draw();
    EXPECT_EQ(gametest::PixelAt(10, 280), 0x0a0a);

    hero.clear = false; // the first play frame of every run shows picture 1
    hero.Draw();
    Tolvo.UnlockBuffer();
    EXPECT_EQ(gametest::PixelAt(10, 240), 0x0b0b);
    EXPECT_FLOAT_EQ(hero.y, 240.0f);
    EXPECT_FALSE(hero.finished);
}
