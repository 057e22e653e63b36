#include "engine/academic_oversampling_optimised.h"

#include "plugkit/core/fatal.h"

namespace vellox
{

plugkit::BiquadCoefficients oversamplingSectionDesign(int factor, double sampleRate)
{
    if (factor != 1 && factor != 2 && factor != 4 && factor != 8 && factor != 16)
        plugkit::fatalError("oversampling factor must be 1, 2, 4, 8 or 16");
    // Low-pass at half the host rate, Q 1/sqrt 2: w0 = pi, alpha = sin(w0) / sqrt 2.
    return plugkit::generateBiquad(plugkit::BiquadType::lowPass, 0.5 * sampleRate, sampleRate, 0.0,
                                   0.7071067811865476);
}

void UpsamplingOpt::initialize(int factor, double sampleRate)
{
    section_.coefficients = oversamplingSectionDesign(factor, sampleRate);
    section_.clearState();
    currentFactor_ = factor;
}

void UpsamplingOpt::processBuffer(const float* input, float* output, int frames, int factor,
                                  double sampleRate)
{
    if (factor != currentFactor_)
        initialize(factor, sampleRate);
    // Backwards, so that output may be the input buffer: frame i lands at i x factor >= i.
    for (int i = frames - 1; i >= 0; --i)
    {
        const float v = input[i];
        float* group = output + i * factor;
        group[0] = v;
        for (int k = 1; k < factor; ++k)
            group[k] = 0.0f;
    }
    section_.processInPlace(output, frames * factor);
    dropRoundingDrift(section_.state);
}

} // namespace vellox
