#include "engine/equaliser.h"

namespace vellox
{

using plugkit::BiquadType;

namespace
{

// A band at or above the Nyquist frequency of its stream would have poles outside the unit
// circle (sin w0 < 0 makes alpha negative) and blow up; that happens only at "RAW_X0" on
// host rates below 20 kHz. Such a band is designed just below Nyquist instead.
double belowNyquist(double frequency, double rate)
{
    if (frequency < 0.5 * rate)
        return frequency;
    return 0.49 * rate;
}

} // namespace

void Equaliser::reset()
{
    low_.left.clear();
    low_.right.clear();
    high_.left.clear();
    high_.right.clear();
    mid_.left.clear();
    mid_.right.clear();
}

void Equaliser::prepare(float lowGainDB, float midFrequency, float midGainDB, float highGainDB,
                        int factor, double sampleRate)
{
    const double rate = factor * sampleRate;
    low_.armed = lowGainDB != 0.0f;
    high_.armed = highGainDB != 0.0f;
    mid_.armed = midGainDB != 0.0f;
    if (low_.armed)
        low_.coefficients = plugkit::generateBiquad(BiquadType::lowShelf, belowNyquist(kLowFrequency, rate),
                                                    rate, lowGainDB, kQuality);
    if (high_.armed)
        high_.coefficients = plugkit::generateBiquad(
            BiquadType::highShelf, belowNyquist(kHighFrequency, rate), rate, highGainDB, kQuality);
    if (mid_.armed)
        mid_.coefficients = plugkit::generateBiquad(BiquadType::peak, belowNyquist(midFrequency, rate),
                                                    rate, midGainDB, kQuality);
}

void Equaliser::Band::run(float* l, float* r, int count)
{
    if (!armed)
        return;
    plugkit::processBiquad(coefficients, left, l, l, count);
    plugkit::processBiquad(coefficients, right, r, r, count);
}

void Equaliser::process(float* left, float* right, int count)
{
    low_.run(left, right, count);
    high_.run(left, right, count);
    mid_.run(left, right, count);
}

} // namespace vellox
