#pragma once
// The three-band equaliser of the oversampled stream: a low shelf at 210 Hz, a peak at the
// "Mid. Freq." and a high shelf at 10 kHz, each Q 1/sqrt 2, one section per band and channel.
// It is designed for factor x host rate, so its frequencies hold at every "Texture Levels".

#include "plugkit/dsp/iir.h"

namespace vellox
{

class Equaliser
{
public:
    // [audio thread] Clears the six section states; the designs stay.
    void reset();

    // [audio thread] Designs every band whose gain is not exactly 0 dB (NaN counts as not 0)
    // for the rate factor x sampleRate, and arms exactly those bands for process(). A band
    // at 0 dB keeps its last design and its state.
    void prepare(float lowGainDB, float midFrequency, float midGainDB, float highGainDB, int factor,
                 double sampleRate);

    // [audio thread] Runs the armed bands in place over `count` samples: low, then high, then
    // mid; each band left buffer first.
    void process(float* left, float* right, int count);

    static constexpr double kLowFrequency = 210.0;
    static constexpr double kHighFrequency = 10000.0;
    static constexpr double kQuality = 0.7071067811865476;

private:
    struct Band
    {
        plugkit::BiquadCoefficients coefficients;
        plugkit::BiquadState left;
        plugkit::BiquadState right;
        bool armed = false;
    };

    Band low_;
    Band high_;
    Band mid_;
};

} // namespace vellox
