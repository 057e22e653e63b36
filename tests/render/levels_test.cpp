#include "levels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace vellox::render
{
namespace
{

TEST(LevelMeter, FullScaleSineReadsZeroPeakAndMinus3Rms)
{
    const size_t n = 48000;  // whole periods of 1 kHz
    std::vector<float> l(n), r(n);
    for (size_t i = 0; i < n; ++i)
        l[i] = r[i] = float(std::sin(2.0 * M_PI * 1000.0 * double(i) / 48000.0));
    LevelMeter m;
    m.add(l.data(), r.data(), n / 2);  // in two blocks
    m.add(l.data() + n / 2, r.data() + n / 2, n / 2);
    EXPECT_NEAR(m.peakDb(), 0.0, 1e-6);
    EXPECT_NEAR(m.rmsDb(), -3.0103, 1e-3);
    EXPECT_EQ(m.frames(), n);
}

TEST(LevelMeter, RmsAveragesBothChannels)
{
    // One channel at 0.5, the other silent: mean square 0.125.
    std::vector<float> l(100, 0.5f), r(100, 0.0f);
    LevelMeter m;
    m.add(l.data(), r.data(), 100);
    EXPECT_NEAR(m.peakDb(), -6.0206, 1e-3);
    EXPECT_NEAR(m.rmsDb(), 10.0 * std::log10(0.125), 1e-9);
}

TEST(LevelMeter, SilenceAndNothingReadMinusInfinity)
{
    LevelMeter empty;
    EXPECT_EQ(empty.peakDb(), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(empty.rmsDb(), -std::numeric_limits<double>::infinity());
    std::vector<float> z(64, 0.0f);
    LevelMeter m;
    m.add(z.data(), z.data(), 64);
    EXPECT_EQ(m.rmsDb(), -std::numeric_limits<double>::infinity());
}

TEST(LevelMeter, NonFiniteSamplesAreFlaggedNotCounted)
{
    std::vector<float> l = {0.25f, std::numeric_limits<float>::quiet_NaN()};
    std::vector<float> r = {std::numeric_limits<float>::infinity(), 0.0f};
    LevelMeter m;
    m.add(l.data(), r.data(), 2);
    EXPECT_TRUE(m.hasNonFinite());
    EXPECT_NEAR(m.peakDb(), -12.0412, 1e-3);
}

} // namespace
} // namespace vellox::render
