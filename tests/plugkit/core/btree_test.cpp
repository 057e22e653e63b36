#include "plugkit/core/btree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

using namespace plugkit;

TEST(BTree, ExistingKeyIsRefusedAndKeepsItsValue)
{
    BTree<int, int> tree;
    EXPECT_EQ(tree.lookup(7), nullptr);
    EXPECT_TRUE(tree.insert(7, 70));
    EXPECT_FALSE(tree.insert(7, 71));
    ASSERT_NE(tree.lookup(7), nullptr);
    EXPECT_EQ(*tree.lookup(7), 70);
    EXPECT_EQ(tree.length(), 1u);
}

// 5000 keys need three levels, so root and inner splits both happen.
TEST(BTree, ManyKeysInAnyOrderStayFindableAndOrdered)
{
    std::vector<int> ascending(5000);
    std::iota(ascending.begin(), ascending.end(), 0);
    std::vector<int> descending(ascending.rbegin(), ascending.rend());
    std::vector<int> shuffled = ascending;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(42));

    for (const std::vector<int>* order : {&ascending, &descending, &shuffled})
    {
        BTree<int, int> tree;
        for (int k : *order)
            ASSERT_TRUE(tree.insert(2 * k, k));
        for (int k : *order)
            ASSERT_FALSE(tree.insert(2 * k, -1));
        EXPECT_EQ(tree.length(), 5000u);

        for (int k = 0; k < 5000; ++k)
        {
            const int* v = tree.lookup(2 * k);
            ASSERT_NE(v, nullptr) << k;
            ASSERT_EQ(*v, k);
            ASSERT_EQ(tree.lookup(2 * k + 1), nullptr) << k;
        }
        EXPECT_EQ(tree.lookup(-1), nullptr);

        std::vector<int> visited;
        tree.forEach([&](int key, int value) {
            EXPECT_EQ(key, 2 * value);
            visited.push_back(value);
        });
        EXPECT_EQ(visited, ascending);
    }
}
