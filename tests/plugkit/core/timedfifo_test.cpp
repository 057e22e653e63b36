#include "plugkit/core/timedfifo.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using namespace plugkit;

namespace
{

// Pushes values start, start + 1, ... in blocks of at most blockSize.
void pushCounting(TimedFIFO<float>& fifo, int count, float start, float sampleRate,
                  int blockSize = 1000)
{
    std::vector<float> block;
    for (int done = 0; done < count;)
    {
        int n = std::min(blockSize, count - done);
        block.resize(size_t(n));
        for (int i = 0; i < n; ++i)
            block[size_t(i)] = start + float(done + i);
        fifo.pushData(block.data(), n, sampleRate);
        done += n;
    }
}

} // namespace

TEST(TimedFIFO, StoresOneValueInEverySubsamplingPeriod)
{
    TimedFIFO<float> fifo;
    fifo.initialize(512, 128);
    pushCounting(fifo, 127, 1, 44100);
    float out[512];
    EXPECT_EQ(fifo.readOldestDataAndDropSome(out, 512, 0, 0), 0);
    pushCounting(fifo, 1, 128, 44100);
    ASSERT_EQ(fifo.readOldestDataAndDropSome(out, 512, 0, 0), 1);
    EXPECT_EQ(out[0], 128.0f); // the 128th value, not the first
}

TEST(TimedFIFO, WhenFullKeepsTheNewestItemsWhateverTheBlockSize)
{
    // 65536 + 128 values store 513 items; the oldest one is overwritten.
    for (int blockSize : {1, 100, 512, 65536 + 128})
    {
        SCOPED_TRACE(blockSize);
        TimedFIFO<float> fifo;
        fifo.initialize(512, 128);
        pushCounting(fifo, 65536 + 128, 1, 44100, blockSize);
        std::vector<float> out(600);
        ASSERT_EQ(fifo.readOldestDataAndDropSome(out.data(), 600, 0, 0), 512);
        for (int i = 0; i < 512; ++i)
            ASSERT_EQ(out[size_t(i)], float(256 + 128 * i)) << i;
    }
}

struct DropCase
{
    int outputLength;
    double dt;
    int keepAtLeast;
    int copied;
    int left; // items still stored afterwards
};

class TimedFIFODrop : public testing::TestWithParam<DropCase>
{
};

TEST_P(TimedFIFODrop, DropsWhatTheProducerMadeInTheElapsedTime)
{
    const DropCase& c = GetParam();
    TimedFIFO<float> fifo;
    fifo.initialize(512, 128);
    pushCounting(fifo, 10 * 128, 1, 44100); // 10 items: 128, 256, ..., 1280
    std::vector<float> out(512);
    ASSERT_EQ(fifo.readOldestDataAndDropSome(out.data(), c.outputLength, c.dt, c.keepAtLeast),
              c.copied);
    for (int i = 0; i < c.copied; ++i)
        EXPECT_EQ(out[size_t(i)], float(128 * (i + 1)));

    ASSERT_EQ(fifo.readOldestDataAndDropSome(out.data(), 512, 0, 0), c.left);
    if (c.left > 0)
    {
        EXPECT_EQ(out[0], float(128 * (10 - c.left + 1))); // the oldest survivors
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TimedFIFODrop,
    testing::Values(
        // 44100 * (0.01 * 1.01) / 128 = 3.48: 3 dropped, 0.48 carried
        DropCase{512, 0.01, 0, 10, 7},
        // far behind: everything goes unless some must be kept
        DropCase{512, 1.0, 0, 10, 0}, DropCase{512, 1.0, 512, 10, 9}, DropCase{512, 1.0, 4, 10, 4},
        // a short output buffer bounds the kept backlog by what was copied
        DropCase{4, 1.0, 100, 4, 3}, DropCase{4, 0.0, 0, 4, 10}));

TEST(TimedFIFO, FractionalDropAndTimeWithoutDataCarryOver)
{
    TimedFIFO<float> fifo;
    fifo.initialize(512, 128);
    float out[512];
    // Nothing stored yet: the time keeps accumulating (2 x 0.0101 s = 6.96 items).
    EXPECT_EQ(fifo.readOldestDataAndDropSome(out, 512, 0.01, 0), 0);
    pushCounting(fifo, 20 * 128, 1, 44100);
    EXPECT_EQ(fifo.readOldestDataAndDropSome(out, 512, 0.01, 0), 20);
    EXPECT_EQ(fifo.readOldestDataAndDropSome(out, 512, 0, 0), 14);
    // 0.96 carried over; a further 0.0101 s makes 0.96 + 3.48 = 4.44.
    EXPECT_EQ(fifo.readOldestDataAndDropSome(out, 512, 0.01, 0), 14);
    EXPECT_EQ(fifo.readOldestDataAndDropSome(out, 512, 0, 0), 10);
    EXPECT_EQ(out[0], float(128 * 11));
}

TEST(TimedFIFO, ConcurrentProducerAndConsumerSeeOrderedItems)
{
    TimedFIFO<float> fifo;
    fifo.initialize(64, 2); // small, so the ring wraps and overwrites all the time
    std::atomic<bool> done{false};

    std::thread producer([&] {
        float block[256];
        float next = 1;
        for (int b = 0; b < 4000; ++b)
        {
            for (float& v : block)
                v = next++;
            fifo.pushData(block, 256, 48000);
        }
        done.store(true);
    });

    float out[64];
    float previousOldest = 0;
    int reads = 0;
    bool ordered = true;
    for (;;)
    {
        bool finished = done.load();
        int n = fifo.readOldestDataAndDropSome(out, 64, 0.0005, 8);
        if (n > 0)
        {
            ++reads;
            ordered = ordered && out[0] >= previousOldest;
            for (int i = 1; i < n; ++i)
                ordered = ordered && out[i] > out[i - 1];
            previousOldest = out[0];
        }
        if (finished)
            break;
        std::this_thread::yield();
    }
    producer.join();
    EXPECT_TRUE(ordered);
    EXPECT_GT(reads, 0);
}
