#include "engine/baxandall.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/distortion.h"

namespace vellox
{

namespace
{

constexpr double kFirstQuality = 0.4;  // edge of the high band
constexpr double kSecondQuality = 0.2; // the low band
constexpr double kMaxFrequency = 0.45;
constexpr double kClipThreshold = 0.999;
constexpr double kClipKnee = 1.0 - 0.999;

// Indices into BaxandAll::filters; copy 2 is the next record.
constexpr int kLeftFirst = 0;
constexpr int kLeftSecond = 2;
constexpr int kRightFirst = 4;
constexpr int kRightSecond = 6;

// Second-order low-pass by the bilinear transform, for both copies of both channels.
void design(BaxandAll::Filter* filters, int left, int right, double frequency, double quality)
{
    const double m = std::tan(std::numbers::pi * frequency);
    const double u = 1.0 / (m / quality + 1.0 + m * m);
    const double b0 = m * m * u;
    const double a1 = 2.0 * (m * m - 1.0) * u;
    const double a2 = (1.0 - m / quality + m * m) * u;
    for (int index : {left, left + 1, right, right + 1})
    {
        BaxandAll::Filter& f = filters[index];
        f.frequency = frequency;
        f.quality = quality;
        f.b0 = b0;
        f.b1 = 2.0 * b0;
        f.b2 = b0;
        f.a1 = a1;
        f.a2 = a2;
    }
}

// Keeps the arcsine's argument inside its domain.
double safetyClip(double s)
{
    if (std::fabs(s) >= kClipThreshold && s > 0.0)
        return kClipThreshold + kClipKnee * std::tanh((std::fabs(s) - kClipThreshold) / kClipKnee);
    if (std::fabs(s) >= kClipThreshold && s < 0.0)
        return -kClipThreshold - kClipKnee * std::tanh((std::fabs(s) - kClipThreshold) / kClipKnee);
    // NaN (not reachable from finite input: sin() is bounded and the shaper's result stays
    // in the float range) is taken as 0 rather than poisoning the later stages.
    if (s != s)
        return 0.0;
    return s;
}

// A non-finite input sample (sin gives NaN) must not reach the filter states.
double sine(float x)
{
    const double h = std::sin(static_cast<double>(x));
    return std::fabs(h) <= 1.0 ? h : 0.0;
}

// 10^((value x 30 - 15) / 20) in single precision.
float exciterGain(float value)
{
    return std::pow(10.0f, (value * 30.0f - 15.0f) / 20.0f);
}

// The per-sample work runs on vectors of four doubles holding two consecutive samples of
// both channels: [left i, right i, left i+1, right i+1]. Every lane performs the IEEE
// operations of the scalar definition in the same order (no FMA), so lanes round exactly as
// the scalar code; the code is compiled once for the SSE2 baseline, where a vector is two
// registers, and once for AVX2, chosen at run time, where it is one.
using D4 = double __attribute__((vector_size(32)));
using F4 = float __attribute__((vector_size(16)));
using F8 = float __attribute__((vector_size(32)));
using L4 = long __attribute__((vector_size(32))); // lane masks: all ones or zero
using I4 = int __attribute__((vector_size(16)));
using I8 = int __attribute__((vector_size(32)));
using D2 = double __attribute__((vector_size(16)));

// GCC notes that 32-byte vectors would be passed differently without AVX; the functions
// taking them are all inlined and local to this file, so no call crosses that boundary.
// (The note comes at the end of the file, so it stays off to the end.)
#pragma GCC diagnostic ignored "-Wpsabi"

#define VELLOX_LANES [[gnu::always_inline]] inline

VELLOX_LANES D4 magnitude(const D4& v)
{
    return reinterpret_cast<D4>(reinterpret_cast<L4>(v) & 0x7FFFFFFFFFFFFFFFL);
}

// Bit i set when lane i of the mask is set.
VELLOX_LANES int laneBits(const L4& mask)
{
    const D2 low = reinterpret_cast<D2>(__builtin_shufflevector(mask, mask, 0, 1));
    const D2 high = reinterpret_cast<D2>(__builtin_shufflevector(mask, mask, 2, 3));
    return _mm_movemask_pd(low) | _mm_movemask_pd(high) << 2;
}

// The low and the high 32 bits of each lane.
VELLOX_LANES I4 lowWords(const D4& v)
{
    const I8 words = reinterpret_cast<I8>(v);
    return __builtin_shufflevector(words, words, 0, 2, 4, 6);
}

VELLOX_LANES I4 highWords(const D4& v)
{
    const I8 words = reinterpret_cast<I8>(v);
    return __builtin_shufflevector(words, words, 1, 3, 5, 7);
}

VELLOX_LANES D4 squareRoot(const D4& v)
{
    const D2 low = reinterpret_cast<D2>(_mm_sqrt_pd(__builtin_shufflevector(v, v, 0, 1)));
    const D2 high = reinterpret_cast<D2>(_mm_sqrt_pd(__builtin_shufflevector(v, v, 2, 3)));
    return __builtin_shufflevector(low, high, 0, 1, 2, 3);
}

// ---- Sine, bit for bit as the library gives it ----
//
// The filters need sin(x) exactly as `sine` gives it. Each lane is computed to about 2^-60
// relative as an unevaluated sum hi + lo, where hi is the correctly rounded result unless
// hi + lo lies near the midpoint between two doubles. The library is within 0.516 ulp of
// the exact value for every float input here (checked exhaustively), so it rounds correctly
// wherever the exact value is more than 0.016 ulp from a midpoint; lanes within 1/32 ulp of
// one (about 6 %) call it instead.
//
// x is a float, so x^2 and any product of two 24-bit values are exact in double. With
// z = x^2: sin(x) = x F, F = 1 + z Q(z), Q(z) = -1/6 + z/120 + z^2 T(z). The two leading
// terms of Q carry split constants whose products with z are exact.
constexpr double kSineMax = 1.25;    // the soft clip and the shaper deliver below 1.16
constexpr double kSineMin = 0x1p-60; // z's float part stays a normal float
constexpr double kSixthHi = -0.16666666666666666;
constexpr double kSixthLo = -9.25185853854297e-18;
constexpr double kFifthHi = 0.00830078125; // 17 / 2048: five bits, so z x kFifthHi is exact
constexpr double kFifthLo = 3.255208333333333e-05;
// T(z) on 0 <= z <= 1.5625: a Chebyshev fit, within 2^-72 after the factor z^2.
constexpr double kT0 = -0.0001984126984126984, kT1 = 2.755731922398586e-06,
                 kT2 = -2.5052108385407197e-08, kT3 = 1.6059043823560675e-10,
                 kT4 = -7.647161305587127e-13, kT5 = 2.8112292781436733e-15,
                 kT6 = -8.114295049404927e-18;

// a = high + low, high with 24 significant bits, low with at most 29.
VELLOX_LANES void split24(const D4& a, D4& high, D4& low)
{
    const D4 t = a * (0x1p29 + 1.0);
    high = t - (t - a);
    low = a - high;
}

// s + e == a + b exactly, for |a| >= |b|.
VELLOX_LANES D4 fastTwoSum(const D4& a, const D4& b, D4& e)
{
    const D4 s = a + b;
    e = b - (s - a);
    return s;
}

[[gnu::noinline, gnu::cold]] void sineByLibrary(const double* x, double* y, int lanes)
{
    for (int k = 0; k < 4; ++k)
        if (lanes & 1 << k)
            y[k] = sine(static_cast<float>(x[k]));
}

VELLOX_LANES D4 sine4(const D4& x)
{
    const D4 z = x * x;
    const D4 zHigh = __builtin_convertvector(__builtin_convertvector(z, F4), D4);
    const D4 zLow = z - zHigh;
    const D4 z2 = z * z;
    const D4 z4 = z2 * z2;
    const D4 tail = ((kT0 + kT1 * z) + (kT2 + kT3 * z) * z2) + ((kT4 + kT5 * z) + kT6 * z2) * z4;

    // Q = qHigh + qLow.
    D4 e;
    const D4 qHigh = fastTwoSum(D4{} + kSixthHi, z * kFifthHi, e);
    const D4 qLow = e + (kSixthLo + (z * kFifthLo + z2 * tail));

    // F = 1 + z Q = fHigh + fLow; the four partial products of z qHigh are exact.
    D4 q1, q2;
    split24(qHigh, q1, q2);
    const D4 small = ((zHigh * q2 + zLow * q1) + zLow * q2) + z * qLow;
    const D4 fHigh = fastTwoSum(D4{} + 1.0, zHigh * q1, e);
    const D4 fLow = e + small;

    // x F: both partial products of x fHigh are exact.
    D4 f1, f2;
    split24(fHigh, f1, f2);
    const D4 s = fastTwoSum(x * f1, x * f2, e);
    D4 lo;
    const D4 hi = fastTwoSum(s, e + x * fLow, lo);

    // The library takes lanes outside the range, near a midpoint, or at a power of two
    // (where the midpoint below is closer).
    const D4 a = magnitude(x);
    const L4 inRange = (a <= kSineMax) & ((a >= kSineMin) | (a == 0.0));
    const D4 binade = reinterpret_cast<D4>(reinterpret_cast<L4>(hi) & 0x7FF0000000000000L);
    const L4 nearMidpoint = magnitude(lo) > binade * (15.0 / 32.0 * 0x1p-52);
    const I4 powerOfTwo = ((highWords(hi) & 0x000FFFFF) == 0) & (lowWords(hi) == 0);
    const int lanes = laneBits(~inRange | nearMidpoint) |
                      (_mm_movemask_ps(reinterpret_cast<__m128>(powerOfTwo)) & laneBits(x != 0.0));
    if (lanes != 0) [[unlikely]]
    {
        D4 fixed = hi;
        sineByLibrary(reinterpret_cast<const double*>(&x), reinterpret_cast<double*>(&fixed), lanes);
        return fixed;
    }
    return hi;
}

// ---- Arcsine rounded to float, bit for bit as float(asin(s)) ----
//
// The approximation is within a few double ulps (below 2^-50 relative). Two doubles that
// close round to the same float unless a float rounding midpoint (low 29 mantissa bits: 1
// then 28 zeros) lies between them, so lanes within kMidpointWindow double ulps of one, far
// beyond both errors together, are computed by the library (about 4 samples in a million),
// and so are results below the float normal range, where float rounding falls elsewhere.
constexpr int kMidpointWindow = 1024;
// P(z) with asin(t) = t + t z P(z), z = t^2, on 0 <= z <= 1/4: a Chebyshev fit, error below
// 2^-54 relative to asin.
constexpr double kP0 = 0.1666666666666665, kP1 = 0.07500000000020764,
                 kP2 = 0.044642857103423646, kP3 = 0.03038194736709848,
                 kP4 = 0.02237204763174451, kP5 = 0.017355259955786323,
                 kP6 = 0.013929652902326633, kP7 = 0.011875494382636922,
                 kP8 = 0.0078029494773533175, kP9 = 0.01603551434914882,
                 kP10 = -0.010749050339697808, kP11 = 0.028169218060881414;

[[gnu::noinline, gnu::cold]] void clipLanes(double* s)
{
    for (int k = 0; k < 4; ++k)
        s[k] = safetyClip(s[k]);
}

[[gnu::noinline, gnu::cold]] void arcsineByLibrary(const double* s, float* y, int lanes)
{
    for (int k = 0; k < 4; ++k)
        if (lanes & 1 << k)
            y[k] = static_cast<float>(std::asin(s[k]));
}

// float(asin(safetyClip(s))) per lane.
VELLOX_LANES F4 arcsine4(const D4& sum)
{
    D4 s = sum;
    // Values at or beyond the clip threshold, and NaN, take the scalar clip.
    if (laneBits(magnitude(s) < kClipThreshold) != 0xF) [[unlikely]]
        clipLanes(reinterpret_cast<double*>(&s));

    // |s| <= 0.5: the fit; above: pi/2 - 2 asin(sqrt((1 - |s|) / 2)), 1 - |s| exact.
    const D4 a = magnitude(s);
    const L4 upper = a > 0.5;
    const D4 half = (1.0 - a) * 0.5;
    const D4 z = upper ? half : a * a;
    const D4 t = upper ? squareRoot(half) : a;
    const D4 z2 = z * z;
    const D4 z4 = z2 * z2;
    const D4 z8 = z4 * z4;
    const D4 p = (((kP0 + kP1 * z) + (kP2 + kP3 * z) * z2) + ((kP4 + kP5 * z) + (kP6 + kP7 * z) * z2) * z4) +
                 ((kP8 + kP9 * z) + (kP10 + kP11 * z) * z2) * z8;
    const D4 r = t + t * (z * p);
    const D4 folded = upper ? std::numbers::pi / 2.0 - (r + r) : r;
    const D4 approx = reinterpret_cast<D4>(reinterpret_cast<L4>(folded) |
                                           (reinterpret_cast<L4>(s) & static_cast<long>(0x8000000000000000UL)));
    F4 result = __builtin_convertvector(approx, F4);

    const I4 offset = (lowWords(approx) & 0x1FFFFFFF) - (0x10000000 - kMidpointWindow);
    const I4 nearMidpoint = (offset >= 0) & (offset <= 2 * kMidpointWindow);
    const D4 m = magnitude(approx);
    const int lanes = _mm_movemask_ps(reinterpret_cast<__m128>(nearMidpoint)) |
                      laneBits((m < 0x1p-120) & (m != 0.0));
    if (lanes != 0) [[unlikely]]
        arcsineByLibrary(reinterpret_cast<const double*>(&s), reinterpret_cast<float*>(&result), lanes);
    return result;
}

// ---- The filters ----
//
// One vector holds one filter for both channels and both copies: lanes 0 and 1 are the copy
// that takes sample i, lanes 2 and 3 the other copy, which takes sample i + 1.
struct Biquad4
{
    D4 b0, b1, b2, a1, a2;
    D4 s1, s2;

