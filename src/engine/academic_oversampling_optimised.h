#pragma once
// Up-sampling by 1, 2, 4, 8 or 16: zero insertion, then one second-order low-pass section
// designed at the host rate's Nyquist frequency. That design rounds to exactly 1, 2, 1, 2, 1,
// a section that returns its input, so the stream is zero-stuffed without interpolation,
// gain compensation or delay. The section and its state are kept all the same: the state
// carries across calls and is shared with the limiter's second pass over the same object.

#include "plugkit/dsp/iir.h"

namespace vellox
{

// The section both samplers run, for `factor` at the host rate. Factors other than 1, 2, 4,
// 8 and 16 are a programming error and stop the program.
plugkit::BiquadCoefficients oversamplingSectionDesign(int factor, double sampleRate);

// [audio thread] Runs the samplers' section in place over `count` samples. With 1, 2, 1, 2, 1
// the section returns its input exactly, and its output state equals its input state, except
// after a sample whose neighbour is over 2^29 times larger: (2 x1 + x) then rounds, and with
// both poles on the unit circle that error never decays but grows by one step per sample.
// Such drift is dropped at the end of the block. When a vectorisable check shows that the
// recursion would return every sample bit for bit, the recursion itself is skipped.
void runOversamplingSection(plugkit::BiquadSection& section, float* samples, int count);

class UpsamplingOpt
{
public:
    // [audio thread] Designs the section for `factor`, clears its state and makes `factor`
    // the current one.
    void initialize(int factor, double sampleRate);

    // [audio thread] Writes frames x factor samples: input[i] at output[i x factor], zeros
    // between, then runs the section over them in place. A factor that differs from the
    // current one re-initialises first. `sampleRate` is the host rate. Output may be the
    // input buffer itself (it must then hold frames x factor floats); otherwise the two must
    // not overlap.
    void processBuffer(const float* input, float* output, int frames, int factor,
                       double sampleRate);

    int currentFactor() const { return currentFactor_; }
    const plugkit::BiquadSection& section() const { return section_; }

private:
    int currentFactor_ = 0; // 0: the first call always designs
    plugkit::BiquadSection section_;
};

} // namespace vellox
