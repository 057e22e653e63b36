#pragma once
// Reference model of the second-order section and its designs, written independently of the
// production code: plain scalar arithmetic in the precision and order each rule states. The
// production sections are checked against it sample by sample, bit for bit.
//
// - Per sample, in double: y = (b1 x1 + b0 x - a1 y1) + (b2 x2 - a2 y2), the state keeps y in
//   double, the buffer receives y rounded to float.
// - Designs: w0 = 2 pi f / fs in long double, then double; A = 10^(gain/40) in long double;
//   every coefficient divided by a0 and rounded to float.

#include <cmath>

namespace reference
{

constexpr long double kPiL = 3.141592653589793238462643383279502884L;

struct Coefficients
{
    double b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
};

struct Section
{
    Coefficients c;
    double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;

    float run(float in)
    {
        const double x = in;
        const double y = (c.b1 * x1 + c.b0 * x - c.a1 * y1) + (c.b2 * x2 - c.a2 * y2);
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return static_cast<float>(y);
    }
    void run(float* samples, int count)
    {
        for (int i = 0; i < count; ++i)
            samples[i] = run(samples[i]);
    }
    void clear() { x1 = x2 = y1 = y2 = 0.0; }
};

inline double angularFrequency(double frequency, double rate)
{
    return static_cast<double>(2.0L * kPiL * static_cast<long double>(frequency) /
                               static_cast<long double>(rate));
}

inline double toFloat(long double v)
{
    return static_cast<double>(static_cast<float>(v));
}

// Already divided by a0.
inline Coefficients fromNormalised(double b0, double b1, double b2, double a1, double a2)
{
    return {static_cast<float>(b0), static_cast<float>(b1), static_cast<float>(b2),
            static_cast<float>(a1), static_cast<float>(a2)};
}

// Butterworth low-pass (quality 1/sqrt 2): the samplers' section, the limiter's 150 Hz section.
inline Coefficients butterworthLowPass(double frequency, double rate)
{
    const double w0 = angularFrequency(frequency, rate);
    const double alpha = std::sin(w0) / 1.4142135623730951;
    const double cw = std::cos(w0);
    return fromNormalised(0.5 * (1.0 - cw) / (1.0 + alpha), (1.0 - cw) / (1.0 + alpha),
                          0.5 * (1.0 - cw) / (1.0 + alpha), -2.0 * cw / (1.0 + alpha),
                          (1.0 - alpha) / (1.0 + alpha));
}

// Butterworth high-pass: the limiter's 100 Hz weighting section.
inline Coefficients butterworthHighPass(double frequency, double rate)
{
    const double w0 = angularFrequency(frequency, rate);
    const double alpha = std::sin(w0) / 1.4142135623730951;
    const double cw = std::cos(w0);
    return fromNormalised(0.5 * (1.0 + cw) / (1.0 + alpha), -(1.0 + cw) / (1.0 + alpha),
                          0.5 * (1.0 + cw) / (1.0 + alpha), -2.0 * cw / (1.0 + alpha),
                          (1.0 - alpha) / (1.0 + alpha));
}

// The three equaliser types with a given A (long double) and alpha.
inline Coefficients peakWith(long double A, double w0, double alpha)
{
    const double cw = std::cos(w0);
    const long double b0 = 1 + alpha * A, b2 = 1 - alpha * A;
    const long double a0 = 1 + alpha / A, a2 = 1 - alpha / A;
    const double b1 = -2 * cw, a1 = -2 * cw;
    return {toFloat(b0 / a0), toFloat(b1 / a0), toFloat(b2 / a0), toFloat(a1 / a0),
            toFloat(a2 / a0)};
}

inline Coefficients lowShelfWith(long double A, double w0, double alpha)
{
    const double cw = std::cos(w0);
    const long double b0 = A * ((A + 1) - (A - 1) * cw + 2 * sqrtl(A) * alpha);
    const long double b1 = 2 * A * ((A - 1) - (A + 1) * cw);
    const long double b2 = A * ((A + 1) - (A - 1) * cw - 2 * sqrtl(A) * alpha);
    const long double a0 = (A + 1) + (A - 1) * cw + 2 * sqrtl(A) * alpha;
    const long double a1 = -2 * ((A - 1) + (A + 1) * cw);
    const long double a2 = (A + 1) + (A - 1) * cw - 2 * sqrtl(A) * alpha;
    return {toFloat(b0 / a0), toFloat(b1 / a0), toFloat(b2 / a0), toFloat(a1 / a0),
            toFloat(a2 / a0)};
}

inline Coefficients highShelfWith(long double A, double w0, double alpha)
{
    const double cw = std::cos(w0);
    const long double b0 = A * ((A + 1) + (A - 1) * cw + 2 * sqrtl(A) * alpha);
    const long double b1 = -2 * A * ((A - 1) + (A + 1) * cw);
    const long double b2 = A * ((A + 1) + (A - 1) * cw - 2 * sqrtl(A) * alpha);
    const long double a0 = (A + 1) - (A - 1) * cw + 2 * sqrtl(A) * alpha;
    const long double a1 = 2 * ((A - 1) - (A + 1) * cw);
    const long double a2 = (A + 1) - (A - 1) * cw - 2 * sqrtl(A) * alpha;
    return {toFloat(b0 / a0), toFloat(b1 / a0), toFloat(b2 / a0), toFloat(a1 / a0),
            toFloat(a2 / a0)};
}

inline long double amplitudeOf(double gainDB)
{
    return powl(10.0L, static_cast<long double>(gainDB) / 40.0L);
}

// Equaliser bands: alpha = sin w0 / (2 Q).
inline Coefficients peak(double frequency, double rate, double gainDB, double quality)
{
    const double w0 = angularFrequency(frequency, rate);
    return peakWith(amplitudeOf(gainDB), w0, std::sin(w0) / (2.0 * quality));
}
inline Coefficients lowShelf(double frequency, double rate, double gainDB, double quality)
{
    const double w0 = angularFrequency(frequency, rate);
    return lowShelfWith(amplitudeOf(gainDB), w0, std::sin(w0) / (2.0 * quality));
}
inline Coefficients highShelf(double frequency, double rate, double gainDB, double quality)
{
    const double w0 = angularFrequency(frequency, rate);
    return highShelfWith(amplitudeOf(gainDB), w0, std::sin(w0) / (2.0 * quality));
}

// The equaliser of the chain: designed for factor x host rate, bands at exactly 0 dB neither
// designed nor run; low, then high, then mid, each band left buffer first.
struct EqualiserModel
{
    Section low[2], high[2], mid[2];
    bool lowOn = false, highOn = false, midOn = false;

    void prepare(float lowDB, float midFrequency, float midDB, float highDB, int factor,
                 double rate)
    {
        const double fsEq = factor * rate;
        const double q = 0.7071067811865476;
        lowOn = lowDB != 0.0f;
        highOn = highDB != 0.0f;
        midOn = midDB != 0.0f;
        if (lowOn) low[0].c = low[1].c = lowShelf(210.0, fsEq, lowDB, q);
        if (highOn) high[0].c = high[1].c = highShelf(10000.0, fsEq, highDB, q);
        if (midOn) mid[0].c = mid[1].c = peak(midFrequency, fsEq, midDB, q);
    }

    void process(float* left, float* right, int count)
    {
        auto band = [&](Section* s, bool on)
        {
            if (!on) return;
            s[0].run(left, count);
            s[1].run(right, count);
        };
        band(low, lowOn);
        band(high, highOn);
        band(mid, midOn);
    }
};

} // namespace reference
