#include "game/game_keys.h"
#include "game/hero.h"
#include "game/muffin_track.h"
#include "game_test_support.h"

#include <gtest/gtest.h>

namespace {

// The hero's box in these tests: (100, 240) to (170, 390).
class HeroPickupsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        gametest::StartDisplay();
        gametest::ReleaseAllKeys();
        hero.Init();
        track.Init(10);
        hero.SetMuffinTrack(&track);
        hero.screenX = 100.0f;
        hero.y = 240.0f;
    }
    void TearDown() override { gametest::ReleaseAllKeys(); }

    bool PinReach(float px, float py) const { return hero.InReach(px, py, 100.0f, 240.0f, 25.0f); }
    bool MuffinReach(float px, float py) const {
        return hero.InReach(px, py, 100.0f, 240.0f, 30.0f);
    }
    int32_t MuffinState(int32_t i) const {
        Muffin muffin;
        return track.GetMuffin(i, muffin).state;
    }

    Hero hero;
    MuffinTrack track;
};

} // namespace

TEST_F(HeroPickupsTest, ReachIsStrictlyLessThanTheRadiusOnEverySide) {
    EXPECT_TRUE(PinReach(120.0f, 390.0f + 24.9f)); // below
    EXPECT_FALSE(PinReach(120.0f, 390.0f + 25.0f));
    EXPECT_TRUE(PinReach(120.0f, 240.0f - 24.9f)); // above
    EXPECT_FALSE(PinReach(120.0f, 240.0f - 25.0f));
    EXPECT_TRUE(MuffinReach(170.0f + 29.9f, 300.0f)); // right
    EXPECT_FALSE(MuffinReach(170.0f + 30.0f, 300.0f));
    EXPECT_TRUE(MuffinReach(100.0f - 29.9f, 300.0f)); // left
    EXPECT_FALSE(MuffinReach(100.0f - 30.0f, 300.0f));
    EXPECT_TRUE(MuffinReach(135.0f, 300.0f)); // inside
    EXPECT_TRUE(MuffinReach(170.0f, 390.0f)); // on the corner: level both ways
}

TEST_F(HeroPickupsTest, CornersAreJudgedByEuclideanDistance) {
    // 18-24-30 triangles: exactly the radius away is out of reach.
    EXPECT_FALSE(MuffinReach(170.0f + 18.0f, 390.0f + 24.0f));
    EXPECT_TRUE(MuffinReach(170.0f + 18.0f, 390.0f + 23.9f));
    EXPECT_FALSE(MuffinReach(100.0f - 24.0f, 240.0f - 18.0f));
    EXPECT_TRUE(MuffinReach(100.0f - 23.9f, 240.0f - 18.0f));
    EXPECT_FALSE(MuffinReach(170.0f + 25.0f, 240.0f - 25.0f)); // 35.4 away
    EXPECT_FALSE(PinReach(100.0f - 15.0f, 390.0f + 20.0f));    // 15-20-25
    EXPECT_TRUE(PinReach(100.0f - 15.0f, 390.0f + 19.9f));
}

TEST_F(HeroPickupsTest, AFridgeIsReachedOnlyAcrossOneOfItsSides) {
    hero.AddFridge(90.0f, 150.0f); // box 100..170 lies within 90..270
    EXPECT_FALSE(hero.TakeFromFridge());
    hero.fridgeList.storage[0].x = 170.0f; // right edge touches the left side
    EXPECT_TRUE(hero.TakeFromFridge());
    hero.AddFridge(-80.0f, 150.0f); // its right side at 100 touches the left edge
    EXPECT_TRUE(hero.TakeFromFridge());
    hero.AddFridge(170.1f, 150.0f); // just out of reach
    hero.AddFridge(-80.1f, 150.0f);
    EXPECT_FALSE(hero.TakeFromFridge());
    EXPECT_EQ(hero.fridgeList.storage[2].state, FridgeFull);
    EXPECT_EQ(hero.fridgeList.storage[3].state, FridgeFull);
}

TEST_F(HeroPickupsTest, AnEmptiedFridgeIsPassedOverForTheNextOneInReach) {
    hero.AddFridge(150.0f, 150.0f);
    hero.AddFridge(160.0f, 150.0f);
    EXPECT_TRUE(hero.TakeFromFridge());
    EXPECT_EQ(hero.fridgeList.storage[0].state, FridgeEmpty);
    EXPECT_EQ(hero.fridgeList.storage[1].state, FridgeFull);
    EXPECT_TRUE(hero.TakeFromFridge());
    EXPECT_EQ(hero.fridgeList.storage[1].state, FridgeEmpty);
    EXPECT_FALSE(hero.TakeFromFridge());
}

