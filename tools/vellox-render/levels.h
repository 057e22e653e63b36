#pragma once
// Peak and RMS level of a stereo signal, accumulated block by block.

#include <cstddef>

namespace vellox::render
{

class LevelMeter
{
public:
    void add(const float* left, const float* right, size_t frames);

    // Largest absolute sample of either channel, in dBFS (minus infinity for silence).
    double peakDb() const;
    // Root mean square over the samples of both channels, in dBFS; a full-scale sine reads
    // -3.01 dBFS. Minus infinity for silence or no samples.
    double rmsDb() const;
    // True when some sample is NaN or infinite (peak and RMS then count only finite ones).
    bool hasNonFinite() const { return nonFinite; }
    size_t frames() const { return count; }

private:
    double peak = 0.0;
    double sumSquares = 0.0;
    size_t count = 0;
    bool nonFinite = false;
};

// 20 log10(linear); minus infinity for 0.
double linearToDb(double linear);

} // namespace vellox::render
