#include "engine/lufs.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <complex>
#include <cstdint>
#include <limits>
#include <numbers>
#include <vector>

#include "engine/reference/limiter_model.h"

using vellox::inputMeterLevel;
using vellox::Limiter;
using vellox::LUFS_structure;

namespace
{

constexpr double kPi = std::numbers::pi;
constexpr int kFrames = 512;

double response(const plugkit::BiquadCoefficients& c, double frequency, double fs)
{
    const std::complex<double> z1 = std::polar(1.0, -2.0 * kPi * frequency / fs);
    return std::abs((c.b0 + c.b1 * z1 + c.b2 * z1 * z1) / (1.0 + c.a1 * z1 + c.a2 * z1 * z1));
}

double dB(double gain)
{
    return 20.0 * std::log10(gain);
}

// A limiter as the chain prepares it: reset (time figure, buffers, smoothing states), then on
// every call the constants and the 150 Hz design.
struct LimiterFixture
{
    Limiter limiter;
    int factor;
    double fs;

    LimiterFixture(int f, double rate) : factor(f), fs(rate)
    {
        limiter.setTimeFigure(200.0f);
        limiter.resizeBuffers(kFrames * factor);
        limiter.clearSmoothing();
    }

    // One host block of `frames` samples per channel, zero-stuffed to the oversampled stream
    // as the chain's upsampler does; returns the host-rate samples of both channels.
    void block(std::vector<float>& left, std::vector<float>& right)
    {
        const int frames = static_cast<int>(left.size());
        std::vector<float> overL(frames * factor, 0.0f), overR(frames * factor, 0.0f);
        for (int i = 0; i < frames; ++i)
        {
            overL[i * factor] = left[i];
            overR[i * factor] = right[i];
        }
        limiter.setConstants(-18.0f, -48.0f);
        limiter.designSmoothing(fs);
        limiter.process(overL.data(), overR.data(), frames * factor, factor, fs);
        for (int i = 0; i < frames; ++i)
        {
            left[i] = overL[i * factor];
            right[i] = overR[i * factor];
        }
    }
};

std::vector<float> sineBlock(double amplitude, double frequency, double fs, int index)
{
    std::vector<float> x(kFrames);
    for (int i = 0; i < kFrames; ++i)
        x[i] = static_cast<float>(amplitude *
                                  std::sin(2.0 * kPi * frequency * (index * kFrames + i) / fs));
    return x;
}

} // namespace

TEST(LUFS_structure, WeightingSectionsHaveTheirClosedFormResponses)
{
    const double fs = 48000.0;
    LUFS_structure weighting;
    weighting.initialize(4096, fs);
    EXPECT_EQ(weighting.work.length(), 4096u);

    // 100 Hz Butterworth high-pass.
    const plugkit::BiquadCoefficients& hp = weighting.highPass.coefficients;
    EXPECT_NEAR(response(hp, 0.0, fs), 0.0, 1e-6);
    EXPECT_NEAR(response(hp, 100.0, fs), std::sqrt(0.5), 1e-4);
    EXPECT_NEAR(response(hp, 20000.0, fs), 1.0, 1e-4);

    // +1 dB high shelf at 1 kHz: 0 dB at DC, +1 dB at Nyquist, +0.5 dB at the corner.
    const plugkit::BiquadCoefficients& hs = weighting.highShelf.coefficients;
    EXPECT_NEAR(dB(response(hs, 0.0, fs)), 0.0, 1e-4);
    EXPECT_NEAR(dB(response(hs, fs / 2.0, fs)), 1.0, 1e-4);
    EXPECT_NEAR(dB(response(hs, 1000.0, fs)), 0.5, 1e-3);

    // weigh() runs the high-pass, then the shelf.
    const double frequency = 3000.0;
    std::vector<float> x(4096);
    for (size_t i = 0; i < x.size(); ++i)
        x[i] = static_cast<float>(std::sin(2.0 * kPi * frequency * static_cast<double>(i) / fs));
    const float* w = weighting.weigh(x.data(), 4096);
    std::complex<double> acc = 0.0;
    for (size_t i = 2048; i < 4048; ++i) // 125 whole periods
        acc += static_cast<double>(w[i]) *
               std::polar(1.0, -2.0 * kPi * frequency * static_cast<double>(i) / fs);
    EXPECT_NEAR(2.0 * std::abs(acc) / 2000.0,
                response(hp, frequency, fs) * response(hs, frequency, fs), 1e-4);

    weighting.initialize(0, fs);
    EXPECT_EQ(weighting.work.capacity(), 0u);
}

