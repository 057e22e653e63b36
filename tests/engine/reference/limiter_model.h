#pragma once
// Reference model of the limiter stage (the part between the limiter's up- and down-sampling),
// written independently of the production code: plain scalar arithmetic, single precision
// unless a step says double, in the order the rules give. The smoothing states carry over
// between calls; everything else restarts in every call.

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/reference/biquad_model.h"

namespace reference
{

struct LimiterModel
{
    float threshold = -18.0f; // T, dB
    float knee = -48.0f;      // K
    float timeFigure = 200.0f;
    Section smoothG[2], smoothH[2];

    // Per call: the 150 Hz design at the host rate, then both channels (count = frames x
    // factor samples each, already up-sampled), left then right.
    void process(float* left, float* right, int count, int factor, double fs)
    {
        const Coefficients smoothing = butterworthLowPass(150.0, fs);
        for (Section* s : {&smoothG[0], &smoothG[1], &smoothH[0], &smoothH[1]})
            s->c = smoothing;
        const float a =
            static_cast<float>(std::exp(-1.0 / ((static_cast<double>(timeFigure) / fs) * factor)));
        channel(left, count, factor, fs, a, 0);
        channel(right, count, factor, fs, a, 1);
    }

    // One channel up to and including the applied gain and the clip.
    void channel(float* x, int count, int factor, double fs, float a, int side)
    {
        const float r = 0.02f;
        // Weighting: 100 Hz high-pass, then +1 dB shelf at 1 kHz, both fresh in every call,
        // designed at the host rate.
        Section highPass, shelf;
        highPass.c = butterworthHighPass(100.0, fs);
        const double w0 = angularFrequency(1000.0, fs);
        shelf.c = highShelfWith(powl(10.0L, 0.025L), w0, std::sin(w0) * 0.125);
        std::vector<float> w(count);
        for (int k = 0; k < count; ++k)
            w[k] = shelf.run(highPass.run(x[k]));

        std::vector<float> P(count), R(count), G(count), H(count);
        P[0] = w[0] * w[0];
        R[0] = (1.0f - a) * (w[0] * w[0] + 1e-10f);
        for (int k = 1; k < count; ++k)
        {
            const float v = w[k] * w[k] + 1e-10f;
            const float cp = P[k - 1] < v ? a : r;
            P[k] = std::max(v, (1.0f - cp) * v + cp * P[k - 1]);
            const float cr = R[k - 1] < v ? a : r;
            R[k] = cr * R[k - 1] + (1.0f - cr) * v;
        }

        const double rate = fs * factor;
        const float tLin = expf(threshold * 0.115129255f);
        const float absK = std::fabs(knee);
        float s = 0.0f;
        for (int k = 0; k < count; ++k)
        {
            const float C = sqrtf(P[k]) / sqrtf(R[k] + 1e-10f);
            const float tA = 2.0f * 80.0f / (C * C);
            const float tR = 2.0f * 200.0f / (C * C) - tA;
            const float alphaR =
                static_cast<float>(std::exp(-0.9996723430813206 / (rate * 0.001 * tR)));
            const float alphaA =
                static_cast<float>(std::exp(-0.9996723430813206 / (rate * 0.001 * tA)));
            const float v = w[k] * w[k] + 1e-10f;
            const float c = s < v ? alphaA : alphaR;
            s = s * c + (1.0f - c) * v;
            const float q = sqrtf(s);

            const float xG = q - tLin;
            const float d = xG - threshold;
            float y;
            if (2.0f * d < -absK)
                y = xG;
            else if (2.0f * std::fabs(d) > absK)
                y = threshold;
            else
                y = xG - (d + absK / 2.0f) * (d + absK / 2.0f) / (2.0f * absK);
            G[k] = y - (q + tLin);
        }

        const float m = threshold * (1.0f - 1.0f / knee) * 0.5f;
        float S = G[0];
        H[0] = -(S + m);
        for (int k = 1; k < count; ++k)
        {
            S = S * a + (G[k] - m) * (1.0f - a);
            H[k] = -(S + m);
        }
        smoothG[side].run(G.data(), count);
        smoothH[side].run(H.data(), count);

        for (int k = 0; k < count; ++k)
        {
            const float gained = expf(H[k] * 0.115129255f) * (expf(G[k] * 0.115129255f) * x[k]);
            double y = gained;
            const double threshold97 = 0.97, kneeWidth = 1.0 - 0.97;
            if (std::fabs(y) >= threshold97 && y > 0.0)
                y = threshold97 + kneeWidth * std::tanh((std::fabs(y) - threshold97) / kneeWidth);
            else if (std::fabs(y) >= threshold97 && y < 0.0)
                y = -threshold97 - kneeWidth * std::tanh((std::fabs(y) - threshold97) / kneeWidth);
            x[k] = static_cast<float>(y);
        }
    }
};

} // namespace reference
