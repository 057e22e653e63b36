#include "engine/equaliser.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "engine/reference/biquad_model.h"

using vellox::Equaliser;

namespace
{

constexpr double kPi = 3.141592653589793;

std::vector<float> sine(double frequency, double rate, int count, double amplitude = 0.1)
{
    std::vector<float> x(count);
    for (int i = 0; i < count; ++i)
        x[i] = static_cast<float>(amplitude * std::sin(2.0 * kPi * frequency * i / rate));
    return x;
}

// Steady-state gain in dB of a freshly reset equaliser on a sine at `frequency`, with the
// stream running at factor x sampleRate as the engine runs it.
double gainDB(float low, float midFrequency, float mid, float high, int factor, double sampleRate,
              double frequency)
{
    Equaliser eq;
    eq.reset();
    const double rate = factor * sampleRate;
    const int count = int(rate); // one second
    std::vector<float> l = sine(frequency, rate, count), r = l;
    eq.prepare(low, midFrequency, mid, high, factor, sampleRate);
    eq.process(l.data(), r.data(), count);
    float peak = 0.0f;
    for (int i = count / 2; i < count; ++i)
    {
        EXPECT_EQ(l[i], r[i]);
        peak = std::max(peak, std::fabs(l[i]));
    }
    return 20.0 * std::log10(peak / 0.1);
}

} // namespace

// +12 dB bands where they act and 0 dB away from them, at 1x and at 8x oversampling. The
// tolerance covers the sine's peak sampling and, at 8x, the single-precision coefficients
// whose poles sit close to z = 1. "Well above 10 kHz" is 20 kHz on a 48 kHz stream (where
// the bilinear warp already completes the shelf) and 100 kHz on the 384 kHz stream.
TEST(Equaliser, PlusTwelveDecibelBands)
{
    struct Case
    {
        const char* name;
        float low, mid, high;
        double frequencyAt1x, frequencyAt8x, expectedDB;
    };
    const Case cases[] = {
        {"low shelf, well below 210 Hz", 12.0f, 0.0f, 0.0f, 20.0, 20.0, 12.0},
        {"low shelf, well above 210 Hz", 12.0f, 0.0f, 0.0f, 5000.0, 5000.0, 0.0},
        {"high shelf, well above 10 kHz", 0.0f, 0.0f, 12.0f, 20000.0, 100000.0, 12.0},
        {"high shelf, well below 10 kHz", 0.0f, 0.0f, 12.0f, 300.0, 300.0, 0.0},
        {"peak at the mid frequency", 0.0f, 12.0f, 0.0f, 2200.0, 2200.0, 12.0},
        {"peak, far below", 0.0f, 12.0f, 0.0f, 30.0, 30.0, 0.0},
        {"peak, far above", 0.0f, 12.0f, 0.0f, 23000.0, 150000.0, 0.0},
        {"peak -12 at the mid frequency", 0.0f, -12.0f, 0.0f, 2200.0, 2200.0, -12.0},
    };
    for (int factor : {1, 8})
        for (const Case& c : cases)
        {
            SCOPED_TRACE(testing::Message() << c.name << ", factor " << factor);
            const double frequency = factor == 1 ? c.frequencyAt1x : c.frequencyAt8x;
            EXPECT_NEAR(gainDB(c.low, 2200.0f, c.mid, c.high, factor, 48000.0, frequency),
                        c.expectedDB, 0.3);
        }
}

// The sections are designed for factor x host rate: 8x at 44.1 kHz is exactly 1x at 352.8 kHz.
TEST(Equaliser, DesignRateIsFactorTimesHostRate)
{
    Equaliser eight, one;
    eight.reset();
    one.reset();
    std::vector<float> l8 = sine(1234.0, 352800.0, 2048, 0.6), r8 = sine(97.0, 352800.0, 2048, 0.6);
    std::vector<float> l1 = l8, r1 = r8;
    eight.prepare(5.0f, 3300.0f, -7.5f, 11.0f, 8, 44100.0);
    eight.process(l8.data(), r8.data(), 2048);
    one.prepare(5.0f, 3300.0f, -7.5f, 11.0f, 1, 352800.0);
    one.process(l1.data(), r1.data(), 2048);
    EXPECT_EQ(l8, l1);
    EXPECT_EQ(r8, r1);
}

