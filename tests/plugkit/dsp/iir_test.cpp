#include "plugkit/dsp/iir.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <complex>
#include <cstdint>
#include <limits>
#include <vector>

#include "engine/reference/biquad_model.h"

using namespace plugkit;

namespace
{

constexpr double kPi = 3.141592653589793;
constexpr double kButterworthQ = 0.7071067811865476;

// |H(e^jw)| of a section, w in radians per sample.
double magnitudeAt(const BiquadCoefficients& c, double w)
{
    const std::complex<double> z1 = std::polar(1.0, -w);
    const std::complex<double> z2 = z1 * z1;
    return std::abs((c.b0 + c.b1 * z1 + c.b2 * z2) / (1.0 + c.a1 * z1 + c.a2 * z2));
}

bool isSinglePrecision(double v)
{
    return static_cast<double>(static_cast<float>(v)) == v;
}

struct DesignCase
{
    const char* name;
    BiquadType type;
    double gainDB;
    double quality;
    double atDC, atCorner, atNyquist; // closed-form magnitudes of the RBJ designs
};

} // namespace

// Each design against its closed-form response at DC, at its own frequency and at Nyquist.
// The coefficients are rounded to float, which moves these by about 1e-6 at 1 kHz / 48 kHz.
TEST(GenerateBiquad, MatchesClosedFormMagnitudes)
{
    const double a = std::pow(10.0, 12.0 / 40.0); // shelf / peak A for +12 dB
    const DesignCase cases[] = {
        {"low-pass", BiquadType::lowPass, 0.0, kButterworthQ, 1.0, kButterworthQ, 0.0},
        {"high-pass", BiquadType::highPass, 0.0, kButterworthQ, 0.0, kButterworthQ, 1.0},
        {"band-pass", BiquadType::bandPass, 0.0, 2.0, 0.0, 1.0, 0.0},
        {"notch", BiquadType::notch, 0.0, 2.0, 1.0, 0.0, 1.0},
        {"all-pass", BiquadType::allPass, 0.0, kButterworthQ, 1.0, 1.0, 1.0},
        {"peak +12", BiquadType::peak, 12.0, kButterworthQ, 1.0, a * a, 1.0},
        {"peak -12", BiquadType::peak, -12.0, kButterworthQ, 1.0, 1.0 / (a * a), 1.0},
        {"low shelf +12", BiquadType::lowShelf, 12.0, kButterworthQ, a * a, a, 1.0},
        {"high shelf +12", BiquadType::highShelf, 12.0, kButterworthQ, 1.0, a, a * a},
        {"high shelf -12", BiquadType::highShelf, -12.0, kButterworthQ, 1.0, 1.0 / a,
         1.0 / (a * a)},
    };
    const double f = 1000.0, fs = 48000.0;
    for (const DesignCase& dc : cases)
    {
        SCOPED_TRACE(dc.name);
        const BiquadCoefficients c = generateBiquad(dc.type, f, fs, dc.gainDB, dc.quality);
        const double tolerance = 2e-5;
        EXPECT_NEAR(magnitudeAt(c, 0.0), dc.atDC, tolerance * std::max(1.0, dc.atDC));
        EXPECT_NEAR(magnitudeAt(c, 2.0 * kPi * f / fs), dc.atCorner,
                    tolerance * std::max(1.0, dc.atCorner));
        EXPECT_NEAR(magnitudeAt(c, kPi), dc.atNyquist, tolerance * std::max(1.0, dc.atNyquist));
        for (double v : {c.b0, c.b1, c.b2, c.a1, c.a2})
            EXPECT_TRUE(isSinglePrecision(v)) << v;
    }
}

// A = 10^(0/40) is exactly 1, so the gain types collapse to an exact identity at 0 dB.
TEST(GenerateBiquad, ZeroGainIsExactIdentity)
{
    for (BiquadType type : {BiquadType::peak, BiquadType::lowShelf, BiquadType::highShelf})
    {
        const BiquadCoefficients c = generateBiquad(type, 2200.0, 44100.0, 0.0, kButterworthQ);
        EXPECT_EQ(c.b0, 1.0);
        EXPECT_EQ(c.b1, c.a1);
        EXPECT_EQ(c.b2, c.a2);
    }
}

// A low-pass at exactly half the rate, Q = 1/sqrt 2: w0 is pi at every rate and the rounded
// coefficients are exactly 1, 2, 1, 2, 1 (the oversampling sections rely on this).
TEST(GenerateBiquad, LowPassAtNyquistIsOneTwoOneTwoOne)
{
    for (double fs : {22050.0, 44100.0, 48000.0, 96000.0, 192000.0, 352800.0})
    {
        const BiquadCoefficients c =
            generateBiquad(BiquadType::lowPass, 0.5 * fs, fs, 0.0, kButterworthQ);
        EXPECT_EQ(c.b0, 1.0) << fs;
        EXPECT_EQ(c.b1, 2.0) << fs;
        EXPECT_EQ(c.b2, 1.0) << fs;
        EXPECT_EQ(c.a1, 2.0) << fs;
        EXPECT_EQ(c.a2, 1.0) << fs;
    }
}

