#include "game/muffin_track.h"
#include "game/random.h"
#include "game_test_support.h"

#include <gtest/gtest.h>

namespace {

class MuffinTrackTest : public ::testing::Test {
  protected:
    void SetUp() override {
        gametest::StartDisplay();
        track.Init(10);
    }

    Muffin At(int32_t i) const {
        Muffin muffin;
        return track.GetMuffin(i, muffin);
    }

    // One movement step (movement tick 9) at this scroll and hero x.
    void Move(int32_t scroll, int32_t heroX) { track.Update(0, 9, scroll, heroX); }
    void Animate() { track.Update(29, 1, 10, 0); }

    MuffinTrack track;
};

} // namespace

TEST_F(MuffinTrackTest, AddedMuffinsFallFromTheirPlaceWithFirstPictures) {
    track.Add(10.0f, 0.0f);
    track.Add(1000.0f, 0.0f);
    ASSERT_EQ(track.Count(), 2);
    const Muffin second = At(1);
    EXPECT_FLOAT_EQ(second.x, 1000.0f);
    EXPECT_FLOAT_EQ(second.y, 0.0f);
    EXPECT_EQ(second.state, MUFFIN_FALLING);
    EXPECT_EQ(second.direction, 0);
    EXPECT_EQ(second.rollPicture, 0);
    EXPECT_EQ(second.meltPicture, 1);
}

TEST_F(MuffinTrackTest, NothingChangesOffTheMovementAndAnimationTicks) {
    track.Add(100.0f, 0.0f);
    for (int32_t tick = 0; tick < 30; tick++) {
        if (tick != 9) {
            track.Update(tick == 29 ? 0 : tick, tick, 500, 0);
        }
    }
    EXPECT_FLOAT_EQ(At(0).x, 100.0f);
    EXPECT_FLOAT_EQ(At(0).y, 0.0f);
    EXPECT_EQ(track.previousScroll, 10);
}

TEST_F(MuffinTrackTest, FallsThirtyTwoStepsThenStartsRollingWithoutMovingSideways) {
    track.Add(300.0f, 0.0f);
    int32_t scroll = 10;
    for (int step = 1; step <= 32; step++) {
        scroll += 18;
        Move(scroll, 0);
        ASSERT_EQ(At(0).state, MUFFIN_FALLING) << "step " << step;
    }
    EXPECT_FLOAT_EQ(At(0).y, 320.0f);
    EXPECT_FLOAT_EQ(At(0).x, 300.0f - 32 * 18);
    scroll += 18;
    Move(scroll, 0);
    EXPECT_EQ(At(0).state, MUFFIN_ROLLING);
    EXPECT_FLOAT_EQ(At(0).x, 300.0f - 32 * 18);
    EXPECT_EQ(track.previousScroll, scroll);
}

TEST_F(MuffinTrackTest, AMuffinThatNeverMeetsTheFloorExactlyFallsForEver) {
    track.Add(300.0f, 5.0f);
    for (int step = 0; step < 1000; step++) {
        Move(10, 0);
    }
    EXPECT_EQ(At(0).state, MUFFIN_FALLING);
    EXPECT_FLOAT_EQ(At(0).y, 10005.0f);
}

TEST_F(MuffinTrackTest, RollsTowardsTheHeroAndAgainstTheScroll) {
    track.Add(150.0f, 320.0f);
    Move(10, 0); // lands
    ASSERT_EQ(At(0).state, MUFFIN_ROLLING);

    Move(10, 150); // hero exactly at x: rolls left
    EXPECT_FLOAT_EQ(At(0).x, 146.0f);
    EXPECT_EQ(At(0).direction, 2);

    Move(28, 400); // hero to the right, scroll 18: 4 - 18
    EXPECT_FLOAT_EQ(At(0).x, 132.0f);
    EXPECT_EQ(At(0).direction, 1);

    Move(46, 0); // hero to the left, scroll 18: -4 - 18
    EXPECT_FLOAT_EQ(At(0).x, 110.0f);
    EXPECT_EQ(At(0).direction, 2);
}