TEST(Limiter, SmoothingSectionIsA150HzButterworthLowPass)
{
    Limiter limiter;
    for (double fs : {44100.0, 96000.0})
    {
        limiter.designSmoothing(fs);
        const plugkit::BiquadCoefficients& c = limiter.smoothingCoefficients();
        // Coefficients rounded to float move the low-frequency gain of a section this far
        // below Nyquist by up to 1e-3.
        EXPECT_NEAR(response(c, 0.0, fs), 1.0, 1e-3) << fs;
        EXPECT_NEAR(response(c, 150.0, fs), std::sqrt(0.5), 1e-3) << fs;
        EXPECT_NEAR(response(c, fs / 2.0, fs), 0.0, 1e-6) << fs;
    }
}

TEST(Limiter, FollowerAttackIsPracticallyZero)
{
    Limiter limiter;
    limiter.setTimeFigure(200.0f);
    // exp(-1 / ((200 / 44100) x 4)) = exp(-55.125)
    EXPECT_NEAR(limiter.followerAttack(4, 44100.0) / std::exp(-55.125), 1.0, 1e-6);
    EXPECT_EQ(limiter.followerAttack(1, 44100.0), 0.0f);
}

TEST(Limiter, FullScaleSineIsBentBelowOneAndHalfScalePasses)
{
    for (int factor : {1, 4})
    {
        for (double amplitude : {1.0, 0.5})
        {
            LimiterFixture fx(factor, 44100.0);
            double peak = 0.0, energyIn = 0.0, energyOut = 0.0, worstRatio = 0.0;
            for (int b = 0; b < 20; ++b)
            {
                const std::vector<float> x = sineBlock(amplitude, 1000.0, 44100.0, b);
                std::vector<float> left = x, right = x;
                fx.block(left, right);
                for (int i = 0; i < kFrames; ++i)
                {
                    ASSERT_TRUE(std::isfinite(left[i]));
                    ASSERT_EQ(left[i], right[i]); // same input, same detector, same gain
                    peak = std::max(peak, static_cast<double>(std::fabs(left[i])));
                    energyIn += static_cast<double>(x[i]) * x[i];
                    energyOut += static_cast<double>(left[i]) * left[i];
                    // Below the clip the gain stays within a fraction of a decibel, the
                    // bump at each block start included.
                    if (std::fabs(x[i]) > 0.05f && std::fabs(x[i]) < 0.9f)
                        worstRatio = std::max(worstRatio, std::fabs(dB(left[i] / x[i])));
                }
            }
            SCOPED_TRACE(testing::Message() << "factor " << factor << " amplitude " << amplitude);
            EXPECT_LT(worstRatio, 0.2);
            EXPECT_NEAR(dB(std::sqrt(energyOut / energyIn)), 0.0, 0.1);
            if (amplitude == 1.0)
            {
                EXPECT_GT(peak, 0.97);
                EXPECT_LT(peak, 1.0);
            }
            else
                EXPECT_NEAR(dB(peak / amplitude), 0.0, 0.2);
        }
    }
}

TEST(Limiter, FirstWeightedSampleZeroAndSingleSampleBlocks)
{
    // A block of one sample runs only the k = 0 steps; a first sample of 0 gives a crest
    // factor of 0 and undefined times, which must not reach the output.
    for (float x : {0.0f, 0.5f, -0.99f})
    {
        LimiterFixture fx(1, 48000.0);
        std::vector<float> left(1, x), right(1, x);
        fx.block(left, right);
        EXPECT_TRUE(std::isfinite(left[0]));
        EXPECT_NEAR(left[0], x, std::fabs(x) * 0.02) << x;
    }
    LimiterFixture fx(2, 48000.0);
    std::vector<float> left = sineBlock(0.8, 440.0, 48000.0, 0); // starts at exactly 0
    std::vector<float> right = left;
    fx.block(left, right);
    for (float y : left)
        ASSERT_TRUE(std::isfinite(y));
}

TEST(Limiter, ChannelsAreNotLinked)
{
    LimiterFixture loud(4, 44100.0), quiet(4, 44100.0);
    for (int b = 0; b < 4; ++b)
    {
        std::vector<float> leftA = sineBlock(0.3, 200.0, 44100.0, b), leftB = leftA;
        std::vector<float> rightA = sineBlock(1.0, 3000.0, 44100.0, b);
        std::vector<float> rightB(kFrames, 0.0f);
        loud.block(leftA, rightA);
        quiet.block(leftB, rightB);
        EXPECT_EQ(leftA, leftB);
        for (float y : rightB)
            ASSERT_EQ(y, 0.0f);
    }
}

