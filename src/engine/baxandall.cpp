#include "engine/baxandall.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

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
inline double safetyClip(double s)
{
    if (std::fabs(s) >= kClipThreshold && s > 0.0)
        return kClipThreshold + kClipKnee * std::tanh((std::fabs(s) - kClipThreshold) / kClipKnee);
    if (std::fabs(s) >= kClipThreshold && s < 0.0)
        return -kClipThreshold - kClipKnee * std::tanh((std::fabs(s) - kClipThreshold) / kClipKnee);
    // NaN (not reachable from finite input: sin() is bounded and the shaper's result stays
    // in the float range) is taken as 0 rather than poisoning the later stages.
    if (s != s) return 0.0;
    return s;
}

// 10^((value x 30 - 15) / 20) in single precision.
inline float exciterGain(float value)
{
    return std::pow(10.0f, (value * 30.0f - 15.0f) / 20.0f);
}

} // namespace

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

// Samples per channel per pass; the pass's scratch arrays live on the stack.
constexpr int kChunk = 256;

// The two channels in the two lanes of one register: lane 0 left, lane 1 right. Both
// channels run the same operations in the same order, so each lane rounds exactly as the
// scalar filter would.
struct Coefficients
{
    __m128d b0, b1, b2, a1, a2;
};

struct StateLanes
{
    __m128d s1, s2;
};

Coefficients loadCoefficients(const BaxandAll::Filter& left, const BaxandAll::Filter& right)
{
    return {_mm_set_pd(right.b0, left.b0), _mm_set_pd(right.b1, left.b1),
            _mm_set_pd(right.b2, left.b2), _mm_set_pd(right.a1, left.a1),
            _mm_set_pd(right.a2, left.a2)};
}

StateLanes loadState(const BaxandAll::Filter& left, const BaxandAll::Filter& right)
{
    return {_mm_set_pd(right.s1, left.s1), _mm_set_pd(right.s2, left.s2)};
}

void storeState(const StateLanes& state, BaxandAll::Filter& left, BaxandAll::Filter& right)
{
    _mm_storel_pd(&left.s1, state.s1);
    _mm_storeh_pd(&right.s1, state.s1);
    _mm_storel_pd(&left.s2, state.s2);
    _mm_storeh_pd(&right.s2, state.s2);
}

inline __m128d tick2(const Coefficients& c, StateLanes& s, __m128d x)
{
    const __m128d y = _mm_add_pd(_mm_mul_pd(c.b0, x), s.s1);
    s.s1 = _mm_add_pd(_mm_sub_pd(_mm_mul_pd(c.b1, x), _mm_mul_pd(c.a1, y)), s.s2);
    s.s2 = _mm_sub_pd(_mm_mul_pd(c.b2, x), _mm_mul_pd(c.a2, y));
    return y;
}

// The two filter copies of one filter, named by use: `next` takes the next sample.
struct CopyPair
{
    StateLanes next, other;
};

// A non-finite input sample (sin gives NaN) must not reach the filter states.
inline double sine(float x)
{
    const double h = std::sin(static_cast<double>(x));
    return std::fabs(h) <= 1.0 ? h : 0.0;
}

inline float arcsine(double sum)
{
    return static_cast<float>(std::asin(safetyClip(sum)));
}

} // namespace

