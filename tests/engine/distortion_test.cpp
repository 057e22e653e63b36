#include "engine/distortion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "engine/reference/shaper_model.h"

using namespace vellox;

namespace
{

using reference::stage;

// Bit for bit, NaN matching any NaN.
bool same(float a, float b)
{
    return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b) || (a != a && b != b);
}

// Inputs that reach every branch: both signs, the threshold and its neighbours, the range
// where the stage chain diverges, tiny and subnormal values, zeros, the float range's edge,
// infinities and NaN; plus a dense sweep and random values.
std::vector<float> probeInputs()
{
    const float inf = std::numeric_limits<float>::infinity();
    std::vector<float> x = {0.0f, 1e-45f, 1e-38f, 1e-30f, 1e-7f, 0.5f, 0.707f,
                            std::nextafter(0.707f, 0.0f), std::nextafter(0.707f, 1.0f), 0.99999994f,
                            1.0f, 1.0000001f, 1.1583f, 1.7320508f, 2.0f, 2.236068f, 2.3f, 3.0f,
                            10.0f, 1e5f, 1e20f, FLT_MAX, inf, std::numeric_limits<float>::quiet_NaN()};
    for (float v = -3.0f; v <= 3.0f; v += 1.0f / 1024.0f)
        x.push_back(v);
    std::mt19937 random(11);
    std::uniform_real_distribution<float> dist(-1.2f, 1.2f);
    for (int i = 0; i < 4096; ++i)
        x.push_back(dist(random));
    const size_t n = x.size();
    for (size_t i = 0; i < n; ++i)
        x.push_back(-x[i]);
    return x;
}

// Morphs: every value the engine forms ("Vudirazi amount" x 0.06 capped at 99, "Bass amount"
// x 0.08, "Treble amount" x 0.06), whole numbers and their neighbours, the last segment,
// beyond it, negative and NaN.
std::vector<float> probeMorphs()
{
    std::vector<float> m;
    for (int percent = 0; percent <= 100; ++percent)
    {
        m.push_back(std::min(float(percent), 99.0f) * 0.06f);
        m.push_back(float(percent) * 0.08f);
    }
    for (int n = 0; n <= 12; ++n)
    {
        m.push_back(float(n));
        m.push_back(std::nextafter(float(n), 0.0f));
        m.push_back(float(n) + 0.5f);
    }
    for (float v : {10.999999f, 11.000001f, 1000.0f, -0.0f, -1e-30f, -1.0f,
                    std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()})
        m.push_back(v);
    return m;
}

} // namespace

TEST(SoftClip, MatchesTheReferenceModel)
{
    const std::vector<float> x = probeInputs();
    for (float v : x)
        ASSERT_TRUE(same(softClip(v), reference::softClip(v))) << v;
    // The buffer form, at every length and alignment up to 67 samples.
    for (size_t start = 0; start < 4; ++start)
        for (size_t count = 0; count <= 67; ++count)
        {
            std::vector<float> buffer(x.begin() + 2000, x.begin() + 2100);
            processSoftClip(buffer.data() + start, int(count));
            for (size_t i = 0; i < buffer.size(); ++i)
            {
                const float in = x[2000 + i];
                const bool inside = i >= start && i < start + count;
                ASSERT_TRUE(same(buffer[i], inside ? reference::softClip(in) : in))
                    << start << " " << count << " " << i;
            }
        }
}

TEST(SoftClip, Values)
{
    EXPECT_EQ(softClip(0.5f), 0.5f);
    EXPECT_EQ(softClip(0.707f), 0.707f); // tanh 0 = 0 at the threshold
    EXPECT_EQ(softClip(-0.707f), -0.707f);
    EXPECT_EQ(softClip(-0.3f), -0.3f);
    EXPECT_EQ(softClip(0.0f), 0.0f);
    // 0.707 + 0.293 tanh(1) for x = 1 (1 - 0.707 = 0.293)
    EXPECT_NEAR(softClip(1.0f), 0.707 + 0.293 * std::tanh(1.0), 1e-6);
    // Large inputs approach 1; in float they round onto 1.0 but never beyond.
    for (float x : {10.0f, 1e6f, FLT_MAX, std::numeric_limits<float>::infinity()})
    {
        EXPECT_GT(softClip(x), 0.9999f) << x;
        EXPECT_LE(softClip(x), 1.0f) << x;
        EXPECT_EQ(softClip(-x), -softClip(x)) << x;
    }
    EXPECT_TRUE(std::isnan(softClip(std::numeric_limits<float>::quiet_NaN())));
}

