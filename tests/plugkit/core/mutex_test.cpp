#include "plugkit/core/mutex.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace plugkit;

TEST(UncheckedMutex, IsRecursiveAndTryLockFailsFromAnotherThread)
{
    UncheckedMutex m;
    makeMutex(m);
    m.lock();
    EXPECT_TRUE(m.tryLock()); // same thread: recursive
    bool otherGotIt = true;
    std::thread([&] { otherGotIt = m.tryLock(); }).join();
    EXPECT_FALSE(otherGotIt);
    m.unlock();
    m.unlock();
    std::thread([&] {
        otherGotIt = m.tryLock();
        if (otherGotIt)
            m.unlock();
    }).join();
    EXPECT_TRUE(otherGotIt);
}

TEST(UncheckedMutex, RacingInitialisationInstallsExactlyOne)
{
    for (int round = 0; round < 50; ++round)
    {
        UncheckedMutex m;
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([&] { m.lazyThreadSafeInitialization(); });
        for (auto& t : threads)
            t.join();
        EXPECT_TRUE(m.isCreated());
        m.destroy();
        EXPECT_FALSE(m.isCreated());
        m.destroy(); // twice is harmless
    }
}

TEST(UncheckedMutex, LockBeforeCreationIsFatal)
{
    UncheckedMutex m;
    EXPECT_DEATH(m.lock(), "mutex used before it was created");
}