TEST_F(MuffinTrackTest, RollPicturesWrapBothWaysAndFallingMuffinsKeepTheFirst) {
    track.Add(150.0f, 320.0f);
    track.Add(500.0f, 0.0f);
    Move(10, 0);
    Move(10, 0); // rolling left
    Animate();
    EXPECT_EQ(At(0).rollPicture, 11);
    EXPECT_EQ(At(1).rollPicture, 0);
    Animate();
    EXPECT_EQ(At(0).rollPicture, 10);

    Move(10, 800); // rolling right
    for (int i = 0; i < 2; i++) {
        Animate();
    }
    EXPECT_EQ(At(0).rollPicture, 0);
    Animate();
    EXPECT_EQ(At(0).rollPicture, 1);
    EXPECT_EQ(At(1).rollPicture, 0);
}

TEST_F(MuffinTrackTest, MovementComesBeforeAnimationOnASharedFrame) {
    track.Add(150.0f, 320.0f);
    Move(10, 0);
    track.Update(29, 9, 10, 800); // first rolling step sets direction 1, then animates
    EXPECT_EQ(At(0).direction, 1);
    EXPECT_EQ(At(0).rollPicture, 1);
}

TEST_F(MuffinTrackTest, MeltingPlaysSixPicturesHoldsTheLastAndFollowsTheScroll) {
    track.Add(150.0f, 320.0f);
    track.SetState(0, MUFFIN_MELTING);
    for (int32_t expected = 2; expected <= 6; expected++) {
        Animate();
        ASSERT_EQ(At(0).meltPicture, expected);
    }
    Animate();
    Animate();
    EXPECT_EQ(At(0).meltPicture, 6);
    Move(28, 0);
    EXPECT_FLOAT_EQ(At(0).x, 132.0f);
    EXPECT_EQ(At(0).state, MUFFIN_MELTING);
}

TEST_F(MuffinTrackTest, The101stMuffinReplacesARandomOneAndCountStays100) {
    for (int i = 0; i < 100; i++) {
        track.Add(float(i), 0.0f);
    }
    Random expected = gameRandom;
    const int32_t index = expected.Next() * 99 / 32767;
    track.SetState(index, MUFFIN_MELTING);
    track.Add(7000.0f, 5.0f);
    EXPECT_EQ(track.Count(), 100);
    EXPECT_FLOAT_EQ(At(index).x, 7000.0f);
    EXPECT_EQ(At(index).state, MUFFIN_FALLING);
}

TEST_F(MuffinTrackTest, InitEmptiesTheTrackAndReusesItsStorage) {
    track.Add(1.0f, 0.0f);
    track.SetState(0, MUFFIN_MELTING);
    const Muffin* storage = track.muffins.data();
    track.Init(10);
    EXPECT_EQ(track.Count(), 0);
    EXPECT_EQ(track.capacity, 100);
    EXPECT_EQ(track.muffins.data(), storage);
    track.Add(2.0f, 0.0f);
    EXPECT_EQ(At(0).state, MUFFIN_FALLING);
}

TEST_F(MuffinTrackTest, DrawsRollingAtItsPlaceAndMeltingEightyPixelsLower) {
    ASSERT_TRUE(gametest::LockClearedDisplay());
    gametest::MakePicture(track.rollPictures[3], 4, 4, 0x1234);
    gametest::MakePicture(track.meltPictures[1], 4, 4, 0x4321);
    track.Add(100.9f, 320.0f);
    track.Add(200.0f, 320.0f);
    track.muffins[0].rollPicture = 3;
    track.SetState(1, MUFFIN_MELTING);
    track.Draw();
    Tolvo.UnlockBuffer();
    EXPECT_EQ(gametest::PixelAt(100, 320), 0x1234);
    EXPECT_EQ(gametest::PixelAt(104, 320), 0);
    EXPECT_EQ(gametest::PixelAt(200, 400), 0x4321);
    EXPECT_EQ(gametest::PixelAt(200, 320), 0);
}