TEST_F(HeroPickupsTest, NoSixthMilkCarton) {
    hero.AddFridge(150.0f, 150.0f);
    hero.milkCartons = 5;
    EXPECT_FALSE(hero.TakeFromFridge());
    hero.milkCartons = 4;
    EXPECT_TRUE(hero.TakeFromFridge());
}

TEST_F(HeroPickupsTest, RollingPinsArePickedUpOnceInListOrder) {
    hero.AddRollingPin(120.0f, 390.0f + 25.0f); // out of reach
    hero.AddRollingPin(120.0f, 390.0f + 24.9f);
    hero.AddRollingPin(130.0f, 400.0f);
    EXPECT_TRUE(hero.PickUpRollingPin(100.0f, 240.0f));
    EXPECT_EQ(hero.rollingPinList.storage[0].state, RollingPinLying);
    EXPECT_EQ(hero.rollingPinList.storage[1].state, RollingPinGone);
    EXPECT_TRUE(hero.PickUpRollingPin(100.0f, 240.0f));
    EXPECT_EQ(hero.rollingPinList.storage[2].state, RollingPinGone);
    EXPECT_FALSE(hero.PickUpRollingPin(100.0f, 240.0f));
}

TEST_F(HeroPickupsTest, AMuffinInReachWithNothingHeldTakesEverything) {
    track.Add(175.0f, 320.0f);
    hero.milkCartons = 3;
    hero.rollingPins = 2;
    EXPECT_FALSE(hero.CheckMuffins(100.0f, 240.0f));
    EXPECT_EQ(hero.milkCartons, 0);
    EXPECT_EQ(hero.rollingPins, 0);
    gametest::HoldKey(KEY_T); // too late: nothing is carried any more
    EXPECT_FALSE(hero.CheckMuffins(100.0f, 240.0f));
    EXPECT_EQ(MuffinState(0), MUFFIN_FALLING);
}

TEST_F(HeroPickupsTest, MilkIsPreferredToARollingPin) {
    track.Add(175.0f, 320.0f);
    hero.milkCartons = 1;
    hero.rollingPins = 1;
    hero.milkFrame = 5;
    gametest::HoldKey(KEY_T);
    gametest::HoldKey(KEY_R);
    EXPECT_TRUE(hero.CheckMuffins(100.0f, 240.0f));
    EXPECT_EQ(MuffinState(0), MUFFIN_MELTING);
    EXPECT_EQ(hero.milkCartons, 0);
    EXPECT_EQ(hero.rollingPins, 1);
    EXPECT_EQ(hero.action, MilkUsing);
    EXPECT_EQ(hero.milkFrame, 0);
}

TEST_F(HeroPickupsTest, ARollingPinIsSpentWithR) {
    track.Add(175.0f, 320.0f);
    hero.milkCartons = 1; // carried, but 'T' is not held
    hero.rollingPins = 2;
    gametest::HoldKey(KEY_R);
    EXPECT_TRUE(hero.CheckMuffins(100.0f, 240.0f));
    EXPECT_EQ(MuffinState(0), MUFFIN_MELTING);
    EXPECT_EQ(hero.rollingPins, 1);
    EXPECT_EQ(hero.milkCartons, 1);
    EXPECT_EQ(hero.action, RollingPinUsing);
    EXPECT_EQ(hero.pinFrame, 0);
}

TEST_F(HeroPickupsTest, OneMuffinIsDealtWithPerCallAndMeltingOnesAreHarmless) {
    track.Add(500.0f, 320.0f); // far away
    track.Add(175.0f, 320.0f);
    track.Add(75.0f, 320.0f);
    hero.milkCartons = 1;
    gametest::HoldKey(KEY_T);
    EXPECT_TRUE(hero.CheckMuffins(100.0f, 240.0f));
    EXPECT_EQ(MuffinState(1), MUFFIN_MELTING);
    EXPECT_EQ(MuffinState(2), MUFFIN_FALLING);
    EXPECT_FALSE(hero.CheckMuffins(100.0f, 240.0f)); // the second one, nothing left
    EXPECT_EQ(MuffinState(2), MUFFIN_FALLING);

    track.SetState(2, MUFFIN_MELTING);
    EXPECT_TRUE(hero.CheckMuffins(100.0f, 240.0f));
}
