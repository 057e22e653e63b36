#pragma once
// Reference model of the soft clip, the tube shaper and the crossfade law: plain scalar code,
// one sample at a time, written from the stage definitions with the precision of every step
// spelled out. The production stages are held to it bit for bit.

#include <cfloat>
#include <cmath>

namespace reference
{

// Soft clip: evaluated in double with the single-precision constants 0.707 and 0.293.
inline float softClip(float x)
{
    const double T = static_cast<double>(0.707f);
    const double W = static_cast<double>(0.293f);
    const double a = std::fabs(static_cast<double>(x));
    if (a < T && x > 0.0f)
        return x;
    if (a >= T && x > 0.0f)
        return static_cast<float>(T + W * std::tanh((a - T) / W));
    if (a >= T && x < 0.0f)
        return static_cast<float>(-T - W * std::tanh((a - T) / W));
    return x;
}

// s(y) = (1 - y y / 3)(1.5 y) as p = y 3 0.5, q = y y / 3, (1 - q) p; single precision.
inline float cubic(float y)
{
    const float p = y * 3.0f * 0.5f;
    const float q = y * y / 3.0f;
    return (1.0f - q) * p;
}

// Stage n of the chain: S0 = x, S1 = s(s(x)), S(n+1) = s(Sn).
inline float stage(float x, int n)
{
    if (n == 0)
        return x;
    float y = cubic(cubic(x));
    for (int i = 1; i < n; ++i)
        y = cubic(y);
    return y;
}

struct Gains
{
    float destination; // (k + w)^2
    float source;      // (k + 1 - w)^2
};

// c = w (1 - w) in single; k = (1.4186 c + 1) c in double, then single; both squares single.
inline Gains crossfade(float w)
{
    const float c = w * (1.0f - w);
    const float k = static_cast<float>((1.4186 * static_cast<double>(c) + 1.0) * static_cast<double>(c));
    const float a = k + w;
    const float b = k + (1.0f - w);
    return {a * a, b * b};
}

// A finite x never gives a non-finite result. Past |x| = sqrt 5 the chain diverges and the
// literal blend may be inf or NaN (inf x 0, inf - inf): a term whose gain is 0 is dropped,
// otherwise the deeper stage's term is kept, and the value is held to the float range.
inline float heldToRange(float y)
{
    return y > FLT_MAX ? FLT_MAX : y < -FLT_MAX ? -FLT_MAX : y;
}

inline float shaper(float x, float morph)
{
    if (std::isnan(morph) || morph < 0.0f)
        return x;
    if (morph > 11.0f)
    {
        const float y = stage(x, 11);
        return std::isnan(x) ? y : heldToRange(y);
    }
    const int j = morph >= 10.0f ? 10 : static_cast<int>(std::floor(morph));
    const float u = morph - static_cast<float>(j);
    const double t = static_cast<double>(u) * 0.5 + 0.5;
    const float w = t > 1.0 ? 1.0f : static_cast<float>(2.0 * (t * t * t) * ((6.0 * t - 15.0) * t + 10.0) - 1.0);
    const Gains g = crossfade(w);
    const float next = stage(x, j + 1);
    const float current = stage(x, j);
    const float y = next * g.destination + current * g.source;
    if (std::isfinite(y) || std::isnan(x))
        return y;
    return heldToRange(g.destination == 0.0f ? current * g.source : next * g.destination);
}

} // namespace reference
