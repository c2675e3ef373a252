// PointerArray: growth by 8 slots, insertion, removal and ownership.
#include <gtest/gtest.h>

#include <vector>

#include "foundation/pointer_array.h"

namespace {

// Records the order in which items are destroyed.
struct Counted {
    int id;
    std::vector<int>* destroyed;
    ~Counted() { destroyed->push_back(id); }
};

std::vector<int> IdsOf(const PointerArray<Counted>& array) {
    std::vector<int> ids;
    for (uint32_t i = 0; i < array.Count(); ++i) ids.push_back(array.GetAt(i)->id);
    return ids;
}

class PointerArrayTest : public ::testing::Test {
  protected:
    Counted* Make(int id) { return new Counted{id, &destroyed}; }
    void AddIds(int first, int last) {
        for (int id = first; id <= last; ++id) ASSERT_TRUE(array.Add(Make(id)));
    }

    std::vector<int> destroyed;  // declared first: outlives the array
    PointerArray<Counted> array;
};

TEST_F(PointerArrayTest, NewArrayHasNoBlockAndReadsNull) {
    EXPECT_EQ(array.Count(), 0u);
    EXPECT_EQ(array.Capacity(), 0u);
    EXPECT_EQ(array.Items(), nullptr);
    EXPECT_EQ(array.GetAt(0), nullptr);
    EXPECT_FALSE(array.RemoveAt(0));
    EXPECT_FALSE(array.DeleteAt(0));
    array.DeleteAll();
    EXPECT_EQ(array.Capacity(), 0u);
    EXPECT_TRUE(destroyed.empty());
}

TEST_F(PointerArrayTest, GrowsByEightKeepingOneSlotFree) {
    AddIds(1, 7);
    EXPECT_EQ(array.Capacity(), 8u);
    AddIds(8, 8);
    EXPECT_EQ(array.Capacity(), 16u);
    EXPECT_EQ(IdsOf(array), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
    AddIds(9, 15);
    EXPECT_EQ(array.Capacity(), 16u);
    AddIds(16, 16);
    EXPECT_EQ(array.Capacity(), 24u);
    EXPECT_EQ(array.GetAt(uint32_t(-1)), nullptr);
    EXPECT_EQ(array.GetAt(16), nullptr);
}

TEST_F(PointerArrayTest, ReserveRoomGrowsOnceToAMultipleOfEightWithASlotFree) {
    AddIds(1, 3);
    ASSERT_TRUE(array.ReserveRoom(13));  // 3 + 13 items and the free slot: 17 -> 24
    EXPECT_EQ(array.Capacity(), 24u);
    EXPECT_EQ(IdsOf(array), (std::vector<int>{1, 2, 3}));
    const auto* block = array.Items();
    AddIds(4, 16);
    EXPECT_EQ(array.Items(), block) << "the reserved adds must not grow the block";
    EXPECT_TRUE(array.ReserveRoom(7));  // 16 + 7 + 1 = 24 fits already
    EXPECT_EQ(array.Capacity(), 24u);
    AddIds(17, 23);
    EXPECT_EQ(array.Capacity(), 24u);
    AddIds(24, 24);  // the ordinary growth by 8 goes on from there
    EXPECT_EQ(array.Capacity(), 32u);
    EXPECT_FALSE(array.ReserveRoom(0xFFFFFFF0u));
    EXPECT_EQ(array.Capacity(), 32u);
}

TEST_F(PointerArrayTest, InsertAtBeyondCountAppendsAndAtZeroMovesUp) {
    AddIds(1, 3);
    ASSERT_TRUE(array.InsertAt(100, Make(4)));
    EXPECT_EQ(IdsOf(array), (std::vector<int>{1, 2, 3, 4}));
    ASSERT_TRUE(array.InsertAt(0, Make(0)));
    EXPECT_EQ(IdsOf(array), (std::vector<int>{0, 1, 2, 3, 4}));
    ASSERT_TRUE(array.InsertAt(2, Make(9)));
    EXPECT_EQ(IdsOf(array), (std::vector<int>{0, 1, 9, 2, 3, 4}));
}

TEST_F(PointerArrayTest, InsertAtGrowsWhenTheLastFreeSlotWouldFill) {
    AddIds(1, 7);
    ASSERT_TRUE(array.InsertAt(0, Make(0)));
    EXPECT_EQ(array.Capacity(), 16u);
    EXPECT_EQ(IdsOf(array), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
}

TEST_F(PointerArrayTest, RemoveAtHandsTheItemBackAndKeepsOrder) {
    AddIds(1, 4);
    Counted* second = array.GetAt(1);
    ASSERT_TRUE(array.RemoveAt(1));
    EXPECT_EQ(IdsOf(array), (std::vector<int>{1, 3, 4}));
    EXPECT_TRUE(destroyed.empty());
    ASSERT_TRUE(array.InsertAt(2, second));  // moving an item, as the list commands do
    EXPECT_EQ(IdsOf(array), (std::vector<int>{1, 3, 2, 4}));
    EXPECT_FALSE(array.RemoveAt(4));
}

TEST_F(PointerArrayTest, EmptiedArrayFreesOnlyABlockAboveEight) {
    struct Row {
        int items;
        uint32_t capacityBefore;
        uint32_t capacityAfter;
    };
    for (const Row& row : {Row{1, 8, 8}, Row{8, 16, 0}}) {
        SCOPED_TRACE(row.items);
        for (bool deleting : {false, true}) {
            SCOPED_TRACE(deleting ? "DeleteAt" : "RemoveAt");
            array.DeleteAll();
            std::vector<Counted*> kept;
            AddIds(1, row.items);
            ASSERT_EQ(array.Capacity(), row.capacityBefore);
            while (array.Count() > 1) {
                kept.push_back(array.GetAt(0));
                array.RemoveAt(0);
            }
            Counted* last = array.GetAt(0);
            ASSERT_TRUE(deleting ? array.DeleteAt(0) : array.RemoveAt(0));
            EXPECT_EQ(array.Count(), 0u);
            EXPECT_EQ(array.Capacity(), row.capacityAfter);
            EXPECT_EQ(array.Items() == nullptr, row.capacityAfter == 0);
            if (!deleting) kept.push_back(last);
            for (Counted* item : kept) delete item;
        }
    }
}

TEST_F(PointerArrayTest, DeleteAtDestroysOneItemAndSkipsNullSlots) {
    AddIds(1, 3);
    ASSERT_TRUE(array.DeleteAt(1));
    EXPECT_EQ(destroyed, (std::vector<int>{2}));
    EXPECT_EQ(IdsOf(array), (std::vector<int>{1, 3}));
    ASSERT_TRUE(array.Add(nullptr));
    EXPECT_TRUE(array.DeleteAt(2));
    EXPECT_EQ(array.Count(), 2u);
}

TEST_F(PointerArrayTest, DeleteAllDestroysFromLastToFirstAndFreesTheBlock) {
    AddIds(1, 9);
    array.InsertAt(4, nullptr);
    array.DeleteAll();
    EXPECT_EQ(destroyed, (std::vector<int>{9, 8, 7, 6, 5, 4, 3, 2, 1}));
    EXPECT_EQ(array.Count(), 0u);
    EXPECT_EQ(array.Capacity(), 0u);
    EXPECT_EQ(array.Items(), nullptr);
}

TEST_F(PointerArrayTest, DestructionDeletesTheRemainingItems) {
    {
        PointerArray<Counted> local;
        local.Add(Make(1));
        local.Add(Make(2));
    }
    EXPECT_EQ(destroyed, (std::vector<int>{2, 1}));
}

}  // namespace
