// Steady-state processing allocates nothing: the C allocator of this test program counts the
// calls made while a block is processed. (Sanitizer builds bring their own allocator, so the
// check runs in the plain build only.)
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstddef>
#include <vector>

#include "engine/main.h"
#include "plugkit/client/boolparameter.h"
#include "plugkit/client/floatparameter.h"
#include "plugkit/client/integerparameter.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VELLOX_COUNTS_ALLOCATIONS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) ||                     \
    __has_feature(memory_sanitizer)
#define VELLOX_COUNTS_ALLOCATIONS 0
#endif
#endif
#ifndef VELLOX_COUNTS_ALLOCATIONS
#define VELLOX_COUNTS_ALLOCATIONS 1
#endif

#if VELLOX_COUNTS_ALLOCATIONS
namespace
{
std::atomic<bool> gCounting{false};
std::atomic<long> gAllocations{0};
void count()
{
    if (gCounting.load(std::memory_order_relaxed))
        gAllocations.fetch_add(1, std::memory_order_relaxed);
}
} // namespace

extern "C"
{
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);

void* malloc(size_t n)
{
    count();
    return __libc_malloc(n);
}
void* calloc(size_t n, size_t size)
{
    count();
    return __libc_calloc(n, size);
}
void* realloc(void* p, size_t n)
{
    count();
    return __libc_realloc(p, n);
}
void* aligned_alloc(size_t alignment, size_t n)
{
    count();
    return __libc_memalign(alignment, n);
}
int posix_memalign(void** out, size_t alignment, size_t n)
{
    count();
    *out = __libc_memalign(alignment, n);
    return *out != nullptr ? 0 : 12;
}
}
#endif

using namespace plugkit;
using namespace vellox;

TEST(NoAllocation, SteadyStateProcessingAtEverySetting)
{
#if !VELLOX_COUNTS_ALLOCATIONS
    GTEST_SKIP() << "the sanitizer's allocator cannot be counted";
#else
    for (int texture = 0; texture < 4; ++texture)
    {
        VelloxClient c;
        static_cast<IntegerParameter*>(c.param(paramTextureLevels))->setFromGUI(texture);
        for (int i : {paramVaverivOn, paramExciter, paramEQOn, paramFilterOn, paramLimiterOn})
            static_cast<BoolParameter*>(c.param(i))->setFromGUI(true);
        for (int i : {paramLowGain, paramMidGain, paramHighGain})
            static_cast<FloatParameter*>(c.param(i))->setFromGUI(3.0);
        c.resetFromHost(48000.0, 512, 2, 2);

        std::vector<float> left(1300), right(1300), outLeft(1300), outRight(1300);
        for (size_t i = 0; i < left.size(); ++i)
        {
            left[i] = 0.5f * float(std::sin(0.05 * double(i)));
            right[i] = 0.5f * float(std::cos(0.031 * double(i)));
        }
        const float* in[2] = {left.data(), right.data()};
        float* out[2] = {outLeft.data(), outRight.data()};
        c.processAudioFromHost(in, out, 512, TimeInfo{}, false); // settles the buffers

        // Any block length, parameter moves that resize nothing, and the host's splitting.
        gAllocations = 0;
        gCounting = true;
        for (int frames : {512, 1, 77, 1300, 512})
        {
            static_cast<FloatParameter*>(c.param(paramMix))->setFromHost(float(frames % 100) / 100);
            c.param(paramLPMode)->setFromHost(float(frames & 1));
            c.processAudioFromHost(in, out, frames, TimeInfo{}, false);
        }
        gCounting = false;
        EXPECT_EQ(gAllocations.load(), 0) << "Texture Levels entry " << texture;
    }
#endif
}