template <BaxandAll::Variant variant>
void BaxandAll::run(float* inLeft, float* outLeft, float* inRight, float* outRight, int count,
                    double sampleRate)
{
    constexpr bool useFirst = variant != Variant::bass;    // high band
    constexpr bool useSecond = variant != Variant::treble; // low band
    constexpr bool shaped = variant != Variant::original;

    const float bG = exciterGain(exciterA);
    const float d = exciterGain(exciterB);
    const float e = std::pow(10.0f, -(exciterB * 30.0f - 15.0f) / 20.0f);
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

    // The morphs are fixed for the call: locate their shaper segments once.
    [[maybe_unused]] const TubeSegment bass = tubeSegment(bassMorph);
    [[maybe_unused]] const TubeSegment treble = tubeSegment(trebleMorph);
    const __m128d highGain = _mm_set1_pd(static_cast<double>(bG));
    const __m128d lowGain = _mm_set1_pd(static_cast<double>(d));

    // Copy 1 (the first record of a pair) takes the sample while the toggle is 1.
    const int nextCopy = toggle == 1 ? 0 : 1;
    Coefficients firstC{}, secondC{};
    CopyPair first{}, second{};
    if constexpr (useFirst)
    {
        firstC = loadCoefficients(filters[kLeftFirst], filters[kRightFirst]);
        first = {loadState(filters[kLeftFirst + nextCopy], filters[kRightFirst + nextCopy]),
                 loadState(filters[kLeftFirst + 1 - nextCopy], filters[kRightFirst + 1 - nextCopy])};
    }
    if constexpr (useSecond)
    {
        secondC = loadCoefficients(filters[kLeftSecond], filters[kRightSecond]);
        second = {loadState(filters[kLeftSecond + nextCopy], filters[kRightSecond + nextCopy]),
                  loadState(filters[kLeftSecond + 1 - nextCopy], filters[kRightSecond + 1 - nextCopy])};
    }

    // Scratch, channels interleaved (left, right) per sample. Every input sample of a pass is
    // read before any output sample of the pass is written, so each output may be its
    // channel's input buffer.
    alignas(16) double h[2 * kChunk];
    alignas(16) double sum[2 * kChunk];
    alignas(16) float low[2 * kChunk];
    alignas(16) float high[2 * kChunk];

    for (int base = 0; base < count; base += kChunk)
    {
        const int n = std::min(kChunk, count - base);
        for (int i = 0; i < n; ++i)
        {
            h[2 * i] = sine(inLeft[base + i]);
            h[2 * i + 1] = sine(inRight[base + i]);
        }

        // Filters and band values, both channels at once; consecutive samples alternate
        // between the two copies.
        for (int i = 0; i < n; ++i)
        {
            const __m128d x = _mm_load_pd(h + 2 * i);
            __m128d lowpass1 = _mm_setzero_pd(), lowpass2 = _mm_setzero_pd();
            if constexpr (useFirst)
            {
                lowpass1 = tick2(firstC, first.next, x);
                std::swap(first.next, first.other);
            }
            if constexpr (useSecond)
            {
                lowpass2 = tick2(secondC, second.next, x);
                std::swap(second.next, second.other);
            }
            const __m128d highBand = _mm_mul_pd(_mm_sub_pd(x, lowpass1), highGain);
            const __m128d lowBand = _mm_mul_pd(lowpass2, lowGain);
            if constexpr (shaped)
            {
                // Rounded to float for the shaper; two floats per sample.
                if constexpr (useFirst)
                    _mm_storel_pi(reinterpret_cast<__m64*>(high + 2 * i), _mm_cvtpd_ps(highBand));
                if constexpr (useSecond)
                    _mm_storel_pi(reinterpret_cast<__m64*>(low + 2 * i), _mm_cvtpd_ps(lowBand));
            }
            else
            {
                _mm_store_pd(sum + 2 * i, _mm_add_pd(highBand, lowBand));
            }
        }

        // Shaper on four band values at a time, the sum in float, then widened to double.
        if constexpr (shaped)
        {
            const int values = 2 * n;
            if (values % 4 != 0)
            {
                // An odd sample count leaves half a group: fill it with zeros.
                high[values] = high[values + 1] = 0.0f;
                low[values] = low[values + 1] = 0.0f;
            }
            for (int j = 0; j < values; j += 4)
            {
                __m128 s;
                if constexpr (variant == Variant::both)
                    s = _mm_add_ps(tubeShape4(_mm_load_ps(high + j), treble),
                                   tubeShape4(_mm_load_ps(low + j), bass));
                else if constexpr (variant == Variant::treble)
                    s = tubeShape4(_mm_load_ps(high + j), treble);
                else
                    s = tubeShape4(_mm_load_ps(low + j), bass);
                _mm_store_pd(sum + j, _mm_cvtps_pd(s));
                _mm_store_pd(sum + j + 2, _mm_cvtps_pd(_mm_movehl_ps(s, s)));
            }
        }

        for (int i = 0; i < n; ++i)
        {
            outLeft[base + i] = arcsine(sum[2 * i]);
            outRight[base + i] = arcsine(sum[2 * i + 1]);
        }
    }

    // `next` now holds the copy for the sample after this call.
    if (count % 2 != 0)
        toggle = toggle == 1 ? 0 : 1;
    const int after = toggle == 1 ? 0 : 1;
    if constexpr (useFirst)
    {
        storeState(first.next, filters[kLeftFirst + after], filters[kRightFirst + after]);
        storeState(first.other, filters[kLeftFirst + 1 - after], filters[kRightFirst + 1 - after]);
    }
    if constexpr (useSecond)
    {
        storeState(second.next, filters[kLeftSecond + after], filters[kRightSecond + after]);
        storeState(second.other, filters[kLeftSecond + 1 - after], filters[kRightSecond + 1 - after]);
    }
}

void BaxandAll::processBaxandall2(float* inLeft, float* outLeft, float* inRight, float* outRight,
                                  int count, double sampleRate)
{
    run<Variant::both>(inLeft, outLeft, inRight, outRight, count, sampleRate);
}

void BaxandAll::processBaxandall2_treble(float* inLeft, float* outLeft, float* inRight,
                                         float* outRight, int count, double sampleRate)
{
    run<Variant::treble>(inLeft, outLeft, inRight, outRight, count, sampleRate);
}

void BaxandAll::processBaxandall2_bass(float* inLeft, float* outLeft, float* inRight,
                                       float* outRight, int count, double sampleRate)
{
    run<Variant::bass>(inLeft, outLeft, inRight, outRight, count, sampleRate);
}

void BaxandAll::processBaxandall2_original(float* inLeft, float* outLeft, float* inRight,
                                           float* outRight, int count, double sampleRate)
{
    run<Variant::original>(inLeft, outLeft, inRight, outRight, count, sampleRate);
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
