#include "plugkit/core/memory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

using namespace plugkit;

namespace
{

struct Base
{
    int a = 7; // declared default
    static inline int destroyed = 0;
    virtual ~Base() { destroyed += 1; }
};

struct Derived : Base
{
    int b;
    explicit Derived(int x) : b(x) {}
    ~Derived() override { destroyed += 10; }
};

} // namespace

TEST(MallocNew, GivesFieldDefaultsRunsConstructorAndDestroysMostDerivedFirst)
{
    Base::destroyed = 0;
    Base* object = mallocNew<Derived>(42);
    EXPECT_EQ(object->a, 7);
    EXPECT_EQ(static_cast<Derived*>(object)->b, 42);
    destroyFree(object);
    EXPECT_EQ(Base::destroyed, 11);
    destroyFree<Base>(nullptr); // ignored
}

TEST(AlignedRealloc, KeepsBlockUnlessShrinkingFourfold)
{
    void* p = alignedReallocImpl(nullptr, 1000, 16);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 16, 0u);
    std::memset(p, 0xAB, 1000);

    void* same = alignedReallocImpl(p, 400, 16);
    EXPECT_EQ(same, p);
    EXPECT_EQ(alignedBlockRecordedSize(same), 1000u); // recorded size is not updated

    void* moved = alignedReallocImpl(same, 100, 16);
    EXPECT_NE(moved, same);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(moved) % 16, 0u);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(static_cast<unsigned char*>(moved)[i], 0xAB);
    alignedFree(moved, 16);
}

TEST(AlignedRealloc, HeaderHoldsRawPointerAndSize)
{
    for (size_t alignment : {2u, 16u, 64u, 256u})
    {
        void* p = alignedMalloc(33, alignment);
        auto address = reinterpret_cast<uintptr_t>(p);
        EXPECT_EQ(address % alignment, 0u);
        void* raw = reinterpret_cast<void**>(p)[-1];
        EXPECT_GE(address, reinterpret_cast<uintptr_t>(raw) + 16);
        EXPECT_LT(address, reinterpret_cast<uintptr_t>(raw) + 16 + alignment);
        EXPECT_EQ(alignedBlockRecordedSize(p), 33u);
        alignedFree(p, alignment);
    }
}

TEST(Fatal, OutOfMemoryStopsNamingTheFile)
{
    EXPECT_DEATH(fatalOutOfMemory(), "out of memory.*memory_test.cpp");
}

namespace
{

struct Listener
{
    virtual ~Listener() = default;
    virtual int id() const = 0;
};

struct Widget : Base, Listener
{
    int id() const override { return 5; }
};

} // namespace

TEST(MallocNew, DestroyThroughASecondBaseFreesTheWholeObject)
{
    Base::destroyed = 0;
    Listener* asListener = mallocNew<Widget>();
    // The second base sits after the first one, not at the start of the allocation.
    ASSERT_NE(static_cast<void*>(asListener), static_cast<void*>(static_cast<Widget*>(asListener)));
    EXPECT_EQ(asListener->id(), 5);
    destroyFree(asListener); // ASan reports a bad free if the wrong address is freed
    EXPECT_EQ(Base::destroyed, 1);
}
