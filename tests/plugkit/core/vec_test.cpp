#include "plugkit/core/vec.h"

#include <gtest/gtest.h>

#include <cstdint>

using namespace plugkit;

TEST(Vec, GrowsThreefoldWhenSmallElseByFiveEighths)
{
    Vec<double> v;
    v.pushBack(1.0);
    EXPECT_EQ(v.capacity(), 3u);

    Vec<double> w;
    w.reserve(599);
    w.resize(599); // full
    ASSERT_EQ(w.capacity(), 599u);
    w.pushBack(2.0); // 600 elements = 4800 bytes
    EXPECT_EQ(w.capacity(), 975u);
    EXPECT_EQ(vecGrownCapacity(512, 8), 1536u); // exactly 4096 bytes still triples
}

TEST(Vec, PushPopIndexAndRemoveByLast)
{
    Vec<int> v;
    for (int i : {10, 20, 30, 40})
        v.pushBack(i);
    EXPECT_EQ(v.indexOf(30), 2);
    EXPECT_EQ(v.indexOf(99), -1);
    v.removeAndReplaceByLastElement(1);
    ASSERT_EQ(v.length(), 3u);
    EXPECT_EQ(v[0], 10);
    EXPECT_EQ(v[1], 40);
    EXPECT_EQ(v[2], 30);
    EXPECT_EQ(v.popBack(), 30);
    v.clearContents();
    EXPECT_EQ(v.length(), 0u);
    EXPECT_GE(v.capacity(), 4u); // storage kept
}

TEST(Vec, AlignedStorageStaysAligned)
{
    Vec<float> v;
    v.setAlignment(64);
    for (int i = 0; i < 5000; ++i)
    {
        v.pushBack(float(i));
        ASSERT_EQ(reinterpret_cast<uintptr_t>(v.ptr()) % 64, 0u);
    }
    for (int i = 0; i < 5000; ++i)
        ASSERT_EQ(v[i], float(i));
}
