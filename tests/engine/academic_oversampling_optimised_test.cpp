#include "engine/academic_oversampling_optimised.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

using vellox::UpsamplingOpt;

namespace
{
const int kFactors[] = {1, 2, 4, 8, 16};
}

// The section is designed at the host rate's Nyquist frequency: exactly 1, 2, 1, 2, 1 at
// every rate and factor, state cleared.
TEST(UpsamplingOpt, SectionIsOneTwoOneTwoOne)
{
    for (double rate : {8000.0, 44100.0, 48000.0, 88200.0, 96000.0, 192000.0})
        for (int factor : kFactors)
        {
            UpsamplingOpt up;
            up.initialize(factor, rate);
            const plugkit::BiquadCoefficients& c = up.section().coefficients;
            EXPECT_EQ(c.b0, 1.0);
            EXPECT_EQ(c.b1, 2.0);
            EXPECT_EQ(c.b2, 1.0);
            EXPECT_EQ(c.a1, 2.0);
            EXPECT_EQ(c.a2, 1.0);
            EXPECT_EQ(up.currentFactor(), factor);
            EXPECT_EQ(up.section().state.y1, 0.0);
        }
}

TEST(UpsamplingOpt, ZeroInsertionWithoutInterpolationOrDelay)
{
    UpsamplingOpt up;
    const float in[3] = {1.0f, 2.0f, 3.0f};
    float out[12];
    up.processBuffer(in, out, 3, 4, 44100.0);
    const float expected[12] = {1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0};
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(out[i], expected[i]) << i;

    UpsamplingOpt copy;
    float same[3];
    copy.processBuffer(in, same, 3, 1, 44100.0);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(same[i], in[i]);
}

// Output may be the input buffer itself (room for frames x factor floats).
TEST(UpsamplingOpt, InPlaceMatchesSeparateBuffers)
{
    for (int factor : kFactors)
    {
        std::vector<float> in = {0.25f, -0.5f, 0.125f, 0.75f, -1.0f};
        std::vector<float> buffer(in.size() * factor, 9.0f);
        std::copy(in.begin(), in.end(), buffer.begin());
        std::vector<float> separate(in.size() * factor);
        UpsamplingOpt a, b;
        a.processBuffer(buffer.data(), buffer.data(), int(in.size()), factor, 48000.0);
        b.processBuffer(in.data(), separate.data(), int(in.size()), factor, 48000.0);
        EXPECT_EQ(buffer, separate) << factor;
    }
}

// The state carries over while the factor stays; a new factor re-initialises, which clears
// the state, before anything is processed.
TEST(UpsamplingOpt, FactorChangeClearsTheState)
{
    UpsamplingOpt up;
    const float in[2] = {0.5f, -0.25f};
    float out[16];
    up.processBuffer(in, out, 2, 1, 48000.0);
    EXPECT_EQ(up.section().state.y1, -0.25);
    up.processBuffer(in, out, 0, 1, 48000.0);
    EXPECT_EQ(up.section().state.y1, -0.25);
    up.processBuffer(in, out, 0, 8, 48000.0);
    EXPECT_EQ(up.currentFactor(), 8);
    EXPECT_EQ(up.section().state.x1, 0.0);
    EXPECT_EQ(up.section().state.y1, 0.0);
    EXPECT_EQ(up.section().state.y2, 0.0);
}

TEST(UpsamplingOptDeathTest, UnsupportedFactorIsFatal)
{
    UpsamplingOpt up;
    EXPECT_DEATH(up.initialize(3, 48000.0), "factor");
    EXPECT_DEATH(up.initialize(0, 48000.0), "factor");
}

// Both poles sit on the unit circle, so neither NaN nor rounding drift would ever leave the
// state by itself. A bad block is dropped at its end; the next block is exact again.
TEST(UpsamplingOpt, RecoversAfterNonFiniteOrHugeSamples)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::vector<std::vector<float>> badBlocks = {
        {0.5f, nan, 0.5f},
        {inf, 0.25f},
        {-inf, inf},
        // 1e30 next to 1e-3: 2 x1 + x rounds and the error would grow by 1e-3 per sample.
        {1e30f, 1e-3f, 0.5f, -0.25f},
        {std::numeric_limits<float>::max(), std::numeric_limits<float>::denorm_min()},
    };
    for (const std::vector<float>& bad : badBlocks)
        for (int factor : {1, 4})
        {
            UpsamplingOpt up;
            std::vector<float> out(bad.size() * factor);
            up.processBuffer(bad.data(), out.data(), int(bad.size()), factor, 48000.0);

            std::vector<float> next(64);
            for (size_t i = 0; i < next.size(); ++i)
                next[i] = 0.001f * float(i) - 0.02f;
            std::vector<float> nextOut(next.size() * factor);
            up.processBuffer(next.data(), nextOut.data(), int(next.size()), factor, 48000.0);
            for (size_t i = 0; i < next.size(); ++i)
                ASSERT_EQ(nextOut[i * factor], next[i]) << "factor " << factor << ", sample " << i;
        }
}

// Skipping the recursion when it would return its input is invisible: over blocks full of
// signed zeros, tiny, huge and non-finite samples, the section gives the literal per-sample
// rule's output and state bit for bit (with the drift dropped at each block's end).
TEST(UpsamplingOpt, SkippedRecursionMatchesTheLiteralRule)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const float pool[] = {0.0f,    -0.0f, 0.5f,   -0.75f, 1e-30f,
                          -1e-12f, 3e8f,  -1e20f, 1.0f,   std::numeric_limits<float>::denorm_min(),
                          0.3f,    -0.3f, inf,    nan};
    plugkit::BiquadSection fast, literal;
    fast.coefficients = literal.coefficients = vellox::oversamplingSectionDesign(4, 48000.0);
    unsigned seed = 7;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7fff; };
    for (int block = 0; block < 3000; ++block)
    {
        const int count = int(block % 7 == 0 ? next() % 300 : next() % 23);
        // Mostly plain blocks (the skip path), a few with a nasty sample.
        const int nastyFrom = block % 5 == 0 ? int(next() % (count + 1)) : count;
        std::vector<float> a(count);
        for (int i = 0; i < count; ++i)
            a[i] = i >= nastyFrom ? pool[next() % 14]
                                  : pool[2 + next() % 2] * float(next() % 100) / 50.0f;
        std::vector<float> b = a;
        vellox::runOversamplingSection(fast, a.data(), count);
        literal.processInPlace(b.data(), count);
        literal.state.y1 = literal.state.x1;
        literal.state.y2 = literal.state.x2;
        for (int i = 0; i < count; ++i)
            ASSERT_EQ(0, std::memcmp(&a[i], &b[i], sizeof(float)))
                << "block " << block << ", sample " << i;
        ASSERT_EQ(0, std::memcmp(&fast.state, &literal.state, sizeof(plugkit::BiquadState)))
            << "block " << block << ": " << testing::PrintToString(a);
    }
}
