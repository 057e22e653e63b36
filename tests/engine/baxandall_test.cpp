#include "engine/baxandall.h"
#include "engine/distortion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <complex>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

#include "engine/reference/tone_model.h"

using vellox::BaxandAll;

namespace
{

constexpr double kPi = std::numbers::pi;
constexpr float kHalfPiFloat = static_cast<float>(kPi / 2.0);

using Method = void (BaxandAll::*)(float*, float*, float*, float*, int, double);

struct Variant
{
    const char* name;
    Method method;
    bool bassOn;
    bool trebleOn;
    reference::ToneModel::Variant model;
};

const Variant kVariants[] = {
    {"both", &BaxandAll::processBaxandall2, true, true, reference::ToneModel::both},
    {"treble", &BaxandAll::processBaxandall2_treble, false, true, reference::ToneModel::treble},
    {"bass", &BaxandAll::processBaxandall2_bass, true, false, reference::ToneModel::bass},
    {"original", &BaxandAll::processBaxandall2_original, false, false, reference::ToneModel::original},
};

BaxandAll freshStage(float exciter = BaxandAll::kExciterOff, float bass = 0.0f, float treble = 0.0f)
{
    BaxandAll stage;
    stage.reset();
    stage.setControls(exciter, bass, treble);
    return stage;
}

// Runs `method` in place over copies of the two channels.
void runInPlace(BaxandAll& stage, Method method, std::vector<float>& left,
                std::vector<float>& right, double fs)
{
    (stage.*method)(left.data(), left.data(), right.data(), right.data(),
                    static_cast<int>(left.size()), fs);
}

// Bilinear second-order low-pass with prewarped m = tan(pi f): H(s) = m^2 / (s^2 + s m/Q + m^2)
// with s = j tan(theta / 2).
std::complex<double> lowPass(double f, double q, double theta)
{
    const double m = std::tan(kPi * f);
    const std::complex<double> s(0.0, std::tan(theta / 2.0));
    return m * m / (s * s + s * m / q + m * m);
}

// Small-signal gain of the band split. Each filter copy sees every other sample, so each
// filter acts as H(z^2): evaluated at twice the angle.
double bandSplitGain(bool high, bool low, float exciter, double fs, double frequency)
{
    const double gain = std::pow(10.0, (exciter * 30.0 - 15.0) / 20.0);
    const double f1 = std::min(0.45, 4410.0 * gain / fs);
    const double f2 = std::min(0.45, 8820.0 / gain / fs);
    const double theta = 2.0 * (2.0 * kPi * frequency / fs);
    std::complex<double> h = 0.0;
    if (high) h += gain * (1.0 - lowPass(f1, 0.4, theta));
    if (low) h += gain * lowPass(f2, 0.2, theta);
    return std::abs(h);
}

double toneAmplitude(const std::vector<float>& x, size_t start, double omega)
{
    std::complex<double> acc = 0.0;
    for (size_t i = start; i < x.size(); ++i)
        acc += static_cast<double>(x[i]) * std::polar(1.0, -omega * static_cast<double>(i));
    return 2.0 * std::abs(acc) / static_cast<double>(x.size() - start);
}

double cubic(double y)
{
    return (1.0 - y * y / 3.0) * (1.5 * y);
}

} // namespace

TEST(BaxandAll, ZeroStaysZeroInEveryVariant)
{
    for (const Variant& v : kVariants)
    {
        BaxandAll stage = freshStage(BaxandAll::kExciterOn, 8.0f, 6.0f);
        std::vector<float> left(256, 0.0f), right(256, 0.0f);
        runInPlace(stage, v.method, left, right, 44100.0);
        for (size_t i = 0; i < left.size(); ++i)
        {
            ASSERT_EQ(left[i], 0.0f) << v.name;
            ASSERT_EQ(right[i], 0.0f) << v.name;
        }
    }
}