TEST(GenerateBiquadDeathTest, UnknownTypeIsFatal)
{
    EXPECT_DEATH(generateBiquad(static_cast<BiquadType>(8), 1000.0, 48000.0, 0.0, 1.0), "");
}

// A 100 Hz sine through the +12 dB low shelf comes out at 4x (+12 dB minus the small
// shelf slope left at 100 Hz); one at 15 kHz stays at unity.
TEST(BiquadSection, ShelfGainOnSines)
{
    BiquadSection shelf;
    shelf.coefficients = generateBiquad(BiquadType::lowShelf, 210.0, 48000.0, 12.0, kButterworthQ);
    auto steadyPeak = [&](double frequency)
    {
        shelf.clearState();
        std::vector<float> x(48000);
        for (size_t i = 0; i < x.size(); ++i)
            x[i] = static_cast<float>(0.1 * std::sin(2.0 * kPi * frequency * double(i) / 48000.0));
        shelf.processInPlace(x.data(), int(x.size()));
        float peak = 0.0f;
        for (size_t i = x.size() / 2; i < x.size(); ++i)
            peak = std::max(peak, std::fabs(x[i]));
        return peak / 0.1;
    };
    const double closedForm100 = magnitudeAt(shelf.coefficients, 2.0 * kPi * 100.0 / 48000.0);
    EXPECT_NEAR(steadyPeak(100.0), closedForm100, 1e-3);
    EXPECT_GT(closedForm100, 3.3); // most of the +12 dB (3.98x) already at 100 Hz
    EXPECT_NEAR(steadyPeak(15000.0), 1.0, 2e-3);
}

// The state keeps y in double: with b0 = 1/3, y1 = 1/3 in double and the next output
// -a1 y1 = 1 exactly; a float state would give 1.0000000298.
TEST(BiquadSection, StateHoldsOutputsInDouble)
{
    BiquadSection s;
    s.coefficients = {1.0 / 3.0, 0.0, 0.0, -3.0, 0.0};
    float x[2] = {1.0f, 0.0f};
    s.processInPlace(x, 2);
    EXPECT_EQ(x[0], static_cast<float>(1.0 / 3.0));
    EXPECT_EQ(s.state.y1, 1.0);
    EXPECT_EQ(s.state.y2, 1.0 / 3.0);
    EXPECT_EQ(x[1], 1.0f);
}

// One long call, several short calls and the in-place form give the same samples.
TEST(BiquadSection, StateCarriesAcrossCallsAndInPlaceMatches)
{
    const BiquadCoefficients c = generateBiquad(BiquadType::peak, 3000.0, 44100.0, 6.0, 1.3);
    std::vector<float> input(300);
    for (size_t i = 0; i < input.size(); ++i)
        input[i] = static_cast<float>(std::sin(0.37 * double(i)) * 0.8);

    BiquadState whole;
    std::vector<float> expected(input.size());
    processBiquad(c, whole, input.data(), expected.data(), int(input.size()));

    BiquadState pieces;
    std::vector<float> inPlace = input;
    int at = 0;
    for (int length : {1, 0, 7, 64, 228})
    {
        processBiquad(c, pieces, inPlace.data() + at, inPlace.data() + at, length);
        at += length;
    }
    ASSERT_EQ(at, int(input.size()));
    EXPECT_EQ(inPlace, expected);
    EXPECT_EQ(pieces.y1, whole.y1);
    EXPECT_EQ(pieces.x2, whole.x2);
}

// NaN or infinity never decays out of a recursion; the section drops such a state at the
// end of the buffer and the next buffer starts clean.
TEST(BiquadSection, NonFiniteStateIsClearedAfterTheBuffer)
{
    const BiquadCoefficients c =
        generateBiquad(BiquadType::highShelf, 10000.0, 44100.0, 12.0, kButterworthQ);
    for (float bad :
         {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()})
    {
        BiquadSection s;
        s.coefficients = c;
        float block[3] = {0.5f, bad, 0.25f};
        s.processInPlace(block, 3);
        EXPECT_FALSE(std::isfinite(block[2]));
        EXPECT_EQ(s.state.x1, 0.0);
        EXPECT_EQ(s.state.y1, 0.0);

        float next[4] = {1.0f, 0.5f, -0.5f, 0.0f};
        float fresh[4] = {1.0f, 0.5f, -0.5f, 0.0f};
        s.processInPlace(next, 4);
        BiquadSection clean;
        clean.coefficients = c;
        clean.processInPlace(fresh, 4);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(next[i], fresh[i]);
    }
}

