#include "plugkit/dsp/iir.h"

#include <cmath>

#include "plugkit/core/fatal.h"

namespace plugkit
{

namespace
{

constexpr long double kPiExtended = 3.141592653589793238462643383279502884L;

// Divides by a0 and rounds each coefficient to single precision. The raw values arrive in
// whichever precision their formula was evaluated in (long double where A enters).
BiquadCoefficients normalise(long double b0, long double b1, long double b2, long double a0,
                             long double a1, long double a2)
{
    BiquadCoefficients c;
    c.b0 = static_cast<float>(b0 / a0);
    c.b1 = static_cast<float>(b1 / a0);
    c.b2 = static_cast<float>(b2 / a0);
    c.a1 = static_cast<float>(a1 / a0);
    c.a2 = static_cast<float>(a2 / a0);
    return c;
}

// The same, for formulas evaluated in double: the division stays in double.
BiquadCoefficients normalise(double b0, double b1, double b2, double a0, double a1, double a2)
{
    BiquadCoefficients c;
    c.b0 = static_cast<float>(b0 / a0);
    c.b1 = static_cast<float>(b1 / a0);
    c.b2 = static_cast<float>(b2 / a0);
    c.a1 = static_cast<float>(a1 / a0);
    c.a2 = static_cast<float>(a2 / a0);
    return c;
}

} // namespace

BiquadCoefficients generateBiquad(BiquadType type, double frequency, double sampleRate,
                                  double gainDB, double quality)
{
    const long double A = exp10l(static_cast<long double>(gainDB) / 40.0L);
    const double w0 = static_cast<double>(2.0L * kPiExtended * static_cast<long double>(frequency) /
                                          static_cast<long double>(sampleRate));
    const double c = std::cos(w0);
    const double s = std::sin(w0);
    const double alpha = s / (2.0 * quality);

    // Types without A stay in double; the ones with A are evaluated in long double, as the
    // usual arithmetic conversions make them.
    switch (type)
    {
    case BiquadType::lowPass:
        return normalise((1.0 - c) / 2.0, 1.0 - c, (1.0 - c) / 2.0, 1.0 + alpha, -2.0 * c,
                         1.0 - alpha);
    case BiquadType::highPass:
        return normalise((1.0 + c) / 2.0, -(1.0 + c), (1.0 + c) / 2.0, 1.0 + alpha, -2.0 * c,
                         1.0 - alpha);
    case BiquadType::bandPass:
        return normalise(alpha, 0.0, -alpha, 1.0 + alpha, -2.0 * c, 1.0 - alpha);
    case BiquadType::notch:
        return normalise(1.0, -2.0 * c, 1.0, 1.0 + alpha, -2.0 * c, 1.0 - alpha);
    case BiquadType::allPass:
        return normalise(1.0 - alpha, -2.0 * c, 1.0 + alpha, 1.0 + alpha, -2.0 * c, 1.0 - alpha);
    case BiquadType::peak:
    {
        const long double b0 = 1 + alpha * A;
        const long double b2 = 1 - alpha * A;
        const long double a0 = 1 + alpha / A;
        const long double a2 = 1 - alpha / A;
        return normalise(b0, static_cast<long double>(-2.0 * c), b2, a0,
                         static_cast<long double>(-2.0 * c), a2);
    }
    case BiquadType::lowShelf:
    {
        const long double root = 2 * sqrtl(A) * alpha;
        const long double b0 = A * ((A + 1) - (A - 1) * c + root);
        const long double b1 = 2 * A * ((A - 1) - (A + 1) * c);
        const long double b2 = A * ((A + 1) - (A - 1) * c - root);
        const long double a0 = (A + 1) + (A - 1) * c + root;
        const long double a1 = -2 * ((A - 1) + (A + 1) * c);
        const long double a2 = (A + 1) + (A - 1) * c - root;
        return normalise(b0, b1, b2, a0, a1, a2);
    }
    case BiquadType::highShelf:
    {
        const long double root = 2 * sqrtl(A) * alpha;
        const long double b0 = A * ((A + 1) + (A - 1) * c + root);
        const long double b1 = -2 * A * ((A - 1) + (A + 1) * c);
        const long double b2 = A * ((A + 1) + (A - 1) * c - root);
        const long double a0 = (A + 1) - (A - 1) * c + root;
        const long double a1 = 2 * ((A - 1) - (A + 1) * c);
        const long double a2 = (A + 1) - (A - 1) * c - root;
        return normalise(b0, b1, b2, a0, a1, a2);
    }
    }
    fatalError("generateBiquad: unknown filter type");
}

void BiquadLanes::store(BiquadState& leftState, BiquadState& rightState) const
{
    alignas(16) double v[8];
    _mm_store_pd(v, x1);
    _mm_store_pd(v + 2, x2);
    _mm_store_pd(v + 4, y1);
    _mm_store_pd(v + 6, y2);
    for (int lane = 0; lane < 2; ++lane)
    {
        BiquadState& state = lane == 0 ? leftState : rightState;
        state = {v[lane], v[2 + lane], v[4 + lane], v[6 + lane]};
        if (!(std::isfinite(state.x1) && std::isfinite(state.x2) && std::isfinite(state.y1) &&
              std::isfinite(state.y2)))
            state.clear();
    }
}

void processBiquad(const BiquadCoefficients& coefficients, BiquadState& state, const float* input,
                   float* output, int count)
{
    const double b0 = coefficients.b0;
    const double b1 = coefficients.b1;
    const double b2 = coefficients.b2;
    const double a1 = coefficients.a1;
    const double a2 = coefficients.a2;
    double x1 = state.x1;
    double x2 = state.x2;
    double y1 = state.y1;
    double y2 = state.y2;
    for (int i = 0; i < count; ++i)
    {
        const double x = input[i];
        const double y = (b1 * x1 + b0 * x - a1 * y1) + (b2 * x2 - a2 * y2);
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        output[i] = static_cast<float>(y);
    }
    if (std::isfinite(x1) && std::isfinite(x2) && std::isfinite(y1) && std::isfinite(y2))
    {
        state.x1 = x1;
        state.x2 = x2;
        state.y1 = y1;
        state.y2 = y2;
    }
    else
        state.clear();
}

} // namespace plugkit