TEST(BaxandAll, ConstantInputSettlesToTheLowBand)
{
    // Both low-passes have unit gain at zero frequency: the high band dies out and the low
    // band carries sin(x), which the arcsine undoes.
    struct Case
    {
        const Variant& variant;
        float expected;
    };
    const float x = 0.3f;
    for (const Case& c : {Case{kVariants[3], x}, Case{kVariants[1], 0.0f}, Case{kVariants[2], x},
                          Case{kVariants[0], x}})
    {
        BaxandAll stage = freshStage(); // exciter off, morphs 0
        std::vector<float> left(4000, x), right(4000, -x);
        runInPlace(stage, c.variant.method, left, right, 44100.0);
        EXPECT_NEAR(left.back(), c.expected, 1e-6) << c.variant.name;
        EXPECT_NEAR(right.back(), -c.expected, 1e-6) << c.variant.name;
    }
}

TEST(BaxandAll, BandsGoThroughTheShaperWithTheirMorphs)
{
    const float x = 0.3f;
    const double s2 = cubic(cubic(std::sin(0.3))); // morph 1 is the stage s(s(y))
    {
        BaxandAll stage = freshStage(BaxandAll::kExciterOff, 1.0f, 0.0f);
        std::vector<float> left(4000, x), right(4000, x);
        runInPlace(stage, &BaxandAll::processBaxandall2_bass, left, right, 44100.0);
        EXPECT_NEAR(left.back(), std::asin(s2), 1e-5);
    }
    {
        // The treble morph acts on the high band only, which settles to 0 whatever the morph.
        BaxandAll stage = freshStage(BaxandAll::kExciterOff, 1.0f, 5.0f);
        std::vector<float> left(4000, x), right(4000, x);
        runInPlace(stage, &BaxandAll::processBaxandall2, left, right, 44100.0);
        EXPECT_NEAR(left.back(), std::asin(s2), 1e-5);
    }
}

TEST(BaxandAll, SmallSignalResponseMatchesTheBandSplit)
{
    struct Case
    {
        const Variant& variant;
        float exciter;
        bool high;
        bool low;
    };
    const double fs = 44100.0;
    for (const Case& c : {Case{kVariants[3], BaxandAll::kExciterOff, true, true},
                          Case{kVariants[3], BaxandAll::kExciterOn, true, true},
                          Case{kVariants[1], BaxandAll::kExciterOff, true, false},
                          Case{kVariants[2], BaxandAll::kExciterOn, false, true}})
    {
        for (double frequency : {100.0, 1470.0, 4410.0, 8820.0, 11025.0, 15750.0})
        {
            BaxandAll stage = freshStage(c.exciter);
            const double omega = 2.0 * kPi * frequency / fs;
            std::vector<float> left(8820), right(8820);
            for (size_t i = 0; i < left.size(); ++i)
                left[i] = right[i] =
                    static_cast<float>(0.01 * std::sin(omega * static_cast<double>(i)));
            runInPlace(stage, c.variant.method, left, right, fs);
            const double expected = bandSplitGain(c.high, c.low, c.exciter, fs, frequency);
            // Amplitude 0.01 keeps sin / asin within 2e-5 of linear.
            EXPECT_NEAR(toneAmplitude(left, 4410, omega) / 0.01, expected, 1e-3)
                << c.variant.name << " exciter " << c.exciter << " at " << frequency;
        }
    }
    // The exciter raises both bands by 3.125 dB.
    EXPECT_NEAR(20.0 * std::log10(bandSplitGain(false, true, BaxandAll::kExciterOn, fs, 0.0)),
                3.125, 1e-4);
}

TEST(BaxandAll, ZeroMorphBandsEqualTheCleanRecombination)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> dist(-0.99f, 0.99f);
    std::vector<float> left(2048), right(2048);
    for (size_t i = 0; i < left.size(); ++i)
    {
        left[i] = dist(random);
        right[i] = dist(random);
    }
    std::vector<float> cleanL = left, cleanR = right;
    BaxandAll shaped = freshStage(BaxandAll::kExciterOn);
    BaxandAll clean = freshStage(BaxandAll::kExciterOn);
    runInPlace(shaped, &BaxandAll::processBaxandall2, left, right, 44100.0);
    runInPlace(clean, &BaxandAll::processBaxandall2_original, cleanL, cleanR, 44100.0);
    for (size_t i = 0; i < left.size(); ++i)
    {
        // The shaped path rounds each band and the sum to float.
        ASSERT_NEAR(left[i], cleanL[i], 2e-6) << i;
        ASSERT_NEAR(right[i], cleanR[i], 2e-6) << i;
    }
}

