#pragma once
// Down-sampling by 1, 2, 4, 8 or 16: the up-sampler's section (1, 2, 1, 2, 1, which returns
// its input), then the first sample of every group of `factor`. No anti-alias filtering and
// no delay. The section state carries across calls.

#include "engine/academic_oversampling_optimised.h"
#include "plugkit/dsp/iir.h"

namespace vellox
{

class DownsamplingOpt
{
public:
    // [audio thread] Designs the section for `factor`, clears its state and makes `factor`
    // the current one.
    void initialize(int factor, double sampleRate);

    // [audio thread] Runs the section in place over input[0 .. frames x factor - 1] (the
    // input is left holding the section's output), then output[i] = input[i x factor]. A
    // factor that differs from the current one re-initialises first. `sampleRate` is the host
    // rate. Output may be the input buffer itself; otherwise the two must not overlap.
    void processBuffer(float* input, float* output, int frames, int factor, double sampleRate);

    int currentFactor() const { return currentFactor_; }
    const plugkit::BiquadSection& section() const { return section_; }

private:
    int currentFactor_ = 0; // 0: the first call always designs
    plugkit::BiquadSection section_;
};

} // namespace vellox
