#pragma once
// The output limiter and its loudness weighting. The chain upsamples its finished output,
// hands the two oversampled channels to Limiter::process, and downsamples them back.
// Per channel: a weighted signal (LUFS_structure), a peak and a mean-square follower whose
// ratio (the crest factor) sets the attack and release of a level follower, a soft-knee gain
// computer with a make-up path, both gain paths smoothed at 150 Hz, and a soft clip at 0.97.
// The channels are not linked. Single precision unless a comment says otherwise.

#include <cmath>

#include "plugkit/core/vec.h"
#include "plugkit/dsp/iir.h"

namespace vellox
{

// Loudness weighting of one channel: a 100 Hz high-pass then a +1 dB high shelf at 1 kHz.
struct LUFS_structure
{
    plugkit::BiquadSection highPass;
    plugkit::BiquadSection highShelf;
    plugkit::Vec<float> work;

    // Designs both sections for `sampleRate`, clears their states and sizes the work buffer
    // to `count` floats (0 frees it). Storage only grows, so a steady block size does not
    // allocate. [audio thread]
    void initialize(int count, double sampleRate);

    // x -> high-pass -> high shelf, into `work`; returns work. count <= the initialised count.
    const float* weigh(const float* x, int count);
};

// The meter's input level of one frame: the mean magnitude of the two gained input samples.
inline float inputMeterLevel(float left, float right)
{
    return (std::fabs(left) + std::fabs(right)) * 0.5f;
}

// The limiter's exponentials over rows of values, each exactly as the C library rounds it:
// computed four at a time, with every value that cannot be shown to round the same handed to
// the library. `out` may be `in`.
// Follower coefficients: out[i] = (float)exp(-0.9996723430813206 / (rateFactor x times[i]))
// in double, rateFactor = fs x factor x 0.001.
void followerCoefficients(const float* times, float* out, int count, double rateFactor);
// Gains: out[i] = expf(decibels[i] x 0.115129255).
void decibelGains(const float* decibels, float* out, int count);

class Limiter
{
public:
    static constexpr float kThresholdDB = -18.0f;
    static constexpr float kKneeFigure = -48.0f;
    static constexpr float kTimeFigure = 200.0f;
    static constexpr float kAttackBase = 80.0f;
    static constexpr float kReleaseBase = 200.0f;
    static constexpr float kReleaseCoefficient = 0.02f;

    // Threshold (dB) and knee figure; the chain writes -18 and -48 on every parameter read.
    void setConstants(float thresholdDB, float kneeFigure);
    // The time figure that sets the follower attack; `reset` stores 200.
    void setTimeFigure(float timeFigure) { timeFigure_ = timeFigure; }

    // Sizes the weighting work buffers for `count` oversampled samples per channel (factor x
    // maximum frames). Allocates; called from reset and after a factor change. The limiter
    // itself works through a fixed scratch of its own and needs no storage per sample.
    void resizeBuffers(int count);

    // Clears the four states of the 150 Hz smoothing section (left G, left H, right G, right H).
    void clearSmoothing();

    // Designs the 150 Hz smoothing section for the host rate; once per processed call.
    void designSmoothing(double sampleRate);

    // [audio thread] Limits the two oversampled channels in place: `count` = frames x factor
    // samples each, `sampleRate` the host rate. The weighting sections and followers restart
    // in every call; the smoothing states carry over. Every output sample lies in [-1, 1]
    // and no state becomes non-finite, whatever the input. The two channels run side by
    // side in SSE lanes, with results bit for bit those of the per-sample rules.
    void process(float* left, float* right, int count, int factor, double sampleRate);

    // Follower attack coefficient exp(-1 / ((time figure / fs) x factor)), double then float.
    float followerAttack(int factor, double sampleRate) const;

    const plugkit::BiquadCoefficients& smoothingCoefficients() const { return smoothing_; }

private:
    struct Detector
    {
        float release = kReleaseCoefficient;
        float attack = 0.0f;
        float level = 0.0f;
        double rate = 0.0; // oversampled rate
    };

    struct Channel
    {
        LUFS_structure weighting;
        Detector detector;
        plugkit::BiquadState smoothG;
        plugkit::BiquadState smoothH;
    };

    struct StereoPass;

    float threshold_ = kThresholdDB;
    float knee_ = kKneeFigure;
    float timeFigure_ = kTimeFigure;
    plugkit::BiquadCoefficients smoothing_;
    Channel left_;
    Channel right_;
};

} // namespace vellox