TEST(BaxandAll, SwitchesSelectTheVariant)
{
    std::vector<float> input(300);
    for (size_t i = 0; i < input.size(); ++i)
        input[i] = 0.8f * static_cast<float>(std::sin(0.05 * static_cast<double>(i)));
    for (const Variant& v : kVariants)
    {
        BaxandAll viaSwitches = freshStage(BaxandAll::kExciterOn, 3.0f, 2.5f);
        BaxandAll direct = freshStage(BaxandAll::kExciterOn, 3.0f, 2.5f);
        std::vector<float> l1 = input, r1 = input, l2 = input, r2 = input;
        viaSwitches.process(v.bassOn, v.trebleOn, l1.data(), r1.data(), 300, 48000.0);
        runInPlace(direct, v.method, l2, r2, 48000.0);
        EXPECT_EQ(l1, l2) << v.name;
        EXPECT_EQ(r1, r2) << v.name;
    }
}

TEST(BaxandAll, FilterCopiesAndToggleCarryAcrossCalls)
{
    std::vector<float> left(1000), right(1000);
    for (size_t i = 0; i < left.size(); ++i)
    {
        left[i] = 0.7f * static_cast<float>(std::sin(0.013 * static_cast<double>(i)));
        right[i] = 0.5f * static_cast<float>(std::cos(0.31 * static_cast<double>(i)));
    }
    BaxandAll whole = freshStage(BaxandAll::kExciterOn, 4.0f, 3.0f);
    BaxandAll split = freshStage(BaxandAll::kExciterOn, 4.0f, 3.0f);
    std::vector<float> l2 = left, r2 = right;
    runInPlace(whole, &BaxandAll::processBaxandall2, left, right, 44100.0);
    // An odd first call leaves the toggle on the other copy.
    split.processBaxandall2(l2.data(), l2.data(), r2.data(), r2.data(), 7, 44100.0);
    EXPECT_EQ(split.toggle, 1);
    split.processBaxandall2(l2.data() + 7, l2.data() + 7, r2.data() + 7, r2.data() + 7, 993,
                            44100.0);
    EXPECT_EQ(left, l2);
    EXPECT_EQ(right, r2);
}

TEST(BaxandAll, FirstSampleGoesToCopyTwoAndUnusedFiltersAreUntouched)
{
    BaxandAll stage = freshStage();
    float l = 0.5f, r = 0.25f;
    stage.processBaxandall2_treble(&l, &l, &r, &r, 1, 44100.0);
    // Records: left first 1/2, left second 1/2, right first 1/2, right second 1/2.
    EXPECT_EQ(stage.filters[0].s1, 0.0);
    EXPECT_NE(stage.filters[1].s1, 0.0);
    EXPECT_EQ(stage.filters[4].s1, 0.0);
    EXPECT_NE(stage.filters[5].s1, 0.0);
    for (int unused : {2, 3, 6, 7})
    {
        EXPECT_EQ(stage.filters[unused].frequency, 0.0) << unused;
        EXPECT_EQ(stage.filters[unused].s1, 0.0) << unused;
    }
    EXPECT_DOUBLE_EQ(stage.filters[0].frequency, 0.1); // 4410 / 44100
    EXPECT_EQ(stage.filters[0].quality, 0.4);

    stage.processBaxandall2_bass(&l, &l, &r, &r, 1, 44100.0);
    EXPECT_DOUBLE_EQ(stage.filters[2].frequency, 0.2); // 8820 / 44100
    EXPECT_EQ(stage.filters[2].quality, 0.2);
    EXPECT_NE(stage.filters[2].s1, 0.0); // toggle 1: copy 1 this time
    EXPECT_EQ(stage.filters[3].s1, 0.0);

    stage.setControls(BaxandAll::kExciterOn, 1.0f, 1.0f);
    stage.reset();
    EXPECT_EQ(stage.exciterA, 0.5f);
    EXPECT_EQ(stage.exciterB, 0.5f);
    EXPECT_EQ(stage.toggle, 0);
    for (const BaxandAll::Filter& f : stage.filters)
        EXPECT_TRUE(f.s1 == 0.0 && f.s2 == 0.0 && f.b0 == 0.0 && f.frequency == 0.0);
}

