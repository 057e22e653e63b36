#include "plugkit/core/random.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

using namespace plugkit;

TEST(Random, XorshiftUsesShifts13And17And15)
{
    // 1 -> 1 ^ (1 << 13) = 8193 -> unchanged by >> 17 -> 8193 ^ (8193 << 15)
    EXPECT_EQ(xorshift32(1), 268476417u);
    EXPECT_EQ(xorshift32(0), 0u);
}

TEST(Random, SeedFollowsTheTimeStampCounter)
{
    uint32_t a = nogc_unpredictableSeed();
    uint32_t b = nogc_unpredictableSeed();
    EXPECT_NE(a, b);
}

// Every thread must get its own step of the shared generator: a lost update would hand the
// same number (and so the same UUID) to two callers.
TEST(Random, ConcurrentDrawsAreAllDistinct)
{
    constexpr int kThreads = 4, kDraws = 2000;
    std::vector<std::vector<uint32_t>> drawn(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&drawn, t] {
            for (int i = 0; i < kDraws; ++i)
                drawn[size_t(t)].push_back(processRandomUint32());
        });
    for (auto& t : threads)
        t.join();
    std::set<uint32_t> all;
    for (auto& d : drawn)
        all.insert(d.begin(), d.end());
    EXPECT_EQ(all.size(), size_t(kThreads * kDraws));
    EXPECT_EQ(all.count(0u), 0u);
}
