#include "engine/academic_downsampling_optimised.h"
#include "engine/academic_oversampling_optimised.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

using vellox::DownsamplingOpt;
using vellox::UpsamplingOpt;

namespace
{
const int kFactors[] = {1, 2, 4, 8, 16};
}

TEST(DownsamplingOpt, SectionIsOneTwoOneTwoOne)
{
    for (int factor : kFactors)
    {
        DownsamplingOpt down;
        down.initialize(factor, 44100.0);
        const plugkit::BiquadCoefficients& c = down.section().coefficients;
        EXPECT_EQ(c.b0, 1.0);
        EXPECT_EQ(c.b1, 2.0);
        EXPECT_EQ(c.b2, 1.0);
        EXPECT_EQ(c.a1, 2.0);
        EXPECT_EQ(c.a2, 1.0);
    }
}

// Keeps the first sample of every group; the input is left holding the section's output,
// which is the input itself.
TEST(DownsamplingOpt, KeepsPhaseZeroAndLeavesTheInputAsTheSectionOutput)
{
    DownsamplingOpt down;
    float stream[12] = {1, 0.5f, -0.5f, 0.25f, 2, 0.1f, 0.2f, 0.3f, 3, -7, 8, -9};
    const std::vector<float> before(stream, stream + 12);
    float out[3];
    down.processBuffer(stream, out, 3, 4, 44100.0);
    EXPECT_EQ(out[0], 1.0f);
    EXPECT_EQ(out[1], 2.0f);
    EXPECT_EQ(out[2], 3.0f);
    EXPECT_EQ(std::vector<float>(stream, stream + 12), before);

    // In place: output may be the input buffer.
    DownsamplingOpt again;
    float inPlace[12] = {1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0};
    again.processBuffer(inPlace, inPlace, 3, 4, 44100.0);
    EXPECT_EQ(inPlace[0], 1.0f);
    EXPECT_EQ(inPlace[1], 2.0f);
    EXPECT_EQ(inPlace[2], 3.0f);
}

// Up then down returns the input bit for bit, without delay, at every factor, across calls of
// varying length with the states carried, as the engine uses them.
TEST(DownsamplingOpt, RoundTripIsExactAtEveryFactor)
{
    std::mt19937 rng(1234);
    std::uniform_real_distribution<float> sample(-1.5f, 1.5f);
    for (int factor : kFactors)
    {
        UpsamplingOpt up;
        DownsamplingOpt down;
        std::vector<float> stream(512 * factor);
        for (int frames : {512, 1, 37, 0, 256, 511, 512})
        {
            std::vector<float> in(frames), out(frames);
            for (float& v : in)
                v = sample(rng);
            if (frames > 3)
            {
                in[1] = 0.0f;
                in[2] = 1e-6f;
                in[3] = -100.0f; // 1e8 apart: still exact
            }
            up.processBuffer(in.data(), stream.data(), frames, factor, 48000.0);
            down.processBuffer(stream.data(), out.data(), frames, factor, 48000.0);
            ASSERT_EQ(out, in) << "factor " << factor << ", frames " << frames;
        }
    }
}

// The up-sampler's own example: 1, 2, 3 at factor 4 and back.
TEST(DownsamplingOpt, FactorFourExample)
{
    UpsamplingOpt up;
    DownsamplingOpt down;
    const float in[3] = {1, 2, 3};
    float stream[12], out[3];
    up.processBuffer(in, stream, 3, 4, 44100.0);
    down.processBuffer(stream, out, 3, 4, 44100.0);
    EXPECT_EQ(out[0], 1.0f);
    EXPECT_EQ(out[1], 2.0f);
    EXPECT_EQ(out[2], 3.0f);
}

// The down-sampler sees an arbitrary (not zero-stuffed) stream. A sample next to one over 2^29
// times larger makes the section round; the drift stays inside that block.
TEST(DownsamplingOpt, RoundingDriftEndsWithTheBlock)
{
    DownsamplingOpt down;
    float bad[4] = {400.0f, 1e-7f, 0.3f, -0.2f};
    float out[4];
    down.processBuffer(bad, out, 4, 1, 48000.0);
    EXPECT_NE(out[1], 1e-7f); // the literal section rounds here
    EXPECT_EQ(down.section().state.y1, down.section().state.x1);

    float next[64];
    for (int i = 0; i < 64; ++i)
        next[i] = std::sin(0.3f * float(i));
    const std::vector<float> expected(next, next + 64);
    float nextOut[64];
    down.processBuffer(next, nextOut, 64, 1, 48000.0);
    EXPECT_EQ(std::vector<float>(nextOut, nextOut + 64), expected);
}

TEST(DownsamplingOptDeathTest, UnsupportedFactorIsFatal)
{
    DownsamplingOpt down;
    float buffer[6] = {};
    EXPECT_DEATH(down.processBuffer(buffer, buffer, 1, 6, 48000.0), "factor");
}
