#pragma once
// Reference model of the Baxandall tone stage: plain scalar code, one sample of one channel at
// a time, written from the stage definition with the precision of every step spelled out.
// The production stage is held to it bit for bit.

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/reference/shaper_model.h"

namespace reference
{

class ToneModel
{
public:
    enum Variant
    {
        both,     // processBaxandall2
        treble,   // processBaxandall2_treble
        bass,     // processBaxandall2_bass
        original, // processBaxandall2_original
    };

    float exciterA = 0.5f;
    float exciterB = 0.5f;
    float bassMorph = 0.0f;
    float trebleMorph = 0.0f;

    // In place on both channels.
    void process(Variant variant, float* left, float* right, int count, double fs)
    {
        const bool first = variant != bass;
        const bool second = variant != treble;

        // Band gains in single precision; e = 1 / d written as its own power of ten.
        const float bG = std::pow(10.0f, (exciterA * 30.0f - 15.0f) / 20.0f);
        const float d = std::pow(10.0f, (exciterB * 30.0f - 15.0f) / 20.0f);
        const float e = std::pow(10.0f, -(exciterB * 30.0f - 15.0f) / 20.0f);
        // Band edges in double.
        if (first)
            design(0, std::min(0.45, 4410.0 * static_cast<double>(bG) / fs), 0.4);
        if (second)
            design(2, std::min(0.45, 8820.0 * static_cast<double>(e) / fs), 0.2);

        float* channels[2] = {left, right};
        for (int i = 0; i < count; ++i)
        {
            // Copy 1 (first record of a pair) when the toggle is 1, copy 2 when it is 0.
            const int copy = toggle == 1 ? 0 : 1;
            for (int c = 0; c < 2; ++c)
            {
                float& sample = channels[c][i];
                double h = std::sin(static_cast<double>(sample));
                // A non-finite input sample would leave NaN in the filter states: taken as 0.
                if (!std::isfinite(h))
                    h = 0.0;
                Biquad& f1 = records[c * 4 + 0 + copy];
                Biquad& f2 = records[c * 4 + 2 + copy];
                double sum = 0.0;
                switch (variant)
                {
                case both:
                {
                    const double lowpass1 = f1.run(h);
                    const double lowpass2 = f2.run(h);
                    const float low = shaper(static_cast<float>(lowpass2 * d), bassMorph);
                    const float high = shaper(static_cast<float>((h - lowpass1) * bG), trebleMorph);
                    sum = static_cast<double>(high + low);
                    break;
                }
                case treble:
                {
                    const double lowpass1 = f1.run(h);
                    sum = shaper(static_cast<float>((h - lowpass1) * bG), trebleMorph);
                    break;
                }
                case bass:
                {
                    const double lowpass2 = f2.run(h);
                    sum = shaper(static_cast<float>(lowpass2 * d), bassMorph);
                    break;
                }
                case original:
                {
                    const double lowpass1 = f1.run(h);
                    const double lowpass2 = f2.run(h);
                    sum = (h - lowpass1) * bG + lowpass2 * d;
                    break;
                }
                }
                sample = static_cast<float>(std::asin(safetyClip(sum)));
            }
            toggle = toggle == 1 ? 0 : 1;
        }
    }

    struct Biquad
    {
        double b0 = 0.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0, s1 = 0.0, s2 = 0.0;

        // Transposed direct form II.
        double run(double x)
        {
            const double y = b0 * x + s1;
            s1 = b1 * x - a1 * y + s2;
            s2 = b2 * x - a2 * y;
            return y;
        }
    };

    // Threshold 0.999, knee 1 - 0.999, in double; NaN (which finite input cannot produce) is
    // taken as 0 so that the arcsine's result stays finite.
    static double safetyClip(double s)
    {
        const double T = 0.999;
        const double W = 1.0 - 0.999;
        if (std::fabs(s) >= T && s > 0.0)
            return T + W * std::tanh((std::fabs(s) - T) / W);
        if (std::fabs(s) >= T && s < 0.0)
            return -T - W * std::tanh((std::fabs(s) - T) / W);
        if (std::isnan(s))
            return 0.0;
        return s;
    }

    // Left first (copies 1, 2), left second (1, 2), right first (1, 2), right second (1, 2).
    Biquad records[8];
    unsigned char toggle = 0;

private:
    // Bilinear second-order low-pass; both copies of both channels get the same values.
    void design(int offset, double f, double Q)
    {
        const double m = std::tan(std::numbers::pi * f);
        const double u = 1.0 / (m / Q + 1.0 + m * m);
        const double b0 = m * m * u;
        const double a1 = 2.0 * (m * m - 1.0) * u;
        const double a2 = (1.0 - m / Q + m * m) * u;
        for (int index : {offset, offset + 1, offset + 4, offset + 5})
        {
            Biquad& r = records[index];
            r.b0 = b0;
            r.b1 = 2.0 * b0;
            r.b2 = b0;
            r.a1 = a1;
            r.a2 = a2;
        }
    }

};

} // namespace reference
