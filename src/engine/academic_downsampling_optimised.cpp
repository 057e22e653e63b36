#include "engine/academic_downsampling_optimised.h"

namespace vellox
{

void DownsamplingOpt::initialize(int factor, double sampleRate)
{
    section_.coefficients = oversamplingSectionDesign(factor, sampleRate);
    section_.clearState();
    currentFactor_ = factor;
}

void DownsamplingOpt::processBuffer(float* input, float* output, int frames, int factor,
                                    double sampleRate)
{
    if (factor != currentFactor_) initialize(factor, sampleRate);
    runOversamplingSection(section_, input, frames * factor);
    // Forwards, so that output may be the input buffer: frame i comes from i x factor >= i.
    for (int i = 0; i < frames; ++i)
        output[i] = input[i * factor];
}

} // namespace vellox