// Odd-symmetric, monotonic, continuous with slope 1 at the threshold.
TEST(SoftClip, ShapeOfTheCurve)
{
    float previous = softClip(-4.0f);
    for (float x = -4.0f; x <= 4.0f; x += 0.001f)
    {
        const float y = softClip(x);
        ASSERT_EQ(softClip(-x), -y) << x;
        ASSERT_GE(y, previous) << x;
        ASSERT_LE(std::fabs(y), 1.0f) << x; // rounds onto 1.0f beyond about 3.4
        previous = y;
    }
    const float above = 0.707f + 1e-4f;
    EXPECT_NEAR(softClip(above), above, 1e-7f);
}

TEST(CrossfadeGains, Law)
{
    const CrossfadeGains start = crossfadeGains(0.0f);
    EXPECT_EQ(start.destination, 0.0f);
    EXPECT_EQ(start.source, 1.0f);
    const CrossfadeGains end = crossfadeGains(1.0f);
    EXPECT_EQ(end.destination, 1.0f);
    EXPECT_EQ(end.source, 0.0f);
    const CrossfadeGains middle = crossfadeGains(0.5f);
    EXPECT_NEAR(middle.destination, 0.70336f, 1e-5f);
    EXPECT_EQ(middle.destination, middle.source);
    // Mirror image: w and 1 - w swap the two gains (exact for these w).
    for (int i = 0; i <= 64; ++i)
    {
        const float w = float(i) / 64.0f;
        EXPECT_EQ(crossfadeGains(w).destination, crossfadeGains(1.0f - w).source) << w;
        EXPECT_GE(crossfadeGains(w).destination + crossfadeGains(w).source, 1.0f - 1e-6f);
    }
}

TEST(CrossfadeGains, MatchReferenceModel)
{
    for (int i = 0; i <= 100000; ++i)
    {
        const float w = float(i) / 100000.0f;
        const CrossfadeGains g = crossfadeGains(w);
        const reference::Gains r = reference::crossfade(w);
        ASSERT_TRUE(same(g.destination, r.destination)) << w;
        ASSERT_TRUE(same(g.source, r.source)) << w;
    }
}

// The sample form at every probe, and the buffer form (vector loop and scalar tail, on both
// instruction sets) at every length up to 67, several alignments and the whole probe set.
TEST(TubeShaper, MatchesTheReferenceModel)
{
    const std::vector<float> x = probeInputs();
    for (float morph : probeMorphs())
        for (float v : x)
            ASSERT_TRUE(same(cleanvacuumtubemorphing_optimised(v, morph), reference::shaper(v, morph)))
                << v << " at " << morph;
    for (bool baseline : {false, true})
    {
        setBaselineLanes(baseline);
        for (float morph : probeMorphs())
        {
            for (size_t start = 0; start < 4; ++start)
                for (size_t count = 0; count <= 67; count += start + 1)
                {
                    std::vector<float> buffer(x.begin() + 2000, x.begin() + 2080);
                    processVaveriv(buffer.data() + start, int(count), morph);
                    for (size_t i = 0; i < buffer.size(); ++i)
                    {
                        const float in = x[2000 + i];
                        const bool inside = i >= start && i < start + count;
                        ASSERT_TRUE(same(buffer[i], inside ? reference::shaper(in, morph) : in))
                            << morph << " " << start << " " << count << " " << i << " " << baseline;
                    }
                }
            std::vector<float> buffer = x;
            processVaveriv(buffer.data(), int(buffer.size()), morph);
            for (size_t i = 0; i < x.size(); ++i)
                ASSERT_TRUE(same(buffer[i], reference::shaper(x[i], morph)))
                    << x[i] << " at " << morph << " " << baseline;
        }
    }
    setBaselineLanes(false);
}

// Whole-number morphs are the pure stages; morph 0 and anything below or NaN give x; above 11
// gives S11. Checked over [-1, 1], where every stage stays in [-1, 1].
TEST(TubeShaper, WholeNumberMorphsArePureStages)
{
    for (float x = -1.0f; x <= 1.0f; x += 1.0f / 128.0f)
    {
        EXPECT_EQ(cleanvacuumtubemorphing_optimised(x, 0.0f), x);
        EXPECT_EQ(cleanvacuumtubemorphing_optimised(x, -1.0f), x);
        EXPECT_EQ(cleanvacuumtubemorphing_optimised(x, std::numeric_limits<float>::quiet_NaN()), x);
        for (int n = 1; n <= 11; ++n)
            ASSERT_EQ(cleanvacuumtubemorphing_optimised(x, float(n)), stage(x, n)) << x << " at " << n;
        EXPECT_EQ(cleanvacuumtubemorphing_optimised(x, 12.0f), stage(x, 11));
        EXPECT_EQ(cleanvacuumtubemorphing_optimised(x, 1000.0f), stage(x, 11));
    }
}

