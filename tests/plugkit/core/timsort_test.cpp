#include "plugkit/core/timsort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

using namespace plugkit;

namespace
{

struct Item
{
    int key;
    int order; // input position: shows whether equal keys kept their order
};

int byKey(const Item& a, const Item& b)
{
    return a.key < b.key ? -1 : (a.key > b.key ? 1 : 0);
}

enum class Pattern
{
    RandomFewKeys,
    RandomManyKeys,
    Ascending,
    Descending,
    DescendingWithTies, // equal neighbours inside a descending stretch must not be swapped
    Sawtooth,
};

std::vector<Item> makeItems(size_t n, Pattern pattern, std::mt19937& rng)
{
    std::vector<Item> items(n);
    for (size_t i = 0; i < n; ++i)
    {
        int k = 0;
        switch (pattern)
        {
        case Pattern::RandomFewKeys: k = int(rng() % 8); break;
        case Pattern::RandomManyKeys: k = int(rng() % 100000); break;
        case Pattern::Ascending: k = int(i); break;
        case Pattern::Descending: k = -int(i); break;
        case Pattern::DescendingWithTies: k = -int(i / 3); break;
        case Pattern::Sawtooth: k = int(i % 37) - int(i % 101); break;
        }
        items[i] = {k, int(i)};
    }
    return items;
}

} // namespace

TEST(TimSort, EqualKeysKeepTheirInputOrder)
{
    std::vector<Item> items(100);
    for (int i = 0; i < 100; ++i)
        items[size_t(i)] = {5, i};
    Vec<Item> scratch;
    timSort(items.data(), items.size(), scratch, byKey);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(items[size_t(i)].order, i);
}

TEST(TimSort, MatchesAStableSortForEverySizeAndShape)
{
    std::mt19937 rng(7);
    Vec<Item> scratch; // reused across all sorts, as callers do
    for (size_t n : {0, 1, 2, 3, 63, 64, 65, 100, 1000, 4099, 100000})
    {
        for (Pattern p : {Pattern::RandomFewKeys, Pattern::RandomManyKeys, Pattern::Ascending,
                          Pattern::Descending, Pattern::DescendingWithTies, Pattern::Sawtooth})
        {
            SCOPED_TRACE(testing::Message() << "n=" << n << " pattern=" << int(p));
            std::vector<Item> items = makeItems(n, p, rng);
            std::vector<Item> expected = items;
            std::stable_sort(expected.begin(), expected.end(),
                             [](const Item& a, const Item& b) { return a.key < b.key; });
            timSort(items.data(), items.size(), scratch, byKey);
            for (size_t i = 0; i < n; ++i)
            {
                ASSERT_EQ(items[i].key, expected[i].key) << i;
                ASSERT_EQ(items[i].order, expected[i].order) << i;
            }
        }
    }
    EXPECT_LE(scratch.length(), 100000u / 2); // merges only ever buffer the smaller run
}

TEST(TimSort, SortsAVecInPlace)
{
    Vec<int> v;
    for (int x : {3, -1, 2, 2, 0})
        v.pushBack(x);
    Vec<int> scratch;
    timSort(v, scratch, [](int a, int b) { return a - b; });
    const int expected[] = {-1, 0, 2, 2, 3};
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(v[i], expected[i]);
}

TEST(TimSort, MinimumRunIsTheTopSixBitsRoundedUp)
{
    using timsort_detail::minRunLength;
    EXPECT_EQ(minRunLength(63), 63u);
    EXPECT_EQ(minRunLength(64), 32u);
    EXPECT_EQ(minRunLength(65), 33u);
    EXPECT_EQ(minRunLength(100), 50u);
    EXPECT_EQ(minRunLength(size_t(1) << 20), 32u);
    EXPECT_EQ(minRunLength((size_t(1) << 20) + 1), 33u);
}
