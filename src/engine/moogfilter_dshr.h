#pragma once
// Moogfilter: four-stage nonlinear ladder low-pass with resonance. Each stage saturates
// through a tanh table; every sample runs N internal steps (the sample, then N-1 zeros) and
// the stage output is brought back through a 13-tap FIR. N is 4 for "CLEAN", 2 for "DIRTY".
// All processing is single precision. One object per channel; audio thread only.

namespace vellox
{

class Moogfilter
{
public:
    static constexpr int kTableSize = 6001; // tanh over -3 .. 3 in steps of 0.001
    static constexpr int kFirTaps = 13;
    static constexpr int kCleanRepeats = 4;
    static constexpr int kDirtyRepeats = 2;

    // "LP Mode" value (0 "CLEAN", 1 "DIRTY") -> internal steps per sample.
    static int repeatCountForMode(int mode) { return mode == 0 ? kCleanRepeats : kDirtyRepeats; }

    // [main thread] The first filter builds the shared tanh table.
    Moogfilter();

    // Reloads the FIR and clears every memory. N is kept. The tanh table is a constant of
    // the program, built once and shared by every filter.
    void reset();

    // Updates cutoff, g, resonance and N from the settings. `sampleRate` is the host rate.
    // g is computed with the N in use before this call, so a mode change reaches g one call
    // late. [audio thread]
    void prepare(float cutoffHz, float resonance, int repeatCount, double sampleRate);

    // One sample in, one filtered sample out. [audio thread]
    float processSampleLPF_optimized(float x);

    // [audio thread] The engine's filter pass: every sample of `left` through `leftFilter`
    // and of `right` through `rightFilter`, each result times `makeupGain`, in place. Same
    // results, bit for bit, as the per-sample calls; the two channels run in SSE lanes.
    static void processStereo(Moogfilter& leftFilter, Moogfilter& rightFilter, float* left,
                              float* right, int count, float makeupGain);

    // The saturating table read of the stages: +-0.99 at and beyond +-3, 0 for NaN, linear
    // interpolation of the table inside.
    float tableTanh(float v) const;

    float cutoff() const { return cutoff_; }
    float g() const { return g_; }
    float resonance() const { return resonance_; }
    int repeatCount() const { return repeats_; }
    float tableEntry(int k) const { return table_[k].value; }
    static float firCoefficient(int k);

    // Table entry k: tanh at k and the step to entry k + 1 (0 for the last), so that one
    // 8-byte read serves an interpolation.
    struct TableEntry
    {
        float value;
        float slope;
    };

private:
    struct Stereo;

    float step(float x);

    float cutoff_ = 0.0f;
    float g_ = 0.0f;
    float resonance_ = 0.0f;
    float y1_ = 0.0f, y2_ = 0.0f, y3_ = 0.0f, y4_ = 0.0f;
    float previousY4_ = 0.0f;
    float fir_[kFirTaps] = {};
    // The FIR's delay line past its newest tap: y4 of the last 12 internal steps, newest
    // first (d1 .. d12 of the next step).
    float history_[kFirTaps - 1] = {};
    int repeats_ = kDirtyRepeats;
    const TableEntry* table_ = nullptr; // shared by every filter
};

} // namespace vellox
