#include "plugkit/core/threadpool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

using namespace plugkit;

TEST(ThreadPool, SizeIsRequestedOrCoreCountCappedByMaximum)
{
    struct Case
    {
        int requested, maximum, cores, expected;
    };
    for (Case c : {Case{0, 3, 8, 3}, Case{0, 3, 2, 2}, Case{0, 0, 8, 8}, Case{5, 3, 8, 3},
                   Case{2, 0, 8, 2}, Case{0, 0, 0, 1}})
        EXPECT_EQ(threadPoolSize(c.requested, c.maximum, c.cores), c.expected)
            << c.requested << " " << c.maximum << " " << c.cores;
}

TEST(ThreadPool, CountsPhysicalCoresNotHardwareThreads)
{
    const char* twoCoresFourThreads = "processor\t: 0\nphysical id\t: 0\ncore id\t\t: 0\n\n"
                                      "processor\t: 1\nphysical id\t: 0\ncore id\t\t: 1\n\n"
                                      "processor\t: 2\nphysical id\t: 0\ncore id\t\t: 0\n\n"
                                      "processor\t: 3\nphysical id\t: 0\ncore id\t\t: 1\n";
    EXPECT_EQ(countPhysicalCoresInCpuinfo(twoCoresFourThreads), 2);

    const char* twoSockets = "processor : 0\nphysical id : 0\ncore id : 0\n"
                             "processor : 1\nphysical id : 1\ncore id : 0\n";
    EXPECT_EQ(countPhysicalCoresInCpuinfo(twoSockets), 2);

    // Without core topology the count is unknown and the caller falls back.
    EXPECT_EQ(countPhysicalCoresInCpuinfo("processor : 0\nBogoMIPS : 50\n"), 0);
    EXPECT_EQ(countPhysicalCoresInCpuinfo("processor : 0\nphysical id : 0\ncore id : 0\n"
                                          "processor : 1\nphysical id : 0\n"),
              0);
    EXPECT_EQ(countPhysicalCoresInCpuinfo(""), 0);
    EXPECT_GE(physicalCoreCount(), 1);
}

TEST(ThreadPool, EditorPoolRunsMinOfCoresAndThree)
{
    ThreadPool pool(0, 3, 0);
    EXPECT_EQ(pool.numThreads(), std::min(physicalCoreCount(), 3));
}

TEST(ThreadPool, SingleItemRunsOnTheCallerAndNoItemsRunNothing)
{
    ThreadPool pool(2);
    std::thread::id ranOn;
    int calls = 0, thread = -1;
    pool.parallelFor(1, [&](int item, int threadIndex) {
        ranOn = std::this_thread::get_id();
        thread = threadIndex;
        calls += item + 1;
    });
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_EQ(thread, 0);
    EXPECT_EQ(calls, 1);

    pool.parallelFor(0, [&](int, int) { ++calls; });
    auto nothing = [&](int, int) { ++calls; };
    pool.parallelForAsync(0, nothing);
    pool.waitForCompletion();
    pool.waitForCompletion(); // nothing pending: returns at once
    EXPECT_EQ(calls, 1);
}

TEST(ThreadPool, EveryItemRunsOnceOnAWorker)
{
    struct Case
    {
        int threads;
        size_t stackSize;
        int items;
    };
    // Fewer items than workers (signalled one by one) and more (broadcast).
    for (Case c : {Case{3, 0, 2}, Case{3, 0, 3}, Case{2, 0, 100}, Case{2, 256 * 1024, 17}})
    {
        SCOPED_TRACE(c.items);
        ThreadPool pool(c.threads, 0, c.stackSize);
        ASSERT_EQ(pool.numThreads(), c.threads);
        std::vector<std::atomic<int>> runs(size_t(c.items));
        std::atomic<bool> onCaller{false}, badIndex{false};
        const std::thread::id caller = std::this_thread::get_id();
        pool.parallelFor(c.items, [&](int item, int threadIndex) {
            runs[size_t(item)].fetch_add(1);
            if (std::this_thread::get_id() == caller)
                onCaller = true;
            if (threadIndex < 0 || threadIndex >= c.threads)
                badIndex = true;
        });
        for (int i = 0; i < c.items; ++i)
            EXPECT_EQ(runs[size_t(i)].load(), 1) << i;
        EXPECT_FALSE(onCaller);
        EXPECT_FALSE(badIndex);
    }
}

TEST(ThreadPool, DestructionFinishesTheStartedLoop)
{
    std::atomic<int> done{0};
    auto task = [&](int, int) {
        std::this_thread::yield();
        done.fetch_add(1);
    };
    {
        ThreadPool pool(2);
        pool.parallelForAsync(50, task);
    }
    EXPECT_EQ(done.load(), 50);
}

// Results written by the workers into plain memory must be visible to the caller once the
// loop returns, loop after loop. Each item fills a whole row, so that a caller released when
// the last item is handed out rather than finished reads a row still being written.
TEST(ThreadPoolConcurrent, RepeatedLoopsPublishTheirResults)
{
    constexpr int kRow = 256;
    ThreadPool pool(3);
    std::vector<int> results(64 * kRow);
    for (int round = 0; round < 300; ++round)
    {
        int count = 2 + round % 63;
        auto task = [&](int item, int) {
            for (int j = 0; j < kRow; ++j)
                results[size_t(item * kRow + j)] = round * 1000 + item;
        };
        if (round % 2 == 0)
        {
            pool.parallelFor(count, task);
        }
        else
        {
            pool.parallelForAsync(count, task);
            pool.waitForCompletion();
        }
        for (int i = 0; i < count * kRow; ++i)
            ASSERT_EQ(results[size_t(i)], round * 1000 + i / kRow) << "round " << round;
    }
}
