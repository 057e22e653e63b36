#include "engine/moogfilter_dshr.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstring>
#include <limits>
#include <numbers>
#include <vector>

#include "engine/reference/ladder_model.h"

using vellox::Moogfilter;

namespace
{

constexpr double kPi = std::numbers::pi;

// A filter whose g is computed for `repeats` (prepare twice: g lags the mode by one call).
Moogfilter preparedFilter(float cutoff, float resonance, int repeats, double fs)
{
    Moogfilter f;
    f.prepare(cutoff, resonance, repeats, fs);
    f.prepare(cutoff, resonance, repeats, fs);
    return f;
}

double expectedG(double cutoff, int repeats, double fs)
{
    const double x = 2.0 / kPi * cutoff / (repeats * fs);
    return 1.0 - std::exp(-2.0 * std::tan(x));
}

// Small-signal response at the outer rate, resonance 0. Inside, each stage is the one-pole
// g / (1 - (1-g) z^-1), stages 2..4 read the previous stage's old value (z^-1 each), then
// the FIR. Each input sample enters at internal step 0 of its group of N, the output is
// taken at step N-1, so the outer response is the polyphase average over the N images.
double ladderGain(double g, int n, double omega)
{
    std::complex<double> sum = 0.0;
    for (int l = 0; l < n; ++l)
    {
        const double theta = (omega + 2.0 * kPi * l) / n;
        const std::complex<double> zInv = std::polar(1.0, -theta);
        const std::complex<double> pole = g / (1.0 - (1.0 - g) * zInv);
        std::complex<double> fir = 0.0;
        for (int k = 0; k < Moogfilter::kFirTaps; ++k)
            fir += static_cast<double>(Moogfilter::firCoefficient(k)) * std::pow(zInv, k);
        const std::complex<double> h = pole * pole * pole * pole * zInv * zInv * zInv * fir;
        sum += h * std::polar(1.0, theta * (n - 1));
    }
    return std::abs(sum) / n;
}

// Amplitude of the `omega` component of x over whole periods.
double toneAmplitude(const std::vector<float>& x, size_t start, double omega)
{
    std::complex<double> acc = 0.0;
    for (size_t i = start; i < x.size(); ++i)
        acc += static_cast<double>(x[i]) * std::polar(1.0, -omega * static_cast<double>(i));
    return 2.0 * std::abs(acc) / static_cast<double>(x.size() - start);
}

} // namespace

TEST(Moogfilter, TableHoldsTanhOfTheSinglePrecisionGrid)
{
    Moogfilter f;
    for (int k : {0, 1, 1234, 2999, 3000, 3001, 5999, 6000})
    {
        EXPECT_EQ(f.tableEntry(k), tanhf(static_cast<float>(k) * 0.001f - 3.0f)) << k;
        EXPECT_NEAR(f.tableEntry(k), std::tanh(k * 0.001 - 3.0), 1e-6) << k;
    }
    EXPECT_NEAR(f.tableEntry(6000), 0.99505, 1e-5);
}

TEST(Moogfilter, LookupClampsAtPlusMinusThree)
{
    const Moogfilter f;
    const float inf = std::numeric_limits<float>::infinity();
    struct Case
    {
        float v;
        float expected;
    };
    for (const Case& c :
         {Case{3.0f, 0.99f}, Case{3.0001f, 0.99f}, Case{1e30f, 0.99f}, Case{inf, 0.99f},
          Case{-3.0f, -0.99f}, Case{-7.5f, -0.99f}, Case{-FLT_MAX, -0.99f}, Case{-inf, -0.99f}})
        EXPECT_EQ(f.tableTanh(c.v), c.expected) << c.v;

    // Just inside the range the table (tanh 3 = 0.99505) is read, not the clamp value.
    EXPECT_NEAR(f.tableTanh(2.9999f), std::tanh(2.9999), 1e-6);
    EXPECT_NEAR(f.tableTanh(-2.9999f), -std::tanh(2.9999), 1e-6);
    // NaN never indexes the table.
    EXPECT_EQ(f.tableTanh(std::numeric_limits<float>::quiet_NaN()), 0.0f);
}