TEST(Limiter, ExtremeInputStaysBoundedAndTheLimiterRecovers)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // Levels far beyond full scale (the ladder's make-up gain and the output gain can reach
    // thousands), beyond the float range of a square, and non-finite samples.
    std::vector<std::vector<float>> extremes = {
        sineBlock(5000.0, 1000.0, 44100.0, 0),
        sineBlock(1e20, 1000.0, 44100.0, 0),
        std::vector<float>(kFrames, FLT_MAX),
        sineBlock(0.5, 1000.0, 44100.0, 0),
    };
    extremes[3][100] = nan;
    extremes[3][300] = -inf;

    for (const std::vector<float>& extreme : extremes)
    {
        LimiterFixture hit(4, 44100.0), calm(4, 44100.0);
        std::vector<float> left = extreme, right = extreme;
        hit.block(left, right);
        for (int i = 0; i < kFrames; ++i)
        {
            ASSERT_TRUE(std::isfinite(left[i]) && std::fabs(left[i]) <= 1.0f) << i;
            ASSERT_TRUE(std::isfinite(right[i]) && std::fabs(right[i]) <= 1.0f) << i;
        }
        std::vector<float> calmL = sineBlock(0.5, 1000.0, 44100.0, 0), calmR = calmL;
        calm.block(calmL, calmR);

        // The 150 Hz states carry the disturbance out within a few blocks.
        for (int b = 1; b <= 12; ++b)
        {
            std::vector<float> l1 = sineBlock(0.5, 1000.0, 44100.0, b), r1 = l1;
            std::vector<float> l2 = l1, r2 = l1;
            hit.block(l1, r1);
            calm.block(l2, r2);
            if (b < 12) continue;
            for (int i = 0; i < kFrames; ++i)
                ASSERT_NEAR(l1[i], l2[i], 1e-6) << i;
        }
    }
}

TEST(Limiter, InputMeterLevelIsTheMeanMagnitude)
{
    EXPECT_EQ(inputMeterLevel(-1.0f, 0.5f), 0.75f);
    EXPECT_EQ(inputMeterLevel(0.0f, 0.0f), 0.0f);
    EXPECT_EQ(inputMeterLevel(0.25f, -0.25f), 0.25f);
}

namespace
{

bool sameBits(float a, float b)
{
    return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b);
}

enum class Signal
{
    fullScaleSine, // bent by the clip
    halfScaleSine,
    noise,
    square,       // +-1
    loudSquare,   // +-3: deep in the clip, gain computer saturated
    tiny,         // 1e-20 and below: the 1e-10 floors dominate
    startsAtZero, // first weighted sample exactly 0
    mixed,        // silence of signed zeros, then a burst, then a slow sine
};
constexpr Signal kSignals[] = {Signal::fullScaleSine, Signal::halfScaleSine, Signal::noise,
                               Signal::square,        Signal::loudSquare,    Signal::tiny,
                               Signal::startsAtZero,  Signal::mixed};

// `frames` host samples, zero-stuffed by `factor` as the limiter's up-sampler leaves them.
std::vector<float> hostSignal(Signal kind, int frames, int offset, uint32_t seed)
{
    std::vector<float> x(frames);
    uint32_t state = seed * 2654435761u + 7u + offset;
    auto uniform = [&state]
    {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) / 8388608.0f - 1.0f;
    };
    for (int i = 0; i < frames; ++i)
    {
        const int n = offset + i;
        const double phase = 2.0 * kPi * (300.0 + 37.0 * (seed % 11)) * n / 48000.0;
        switch (kind)
        {
        case Signal::fullScaleSine:
            x[i] = static_cast<float>(std::sin(phase));
            break;
        case Signal::halfScaleSine:
            x[i] = static_cast<float>(0.5 * std::sin(phase));
            break;
        case Signal::noise:
            x[i] = uniform();
            break;
        case Signal::square:
            x[i] = (n / 50) % 2 ? 1.0f : -1.0f;
            break;
        case Signal::loudSquare:
            x[i] = (n / 23) % 2 ? 3.0f : -3.0f;
            break;
        case Signal::tiny:
            x[i] = uniform() * (n % 2 ? 1e-20f : 1e-38f);
            break;
        case Signal::startsAtZero:
            x[i] = i == 0 ? 0.0f : static_cast<float>(0.8 * std::sin(phase));
            break;
        case Signal::mixed:
            x[i] = n % 700 < 200   ? (n % 2 ? -0.0f : 0.0f)
                   : n % 700 < 260 ? uniform() * 1.2f
                                   : static_cast<float>(0.3 * std::sin(0.01 * n));
            break;
        }
    }
    return x;
}

} // namespace

