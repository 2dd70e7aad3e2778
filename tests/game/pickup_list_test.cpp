#include "game/hero.h"
#include "game/pickup_list.h"
#include "game/random.h"

#include <gtest/gtest.h>

TEST(PickupList, AddsInOrderUpToTheCapacityOf100) {
    PickupList list;
    list.Reset();
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.capacity, 100);
    for (int i = 0; i < 100; i++) {
        list.Add(float(i), 150.0f, FridgeFull);
    }
    EXPECT_EQ(list.count, 100);
    EXPECT_FLOAT_EQ(list.storage[0].x, 0.0f);
    EXPECT_FLOAT_EQ(list.storage[99].x, 99.0f);
    EXPECT_EQ(list.storage[42].state, FridgeFull);
}

TEST(PickupList, AFullListOverwritesARandomRecordAndKeepsItsCount) {
    Hero hero;
    hero.fridgeList.Reset();
    for (int i = 0; i < 100; i++) {
        hero.AddFridge(float(i), 150.0f);
    }
    hero.fridgeList.storage[0].state = FridgeEmpty;
    Random expected = gameRandom;
    const int32_t index = expected.Next() * 99 / 32767;
    hero.AddFridge(5000.0f, 160.0f);
    EXPECT_EQ(hero.fridgeList.count, 100);
    const Pickup& replaced = hero.fridgeList.storage[static_cast<size_t>(index)];
    EXPECT_FLOAT_EQ(replaced.x, 5000.0f);
    EXPECT_FLOAT_EQ(replaced.y, 160.0f);
    EXPECT_EQ(replaced.state, FridgeFull);
    int found = 0;
    for (const Pickup& pickup : hero.fridgeList.storage) {
        found += pickup.x == 5000.0f ? 1 : 0;
    }
    EXPECT_EQ(found, 1);
}

TEST(PickupList, RollingPinsStartLyingInTheirOwnList) {
    Hero hero;
    hero.fridgeList.Reset();
    hero.rollingPinList.Reset();
    hero.AddRollingPin(200.0f, 400.0f);
    EXPECT_EQ(hero.fridgeList.count, 0);
    ASSERT_EQ(hero.rollingPinList.count, 1);
    EXPECT_EQ(hero.rollingPinList.storage[0].state, RollingPinLying);
}

TEST(PickupList, ResetEmptiesTheListButKeepsItsStorage) {
    PickupList list;
    list.Reset();
    list.Add(1.0f, 2.0f, RollingPinLying);
    const Pickup* storage = list.storage.data();
    for (int run = 0; run < 1000; run++) {
        list.Reset();
        list.Add(3.0f, 4.0f, RollingPinLying);
    }
    EXPECT_EQ(list.count, 1);
    EXPECT_EQ(list.storage.data(), storage);
}

TEST(PickupList, AListNeverResetHasNoRoomAndIgnoresAdds) {
    PickupList list;
    list.Add(1.0f, 2.0f, FridgeFull);
    EXPECT_EQ(list.count, 0);
}
