#include "demosignal.h"

#include <gtest/gtest.h>

#include <cmath>

#include "levels.h"

namespace vellox::render
{
namespace
{

// Peak of one bar (2 s) of the demo, both channels.
double barPeak(const StereoBuffer& s, int bar)
{
    LevelMeter m;
    size_t start = size_t(bar) * 2 * size_t(s.sampleRate);
    m.add(s.left.data() + start, s.right.data() + start, 2 * size_t(s.sampleRate));
    return m.peakDb();
}

TEST(DemoSignal, EightSecondsOfStereoAtTheDemoRate)
{
    StereoBuffer s = makeDemoSignal();
    EXPECT_EQ(s.sampleRate, 48000);
    EXPECT_EQ(s.frames(), 8u * 48000u);
    EXPECT_EQ(s.right.size(), s.left.size());
    EXPECT_NE(s.left, s.right);  // instruments are panned
}

TEST(DemoSignal, IsTheSameOnEveryCall)
{
    StereoBuffer a = makeDemoSignal(), b = makeDemoSignal();
    EXPECT_EQ(a.left, b.left);
    EXPECT_EQ(a.right, b.right);
}

TEST(DemoSignal, LoudBarsPeakAtMinusOneDbfsAndQuietBarsAre24DbLower)
{
    StereoBuffer s = makeDemoSignal();
    LevelMeter all;
    all.add(s.left.data(), s.right.data(), s.frames());
    EXPECT_FALSE(all.hasNonFinite());
    EXPECT_LE(all.peakDb(), -1.0 + 1e-6);
    double loud = std::max(barPeak(s, 1), barPeak(s, 3));
    EXPECT_GT(loud, -1.5);
    for (int quiet : {0, 2})
        EXPECT_NEAR(barPeak(s, quiet) - loud, -24.0, 3.0) << "bar " << quiet;
}

TEST(DemoSignal, FollowsTheSampleRate)
{
    StereoBuffer s = makeDemoSignal(44100);
    EXPECT_EQ(s.sampleRate, 44100);
    EXPECT_EQ(s.frames(), 8u * 44100u);
}

} // namespace
} // namespace vellox::render
