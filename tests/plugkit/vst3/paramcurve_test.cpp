// The host's parameter curve read at sub-block starts.

#include <gtest/gtest.h>

#include <vector>

#include "plugkit/vst3/hostdoubles.h"
#include "plugkit/vst3/paramcurve.h"

namespace
{

using namespace vst3test;

std::vector<double> sample(ParamQueue& queue, double current, int blockLength, int blocks)
{
    std::vector<double> values(size_t(blocks) + 1, -1.0);
    plugkit::sampleCurveAtBlockStarts(&queue, current, blockLength, blocks, values.data());
    return values;
}

TEST(ParamCurve, NoPointsKeepsTheCurrentValue)
{
    ParamQueue queue(0, {});
    EXPECT_EQ(std::vector<double>({0.3, 0.3, 0.3}), sample(queue, 0.3, 512, 2));
}

TEST(ParamCurve, JumpTransmittedAsTwoPoints)
{
    // Old value up to offset 99, new value from 100: block starts at 0 and 64 keep the old.
    ParamQueue queue(0, {{99, 0.1}, {100, 0.9}});
    const std::vector<double> v = sample(queue, 0.1, 64, 3);
    EXPECT_DOUBLE_EQ(0.1, v[0]);
    EXPECT_DOUBLE_EQ(0.1, v[1]);
    EXPECT_DOUBLE_EQ(0.9, v[2]); // 128 is past the jump
    EXPECT_DOUBLE_EQ(0.9, v[3]);
}

TEST(ParamCurve, TwoPointsAtTheSameOffsetStepWithoutDividingByZero)
{
    ParamQueue queue(0, {{10, 0.2}, {10, 0.6}, {300, 0.6}});
    const std::vector<double> v = sample(queue, 0.0, 256, 2);
    EXPECT_NEAR(0.2 * 1.0 / 11.0, v[0], 1e-12);
    EXPECT_DOUBLE_EQ(0.6, v[1]);
    EXPECT_DOUBLE_EQ(0.6, v[2]);
}

TEST(ParamCurve, ValueAfterTheBufferIsTheLastPoint)
{
    // No block at all (a 0-sample flush): only the last point's value is applied.
    ParamQueue queue(0, {{0, 0.1}, {5, 0.7}});
    EXPECT_EQ(std::vector<double>({0.7}), sample(queue, 0.5, 512, 0));
}

} // namespace
