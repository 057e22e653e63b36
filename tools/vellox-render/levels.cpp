#include "levels.h"

#include <cmath>
#include <initializer_list>
#include <limits>

namespace vellox::render
{

double linearToDb(double linear)
{
    if (linear <= 0.0)
        return -std::numeric_limits<double>::infinity();
    return 20.0 * std::log10(linear);
}

void LevelMeter::add(const float* left, const float* right, size_t frames)
{
    for (size_t i = 0; i < frames; ++i)
    {
        for (double v : {double(left[i]), double(right[i])})
        {
            if (!std::isfinite(v))
            {
                nonFinite = true;
                continue;
            }
            peak = std::fmax(peak, std::fabs(v));
            sumSquares += v * v;
        }
    }
    count += frames;
}

double LevelMeter::peakDb() const { return linearToDb(peak); }

double LevelMeter::rmsDb() const
{
    if (count == 0)
        return -std::numeric_limits<double>::infinity();
    return linearToDb(std::sqrt(sumSquares / (2.0 * double(count))));
}

} // namespace vellox::render