TEST(BaxandAll, BandEdgesAreCappedAtPointFourFive)
{
    // At 8 kHz with the exciter on both edges would pass 0.45 cycles per sample.
    BaxandAll stage = freshStage(BaxandAll::kExciterOn);
    std::vector<float> left(2000), right(2000);
    for (size_t i = 0; i < left.size(); ++i)
        left[i] = right[i] = (i / 5) % 2 ? 0.9f : -0.9f;
    runInPlace(stage, &BaxandAll::processBaxandall2_original, left, right, 8000.0);
    EXPECT_EQ(stage.filters[0].frequency, 0.45);
    EXPECT_EQ(stage.filters[2].frequency, 0.45);
    const double m = std::tan(0.45 * kPi);
    EXPECT_NEAR(stage.filters[0].b0, m * m / (m / 0.4 + 1.0 + m * m), 1e-15);
    for (float y : left)
        ASSERT_TRUE(std::isfinite(y) && std::fabs(y) <= kHalfPiFloat);
}

TEST(BaxandAll, OutputStaysInsideTheArcsineRangeWhateverTheInput)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // Harshest settings: exciter on, bass 100 %, treble 100 %. Full-scale square waves make
    // band values beyond +-2, where the shaper's stage chain diverges.
    for (const Variant& v : kVariants)
    {
        BaxandAll stage = freshStage(BaxandAll::kExciterOn, 8.0f, 6.0f);
        std::vector<float> left(6000), right(6000);
        for (size_t i = 0; i < left.size(); ++i)
        {
            const bool high = (i / 200) % 2 == 0;
            left[i] = high ? 0.999f : -0.999f;
            right[i] = i % 1000 == 3 ? nan : i % 1000 == 500 ? -inf : i % 7 == 0 ? 1e30f : 1.5f;
        }
        runInPlace(stage, v.method, left, right, 44100.0);
        for (size_t i = 0; i < left.size(); ++i)
        {
            ASSERT_TRUE(std::isfinite(left[i]) && std::fabs(left[i]) <= kHalfPiFloat)
                << v.name << " " << i;
            ASSERT_TRUE(std::isfinite(right[i]) && std::fabs(right[i]) <= kHalfPiFloat)
                << v.name << " " << i;
        }
        for (const BaxandAll::Filter& f : stage.filters)
            ASSERT_TRUE(std::isfinite(f.s1) && std::isfinite(f.s2)) << v.name;
    }
}

namespace
{

// Test signals of the oversampled stream, and beyond what the chain can deliver.
std::vector<float> toneSignal(int kind, size_t n)
{
    std::vector<float> x(n);
    std::mt19937 random(static_cast<unsigned>(kind) + 5u);
    std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
    for (size_t i = 0; i < n; ++i)
    {
        const double t = static_cast<double>(i);
        switch (kind)
        {
        case 0: // two sines, near full scale
            x[i] = static_cast<float>(0.7 * std::sin(0.011 * t) + 0.29 * std::sin(0.9 * t));
            break;
        case 1: // white noise
            x[i] = dist(random);
            break;
        case 2: // silence
            x[i] = 0.0f;
            break;
        case 3: // full-scale square, period 64
            x[i] = (i / 32) % 2 ? 1.0f : -1.0f;
            break;
        case 4: // full-scale alternation: the high band far beyond sqrt 5 with the exciter on
            x[i] = i % 2 ? 1.0f : -1.0f;
            break;
        case 5: // tiny values down to subnormals
            x[i] = dist(random) * std::ldexp(1.0f, -static_cast<int>(i % 140));
            break;
        case 6: // what the Vaveriv stage can deliver (up to about 1.16) and beyond
            x[i] = 1.6f * dist(random);
            break;
        default: // sparse non-finite and huge samples in a sine
            x[i] = i % 97 == 5    ? std::numeric_limits<float>::quiet_NaN()
                   : i % 89 == 7  ? -std::numeric_limits<float>::infinity()
                   : i % 83 == 11 ? 3e38f
                                  : static_cast<float>(0.5 * std::sin(0.05 * t));
            break;
        }
    }
    return x;
}
constexpr int kSignalKinds = 8;

bool sameBits(float a, float b)
{
    return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b);
}