TEST(Moogfilter, LookupInterpolatesTanhInsideTheRange)
{
    const Moogfilter f;
    double worst = 0.0;
    for (int i = -29999; i <= 29999; ++i)
    {
        const float v = static_cast<float>(i) * 1e-4f;
        worst = std::max(worst, std::fabs(f.tableTanh(v) - std::tanh(static_cast<double>(v))));
    }
    EXPECT_LT(worst, 1e-6); // interpolation (h^2/8 x |tanh''|) plus float grid offsets
}

TEST(Moogfilter, GFollowsOneMinusExpOfMinusTwoTan)
{
    struct Case
    {
        float cutoff;
        int repeats;
        double fs;
    };
    for (const Case& c :
         {Case{300.0f, 2, 44100.0}, Case{1000.0f, 2, 44100.0}, Case{12050.0f, 2, 44100.0},
          Case{12050.0f, 4, 48000.0}, Case{5000.0f, 4, 96000.0}})
    {
        const Moogfilter f = preparedFilter(c.cutoff, 0.0f, c.repeats, c.fs);
        // Fourth-order series of exp and seventh-order series of tan: both errors < 2e-6 here.
        EXPECT_NEAR(f.g(), expectedG(c.cutoff, c.repeats, c.fs), 2e-6)
            << c.cutoff << " " << c.repeats << " " << c.fs;
        EXPECT_EQ(f.repeatCount(), c.repeats);
    }
}

TEST(Moogfilter, ModeChangeReachesGOneCallLate)
{
    Moogfilter f; // a new filter runs 2 steps
    EXPECT_EQ(f.repeatCount(), Moogfilter::kDirtyRepeats);
    f.prepare(1000.0f, 0.0f, 2, 44100.0);
    const float gDirty = f.g();

    f.prepare(1000.0f, 0.0f, Moogfilter::repeatCountForMode(0), 44100.0); // to "CLEAN"
    EXPECT_EQ(f.repeatCount(), 4);
    EXPECT_EQ(f.g(), gDirty);

    f.prepare(1000.0f, 0.0f, 4, 44100.0);
    EXPECT_NEAR(f.g(), expectedG(1000.0, 4, 44100.0), 1e-7);
    EXPECT_LT(f.g(), gDirty);
    EXPECT_EQ(Moogfilter::repeatCountForMode(1), 2);
}

TEST(Moogfilter, SettingsAreClamped)
{
    const Moogfilter low = preparedFilter(5.0f, -1.0f, 2, 44100.0);
    const Moogfilter twenty = preparedFilter(20.0f, 0.0f, 2, 44100.0);
    EXPECT_EQ(low.cutoff(), 20.0f);
    EXPECT_EQ(low.g(), twenty.g());
    EXPECT_EQ(low.resonance(), 0.0f);
    EXPECT_EQ(preparedFilter(1000.0f, 7.0f, 2, 44100.0).resonance(), 5.0f);
    EXPECT_EQ(preparedFilter(1000.0f, 2.0f, 2, 44100.0).resonance(), 2.0f);
}

TEST(Moogfilter, ZeroInputGivesZeroOutput)
{
    Moogfilter f = preparedFilter(12050.0f, 2.0f, 2, 44100.0);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(f.processSampleLPF_optimized(0.0f), 0.0f) << i;
}

TEST(Moogfilter, SmallConstantSettlesToFirGainOverN)
{
    double firSum = 0.0;
    for (int k = 0; k < Moogfilter::kFirTaps; ++k)
        firSum += Moogfilter::firCoefficient(k);
    EXPECT_NEAR(firSum, 0.7511, 1e-4);

    for (int repeats : {2, 4})
    {
        Moogfilter f = preparedFilter(2000.0f, 0.0f, repeats, 44100.0);
        const float x = 0.01f;
        float out = 0.0f;
        for (int i = 0; i < 20000; ++i)
            out = f.processSampleLPF_optimized(x);
        EXPECT_NEAR(out, 0.7511 * x / repeats, 0.7511 * x / repeats * 1e-3) << repeats;
    }
}

