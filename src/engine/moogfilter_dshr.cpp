#include "engine/moogfilter_dshr.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vellox
{

namespace
{

// Half-band style FIR that takes the N-times stream back; its DC gain is about 0.7511.
constexpr float kFir[Moogfilter::kFirTaps] = {
    0.004012305289506912f,    -2.1951785270381253e-18f, -0.023321524262428284f,
    -2.1951785270381253e-18f, 0.07160252332687378f,     -2.1951785270381253e-18f,
    0.3976113498210907f,      0.2823775112628937f,      0.07160252332687378f,
    -0.03347650542855263f,    -0.023321524262428284f,   -2.1951785270381253e-18f,
    0.004012305289506912f,
};

} // namespace

float Moogfilter::firCoefficient(int k)
{
    return kFir[k];
}

void Moogfilter::reset()
{
    for (int k = 0; k < kTableSize; ++k)
        table_[k] = tanhf(static_cast<float>(k) * 0.001f - 3.0f);
    std::memcpy(fir_, kFir, sizeof(fir_));
    y1_ = y2_ = y3_ = y4_ = 0.0f;
    previousY4_ = 0.0f;
    std::memset(delay_, 0, sizeof(delay_));
}

void Moogfilter::prepare(float cutoffHz, float resonance, int repeatCount, double sampleRate)
{
    cutoff_ = std::max(20.0f, cutoffHz);

    // Prewarped cutoff: 2/pi * f in single precision, divided in double by the internal rate
    // of the N that is still running.
    const float product = 0.63661975f * cutoff_;
    const float x = static_cast<float>(static_cast<double>(product) /
                                       (static_cast<double>(repeats_) * sampleRate));

    // tan(x) to the seventh order, in this exact evaluation order.
    float t = x * 0.33333334f * x * x + x;
    t = x * 0.13333334f * x * x * x * x + t;
    t = x * 0.053968254f * x * x * x * x * x * x + t;

    // g = 1 - exp(-2 tan x) by a fourth-order series.
    const float e = -2.0f * t;
    g_ = 1.0f -
         ((((e + 1.0f) + e * 0.5f * e) + e * 0.16666667f * e * e) + e * 0.041666668f * e * e * e);

    resonance_ = std::max(0.0f, std::min(5.0f, resonance));
    repeats_ = repeatCount;
}

float Moogfilter::tableTanh(float v) const
{
    if (v >= 3.0f) return 0.99f;
    if (v <= -3.0f) return -0.99f;
    if (v != v) return 0.0f; // never index the table with NaN: the stages stay finite
    const float p = (v + 3.0f) * 1000.0f;
    const int i = static_cast<int>(p);
    const float f = p - static_cast<float>(i);
    if (f > 0.0f) return table_[i] + f * (table_[i + 1] - table_[i]);
    return table_[i];
}

float Moogfilter::processSampleLPF_optimized(float x)
{
    return step(x);
}

void Moogfilter::processStereo(Moogfilter& leftFilter, Moogfilter& rightFilter, float* left,
                               float* right, int count, float makeupGain)
{
    for (int i = 0; i < count; ++i)
    {
        const float l = leftFilter.step(left[i]);
        const float r = rightFilter.step(right[i]);
        left[i] = l * makeupGain;
        right[i] = r * makeupGain;
    }
}

float Moogfilter::step(float x)
{
    if (repeats_ <= 0) return x;

    float out = 0.0f;
    for (int step = 0; step < repeats_; ++step)
    {
        const float input = step == 0 ? x : 0.0f;
        const float u = input + (y4_ + previousY4_) * -0.5f * resonance_;

        const float tIn = tableTanh(u);
        const float t1 = tableTanh(y1_);
        const float t2 = tableTanh(y2_);
        const float t3 = tableTanh(y3_);
        const float t4 = tableTanh(y4_);

        previousY4_ = y4_;
        y1_ += g_ * (tIn - t1);
        y2_ += g_ * (t1 - t2);
        y3_ += g_ * (t2 - t3);
        y4_ += g_ * (t3 - t4);

        delay_[0] = y4_;
        // Only the last step's FIR output is returned; the earlier ones would be discarded.
        if (step == repeats_ - 1)
        {
            out = fir_[0] * delay_[0];
            for (int k = 1; k < kFirTaps; ++k)
                out += fir_[k] * delay_[k];
        }
        std::memmove(delay_ + 1, delay_, (kFirTaps - 1) * sizeof(float));
    }
    return out;
}

} // namespace vellox