struct ToneSettings
{
    float exciter;
    float bass;
    float treble;
    double fs;
};

// Runs the stage and the model over the same two channels in blocks of varying length;
// returns the number of samples whose bits differ and the first of them.
int differingFromModel(const Variant& v, const ToneSettings& set, int kind, size_t& first)
{
    constexpr size_t kLength = 8192;
    const int blockLengths[] = {1, 2, 3, 7, 64, 511, 512, 1, 4096, 5, 2048, 13};
    std::vector<float> left = toneSignal(kind, kLength);
    std::vector<float> right = toneSignal((kind + 3) % kSignalKinds, kLength);
    std::reverse(right.begin(), right.end());
    std::vector<float> modelLeft = left, modelRight = right;

    BaxandAll stage = freshStage(set.exciter, set.bass, set.treble);
    reference::ToneModel model;
    model.exciterA = model.exciterB = set.exciter;
    model.bassMorph = set.bass;
    model.trebleMorph = set.treble;

    size_t done = 0;
    for (int b = 0; done < kLength; ++b)
    {
        const int n = std::min(blockLengths[b % std::size(blockLengths)],
                               static_cast<int>(kLength - done));
        (stage.*v.method)(left.data() + done, left.data() + done, right.data() + done,
                          right.data() + done, n, set.fs);
        model.process(v.model, modelLeft.data() + done, modelRight.data() + done, n, set.fs);
        done += static_cast<size_t>(n);
    }
    int differing = stage.toggle == model.toggle ? 0 : 1;
    first = kLength;
    for (size_t i = 0; i < kLength; ++i)
        if (!sameBits(left[i], modelLeft[i]) || !sameBits(right[i], modelRight[i]))
        {
            ++differing;
            first = std::min(first, i);
        }
    return differing;
}

} // namespace

// The production stage against the reference model, sample by sample and bit for bit, over
// every variant, exciter on and off, morphs from 0 to the engine's largest, four sample
// rates (8 kHz caps both band edges at 0.45), block lengths from 1 to 4096 so that the
// filter states and the toggle carry across calls of every length, and both instruction
// sets.
TEST(BaxandAll, MatchesTheReferenceModel)
{
    const ToneSettings settings[] = {
        {BaxandAll::kExciterOff, 0.0f, 0.0f, 44100.0},
        {BaxandAll::kExciterOff, 20.0f * 0.08f, 20.0f * 0.06f, 48000.0}, // the defaults
        {BaxandAll::kExciterOn, 100.0f * 0.08f, 100.0f * 0.06f, 48000.0},
        {BaxandAll::kExciterOn, 37.0f * 0.08f, 3.0f * 0.06f, 44100.0},
        {BaxandAll::kExciterOff, 63.0f * 0.08f, 91.0f * 0.06f, 8000.0},
        {BaxandAll::kExciterOn, 1.0f, 2.0f, 96000.0},
    };
    for (bool baseline : {false, true})
    {
        vellox::setBaselineLanes(baseline);
        for (const Variant& v : kVariants)
            for (const ToneSettings& set : settings)
                for (int kind = 0; kind < kSignalKinds; ++kind)
                {
                    size_t first = 0;
                    EXPECT_EQ(differingFromModel(v, set, kind, first), 0)
                        << v.name << " exciter " << set.exciter << " bass " << set.bass
                        << " treble " << set.treble << " fs " << set.fs << " signal " << kind
                        << ", first at " << first << (baseline ? " (SSE2)" : "");
                }
    }
    vellox::setBaselineLanes(false);
}

// Output written to separate buffers equals the in-place result, and the input is left alone.
TEST(BaxandAll, SeparateOutputBuffersMatchInPlace)
{
    for (const Variant& v : kVariants)
    {
        const std::vector<float> left = toneSignal(0, 777), right = toneSignal(1, 777);
        std::vector<float> inL = left, inR = right, outL(777), outR(777);
        std::vector<float> placeL = left, placeR = right;
        BaxandAll separate = freshStage(BaxandAll::kExciterOn, 3.0f, 2.0f);
        BaxandAll inPlace = freshStage(BaxandAll::kExciterOn, 3.0f, 2.0f);
        (separate.*v.method)(inL.data(), outL.data(), inR.data(), outR.data(), 777, 48000.0);
        runInPlace(inPlace, v.method, placeL, placeR, 48000.0);
        EXPECT_EQ(inL, left) << v.name;
        EXPECT_EQ(inR, right) << v.name;
        EXPECT_EQ(outL, placeL) << v.name;
        EXPECT_EQ(outR, placeR) << v.name;
    }
}

