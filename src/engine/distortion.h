#pragma once
// The memoryless saturation stages of the oversampled stream: the always-on soft clip and the
// "Vaveriv" tube shaper, plus the crossfade law the shaper shares with the dry/wet mix.
// Single precision except where a step is stated in double.

#include <cfloat>
#include <cmath>

namespace vellox
{

// Instruction set of the engine's vector loops (these stages and the tone stage): AVX2 where
// the processor has it, else the SSE2 baseline. Both give the same bits.
bool useAvx2Lanes();

// [test] Pins the vector loops to the SSE2 baseline (true), or back to the default.
void setBaselineLanes(bool baseline);

// Crossfade law for a position w in [0, 1]: c = w(1 - w), k = (1.4186 c + 1) c (in double),
// destination gain (k + w)^2, source gain (k + 1 - w)^2. w = 0 gives 0 and 1; w = 0.5 gives
// 0.70336 each, a little above equal power. Used by the shaper (destination = next stage)
// and by the mix (destination = wet, source = dry).
struct CrossfadeGains
{
    float destination;
    float source;
};

inline CrossfadeGains crossfadeGains(float w)
{
    const float c = w * (1.0f - w);
    const float k =
        static_cast<float>((1.4186 * static_cast<double>(c) + 1.0) * static_cast<double>(c));
    const float toDestination = k + w;
    const float toSource = k + (1.0f - w);
    return {toDestination * toDestination, toSource * toSource};
}

// Soft clip: |x| below 0.707 passes; above, T + W tanh((|x| - T) / W) with T = 0.707f and
// W = 0.293f, in double, odd-symmetric, slope 1 at T and approaching 1. NaN passes through.
float softClip(float x);

// [audio thread] The soft clip stage over a buffer, in place.
void processSoftClip(float* samples, int count);

// The tube shaper's stages: s(y) = (1 - y^2 / 3)(1.5 y); S0 = x, S1 = s(s(x)), S(n+1) = s(S(n)).
inline float tubeStage(float y)
{
    const float p = y * 3.0f * 0.5f;
    const float q = y * y / 3.0f;
    return (1.0f - q) * p;
}

// Where a morph falls: the output blends S(stage) and S(stage + 1) with the crossfade law.
// stage -1 means the output is x itself (morph negative or NaN). A morph above 11 is S11,
// expressed as stage 10 with gains 1 and 0, which is the morph 11 blend.
struct TubeSegment
{
    int stage;
    float nextGain;    // of S(stage + 1)
    float currentGain; // of S(stage)
};

TubeSegment tubeSegment(float morph);

// Rare path of tubeShape: a non-finite blend. Past |x| = sqrt 5 the stage chain diverges and
// its deeper stages overflow, so inf x 0 or inf - inf would give NaN and poison every filter
// after the shaper. A stage with gain 0 contributes nothing, otherwise the deeper stage
// dominates; the result is held to the float range.
float tubeShapeOverflow(float x, float next, float current, const TubeSegment& segment);

// The shaper at a prepared segment; computes only the stages the segment needs.
inline float tubeShape(float x, const TubeSegment& segment)
{
    if (segment.stage < 0)
        return x;
    float current = x;
    float next = tubeStage(tubeStage(x));
    for (int i = 0; i < segment.stage; ++i)
    {
        current = next;
        next = tubeStage(next);
    }
    const float y = next * segment.nextGain + current * segment.currentGain;
    if (!(std::fabs(y) <= FLT_MAX)) [[unlikely]]
        return tubeShapeOverflow(x, next, current, segment);
    return y;
}

// Most values one vector loop takes: a multiple of 8.
constexpr int kShapeChunk = 512;

// `count` values in place, `count` a multiple of 8 and at most kShapeChunk: bit for bit the
// same as tubeShape on each value (IEEE +, -, x and / round the same in vector lanes, and the
// division stays a true division). The chain runs one stage at a time over all values, so
// that the vectors of a stage do not wait on each other. Meant to be inlined into loops
// compiled for SSE2 (two registers per vector of eight) or AVX2 (one).
[[gnu::always_inline]] inline void tubeShapeLanes(float* values, int count, const TubeSegment& segment)
{
    using F8 = float __attribute__((vector_size(32), aligned(4)));
    using L8 = int __attribute__((vector_size(32), aligned(4)));
    if (segment.stage < 0)
        return;
    alignas(32) float x[kShapeChunk];
    alignas(32) float current[kShapeChunk];
    __builtin_memcpy(x, values, sizeof(float) * static_cast<size_t>(count));

    // Stage chain as in tubeStage: p = y 3 0.5, q = y y / 3, (1 - q) p. S1 = s(s(x)); every
    // further stage keeps the one before it as `current`.
    for (int j = 0; j < count; j += 8)
    {
        F8 y = *reinterpret_cast<const F8*>(values + j);
        y = (1.0f - y * y / 3.0f) * (y * 3.0f * 0.5f);
        *reinterpret_cast<F8*>(values + j) = (1.0f - y * y / 3.0f) * (y * 3.0f * 0.5f);
    }
    for (int stage = 1; stage <= segment.stage; ++stage)
        for (int j = 0; j < count; j += 8)
        {
            const F8 y = *reinterpret_cast<const F8*>(values + j);
            if (stage == segment.stage)
                *reinterpret_cast<F8*>(current + j) = y;
            *reinterpret_cast<F8*>(values + j) = (1.0f - y * y / 3.0f) * (y * 3.0f * 0.5f);
        }
    const float* before = segment.stage == 0 ? x : current;

    for (int j = 0; j < count; j += 8)
    {
        const F8 next = *reinterpret_cast<const F8*>(values + j);
        F8 y = next * segment.nextGain + *reinterpret_cast<const F8*>(before + j) * segment.currentGain;
        const L8 finite = (reinterpret_cast<L8>(y) & 0x7FFFFFFF) <= 0x7F7FFFFF; // |y| <= FLT_MAX
        const L8 both = finite & __builtin_shufflevector(finite, finite, 4, 5, 6, 7, 0, 1, 2, 3);
        if ((both[0] & both[1] & both[2] & both[3]) != -1) [[unlikely]]
            for (int i = 0; i < 8; ++i)
                if (!finite[i])
                    y[i] = tubeShapeOverflow(x[j + i], next[i], before[j + i], segment);
        *reinterpret_cast<F8*>(values + j) = y;
    }
}

// The tube transfer function: morph 0 returns x, whole number n in 1..11 returns Sn, values
// between blend the neighbouring stages, above 11 S11, below 0 or NaN x.
inline float cleanvacuumtubemorphing_optimised(float x, float morph)
{
    return tubeShape(x, tubeSegment(morph));
}

// [audio thread] The Vaveriv stage over one channel's buffer, in place.
void processVaveriv(float* samples, int count, float morph);

} // namespace vellox
