#pragma once
// TimedFIFO: carries timed values from the audio thread (one producer) to the editor (one
// consumer). Neither side ever waits: both only try-lock, so a busy lock costs the producer
// its values and the consumer one read. The consumer removes items at the producer's real-time
// rate, so latency does not build up even though it reads at its own pace.

#include <atomic>
#include <cstdint>
#include <cstring>

#include "plugkit/core/fatal.h"
#include "plugkit/core/memory.h"
#include "plugkit/core/mutex.h"

namespace plugkit
{

template <class T>
class TimedFIFO
{
public:
    TimedFIFO() = default;
    TimedFIFO(const TimedFIFO&) = delete;
    TimedFIFO& operator=(const TimedFIFO&) = delete;
    ~TimedFIFO() { std::free(data_); }

    // [main thread] Both arguments are powers of two. Stores one pushed value in `subsampling`.
    void initialize(uint32_t capacity, uint32_t subsampling)
    {
        if (!isPowerOfTwo(capacity) || !isPowerOfTwo(subsampling))
            fatalError("TimedFIFO capacity and subsampling must be powers of two");
        std::free(data_);
        data_ = static_cast<T*>(safeMalloc(capacity * sizeof(T)));
        count_ = 0;
        readIndex_ = 0;
        subsamplingCounter_ = 0;
        indexMask_ = capacity - 1;
        subsamplingMask_ = subsampling - 1;
        inverseSubsampling_ = 1.0f / static_cast<float>(subsampling);
        elapsedTime_ = 0;
        fractionalDrop_ = 0;
        makeMutex(lock_);
    }

    // [audio thread] Never blocks: if the consumer holds the lock the values are dropped.
    // When full, the oldest item is overwritten.
    void pushData(const T* values, int count, float sampleRate)
    {
        sampleRate_.store(sampleRate, std::memory_order_relaxed);
        if (!lock_.tryLock())
            return;
        for (int i = 0; i < count; ++i)
        {
            ++subsamplingCounter_;
            if ((subsamplingCounter_ & subsamplingMask_) != 0)
                continue;
            data_[(readIndex_ + count_) & indexMask_] = values[i];
            if (count_ <= indexMask_)
                ++count_;
            else
                ++readIndex_;
        }
        lock_.unlock();
    }

    // [editor thread] Copies the oldest items (at most outputLength) into output and returns
    // how many. Then drops as many items as the producer made in the time accumulated since the
    // last successful read (dt is the time since the previous call, in seconds), keeping at
    // least min(keepAtLeast, copied - 1) of them. Returns 0 when the lock is busy or nothing
    // is stored; the time keeps accumulating then.
    int readOldestDataAndDropSome(T* output, int outputLength, double dt, int keepAtLeast)
    {
        // Slightly faster than real time, so that a backlog drains instead of lingering.
        elapsedTime_ += static_cast<float>(dt * 1.01);
        if (!lock_.tryLock())
            return 0;
        uint32_t n = count_;
        if (outputLength < 0)
            outputLength = 0;
        if (static_cast<uint32_t>(outputLength) < n)
            n = static_cast<uint32_t>(outputLength);
        if (n == 0)
        {
            lock_.unlock();
            return 0;
        }
        for (uint32_t i = 0; i < n; ++i)
            output[i] = data_[(readIndex_ + i) & indexMask_];

        uint32_t keep = n - 1;
        if (keepAtLeast >= 0 && static_cast<uint32_t>(keepAtLeast) < keep)
            keep = static_cast<uint32_t>(keepAtLeast);

        float sampleRate = sampleRate_.load(std::memory_order_relaxed);
        float drop = sampleRate * elapsedTime_ * inverseSubsampling_ + fractionalDrop_;
        float maxDrop = static_cast<float>(count_ - keep);
        if (!(drop >= 0)) // also catches NaN from a bogus sample rate
            drop = 0;
        if (drop > maxDrop)
            drop = maxDrop;
        elapsedTime_ = 0;
        uint32_t whole = static_cast<uint32_t>(drop);
        fractionalDrop_ = drop - static_cast<float>(whole);
        count_ -= whole;
        readIndex_ += whole;
        lock_.unlock();
        return static_cast<int>(n);
    }

    uint32_t capacity() const { return indexMask_ + 1; }

private:
    static bool isPowerOfTwo(uint32_t x) { return x != 0 && (x & (x - 1)) == 0; }

    T* data_ = nullptr;
    uint32_t count_ = 0;
    uint32_t readIndex_ = 0; // only increases; used modulo the capacity
    uint32_t subsamplingCounter_ = 0;
    std::atomic<float> sampleRate_{0.0f};
    uint32_t indexMask_ = 0;
    uint32_t subsamplingMask_ = 0;
    float inverseSubsampling_ = 1.0f;
    UncheckedMutex lock_;
    float elapsedTime_ = 0;   // consumer only
    float fractionalDrop_ = 0; // consumer only
};

} // namespace plugkit