namespace
{

// Float inputs that reach every path of the sine: zeros, subnormals, the smallest values of
// the vector range and below, a sweep over every 509th float up to 1.6 (beyond the vector
// range of 1.25), the range's edge, large values and non-finite ones; both signs.
std::vector<float> sineInputs()
{
    std::vector<float> x = {0.0f, 1e-45f, 1e-38f, 0x1p-61f, 0x1p-60f, 0x1.000002p-60f, 1e-10f,
                            1e-8f, 0.5f, 1.0f, 1.25f, std::nextafter(1.25f, 2.0f), 3.0f, 1e30f,
                            std::numeric_limits<float>::max(), std::numeric_limits<float>::infinity(),
                            std::numeric_limits<float>::quiet_NaN()};
    for (uint32_t bits = 0; bits <= std::bit_cast<uint32_t>(1.6f); bits += 509)
        x.push_back(std::bit_cast<float>(bits));
    const size_t n = x.size();
    for (size_t i = 0; i < n; ++i)
        x.push_back(-x[i]);
    return x;
}

} // namespace

// The vector sine gives the C library's sin bit for bit (0 for non-finite input), on both
// instruction sets. Odd counts exercise the partly filled last vector.
TEST(ToneKernels, SineMatchesTheLibrary)
{
    const std::vector<float> x = sineInputs();
    for (bool baseline : {false, true})
    {
        vellox::setBaselineLanes(baseline);
        std::vector<double> y(x.size());
        vellox::toneSines(x.data(), y.data(), static_cast<int>(x.size()) - 1);
        for (size_t i = 0; i + 1 < x.size(); ++i)
        {
            const double expected = std::isfinite(x[i]) ? std::sin(static_cast<double>(x[i])) : 0.0;
            ASSERT_EQ(std::bit_cast<uint64_t>(y[i]), std::bit_cast<uint64_t>(expected))
                << std::hexfloat << x[i] << (baseline ? " (SSE2)" : "");
        }
    }
    vellox::setBaselineLanes(false);
}

// The vector arcsine gives float(asin()) of the clipped sum bit for bit, on both instruction
// sets: random sums, sums crowding the clip threshold, 0.5 (where the method changes) and 1,
// tiny and subnormal ones, out-of-range and non-finite ones.
TEST(ToneKernels, ArcsineMatchesTheLibrary)
{
    std::mt19937_64 random(3);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    std::vector<double> s = {0.0, -0.0, 0.5, 1.0, 0.999, 1.5, 2.0, 1e300, 0x1p-1074, 0x1p-1022,
                             0x1p-126, 0x1p-120, 1e-30, std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN()};
    for (int i = 0; i < 400000; ++i)
        s.push_back(dist(random));
    for (double centre : {0.5, 0.999, 1.0})
        for (int i = 0; i < 20000; ++i)
            s.push_back(centre + std::ldexp(dist(random), -static_cast<int>(random() % 60)));
    for (int i = 0; i < 20000; ++i)
        s.push_back(std::ldexp(dist(random), -static_cast<int>(random() % 1100)));
    const size_t n = s.size();
    for (size_t i = 0; i < n; ++i)
        s.push_back(-s[i]);
    for (bool baseline : {false, true})
    {
        vellox::setBaselineLanes(baseline);
        std::vector<float> y(s.size());
        vellox::toneArcsines(s.data(), y.data(), static_cast<int>(s.size()) - 3);
        for (size_t i = 0; i + 3 < s.size(); ++i)
        {
            const float expected =
                static_cast<float>(std::asin(reference::ToneModel::safetyClip(s[i])));
            ASSERT_EQ(std::bit_cast<uint32_t>(y[i]), std::bit_cast<uint32_t>(expected))
                << std::hexfloat << s[i] << (baseline ? " (SSE2)" : "");
        }
    }
    vellox::setBaselineLanes(false);
}