// The limiter stage against the independent scalar model, bit for bit: factors 1 .. 8,
// several host rates, blocks of 1 to 512 frames, consecutive calls (the 150 Hz states carry
// over), different signals left and right.
TEST(Limiter, MatchesTheScalarModelBitForBit)
{
    int caseIndex = 0;
    for (int factor : {1, 2, 4, 8})
        for (double fs : {44100.0, 48000.0, 96000.0})
            for (Signal kind : kSignals)
            {
                ++caseIndex;
                SCOPED_TRACE(testing::Message() << "factor " << factor << " fs " << fs << " signal "
                                                << static_cast<int>(kind));
                Limiter limiter;
                limiter.setTimeFigure(200.0f);
                limiter.resizeBuffers(kFrames * factor);
                limiter.clearSmoothing();
                reference::LimiterModel model;
                const Signal other = kSignals[(caseIndex + 3) % 8];
                int at = 0;
                for (int frames : {1, 512, 3, 64, 2, 200, 512})
                {
                    const std::vector<float> hostL = hostSignal(kind, frames, at, caseIndex);
                    const std::vector<float> hostR = hostSignal(other, frames, at, caseIndex + 99);
                    const int count = frames * factor;
                    std::vector<float> l(count, 0.0f), r(count, 0.0f);
                    for (int i = 0; i < frames; ++i)
                    {
                        l[i * factor] = hostL[i];
                        r[i * factor] = hostR[i];
                    }
                    std::vector<float> modelL = l, modelR = r;
                    limiter.setConstants(-18.0f, -48.0f);
                    limiter.designSmoothing(fs);
                    limiter.process(l.data(), r.data(), count, factor, fs);
                    model.process(modelL.data(), modelR.data(), count, factor, fs);
                    for (int k = 0; k < count; ++k)
                    {
                        ASSERT_TRUE(sameBits(l[k], modelL[k]))
                            << "left " << at << "+" << k << ": " << l[k] << " vs " << modelL[k];
                        ASSERT_TRUE(sameBits(r[k], modelR[k]))
                            << "right " << at << "+" << k << ": " << r[k] << " vs " << modelR[k];
                    }
                    at += frames;
                }
            }
}

// The limiter's vector exponentials give the C library's floats, bit for bit: a sweep over a
// wide band of arguments, every float near the ends of the normal range, rounding-sensitive
// arguments just above 0, and the special values. (Every float argument, and every float time
// at the usual oversampled rates, was checked the same way once, offline.)
TEST(LimiterExponentials, MatchTheCLibrary)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::vector<float> args;
    for (int i = 0; i < 1 << 21; ++i)
        args.push_back(-100.0f + 200.0f * static_cast<float>(i) / (1 << 21));
    for (float edge : {-87.5f, -87.0f, -86.5f, -0.5f, 88.5f})
    {
        float v = edge;
        for (int i = 0; i < 20000; ++i, v = std::nextafter(v, 100.0f))
            args.push_back(v);
    }
    for (float v = 1e-8f; v < 1e-2f; v *= 1.0001f) // results just above 1
        args.push_back(v);
    for (float v : {0.0f, -0.0f, inf, -inf, nan, FLT_MAX, -FLT_MAX, FLT_MIN, -FLT_MIN, 1e-45f})
        args.push_back(v);

    // Gains take decibels: arguments / 0.115129255 give the arguments above, near enough.
    std::vector<float> decibels(args.size()), gains(args.size());
    for (size_t i = 0; i < args.size(); ++i)
        decibels[i] = args[i] / 0.115129255f;
    vellox::decibelGains(decibels.data(), gains.data(), static_cast<int>(args.size()));
    for (size_t i = 0; i < args.size(); ++i)
        ASSERT_TRUE(sameBits(gains[i], expf(decibels[i] * 0.115129255f))) << decibels[i];

    // Follower times: from the crest factor's whole range, at the engine's rates.
    std::vector<float> times, coefficients;
    for (float t = 1e-6f; t < 1e8f; t *= 1.00003f)
        times.push_back(t);
    for (float t : {0.0f, inf, nan, 160.0f, 240.0f, 1e-38f, FLT_MAX})
        times.push_back(t);
    coefficients.resize(times.size());
    for (double rate : {8000.0, 44100.0, 48000.0 * 4, 96000.0 * 8})
    {
        const double rateFactor = rate * 0.001;
        vellox::followerCoefficients(times.data(), coefficients.data(),
                                     static_cast<int>(times.size()), rateFactor);
        for (size_t i = 0; i < times.size(); ++i)
            ASSERT_TRUE(sameBits(
                coefficients[i],
                static_cast<float>(std::exp(-0.9996723430813206 / (rateFactor * times[i])))))
                << "rate " << rate << ", time " << times[i];
    }

    // Any count, in place.
    std::vector<float> row = {1.0f, -2.0f, 3.0f, -4.0f, 5.0f, 0.5f, -0.25f};
    for (int count = 0; count <= 7; ++count)
    {
        std::vector<float> inPlace = row;
        vellox::decibelGains(inPlace.data(), inPlace.data(), count);
        for (int i = 0; i < 7; ++i)
            EXPECT_TRUE(sameBits(inPlace[i], i < count ? expf(row[i] * 0.115129255f) : row[i]));
    }
}
