#include "engine/distortion.h"

#include <xmmintrin.h>

#include <algorithm>
#include <cfloat>

namespace vellox
{

namespace
{

// T and W are single-precision constants used in double.
constexpr double kClipThreshold = 0.707f;
constexpr double kClipKnee = 0.293f;

// Quintic smoothstep of t = u/2 + 1/2, mapped from [0.5, 1] to [0, 1], in double.
float blendPosition(float u)
{
    const double t = static_cast<double>(u) * 0.5 + 0.5;
    if (t > 1.0)
        return 1.0f;
    return static_cast<float>(2.0 * (t * t * t) * ((6.0 * t - 15.0) * t + 10.0) - 1.0);
}

} // namespace

float softClip(float x)
{
    const double a = std::fabs(static_cast<double>(x));
    if (a < kClipThreshold && x > 0.0f)
        return x;
    if (a >= kClipThreshold && x > 0.0f)
        return static_cast<float>(kClipThreshold + kClipKnee * std::tanh((a - kClipThreshold) / kClipKnee));
    if (a >= kClipThreshold && x < 0.0f)
        return static_cast<float>(-kClipThreshold - kClipKnee * std::tanh((a - kClipThreshold) / kClipKnee));
    return x;
}

// Most samples lie below the threshold, where the output is the input: groups of four with
// no sample at or above it are left as they are.
void processSoftClip(float* samples, int count)
{
    const __m128 threshold = _mm_set1_ps(0.707f);
    const __m128 sign = _mm_set1_ps(-0.0f);
    int i = 0;
    for (; i + 4 <= count; i += 4)
    {
        const __m128 magnitude = _mm_andnot_ps(sign, _mm_loadu_ps(samples + i));
        if (_mm_movemask_ps(_mm_cmpge_ps(magnitude, threshold)) == 0)
            continue;
        for (int k = i; k < i + 4; ++k)
            samples[k] = softClip(samples[k]);
    }
    for (; i < count; ++i)
        samples[i] = softClip(samples[i]);
}

TubeSegment tubeSegment(float morph)
{
    if (!(morph >= 0.0f))
        return {-1, 0.0f, 1.0f};
    if (morph > 11.0f)
        return {10, 1.0f, 0.0f};
    // 10 up to and including 11 is the last segment.
    const int stage = morph >= 10.0f ? 10 : static_cast<int>(morph);
    const float u = morph - static_cast<float>(stage);
    const CrossfadeGains gains = crossfadeGains(blendPosition(u));
    return {stage, gains.destination, gains.source};
}

float tubeShapeOverflow(float x, float next, float current, const TubeSegment& segment)
{
    if (x != x)
        return x;
    const float y = segment.nextGain == 0.0f ? current * segment.currentGain : next * segment.nextGain;
    if (y > FLT_MAX)
        return FLT_MAX;
    if (y < -FLT_MAX)
        return -FLT_MAX;
    return y;
}

namespace
{

[[gnu::always_inline]] inline void vaverivLanes(float* samples, int count, const TubeSegment& segment)
{
    int i = 0;
    for (; i + 8 <= count; i += kShapeChunk)
        tubeShapeLanes(samples + i, std::min(kShapeChunk, (count - i) & ~7), segment);
    for (i = count & ~7; i < count; ++i)
        samples[i] = tubeShape(samples[i], segment);
}

// The same loop for the SSE2 baseline and, chosen at run time, for AVX2; same results.
void vaverivBaseline(float* samples, int count, const TubeSegment& segment)
{
    vaverivLanes(samples, count, segment);
}

[[gnu::target("avx2")]] void vaverivAvx2(float* samples, int count, const TubeSegment& segment)
{
    vaverivLanes(samples, count, segment);
}

bool detectAvx2()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

const bool kHasAvx2 = detectAvx2();
bool avx2Lanes = kHasAvx2; // changed only by tests

} // namespace

bool useAvx2Lanes()
{
    return avx2Lanes;
}

void setBaselineLanes(bool baseline)
{
    avx2Lanes = kHasAvx2 && !baseline;
}

void processVaveriv(float* samples, int count, float morph)
{
    const TubeSegment segment = tubeSegment(morph);
    if (useAvx2Lanes())
        vaverivAvx2(samples, count, segment);
    else
        vaverivBaseline(samples, count, segment);
}

} // namespace vellox