namespace
{

bool sameBits(double a, double b)
{
    return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

bool sameCoefficients(const BiquadCoefficients& c, const reference::Coefficients& m)
{
    return sameBits(c.b0, m.b0) && sameBits(c.b1, m.b1) && sameBits(c.b2, m.b2) &&
           sameBits(c.a1, m.a1) && sameBits(c.a2, m.a2);
}

} // namespace

// The designs the engine uses against the independent model, bit for bit, over the ranges the
// engine designs them for: the equaliser's bands at 1x .. 8x of common host rates, the
// limiter's 100 Hz high-pass and 150 Hz low-pass, the samplers' Nyquist low-pass.
TEST(GenerateBiquad, MatchesTheModelBitForBit)
{
    const double q = kButterworthQ;
    for (double host : {22050.0, 44100.0, 48000.0, 88200.0, 96000.0, 192000.0})
    {
        EXPECT_TRUE(sameCoefficients(generateBiquad(BiquadType::lowPass, 150.0, host, 0.0, q),
                                     reference::butterworthLowPass(150.0, host)));
        EXPECT_TRUE(sameCoefficients(generateBiquad(BiquadType::highPass, 100.0, host, 0.0, q),
                                     reference::butterworthHighPass(100.0, host)));
        EXPECT_TRUE(sameCoefficients(generateBiquad(BiquadType::lowPass, 0.5 * host, host, 0.0, q),
                                     reference::butterworthLowPass(0.5 * host, host)));
        for (int factor : {1, 2, 4, 8})
        {
            const double rate = factor * host;
            for (float gain = -12.0f; gain <= 12.0f; gain += 0.37f)
            {
                SCOPED_TRACE(testing::Message() << "rate " << rate << " gain " << gain);
                EXPECT_TRUE(
                    sameCoefficients(generateBiquad(BiquadType::lowShelf, 210.0, rate, gain, q),
                                     reference::lowShelf(210.0, rate, gain, q)));
                if (10000.0 < 0.5 * rate)
                {
                    EXPECT_TRUE(sameCoefficients(
                        generateBiquad(BiquadType::highShelf, 10000.0, rate, gain, q),
                        reference::highShelf(10000.0, rate, gain, q)));
                }
                for (float frequency : {300.0f, 1234.5f, 2200.0f, 8200.0f})
                {
                    if (frequency < 0.5 * rate)
                    {
                        EXPECT_TRUE(sameCoefficients(
                            generateBiquad(BiquadType::peak, frequency, rate, gain, q),
                            reference::peak(frequency, rate, gain, q)));
                    }
                }
            }
        }
    }
}

// The per-sample rule against the model on varied signals, coefficient sets and call lengths.
TEST(BiquadSection, MatchesTheModelBitForBit)
{
    const reference::Coefficients designs[] = {
        reference::butterworthLowPass(150.0, 44100.0),
        reference::butterworthHighPass(100.0, 48000.0),
        reference::lowShelf(210.0, 352800.0, 4.0, kButterworthQ),
        reference::highShelf(10000.0, 96000.0, -7.0, kButterworthQ),
        reference::peak(2200.0, 384000.0, 12.0, kButterworthQ),
        reference::butterworthLowPass(24000.0, 48000.0), // 1, 2, 1, 2, 1
    };
    int caseIndex = 0;
    for (const reference::Coefficients& d : designs)
    {
        ++caseIndex;
        const BiquadCoefficients c{d.b0, d.b1, d.b2, d.a1, d.a2};
        reference::Section model;
        model.c = d;
        BiquadState state;
        uint32_t seed = 77u * caseIndex;
        int at = 0;
        for (int length : {1, 5, 512, 0, 64, 333, 2})
        {
            std::vector<float> x(length);
            for (int i = 0; i < length; ++i)
            {
                seed = seed * 1664525u + 1013904223u;
                const float noise = static_cast<float>(seed >> 8) / 8388608.0f - 1.0f;
                const int n = at + i;
                x[i] = n % 400 < 100   ? 0.0f
                       : n % 400 < 200 ? noise
                       : n % 400 < 300 ? static_cast<float>(std::sin(0.05 * n))
                                       : ((n / 9) % 2 ? 1.0f : -1.0f) * (n % 2 ? 1e-30f : 1.0f);
            }
            std::vector<float> y(length);
            processBiquad(c, state, x.data(), y.data(), length);
            for (int i = 0; i < length; ++i)
                ASSERT_EQ(std::bit_cast<uint32_t>(y[i]), std::bit_cast<uint32_t>(model.run(x[i])))
                    << "design " << caseIndex << ", sample " << at + i;
            at += length;
        }
    }
}
