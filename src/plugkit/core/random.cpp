#include "plugkit/core/random.h"

#include <atomic>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#else
#include <time.h>
#endif

namespace plugkit
{

uint32_t nogc_unpredictableSeed()
{
#if defined(__x86_64__) || defined(__i386__)
    return static_cast<uint32_t>(__rdtsc());
#else
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<uint32_t>(t.tv_nsec) ^ static_cast<uint32_t>(t.tv_sec);
#endif
}

namespace
{

// 0 = not seeded yet. xorshift never leaves 0, so a zero seed is replaced.
std::atomic<uint32_t> gState{0};

} // namespace

uint32_t processRandomUint32()
{
    uint32_t current = gState.load(std::memory_order_relaxed);
    uint32_t next;
    do
    {
        uint32_t from = current;
        if (from == 0)
        {
            from = nogc_unpredictableSeed();
            if (from == 0)
                from = 0x9E3779B9u;
        }
        next = xorshift32(from);
    } while (!gState.compare_exchange_weak(current, next, std::memory_order_relaxed));
    return next;
}

} // namespace plugkit
