#pragma once
// The memoryless saturation stages of the oversampled stream: the always-on soft clip and the
// "Vaveriv" tube shaper, plus the crossfade law the shaper shares with the dry/wet mix.
// Single precision except where a step is stated in double.

#include <emmintrin.h>

#include <cfloat>
#include <cmath>

namespace vellox
{

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

// Four samples at once, bit for bit the same as tubeShape on each lane (IEEE +, -, x and /
// round the same in vector lanes; the division stays a true division).
inline __m128 tubeStage4(__m128 y)
{
    const __m128 p = _mm_mul_ps(_mm_mul_ps(y, _mm_set1_ps(3.0f)), _mm_set1_ps(0.5f));
    const __m128 q = _mm_div_ps(_mm_mul_ps(y, y), _mm_set1_ps(3.0f));
    return _mm_mul_ps(_mm_sub_ps(_mm_set1_ps(1.0f), q), p);
}

inline __m128 tubeShape4(__m128 x, const TubeSegment& segment)
{
    if (segment.stage < 0)
        return x;
    __m128 current = x;
    __m128 next = tubeStage4(tubeStage4(x));
    for (int i = 0; i < segment.stage; ++i)
    {
        current = next;
        next = tubeStage4(next);
    }
    const __m128 y = _mm_add_ps(_mm_mul_ps(next, _mm_set1_ps(segment.nextGain)),
                                _mm_mul_ps(current, _mm_set1_ps(segment.currentGain)));
    const __m128 magnitude = _mm_andnot_ps(_mm_set1_ps(-0.0f), y);
    if (_mm_movemask_ps(_mm_cmple_ps(magnitude, _mm_set1_ps(FLT_MAX))) == 0xF) [[likely]]
        return y;
    alignas(16) float lanes[4], xs[4], nexts[4], currents[4];
    _mm_store_ps(lanes, y);
    _mm_store_ps(xs, x);
    _mm_store_ps(nexts, next);
    _mm_store_ps(currents, current);
    for (int i = 0; i < 4; ++i)
        if (!(std::fabs(lanes[i]) <= FLT_MAX))
            lanes[i] = tubeShapeOverflow(xs[i], nexts[i], currents[i], segment);
    return _mm_load_ps(lanes);
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
