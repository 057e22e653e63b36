#include "engine/equaliser.h"

#include <cmath>
#include <initializer_list>
#include <utility>

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
    if (frequency < 0.5 * rate) return frequency;
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
        low_.coefficients = plugkit::generateBiquad(
            BiquadType::lowShelf, belowNyquist(kLowFrequency, rate), rate, lowGainDB, kQuality);
    if (high_.armed)
        high_.coefficients = plugkit::generateBiquad(
            BiquadType::highShelf, belowNyquist(kHighFrequency, rate), rate, highGainDB, kQuality);
    if (mid_.armed)
        mid_.coefficients = plugkit::generateBiquad(
            BiquadType::peak, belowNyquist(midFrequency, rate), rate, midGainDB, kQuality);
}

namespace
{

// The armed bands as one cascade over both channels, the left and right section of each band
// in the two lanes of an SSE register. Each band does exactly what a whole-buffer pass of its
// sections would do (same operations and order, its float output feeding the next band), so
// the result is the same bit for bit. The bands run skewed by one sample each (round i: band b
// on sample i - b, taking what band b - 1 produced the round before), so that the recursions
// of one round do not wait for each other.
template <size_t... Band>
void runCascade(const plugkit::BiquadCoefficients* const* c,
                plugkit::BiquadState* const* leftStates, plugkit::BiquadState* const* rightStates,
                float* left, float* right, int count, std::index_sequence<Band...>)
{
    constexpr int kBands = sizeof...(Band);
    plugkit::BiquadLanes lanes[] = {
        plugkit::BiquadLanes(*c[Band], *c[Band], *leftStates[Band], *rightStates[Band])...};
    __m128 carried[kBands] = {}; // band b's output of the last round, for band b + 1
    for (int i = 0; i < count + kBands - 1; ++i)
    {
        // Highest band first, so that each reads its input before the band below replaces it.
        (
            [&]
            {
                constexpr int b = kBands - 1 - static_cast<int>(Band);
                const int sample = i - b;
                if (sample < 0 || sample >= count) return;
                const __m128 in = b == 0 ? _mm_unpacklo_ps(_mm_load_ss(left + sample),
                                                           _mm_load_ss(right + sample))
                                         : carried[b > 0 ? b - 1 : 0];
                const __m128 out = lanes[b].run(in);
                if (b == kBands - 1)
                {
                    _mm_store_ss(left + sample, out);
                    _mm_store_ss(right + sample, _mm_shuffle_ps(out, out, _MM_SHUFFLE(1, 1, 1, 1)));
                }
                else
                    carried[b] = out;
            }(),
            ...);
    }
    for (size_t k = 0; k < sizeof...(Band); ++k)
        lanes[k].store(*leftStates[k], *rightStates[k]);
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
        if (!band->armed) continue;
        coefficients[bands] = &band->coefficients;
        leftStates[bands] = &band->left;
        rightStates[bands] = &band->right;
        ++bands;
    }
    switch (bands)
    {
    case 1:
        runCascade(coefficients, leftStates, rightStates, left, right, count,
                   std::make_index_sequence<1>());
        break;
    case 2:
        runCascade(coefficients, leftStates, rightStates, left, right, count,
                   std::make_index_sequence<2>());
        break;
    case 3:
        runCascade(coefficients, leftStates, rightStates, left, right, count,
                   std::make_index_sequence<3>());
        break;
    default:
        break;
    }
}

} // namespace vellox
