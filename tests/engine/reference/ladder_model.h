#pragma once
// Reference model of the ladder low-pass, written independently of the production code:
// plain scalar single-precision arithmetic in the order the rules give.
//
// - Table entry k = tanhf((float)k x 0.001f - 3.0f), k = 0 .. 6000.
// - Lookup: >= 3 gives 0.99, <= -3 gives -0.99, else p = (v + 3) x 1000, i = trunc p,
//   f = p - i, table[i] + f (table[i+1] - table[i]) when f > 0, else table[i].
// - prepare: x = (float)((double)(0.63661975f x cutoff) / (N x fs)) with the N still in use;
//   t by the tangent polynomial, each product left to right (the seventh-order term is
//   x c7 x x x x x x); g = 1 - ((((e + 1) + e 0.5 e) + e 0.16666667 e e) + e 0.041666668 e e e),
//   e = -2 t; resonance clamped to 0 .. 5; then N = 4 ("CLEAN") or 2 ("DIRTY").
// - Per sample: N steps; step 0 takes the input, later steps 0; u = in + (y4 + previous y4)
//   x -0.5 x resonance; all five lookups from the old values; the four stage updates; d0 = y4,
//   out = c0 d0 + c1 d1 + ... + c12 d12; shift the delay line. The last step's out is returned.

#include <algorithm>
#include <cmath>

namespace reference
{

struct LadderModel
{
    float cutoff = 0.0f, g = 0.0f, resonance = 0.0f;
    float y1 = 0.0f, y2 = 0.0f, y3 = 0.0f, y4 = 0.0f, previousY4 = 0.0f;
    float table[6001];
    float d[13] = {};
    int n = 2;

    static constexpr float c[13] = {
        0.004012305289506912f,    -2.1951785270381253e-18f, -0.023321524262428284f,
        -2.1951785270381253e-18f, 0.07160252332687378f,     -2.1951785270381253e-18f,
        0.3976113498210907f,      0.2823775112628937f,      0.07160252332687378f,
        -0.03347650542855263f,    -0.023321524262428284f,   -2.1951785270381253e-18f,
        0.004012305289506912f,
    };

    LadderModel() { reset(); }

    void reset()
    {
        for (int k = 0; k <= 6000; ++k)
            table[k] = tanhf(static_cast<float>(k) * 0.001f - 3.0f);
        y1 = y2 = y3 = y4 = previousY4 = 0.0f;
        std::fill(d, d + 13, 0.0f);
    }

    float lookup(float v) const
    {
        if (v >= 3.0f) return 0.99f;
        if (v <= -3.0f) return -0.99f;
        const float p = (v + 3.0f) * 1000.0f;
        const int i = static_cast<int>(p);
        const float f = p - static_cast<float>(i);
        if (f > 0.0f) return table[i] + f * (table[i + 1] - table[i]);
        return table[i];
    }

    // mode: 0 "CLEAN", 1 "DIRTY".
    void prepare(float lpCutoff, float lpResonance, int mode, double fs)
    {
        cutoff = std::max(20.0f, lpCutoff);
        const float product = 0.63661975f * cutoff;
        const float x = static_cast<float>(static_cast<double>(product) / (n * fs));
        float t = x * 0.33333334f * x * x + x;
        t = x * 0.13333334f * x * x * x * x + t;
        t = x * 0.053968254f * x * x * x * x * x * x + t;
        const float e = -2.0f * t;
        g = 1.0f - ((((e + 1.0f) + e * 0.5f * e) + e * 0.16666667f * e * e) +
                    e * 0.041666668f * e * e * e);
        resonance = std::max(0.0f, std::min(5.0f, lpResonance));
        n = mode == 0 ? 4 : 2;
    }

    float process(float x)
    {
        if (n <= 0) return x;
        float out = 0.0f;
        for (int i = 0; i < n; ++i)
        {
            const float in = i == 0 ? x : 0.0f;
            const float u = in + (y4 + previousY4) * -0.5f * resonance;
            const float tIn = lookup(u), t1 = lookup(y1), t2 = lookup(y2), t3 = lookup(y3),
                        t4 = lookup(y4);
            previousY4 = y4;
            y1 = y1 + g * (tIn - t1);
            y2 = y2 + g * (t1 - t2);
            y3 = y3 + g * (t2 - t3);
            y4 = y4 + g * (t3 - t4);
            d[0] = y4;
            out = c[0] * d[0];
            for (int k = 1; k < 13; ++k)
                out = out + c[k] * d[k];
            for (int k = 11; k >= 0; --k)
                d[k + 1] = d[k];
        }
        return out;
    }
};

} // namespace reference
