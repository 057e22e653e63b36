#pragma once
// BaxandAll: the always-on tone stage. Each channel is taken through sin(), split by two
// second-order low-passes into a high band (input minus the first low-pass) and a low band
// (the second low-pass), the bands are saturated by the tube shaper with the treble and bass
// morphs, summed, clipped below 1 and mapped back through asin(). The four variants differ in
// which bands run: both, treble only, bass only, or both clean (no shaper).
//
// One object serves both channels. Each filter exists twice per channel and consecutive
// samples alternate between the two copies (each copy filters every other sample).
//
// Both channels and two consecutive samples are processed together in vector lanes, with
// the same IEEE operations per lane as the per-sample definition, so results are the same
// bit for bit. sin and asin run as vector approximations that hand every lane they cannot
// prove identical to the C library's result to the library itself.

#include <cstdint>

namespace vellox
{

class BaxandAll
{
public:
    // One second-order low-pass, transposed direct form II, double precision.
    struct Filter
    {
        double frequency; // normalised (cycles per sample)
        double quality;
        double b0, b1, b2, a1, a2;
        double s1, s2;
    };

    // Exciter values: 0.5 with "Exciter" off, 29/48 with it on.
    static constexpr float kExciterOff = 0.5f;
    static constexpr float kExciterOn = 29.0f / 48.0f;

    // Sets both exciter values to 0.5, clears every filter record and the toggle.
    void reset();

    // The per-call settings: exciter value (both fields), bass morph ("Bass amount" x 0.08)
    // and treble morph ("Treble amount" x 0.06).
    void setControls(float exciter, float bassMorph, float trebleMorph);

    // [audio thread] The four variants. `count` samples per channel; the output of a channel
    // may be its input buffer (no other overlap). `sampleRate` sets the band edges in cycles
    // per sample.
    void processBaxandall2(float* inLeft, float* outLeft, float* inRight, float* outRight,
                           int count, double sampleRate);
    void processBaxandall2_treble(float* inLeft, float* outLeft, float* inRight, float* outRight,
                                  int count, double sampleRate);
    void processBaxandall2_bass(float* inLeft, float* outLeft, float* inRight, float* outRight,
                                int count, double sampleRate);
    void processBaxandall2_original(float* inLeft, float* outLeft, float* inRight, float* outRight,
                                    int count, double sampleRate);

    // [audio thread] The variant the two switches select, in place on both channels.
    void process(bool bassOn, bool trebleOn, float* left, float* right, int count,
                 double sampleRate);

    float exciterA = kExciterOff; // high-band gain and first band edge
    float exciterB = kExciterOff; // low-band gain and second band edge
    float bassMorph = 0.0f;
    float trebleMorph = 0.0f;
    // Left first (copies 1, 2), left second (1, 2), right first (1, 2), right second (1, 2).
    Filter filters[8] = {};
    uint8_t toggle = 0; // 1: copy 1 takes the sample, 0: copy 2
};

// [test] The stage's vector sine and arcsine over arrays: y = sin(x) in double (0 for a
// non-finite x), and y = float(asin(s)) after the stage's safety clip of s. The
// instruction set follows setBaselineLanes (distortion.h).
void toneSines(const float* x, double* y, int count);
void toneArcsines(const double* s, float* y, int count);

} // namespace vellox