TEST(Moogfilter, SmallSignalResponseMatchesTheLadderClosedForm)
{
    const double fs = 48000.0;
    for (int repeats : {2, 4})
    {
        for (double frequency : {100.0, 400.0, 1000.0, 2000.0})
        {
            Moogfilter f = preparedFilter(2000.0f, 0.0f, repeats, fs);
            const double omega = 2.0 * kPi * frequency / fs;
            std::vector<float> out(19200);
            for (size_t i = 0; i < out.size(); ++i)
                out[i] = f.processSampleLPF_optimized(
                    static_cast<float>(0.02 * std::sin(omega * static_cast<double>(i))));
            const double measured = toneAmplitude(out, 9600, omega) / 0.02;
            const double expected = ladderGain(f.g(), repeats, omega);
            // Amplitude 0.02 keeps the tanh curvature below 1e-4.
            EXPECT_NEAR(measured / expected, 1.0, 2e-3) << repeats << " steps, " << frequency;
        }
    }
    // The corner of each stage sits near 0.2 x cutoff: far above, the four poles have
    // taken the signal down by more than 60 dB.
    Moogfilter f = preparedFilter(300.0f, 0.0f, 2, fs);
    const double omega = 2.0 * kPi * 6000.0 / fs;
    std::vector<float> out(19200);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = f.processSampleLPF_optimized(
            static_cast<float>(0.1 * std::sin(omega * static_cast<double>(i))));
    EXPECT_LT(toneAmplitude(out, 9600, omega) / 0.1, 1e-3 * ladderGain(f.g(), 2, 0.0));
}

TEST(Moogfilter, ExtremeFiniteInputStaysFiniteAndBounded)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // Largest g the parameter ranges allow (12050 Hz at a low host rate), full resonance.
    for (int repeats : {2, 4})
    {
        Moogfilter f = preparedFilter(12050.0f, 5.0f, repeats, 8000.0);
        ASSERT_GT(f.g(), 0.0f);
        for (int i = 0; i < 20000; ++i)
        {
            float x;
            switch ((i / 37) % 6)
            {
            case 0:
                x = (i & 1) ? FLT_MAX : -FLT_MAX;
                break;
            case 1:
                x = 1e30f;
                break;
            case 2:
                x = (i & 4) ? -1e6f : 1e6f;
                break;
            case 3:
                x = (i % 500 == 0) ? nan : 0.0f;
                break; // non-finite input cannot poison it
            case 4:
                x = (i % 300 == 0) ? -inf : 0.5f;
                break;
            default:
                x = 0.0f;
                break;
            }
            const float y = f.processSampleLPF_optimized(x);
            ASSERT_TRUE(std::isfinite(y)) << i;
            ASSERT_LT(std::fabs(y), 5.0f) << i; // stages stay within about +-(3 + 2g)
        }
    }
}

