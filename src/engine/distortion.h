#pragma once
// The memoryless saturation stages of the oversampled stream: the always-on soft clip and the
// "Vaveriv" tube shaper, plus the crossfade law the shaper shares with the dry/wet mix.
// Single precision except where a step is stated in double.

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

// The tube transfer function: morph 0 returns x, whole number n in 1..11 returns Sn, values
// between blend the neighbouring stages, above 11 S11, below 0 or NaN x.
inline float cleanvacuumtubemorphing_optimised(float x, float morph)
{
    return tubeShape(x, tubeSegment(morph));
}

// [audio thread] The Vaveriv stage over one channel's buffer, in place.
void processVaveriv(float* samples, int count, float morph);

} // namespace vellox