// All gains at exactly 0 dB: nothing runs, nothing changes. A band that returns to 0 dB keeps
// its state, and a later non-zero gain resumes from it as if the silent stretch never was.
TEST(Equaliser, ZeroGainBandsAreSkippedAndKeepTheirState)
{
    const std::vector<float> a = sine(150.0, 48000.0, 256, 0.5);
    const std::vector<float> b = sine(700.0, 48000.0, 256, 0.3);

    Equaliser withGap, reference;
    withGap.reset();
    reference.reset();

    std::vector<float> l1 = a, r1 = a, l2 = a, r2 = a;
    withGap.prepare(9.0f, 1000.0f, 0.0f, 0.0f, 1, 48000.0);
    withGap.process(l1.data(), r1.data(), 256);
    reference.prepare(9.0f, 1000.0f, 0.0f, 0.0f, 1, 48000.0);
    reference.process(l2.data(), r2.data(), 256);
    EXPECT_NE(l1, a);

    std::vector<float> untouchedL = b, untouchedR = b;
    withGap.prepare(0.0f, 1000.0f, 0.0f, 0.0f, 1, 48000.0);
    withGap.process(untouchedL.data(), untouchedR.data(), 256);
    EXPECT_EQ(untouchedL, b);
    EXPECT_EQ(untouchedR, b);

    std::vector<float> l3 = b, r3 = b, l4 = b, r4 = b;
    withGap.prepare(9.0f, 1000.0f, 0.0f, 0.0f, 1, 48000.0);
    withGap.process(l3.data(), r3.data(), 256);
    reference.prepare(9.0f, 1000.0f, 0.0f, 0.0f, 1, 48000.0);
    reference.process(l4.data(), r4.data(), 256);
    EXPECT_EQ(l3, l4);
    EXPECT_EQ(r3, r4);
}

// The channels have separate states: a silent right channel stays silent.
TEST(Equaliser, ChannelsAreIndependent)
{
    Equaliser eq;
    eq.reset();
    std::vector<float> l = sine(300.0, 48000.0, 512, 0.7), r(512, 0.0f);
    eq.prepare(12.0f, 2200.0f, 12.0f, 12.0f, 1, 48000.0);
    eq.process(l.data(), r.data(), 512);
    for (float v : r)
        ASSERT_EQ(v, 0.0f);
}

// At "RAW_X0" on a 16 kHz host the 10 kHz shelf and an 8.2 kHz peak lie above Nyquist; the
// cookbook design would be unstable there. They stay bounded.
TEST(Equaliser, BandsAboveNyquistStayBounded)
{
    Equaliser eq;
    eq.reset();
    std::vector<float> l(16000), r(16000);
    for (int i = 0; i < 16000; ++i)
        l[i] = r[i] = (i % 3 == 0) ? 0.9f : -0.4f;
    eq.prepare(12.0f, 8200.0f, 12.0f, 12.0f, 1, 16000.0);
    eq.process(l.data(), r.data(), 16000);
    for (float v : l)
        ASSERT_LT(std::fabs(v), 100.0f);
}