    VELLOX_LANES D4 tick(const D4& x)
    {
        const D4 y = b0 * x + s1;
        s1 = b1 * x - a1 * y + s2;
        s2 = b2 * x - a2 * y;
        return y;
    }

    // One sample, in lanes 0 and 1: only the copy in those lanes runs, and the other copy
    // then takes the next sample.
    VELLOX_LANES D4 tickSingle(const D4& x)
    {
        const D4 old1 = s1, old2 = s2;
        const D4 y = tick(x);
        s1 = __builtin_shufflevector(old1, s1, 2, 3, 4, 5);
        s2 = __builtin_shufflevector(old2, s2, 2, 3, 4, 5);
        return y;
    }
};

// `next` is the copy that takes the next sample: copy 1 (the first record of a pair) while
// the toggle is 1.
Biquad4 loadFilter(const BaxandAll::Filter* filters, int left, int right, int next)
{
    const BaxandAll::Filter& l = filters[left];
    const BaxandAll::Filter& r = filters[right];
    const BaxandAll::Filter& ln = filters[left + next];
    const BaxandAll::Filter& rn = filters[right + next];
    const BaxandAll::Filter& lo = filters[left + 1 - next];
    const BaxandAll::Filter& ro = filters[right + 1 - next];
    return {D4{l.b0, r.b0, l.b0, r.b0}, D4{l.b1, r.b1, l.b1, r.b1}, D4{l.b2, r.b2, l.b2, r.b2},
            D4{l.a1, r.a1, l.a1, r.a1}, D4{l.a2, r.a2, l.a2, r.a2},
            D4{ln.s1, rn.s1, lo.s1, ro.s1}, D4{ln.s2, rn.s2, lo.s2, ro.s2}};
}

void storeFilter(const Biquad4& f, BaxandAll::Filter* filters, int left, int right, int next)
{
    filters[left + next].s1 = f.s1[0];
    filters[right + next].s1 = f.s1[1];
    filters[left + 1 - next].s1 = f.s1[2];
    filters[right + 1 - next].s1 = f.s1[3];
    filters[left + next].s2 = f.s2[0];
    filters[right + next].s2 = f.s2[1];
    filters[left + 1 - next].s2 = f.s2[2];
    filters[right + 1 - next].s2 = f.s2[3];
}

// Samples per channel per pass (even, so that only a call's last pass can hold a single
// sample); the pass's scratch arrays live on the stack.
constexpr int kChunk = 256;
static_assert(2 * kChunk <= kShapeChunk);

// Which bands a variant runs.
enum class Bands
{
    both,     // saturated high + saturated low
    treble,   // saturated high
    bass,     // saturated low
    original, // clean high + clean low
};

struct Tone
{
    Biquad4 first, second;
    D4 highGain, lowGain;
    TubeSegment bass, treble;
};

// Processes `count` samples of both channels with the filters in `tone`; each output may be
// its channel's input buffer (every input sample of a pass is read before any output sample
// of the pass is written).
template <Bands bands>
VELLOX_LANES void runLanes(Tone& tone, const float* inLeft, float* outLeft, const float* inRight,
                           float* outRight, int count)
{
    constexpr bool useFirst = bands != Bands::bass;    // high band
    constexpr bool useSecond = bands != Bands::treble; // low band
    constexpr bool shaped = bands != Bands::original;

    // Channels interleaved per sample, padded to whole vectors.
    alignas(32) double h[2 * kChunk];
    alignas(32) double sum[2 * kChunk];
    alignas(32) float high[2 * kChunk];
    alignas(32) float low[2 * kChunk];

    for (int base = 0; base < count; base += kChunk)
    {
        const int n = std::min(kChunk, count - base);
        const float* l = inLeft + base;
        const float* r = inRight + base;
        for (int i = 0; i < n; i += 2)
        {
            // A single last sample is paired with zeros.
            const F4 pair = i + 1 < n ? F4{l[i], r[i], l[i + 1], r[i + 1]} : F4{l[i], r[i], 0.0f, 0.0f};
            *reinterpret_cast<D4*>(h + 2 * i) = sine4(__builtin_convertvector(pair, D4));
        }

        for (int i = 0; i < n; i += 2)
        {
            const D4 x = *reinterpret_cast<const D4*>(h + 2 * i);
            D4 lowpass1{}, lowpass2{};
            if (i + 1 < n) [[likely]]
            {
                if constexpr (useFirst)
                    lowpass1 = tone.first.tick(x);
                if constexpr (useSecond)
                    lowpass2 = tone.second.tick(x);
            }
            else
            {
                if constexpr (useFirst)
                    lowpass1 = tone.first.tickSingle(x);
                if constexpr (useSecond)
                    lowpass2 = tone.second.tickSingle(x);
            }
            const D4 highBand = (x - lowpass1) * tone.highGain;
            const D4 lowBand = lowpass2 * tone.lowGain;
            if constexpr (shaped)
            {
                // Rounded to float for the shaper.
                if constexpr (useFirst)
                    *reinterpret_cast<F4*>(high + 2 * i) = __builtin_convertvector(highBand, F4);
                if constexpr (useSecond)
                    *reinterpret_cast<F4*>(low + 2 * i) = __builtin_convertvector(lowBand, F4);
            }
            else
            {
                *reinterpret_cast<D4*>(sum + 2 * i) = highBand + lowBand;
            }
        }

        if constexpr (shaped)
        {
            // Shaper on eight band values at a time, the sum in float. The band values run
            // to a whole vector of four; the rest up to a whole eight is zeroed.
            const int values = 2 * n;
            const int padded = (values + 7) & ~7;
            for (int k = (values + 3) & ~3; k < padded; ++k)
            {
                if constexpr (useFirst)
                    high[k] = 0.0f;
                if constexpr (useSecond)
                    low[k] = 0.0f;
            }
            if constexpr (useFirst)
                tubeShapeLanes(high, padded, tone.treble);
            if constexpr (useSecond)
                tubeShapeLanes(low, padded, tone.bass);
            for (int j = 0; j < padded; j += 8)
            {
                F8 s;
                if constexpr (bands == Bands::both)
                    s = *reinterpret_cast<const F8*>(high + j) + *reinterpret_cast<const F8*>(low + j);
                else if constexpr (bands == Bands::treble)
                    s = *reinterpret_cast<const F8*>(high + j);
                else
                    s = *reinterpret_cast<const F8*>(low + j);
                *reinterpret_cast<D4*>(sum + j) =
                    __builtin_convertvector(__builtin_shufflevector(s, s, 0, 1, 2, 3), D4);
                *reinterpret_cast<D4*>(sum + j + 4) =
                    __builtin_convertvector(__builtin_shufflevector(s, s, 4, 5, 6, 7), D4);
            }
        }

        for (int i = 0; i < n; i += 2)
        {
            const F4 y = arcsine4(*reinterpret_cast<const D4*>(sum + 2 * i));
            outLeft[base + i] = y[0];
            outRight[base + i] = y[1];
            if (i + 1 < n)
            {
                outLeft[base + i + 1] = y[2];
                outRight[base + i + 1] = y[3];
            }
        }
    }
}

VELLOX_LANES void sinesLanes(const float* x, double* y, int count)
{
    using F4u = float __attribute__((vector_size(16), aligned(4)));
    using D4u = double __attribute__((vector_size(32), aligned(8)));
    int i = 0;
    for (; i + 4 <= count; i += 4)
        *reinterpret_cast<D4u*>(y + i) = sine4(__builtin_convertvector(*reinterpret_cast<const F4u*>(x + i), D4));
    if (i < count)
    {
        F4 v{};
        for (int k = 0; i + k < count; ++k)
            v[k] = x[i + k];
        const D4 r = sine4(__builtin_convertvector(v, D4));
        for (int k = 0; i + k < count; ++k)
            y[i + k] = r[k];
    }
}

VELLOX_LANES void arcsinesLanes(const double* s, float* y, int count)
{
    using F4u = float __attribute__((vector_size(16), aligned(4)));
    using D4u = double __attribute__((vector_size(32), aligned(8)));
    int i = 0;
    for (; i + 4 <= count; i += 4)
    {
        const D4 v = *reinterpret_cast<const D4u*>(s + i);
        *reinterpret_cast<F4u*>(y + i) = arcsine4(v);
    }
    if (i < count)
    {
        D4 v{};
        for (int k = 0; i + k < count; ++k)
            v[k] = s[i + k];
        const F4 r = arcsine4(v);
        for (int k = 0; i + k < count; ++k)
            y[i + k] = r[k];
    }
}

#undef VELLOX_LANES

// Every vector routine twice: for the baseline, and for AVX2.
template <Bands bands>
void runBaseline(Tone& tone, const float* inLeft, float* outLeft, const float* inRight,
                 float* outRight, int count)
{
    runLanes<bands>(tone, inLeft, outLeft, inRight, outRight, count);
}

template <Bands bands>
[[gnu::target("avx2")]] void runAvx2(Tone& tone, const float* inLeft, float* outLeft,
                                     const float* inRight, float* outRight, int count)
{
    runLanes<bands>(tone, inLeft, outLeft, inRight, outRight, count);
}

void sinesBaseline(const float* x, double* y, int count)
{
    sinesLanes(x, y, count);
}

[[gnu::target("avx2")]] void sinesAvx2(const float* x, double* y, int count)
{
    sinesLanes(x, y, count);
}

void arcsinesBaseline(const double* s, float* y, int count)
{
    arcsinesLanes(s, y, count);
}

[[gnu::target("avx2")]] void arcsinesAvx2(const double* s, float* y, int count)
{
    arcsinesLanes(s, y, count);
}


} // namespace

void toneSines(const float* x, double* y, int count)
{
    if (useAvx2Lanes())
        sinesAvx2(x, y, count);
    else
        sinesBaseline(x, y, count);
}

void toneArcsines(const double* s, float* y, int count)
{
    if (useAvx2Lanes())
        arcsinesAvx2(s, y, count);
    else
        arcsinesBaseline(s, y, count);
}

void BaxandAll::reset()
{
    exciterA = kExciterOff;
    exciterB = kExciterOff;
    for (Filter& f : filters)
        f = Filter{};
    toggle = 0;
}

void BaxandAll::setControls(float exciter, float bass, float treble)
{
    exciterA = exciter;
    exciterB = exciter;
    bassMorph = bass;
    trebleMorph = treble;
}

namespace
{

// One call of a variant: the design of the filters it uses, then the samples.
template <Bands bands>
void runStage(BaxandAll& stage, const float* inLeft, float* outLeft, const float* inRight,
              float* outRight, int count, double sampleRate)
{
    constexpr bool useFirst = bands != Bands::bass;    // high band
    constexpr bool useSecond = bands != Bands::treble; // low band
    BaxandAll::Filter* filters = stage.filters;

    const float bG = exciterGain(stage.exciterA);
    const float d = exciterGain(stage.exciterB);
    const float e = std::pow(10.0f, -(stage.exciterB * 30.0f - 15.0f) / 20.0f);
    if constexpr (useFirst)
        design(filters, kLeftFirst, kRightFirst,
               std::min(kMaxFrequency, 4410.0 * static_cast<double>(bG) / sampleRate),
               kFirstQuality);
    if constexpr (useSecond)
        design(filters, kLeftSecond, kRightSecond,
               std::min(kMaxFrequency, 8820.0 * static_cast<double>(e) / sampleRate),
               kSecondQuality);
    if (count <= 0)
        return;

    // The morphs are fixed for the call: their shaper segments are located once.
    Tone tone{};
    tone.highGain = D4{} + static_cast<double>(bG);
    tone.lowGain = D4{} + static_cast<double>(d);
    tone.bass = tubeSegment(stage.bassMorph);
    tone.treble = tubeSegment(stage.trebleMorph);
    const int next = stage.toggle == 1 ? 0 : 1;
    if constexpr (useFirst)
        tone.first = loadFilter(filters, kLeftFirst, kRightFirst, next);
    if constexpr (useSecond)
        tone.second = loadFilter(filters, kLeftSecond, kRightSecond, next);

    if (useAvx2Lanes())
        runAvx2<bands>(tone, inLeft, outLeft, inRight, outRight, count);
    else
        runBaseline<bands>(tone, inLeft, outLeft, inRight, outRight, count);

    // The toggle flips once per sample.
    if (count % 2 != 0)
        stage.toggle = stage.toggle == 1 ? 0 : 1;
    const int after = stage.toggle == 1 ? 0 : 1;
    if constexpr (useFirst)
        storeFilter(tone.first, filters, kLeftFirst, kRightFirst, after);
    if constexpr (useSecond)
        storeFilter(tone.second, filters, kLeftSecond, kRightSecond, after);
}

} // namespace

void BaxandAll::processBaxandall2(float* inLeft, float* outLeft, float* inRight, float* outRight,
                                  int count, double sampleRate)
{
    runStage<Bands::both>(*this, inLeft, outLeft, inRight, outRight, count, sampleRate);
}

void BaxandAll::processBaxandall2_treble(float* inLeft, float* outLeft, float* inRight,
                                         float* outRight, int count, double sampleRate)
{
    runStage<Bands::treble>(*this, inLeft, outLeft, inRight, outRight, count, sampleRate);
}

void BaxandAll::processBaxandall2_bass(float* inLeft, float* outLeft, float* inRight,
                                       float* outRight, int count, double sampleRate)
{
    runStage<Bands::bass>(*this, inLeft, outLeft, inRight, outRight, count, sampleRate);
}

void BaxandAll::processBaxandall2_original(float* inLeft, float* outLeft, float* inRight,
                                           float* outRight, int count, double sampleRate)
{
    runStage<Bands::original>(*this, inLeft, outLeft, inRight, outRight, count, sampleRate);
}

void BaxandAll::process(bool bassOn, bool trebleOn, float* left, float* right, int count,
                        double sampleRate)
{
    if (bassOn && trebleOn)
        processBaxandall2(left, left, right, right, count, sampleRate);
    else if (trebleOn)
        processBaxandall2_treble(left, left, right, right, count, sampleRate);
    else if (bassOn)
        processBaxandall2_bass(left, left, right, right, count, sampleRate);
    else
        processBaxandall2_original(left, left, right, right, count, sampleRate);
}

} // namespace vellox
