#include <gtest/gtest.h>

#include <vector>

#include "app/pair_array_map.h"
#include "app/ptr_array.h"

namespace {

TEST(PtrArray, CapacityStartsAtOneAndDoubles)
{
    PtrArray array;
    int values[5] = {};
    std::vector<int> capacities;
    for (int& value : values) {
        EXPECT_EQ(1, array.Add(&value));
        capacities.push_back(array.Capacity());
    }
    EXPECT_EQ((std::vector<int>{1, 2, 4, 4, 8}), capacities);
    EXPECT_EQ(&values[3], array.At(3));
    array.Free();
    EXPECT_EQ(0, array.Count());
    EXPECT_EQ(0, array.Capacity());
}

TEST(PairArrayMap, KeepsOrderTakesTheFirstMatchAndHoldsNoSpareStorage)
{
    PairArrayMap map;
    int a = 0, b = 0, c = 0, d = 0;
    EXPECT_EQ(nullptr, map.Find(5));
    map.Add(5, &a);
    map.Add(7, &b);
    map.Add(9, &c);
    map.Add(5, &d);
    EXPECT_EQ(&a, map.Find(5));
    EXPECT_EQ(1, map.Remove(7));
    EXPECT_EQ(0, map.Remove(7));
    ASSERT_EQ(3, map.Count());
    EXPECT_EQ(5u, map.KeyAt(0));
    EXPECT_EQ(9u, map.KeyAt(1));
    EXPECT_EQ(&c, map.Find(9));
    map.Remove(5);
    EXPECT_EQ(&d, map.Find(5));
    map.Remove(9);
    map.Remove(5);
    EXPECT_EQ(0, map.Count());
    EXPECT_FALSE(map.HoldsStorage());
}

} // namespace