TEST(TubeShaper, KnownValues)
{
    for (float morph : {0.0f, 0.3f, 1.0f, 2.5f, 5.94f, 8.0f, 10.5f, 11.0f, 12.0f})
        EXPECT_EQ(cleanvacuumtubemorphing_optimised(0.0f, morph), 0.0f) << morph;
    // x = 1 is a fixed point of s (to float rounding), so whole morphs return 1...
    for (int n = 0; n <= 11; ++n)
        EXPECT_NEAR(cleanvacuumtubemorphing_optimised(1.0f, float(n)), 1.0f, 1e-6f) << n;
    // ...and between them both gains weigh, adding up to more than 1.
    EXPECT_NEAR(cleanvacuumtubemorphing_optimised(1.0f, 0.5f), 1.158f, 1e-3f);
    // Morph 5.94 (Vudirazi 99 and 100) lies between S5 and S6.
    const float x = 0.6f;
    const float y = cleanvacuumtubemorphing_optimised(x, 5.94f);
    EXPECT_GT(y, std::min(stage(x, 5), stage(x, 6)));
    EXPECT_LT(y, std::max(stage(x, 5), stage(x, 6)) * 1.5f);
}

// Continuous in the morph at every whole number, odd-symmetric in x.
TEST(TubeShaper, ContinuousAndOddSymmetric)
{
    for (int n = 1; n <= 11; ++n)
        for (float x : {-0.9f, -0.25f, 0.4f, 0.8f, 1.0f})
        {
            const float below = std::nextafter(float(n), 0.0f);
            EXPECT_NEAR(cleanvacuumtubemorphing_optimised(x, below),
                        cleanvacuumtubemorphing_optimised(x, float(n)), 1e-5f)
                << x << " at " << n;
        }
    for (float morph : {0.25f, 1.5f, 3.7f, 7.99f, 10.5f})
        for (float x = -1.2f; x <= 1.2f; x += 0.01f)
            ASSERT_EQ(cleanvacuumtubemorphing_optimised(-x, morph),
                      -cleanvacuumtubemorphing_optimised(x, morph));
}

// The tone stage feeds the shaper band values beyond sqrt 5, where the stages diverge and
// overflow. The shaper never returns NaN or infinity for a finite input; where the blend is
// finite its value is unchanged.
TEST(TubeShaper, DivergingInputsStayFinite)
{
    for (float x : {2.3f, 2.7f, 3.0f, 10.0f, 1e5f, FLT_MAX})
        for (float morph = 0.0f; morph <= 12.0f; morph += 0.125f)
        {
            const float y = cleanvacuumtubemorphing_optimised(x, morph);
            ASSERT_TRUE(std::isfinite(y)) << x << " at " << morph;
            ASSERT_EQ(cleanvacuumtubemorphing_optimised(-x, morph), -y);
        }
    // x = 3: S3 is about 5e21 and S4 overflows. Morph 3 weighs S4 by 0: the result is S3.
    ASSERT_TRUE(std::isfinite(stage(3.0f, 3)));
    ASSERT_FALSE(std::isfinite(stage(3.0f, 4)));
    EXPECT_EQ(cleanvacuumtubemorphing_optimised(3.0f, 3.0f), stage(3.0f, 3));
    // Between 3 and 4 the overflowing deeper stage dominates: the float range's edge, with
    // S4's sign.
    EXPECT_EQ(cleanvacuumtubemorphing_optimised(3.0f, 3.5f), std::copysign(FLT_MAX, stage(3.0f, 4)));
    // Finite blends of large finite stages are untouched: S2 of x = 3 is about -2e7.
    const TubeSegment seg = tubeSegment(1.5f);
    EXPECT_EQ(cleanvacuumtubemorphing_optimised(3.0f, 1.5f),
              stage(3.0f, 2) * seg.nextGain + stage(3.0f, 1) * seg.currentGain);
}

TEST(SaturationStages, BufferFormsMatchTheSampleForms)
{
    std::vector<float> x(301);
    for (size_t i = 0; i < x.size(); ++i)
        x[i] = -1.5f + 0.01f * float(i);
    std::vector<float> clipped = x;
    processSoftClip(clipped.data(), int(clipped.size()));
    for (size_t i = 0; i < x.size(); ++i)
        ASSERT_EQ(clipped[i], softClip(x[i]));
    for (float morph : {0.0f, 0.9f, 4.0f, 5.94f})
    {
        std::vector<float> shaped = clipped;
        processVaveriv(shaped.data(), int(shaped.size()), morph);
        for (size_t i = 0; i < x.size(); ++i)
            ASSERT_EQ(shaped[i], cleanvacuumtubemorphing_optimised(clipped[i], morph)) << morph;
        if (morph == 0.0f)
        {
            EXPECT_EQ(shaped, clipped);
        }
    }
}