// The stereo pass equals the per-sample calls times the make-up gain, bit for bit, also where
// it leaves its fast path: inputs far beyond +-3, infinities and NaN, states driven past +-3
// by a large g, and two filters with different repeat counts.
TEST(Moogfilter, StereoPassEqualsPerSampleCallsTimesMakeUpGain)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case
    {
        float cutoffL, cutoffR, resonance;
        int repeatsL, repeatsR;
        double fs;
        bool extreme;
    };
    const Case cases[] = {
        {3000.0f, 500.0f, 2.0f, 4, 4, 44100.0, false},
        {12050.0f, 12050.0f, 5.0f, 2, 2, 8000.0, true},
        {1000.0f, 7000.0f, 3.0f, 4, 4, 48000.0, true},
        {2000.0f, 2000.0f, 1.0f, 4, 2, 48000.0, true},
    };
    for (const Case& c : cases)
    {
        Moogfilter l1 = preparedFilter(c.cutoffL, c.resonance, c.repeatsL, c.fs);
        Moogfilter r1 = preparedFilter(c.cutoffR, c.resonance, c.repeatsR, c.fs);
        Moogfilter l2 = l1, r2 = r1;
        std::vector<float> left(777), right(777);
        for (size_t i = 0; i < left.size(); ++i)
        {
            left[i] = 0.9f * static_cast<float>(std::sin(0.05 * static_cast<double>(i)));
            right[i] = (i / 40) % 2 ? 0.7f : -0.7f;
            if (c.extreme)
            {
                const float extremes[] = {inf, -inf, nan, FLT_MAX, -1e30f, 3.0f, -3.0f, 40.0f};
                if (i % 13 == 0) left[i] = extremes[(i / 13) % 8];
                if (i % 17 == 5) right[i] = extremes[(i / 17 + 3) % 8];
                if ((i / 100) % 2) right[i] *= 25.0f;
            }
        }
        std::vector<float> expectedL(left.size()), expectedR(right.size());
        const float gain = std::exp(32.0f * 0.115129255f); // "LP Gain" default +32 dB
        for (size_t i = 0; i < left.size(); ++i)
        {
            expectedL[i] = l2.processSampleLPF_optimized(left[i]) * gain;
            expectedR[i] = r2.processSampleLPF_optimized(right[i]) * gain;
        }
        Moogfilter::processStereo(l1, r1, left.data(), right.data(), static_cast<int>(left.size()),
                                  gain);
        for (size_t i = 0; i < left.size(); ++i)
        {
            ASSERT_EQ(std::memcmp(&left[i], &expectedL[i], sizeof(float)), 0) << i;
            ASSERT_EQ(std::memcmp(&right[i], &expectedR[i], sizeof(float)), 0) << i;
            ASSERT_TRUE(std::isfinite(left[i]) && std::isfinite(right[i])) << i;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Against the independent scalar model, bit for bit.

namespace
{

bool sameBits(float a, float b)
{
    return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b);
}

// Test signals as the filter meets them on the oversampled stream.
enum class Signal
{
    sine,     // 0.9, a few hundred Hz
    loudSine, // 20: the stages hit the table's clamp
    noise,    // uniform in [-1, 1]
    silence,
    square,      // full scale, +-1
    loudSquare,  // +-4
    tiny,        // 1e-30 noise and subnormals
    zeroStuffed, // a sine with three zeros after every sample
};
constexpr Signal kSignals[] = {Signal::sine,    Signal::loudSine,   Signal::noise,
                               Signal::silence, Signal::square,     Signal::loudSquare,
                               Signal::tiny,    Signal::zeroStuffed};

std::vector<float> makeSignal(Signal kind, int count, uint32_t seed)
{
    std::vector<float> x(count);
    uint32_t state = seed * 2654435761u + 1u;
    auto uniform = [&state]
    {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) / 8388608.0f - 1.0f;
    };
    for (int i = 0; i < count; ++i)
    {
        const double phase = 0.013 * (seed % 7 + 1) * i;
        switch (kind)
        {
        case Signal::sine:
            x[i] = static_cast<float>(0.9 * std::sin(phase));
            break;
        case Signal::loudSine:
            x[i] = static_cast<float>(20.0 * std::sin(phase));
            break;
        case Signal::noise:
            x[i] = uniform();
            break;
        case Signal::silence:
            x[i] = 0.0f;
            break;
        case Signal::square:
            x[i] = (i / 37) % 2 ? 1.0f : -1.0f;
            break;
        case Signal::loudSquare:
            x[i] = (i / 91) % 2 ? 4.0f : -4.0f;
            break;
        case Signal::tiny:
            x[i] = i % 3 ? uniform() * 1e-30f : uniform() * 1e-40f;
            break;
        case Signal::zeroStuffed:
            x[i] = i % 4 ? 0.0f : static_cast<float>(0.7 * std::sin(phase));
            break;
        }
    }
    return x;
}

} // namespace

