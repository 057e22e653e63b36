#include "engine/equaliser.h"

#include <cmath>
#include <initializer_list>

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

namespace
{

// The armed bands as one cascade over both channels, sample by sample. Each band does exactly
// what a whole-buffer pass of the section would do (same operations and order, its float
// output feeding the next band), so the result is the same bit for bit; interleaving the six
// recursions only lets their latencies overlap.
struct Lane
{
    double x1, x2, y1, y2;
};

template <int Bands>
void runCascade(const plugkit::BiquadCoefficients* const* c, plugkit::BiquadState* const* leftStates,
                plugkit::BiquadState* const* rightStates, float* left, float* right, int count)
{
    Lane l[Bands], r[Bands];
    for (int k = 0; k < Bands; ++k)
    {
        l[k] = {leftStates[k]->x1, leftStates[k]->x2, leftStates[k]->y1, leftStates[k]->y2};
        r[k] = {rightStates[k]->x1, rightStates[k]->x2, rightStates[k]->y1, rightStates[k]->y2};
    }
    auto step = [](const plugkit::BiquadCoefficients& q, Lane& s, float in) {
        const double x = in;
        const double y = (q.b1 * s.x1 + q.b0 * x - q.a1 * s.y1) + (q.b2 * s.x2 - q.a2 * s.y2);
        s.x2 = s.x1;
        s.x1 = x;
        s.y2 = s.y1;
        s.y1 = y;
        return static_cast<float>(y);
    };
    for (int i = 0; i < count; ++i)
    {
        float vl = left[i];
        float vr = right[i];
        for (int k = 0; k < Bands; ++k)
        {
            vl = step(*c[k], l[k], vl);
            vr = step(*c[k], r[k], vr);
        }
        left[i] = vl;
        right[i] = vr;
    }
    // As a section pass does: a state that ends non-finite is cleared.
    auto store = [](const Lane& s, plugkit::BiquadState& state) {
        if (std::isfinite(s.x1) && std::isfinite(s.x2) && std::isfinite(s.y1) && std::isfinite(s.y2))
            state = {s.x1, s.x2, s.y1, s.y2};
        else
            state.clear();
    };
    for (int k = 0; k < Bands; ++k)
    {
        store(l[k], *leftStates[k]);
        store(r[k], *rightStates[k]);
    }
}

} // namespace

void Equaliser::process(float* left, float* right, int count)
{
    const plugkit::BiquadCoefficients* coefficients[3];
    plugkit::BiquadState* leftStates[3];
    plugkit::BiquadState* rightStates[3];
    int bands = 0;
    for (Band* band : {&low_, &high_, &mid_}) // the order of the chain: low, high, mid
    {
        if (!band->armed)
            continue;
        coefficients[bands] = &band->coefficients;
        leftStates[bands] = &band->left;
        rightStates[bands] = &band->right;
        ++bands;
    }
    switch (bands)
    {
    case 1:
        runCascade<1>(coefficients, leftStates, rightStates, left, right, count);
        break;
    case 2:
        runCascade<2>(coefficients, leftStates, rightStates, left, right, count);
        break;
    case 3:
        runCascade<3>(coefficients, leftStates, rightStates, left, right, count);
        break;
    default:
        break;
    }
}

} // namespace vellox
