#include "download/core/segments.h"

#include <gtest/gtest.h>

namespace {

TEST(SegmentTable, OneSegmentForSmallFiles) {
    for (std::int32_t size : {0, 1, 4095, 4096, 20479}) {
        SegmentTable table;
        table.Create(size, 8);
        EXPECT_EQ(table.count(), 1) << size;
        EXPECT_EQ(table[0].length, size);
        EXPECT_EQ(table[0].inUse, 1);
    }
}

TEST(SegmentTable, EqualPartsWithTheRemainderLast) {
    SegmentTable table;
    table.Create(100000, 3);
    ASSERT_EQ(table.count(), 3);
    EXPECT_EQ(table.capacity(), 10);
    EXPECT_EQ(table[0].start, 0);
    EXPECT_EQ(table[0].length, 33333);
    EXPECT_EQ(table[1].start, 33333);
    EXPECT_EQ(table[1].length, 33333);
    EXPECT_EQ(table[2].start, 66666);
    EXPECT_EQ(table[2].length, 33334);
    EXPECT_EQ(table.TakeFree(), 1);
    EXPECT_EQ(table.TakeFree(), 2);
    EXPECT_EQ(table.TakeFree(), std::nullopt);
}

TEST(SegmentTable, SplitsTheLargestRemainderInHalf) {
    SegmentTable table;
    table.Create(200000, 2);  // 100000 each
    table[0].written = 60000;
    table[1].inUse = 1;
    table[1].written = 10000;
    auto added = table.SplitLargest();
    ASSERT_EQ(added, 2);
    EXPECT_EQ(table[1].length, 10000 + 45000);
    EXPECT_EQ(table[1].split, 1);
    EXPECT_EQ(table[2].start, 100000 + 55000);
    EXPECT_EQ(table[2].length, 45000);
    EXPECT_EQ(table[2].inUse, 1);
}

TEST(SegmentTable, NoSplitBelow40960BytesLeft) {
    SegmentTable table;
    table.Create(100000, 2);
    table[0].written = 50000 - 40959;
    table[1].written = 50000 - 40959;
    EXPECT_EQ(table.SplitLargest(), std::nullopt);
    table[0].written = 50000 - 40960;
    EXPECT_EQ(table.SplitLargest(), 2);
}

TEST(SegmentTable, GrowsWhenFull) {
    SegmentTable table;
    table.Create(10 * 100000, 10);
    EXPECT_EQ(table.capacity(), 10);
    ASSERT_TRUE(table.SplitLargest().has_value());
    EXPECT_EQ(table.count(), 11);
    EXPECT_EQ(table.capacity(), 20);
    EXPECT_EQ(InitialCapacity(1), 10);
    EXPECT_EQ(InitialCapacity(11), 20);
    EXPECT_EQ(GrownCapacity(20, 20), 40);
}

TEST(SegmentTable, CompletionAndRelease) {
    SegmentTable table;
    table.Create(50000, 2);
    EXPECT_FALSE(table.AllComplete());
    table[0].written = table[0].length;
    table[1].written = table[1].length;
    EXPECT_TRUE(table.AllComplete());
    EXPECT_EQ(table.WrittenTotal(), 50000);
    table[1].connection = 3;
    table.Release(1);
    EXPECT_EQ(table[1].inUse, 0);
    EXPECT_EQ(table[1].connection, 0);
    EXPECT_EQ(table.TakeFree(), std::nullopt);  // complete segments are not free
}

}  // namespace