// Stereo pass (the chain's call) and per-sample calls against the model: every signal, both
// modes with the one-call lag of g after a mode change, cutoffs from below the 20 Hz floor
// to the top of the range, resonance from 0 past the clamp at 5, block sizes 1 .. 512.
TEST(Moogfilter, MatchesTheScalarModelBitForBit)
{
    struct Setting
    {
        float cutoff, resonance;
    };
    const Setting settings[] = {{5.0f, 0.0f},     {300.0f, 0.01f},  {1000.0f, 2.0f},
                                {2200.0f, 3.0f},  {5000.0f, 1.0f},  {8000.0f, 5.0f},
                                {12050.0f, 2.0f}, {12050.0f, 7.0f}, {640.0f, -1.0f}};
    const double rates[] = {44100.0, 48000.0, 96000.0};
    const float makeUp = expf(32.0f * 0.115129255f);
    int caseIndex = 0;
    for (double fs : rates)
        for (const Setting& setting : settings)
            for (Signal kind : kSignals)
            {
                ++caseIndex;
                SCOPED_TRACE(testing::Message()
                             << "fs " << fs << " cutoff " << setting.cutoff << " resonance "
                             << setting.resonance << " signal " << static_cast<int>(kind));
                Moogfilter left, right, single;
                reference::LadderModel modelL, modelR;
                const int total = 1500;
                const std::vector<float> inL = makeSignal(kind, total, caseIndex);
                const std::vector<float> inR = makeSignal(kind, total, caseIndex + 1000);
                uint32_t blockSeed = caseIndex;
                int at = 0, call = 0;
                while (at < total)
                {
                    blockSeed = blockSeed * 1103515245u + 12345u;
                    const int sizes[] = {1, 2, 3, 7, 64, 100, 512};
                    const int frames = std::min(total - at, sizes[(blockSeed >> 16) % 7]);
                    // The mode flips every third call, so g lags it now and then.
                    const int mode = (call++ / 3 + caseIndex) % 2;
                    const float cutoff = setting.cutoff;
                    left.prepare(cutoff, setting.resonance, Moogfilter::repeatCountForMode(mode),
                                 fs);
                    right.prepare(cutoff * 0.5f, setting.resonance,
                                  Moogfilter::repeatCountForMode(mode), fs);
                    single.prepare(cutoff, setting.resonance, Moogfilter::repeatCountForMode(mode),
                                   fs);
                    modelL.prepare(cutoff, setting.resonance, mode, fs);
                    modelR.prepare(cutoff * 0.5f, setting.resonance, mode, fs);
                    ASSERT_TRUE(sameBits(left.g(), modelL.g));
                    ASSERT_TRUE(sameBits(right.g(), modelR.g));

                    std::vector<float> l(inL.begin() + at, inL.begin() + at + frames);
                    std::vector<float> r(inR.begin() + at, inR.begin() + at + frames);
                    Moogfilter::processStereo(left, right, l.data(), r.data(), frames, makeUp);
                    for (int i = 0; i < frames; ++i)
                    {
                        const float expectedL = modelL.process(inL[at + i]);
                        const float expectedR = modelR.process(inR[at + i]);
                        ASSERT_TRUE(sameBits(l[i], expectedL * makeUp))
                            << "left sample " << at + i << ": " << l[i] << " vs "
                            << expectedL * makeUp;
                        ASSERT_TRUE(sameBits(r[i], expectedR * makeUp))
                            << "right sample " << at + i << ": " << r[i] << " vs "
                            << expectedR * makeUp;
                        ASSERT_TRUE(
                            sameBits(single.processSampleLPF_optimized(inL[at + i]), expectedL))
                            << "single sample " << at + i;
                    }
                    at += frames;
                }
            }
}

// A reset clears the memories in the middle of a run exactly as the model's reset does.
TEST(Moogfilter, ResetMatchesTheModel)
{
    Moogfilter left, right;
    reference::LadderModel modelL, modelR;
    const std::vector<float> x = makeSignal(Signal::noise, 600, 5);
    std::vector<float> l = x, r = x;
    for (int part = 0; part < 2; ++part)
    {
        left.prepare(3000.0f, 2.5f, 4, 48000.0);
        right.prepare(3000.0f, 2.5f, 4, 48000.0);
        modelL.prepare(3000.0f, 2.5f, 0, 48000.0);
        modelR.prepare(3000.0f, 2.5f, 0, 48000.0);
        Moogfilter::processStereo(left, right, l.data() + part * 300, r.data() + part * 300, 300,
                                  1.0f);
        for (int i = part * 300; i < part * 300 + 300; ++i)
        {
            ASSERT_TRUE(sameBits(l[i], modelL.process(x[i]))) << i;
            ASSERT_TRUE(sameBits(r[i], modelR.process(x[i]))) << i;
        }
        left.reset();
        right.reset();
        modelL.reset();
        modelR.reset();
    }
}