// The pass equals the plain section passes of the armed bands, low then high then mid, each
// left then right, bit for bit, over several blocks, including a block with a NaN sample
// (whose states are then dropped at the block's end).
TEST(Equaliser, MatchesSeparateSectionPasses)
{
    using plugkit::BiquadType;
    struct Gains
    {
        float low, mid, high;
    };
    const Gains settings[] = {
        {3.0f, -4.0f, 7.5f}, {0.0f, 6.0f, 0.0f}, {-12.0f, 0.0f, 12.0f}, {5.0f, 0.0f, 0.0f}};
    for (const Gains& g : settings)
    {
        Equaliser eq;
        eq.reset();
        const double rate = 4 * 44100.0;
        plugkit::BiquadSection low[2], high[2], mid[2];
        for (int c = 0; c < 2; ++c)
        {
            low[c].coefficients = plugkit::generateBiquad(BiquadType::lowShelf, 210.0, rate, g.low,
                                                          Equaliser::kQuality);
            high[c].coefficients = plugkit::generateBiquad(BiquadType::highShelf, 10000.0, rate,
                                                           g.high, Equaliser::kQuality);
            mid[c].coefficients =
                plugkit::generateBiquad(BiquadType::peak, 1800.0, rate, g.mid, Equaliser::kQuality);
        }
        for (int block = 0; block < 4; ++block)
        {
            std::vector<float> l = sine(440.0 + 97.0 * block, rate, 300, 0.8),
                               r = sine(61.0, rate, 300, 0.5);
            if (block == 2) l[150] = std::numeric_limits<float>::quiet_NaN();
            std::vector<float> refL = l, refR = r;
            eq.prepare(g.low, 1800.0f, g.mid, g.high, 4, 44100.0);
            eq.process(l.data(), r.data(), 300);
            if (g.low != 0.0f)
            {
                low[0].processInPlace(refL.data(), 300);
                low[1].processInPlace(refR.data(), 300);
            }
            if (g.high != 0.0f)
            {
                high[0].processInPlace(refL.data(), 300);
                high[1].processInPlace(refR.data(), 300);
            }
            if (g.mid != 0.0f)
            {
                mid[0].processInPlace(refL.data(), 300);
                mid[1].processInPlace(refR.data(), 300);
            }
            for (int i = 0; i < 300; ++i)
            {
                ASSERT_EQ(std::memcmp(&l[i], &refL[i], sizeof(float)), 0)
                    << "block " << block << ", sample " << i;
                ASSERT_EQ(std::memcmp(&r[i], &refR[i], sizeof(float)), 0)
                    << "block " << block << ", sample " << i;
            }
        }
    }
}

// Against the independent model, bit for bit: gains that switch bands on and off between calls
// (a band at 0 dB is skipped and keeps its state), moving mid frequencies, factors 1 .. 8,
// blocks of 1 to 512 host frames.
TEST(Equaliser, MatchesTheModelBitForBit)
{
    struct Call
    {
        float low, midFrequency, mid, high;
        int frames;
    };
    const Call calls[] = {
        {4.0f, 2200.0f, -3.0f, 2.0f, 512}, {4.0f, 2200.0f, -3.0f, 2.0f, 1},
        {0.0f, 300.0f, 12.0f, 0.0f, 64},   {-12.0f, 8200.0f, 0.0f, 12.0f, 7},
        {0.0f, 1000.0f, 0.0f, 0.0f, 100},  {0.5f, 1000.0f, 0.0f, -0.25f, 512},
        {6.0f, 4500.0f, 6.0f, 6.0f, 333},
    };
    for (double host : {44100.0, 48000.0, 96000.0})
        for (int factor : {1, 2, 4, 8})
        {
            SCOPED_TRACE(testing::Message() << "host " << host << " factor " << factor);
            Equaliser eq;
            eq.reset();
            reference::EqualiserModel model;
            int at = 0;
            for (const Call& call : calls)
            {
                const int count = call.frames * factor;
                std::vector<float> l(count), r(count);
                for (int i = 0; i < count; ++i)
                {
                    const int n = at + i;
                    l[i] = i % factor ? 0.0f : static_cast<float>(0.9 * std::sin(0.031 * n));
                    r[i] = i % factor ? 0.0f : ((n / 17) % 2 ? 1.0f : -1.0f);
                }
                std::vector<float> ml = l, mr = r;
                eq.prepare(call.low, call.midFrequency, call.mid, call.high, factor, host);
                eq.process(l.data(), r.data(), count);
                model.prepare(call.low, call.midFrequency, call.mid, call.high, factor, host);
                model.process(ml.data(), mr.data(), count);
                for (int i = 0; i < count; ++i)
                {
                    ASSERT_EQ(std::bit_cast<uint32_t>(l[i]), std::bit_cast<uint32_t>(ml[i]))
                        << at + i;
                    ASSERT_EQ(std::bit_cast<uint32_t>(r[i]), std::bit_cast<uint32_t>(mr[i]))
                        << at + i;
                }
                at += count;
            }
        }
}
