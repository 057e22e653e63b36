#include "engine/baxandall.h"

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

inline double tick(BaxandAll::Filter& f, double x)
{
    const double y = f.b0 * x + f.s1;
    f.s1 = f.b1 * x - f.a1 * y + f.s2;
    f.s2 = f.b2 * x - f.a2 * y;
    return y;
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

template <BaxandAll::Variant variant>
void BaxandAll::run(float* inLeft, float* outLeft, float* inRight, float* outRight, int count,
                    double sampleRate)
{
    constexpr bool useFirst = variant != Variant::bass;    // high band
    constexpr bool useSecond = variant != Variant::treble; // low band

    [[maybe_unused]] const float bG = exciterGain(exciterA);
    [[maybe_unused]] const float d = exciterGain(exciterB);
    [[maybe_unused]] const float e = std::pow(10.0f, -(exciterB * 30.0f - 15.0f) / 20.0f);
    if constexpr (useFirst)
        design(filters, kLeftFirst, kRightFirst,
               std::min(kMaxFrequency, 4410.0 * static_cast<double>(bG) / sampleRate),
               kFirstQuality);
    if constexpr (useSecond)
        design(filters, kLeftSecond, kRightSecond,
               std::min(kMaxFrequency, 8820.0 * static_cast<double>(e) / sampleRate),
               kSecondQuality);

    // The morphs are fixed for the call: locate their shaper segments once.
    [[maybe_unused]] const TubeSegment bass = tubeSegment(bassMorph);
    [[maybe_unused]] const TubeSegment treble = tubeSegment(trebleMorph);
    float* const ins[2] = {inLeft, inRight};
    float* const outs[2] = {outLeft, outRight};
    [[maybe_unused]] const int firsts[2] = {kLeftFirst, kRightFirst};
    [[maybe_unused]] const int seconds[2] = {kLeftSecond, kRightSecond};

    for (int i = 0; i < count; ++i)
    {
        const int copy = toggle == 1 ? 0 : 1;
        for (int channel = 0; channel < 2; ++channel)
        {
            double h = std::sin(static_cast<double>(ins[channel][i]));
            // A non-finite input sample (sin gives NaN) must not reach the filter states.
            if (!(std::fabs(h) <= 1.0))
                h = 0.0;

            double sum;
            if constexpr (variant == Variant::both)
            {
                const double lowpass1 = tick(filters[firsts[channel] + copy], h);
                const double lowpass2 = tick(filters[seconds[channel] + copy], h);
                const float low = tubeShape(static_cast<float>(lowpass2 * d), bass);
                const float high = tubeShape(static_cast<float>((h - lowpass1) * bG), treble);
                sum = high + low;
            }
            else if constexpr (variant == Variant::treble)
            {
                const double lowpass1 = tick(filters[firsts[channel] + copy], h);
                sum = tubeShape(static_cast<float>((h - lowpass1) * bG), treble);
            }
            else if constexpr (variant == Variant::bass)
            {
                const double lowpass2 = tick(filters[seconds[channel] + copy], h);
                sum = tubeShape(static_cast<float>(lowpass2 * d), bass);
            }
            else
            {
                const double lowpass1 = tick(filters[firsts[channel] + copy], h);
                const double lowpass2 = tick(filters[seconds[channel] + copy], h);
                sum = (h - lowpass1) * bG + lowpass2 * d;
            }
            outs[channel][i] = static_cast<float>(std::asin(safetyClip(sum)));
        }
        toggle = toggle == 1 ? 0 : 1;
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
