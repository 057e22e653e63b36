#include "engine/lufs.h"

#include <algorithm>
#include <cmath>

namespace vellox
{

using plugkit::BiquadType;
using plugkit::generateBiquad;

namespace
{

constexpr double kButterworthQ = 0.7071067811865476; // alpha = sin w0 / 1.4142135623730951
constexpr double kShelfQ = 4.0;                      // alpha = sin w0 x 0.125
constexpr double kShelfGainDB = 1.0;                 // A = 10^0.025
constexpr float kDecibelToLog = 0.115129255f;        // ln(10) / 20
constexpr double kClipThreshold = 0.97;
constexpr double kClipKnee = 1.0 - 0.97;

// Peak and mean-square followers add this floor so the crest factor stays defined.
constexpr float kFloor = 1e-10f;

void sizeBuffer(plugkit::Vec<float>& buffer, int count)
{
    if (count <= 0)
        buffer = plugkit::Vec<float>(); // frees
    else
        buffer.resize(static_cast<size_t>(count));
}

float outputClip(float sample)
{
    double y = sample;
    if (std::fabs(y) >= kClipThreshold && y > 0.0)
        y = kClipThreshold + kClipKnee * std::tanh((std::fabs(y) - kClipThreshold) / kClipKnee);
    else if (std::fabs(y) >= kClipThreshold && y < 0.0)
        y = -kClipThreshold - kClipKnee * std::tanh((std::fabs(y) - kClipThreshold) / kClipKnee);
    return static_cast<float>(y);
}

} // namespace

void LUFS_structure::initialize(int count, double sampleRate)
{
    highPass.coefficients =
        generateBiquad(BiquadType::highPass, 100.0, sampleRate, 0.0, kButterworthQ);
    highShelf.coefficients =
        generateBiquad(BiquadType::highShelf, 1000.0, sampleRate, kShelfGainDB, kShelfQ);
    highPass.clearState();
    highShelf.clearState();
    sizeBuffer(work, count);
}

const float* LUFS_structure::weigh(const float* x, int count)
{
    highPass.process(x, work.ptr(), count);
    highShelf.processInPlace(work.ptr(), count);
    return work.ptr();
}

void Limiter::setConstants(float thresholdDB, float kneeFigure)
{
    threshold_ = thresholdDB;
    knee_ = kneeFigure;
}

void Limiter::resizeBuffers(int count)
{
    sizeBuffer(left_.weighting.work, count);
    sizeBuffer(right_.weighting.work, count);
    sizeBuffer(gainG_, count);
    sizeBuffer(gainH_, count);
}

void Limiter::clearSmoothing()
{
    left_.smoothG.clear();
    left_.smoothH.clear();
    right_.smoothG.clear();
    right_.smoothH.clear();
}

void Limiter::designSmoothing(double sampleRate)
{
    smoothing_ = generateBiquad(BiquadType::lowPass, 150.0, sampleRate, 0.0, kButterworthQ);
}

float Limiter::followerAttack(int factor, double sampleRate) const
{
    return static_cast<float>(
        std::exp(-1.0 / ((static_cast<double>(timeFigure_) / sampleRate) * factor)));
}

void Limiter::ensureCapacity(int count)
{
    // The chain sizes the buffers in advance; a larger block than announced still works.
    if (gainG_.length() < static_cast<size_t>(count))
    {
        gainG_.resize(static_cast<size_t>(count));
        gainH_.resize(static_cast<size_t>(count));
    }
}

void Limiter::process(float* left, float* right, int count, int factor, double sampleRate)
{
    if (count <= 0) return;
    ensureCapacity(count);

    const float attack = followerAttack(factor, sampleRate);
    for (Channel* channel : {&left_, &right_})
    {
        channel->detector.release = kReleaseCoefficient;
        channel->detector.attack = attack;
        channel->detector.level = 0.0f;
        channel->detector.rate = sampleRate * factor;
    }
    processChannel(left_, left, count, sampleRate);
    processChannel(right_, right, count, sampleRate);
}

void Limiter::processChannel(Channel& channel, float* x, int count, double sampleRate)
{
    channel.weighting.initialize(count, sampleRate);
    const float* w = channel.weighting.weigh(x, count);

    const float a = channel.detector.attack;
    const float r = channel.detector.release;
    const double rate = channel.detector.rate;
    float s = channel.detector.level;

    const float T = threshold_;
    const float absK = std::fabs(knee_);
    const float tLin = expf(T * kDecibelToLog);
    const float m = T * (1.0f - 1.0f / knee_) * 0.5f; // make-up offset

    float* G = gainG_.ptr();
    float* H = gainH_.ptr();
    float P = 0.0f; // peak envelope
    float R = 0.0f; // mean-square envelope
    float S = 0.0f; // make-up smoother
    for (int k = 0; k < count; ++k)
    {
        const float v = w[k] * w[k] + kFloor;
        if (k == 0)
        {
            P = w[0] * w[0];
            R = (1.0f - a) * (w[0] * w[0] + kFloor);
        }
        else
        {
            const float cP = P < v ? a : r;
            P = std::max(v, (1.0f - cP) * v + cP * P);
            const float cR = R < v ? a : r;
            R = cR * R + (1.0f - cR) * v;
        }

        // Crest factor -> attack and release times in ms. At k = 0 with w[0] = 0 the
        // crest factor is 0 and the times are inf / NaN; s < v then picks the attack
        // coefficient exp(-0) = 1 and the level stays 0.
        const float C = sqrtf(P) / sqrtf(R + kFloor);
        const float tA = 2.0f * kAttackBase / (C * C);
        const float tR = 2.0f * kReleaseBase / (C * C) - tA;

        // Only the coefficient that is used is computed.
        float c;
        if (s < v)
            c = static_cast<float>(std::exp(-0.9996723430813206 / (rate * 0.001 * tA)));
        else
            c = static_cast<float>(std::exp(-0.9996723430813206 / (rate * 0.001 * tR)));
        s = s * c + (1.0f - c) * v;
        const float q = sqrtf(s);

        // Soft-knee gain computer.
        const float xG = q - tLin;
        const float d = xG - T;
        float y;
        if (2.0f * d < -absK)
            y = xG;
        else if (2.0f * std::fabs(d) > absK)
            y = T;
        else
        {
            const float e = d + absK / 2.0f;
            y = xG - e * e / (2.0f * absK);
        }
        float g = y - (q + tLin);
        // A level beyond float range (|w| above ~1.8e19) makes the followers inf / NaN; such
        // a sample gets unity gain, so the smoothing states below stay finite.
        if (!std::isfinite(g)) g = 0.0f;
        G[k] = g;

        // Make-up path.
        S = k == 0 ? g : S * a + (g - m) * (1.0f - a);
        H[k] = -(S + m);
    }
    channel.detector.level = s;

    plugkit::processBiquad(smoothing_, channel.smoothG, G, G, count);
    plugkit::processBiquad(smoothing_, channel.smoothH, H, H, count);

    for (int k = 0; k < count; ++k)
    {
        float y = expf(H[k] * kDecibelToLog) * (expf(G[k] * kDecibelToLog) * x[k]);
        // The two gains cancel by design; when one overflows (a level near +57 dBFS or more)
        // the product is inf x 0: take the sample as it is and let the clip bound it.
        if (y != y) y = x[k] == x[k] ? x[k] : 0.0f;
        x[k] = outputClip(y);
    }
}

} // namespace vellox
