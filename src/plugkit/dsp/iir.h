#pragma once
// Second-order IIR sections: the per-sample rule every biquad of the engine runs, and the
// coefficient designs of the RBJ cookbook. Coefficients and state are double; the samples
// around them are float. Designs are rounded to single precision, so a design is the same
// value whatever the caller does with it afterwards.

#include <emmintrin.h>

namespace plugkit
{

// Numeric order is part of the interface; any other value is a programming error.
enum class BiquadType : int
{
    lowPass = 0,
    highPass = 1,
    bandPass = 2, // constant 0 dB peak gain
    notch = 3,
    peak = 4,
    lowShelf = 5,
    highShelf = 6,
    allPass = 7,
};

// Normalised so that a0 = 1.
struct BiquadCoefficients
{
    double b0 = 1.0;
    double b1 = 0.0;
    double b2 = 0.0;
    double a1 = 0.0;
    double a2 = 0.0;
};

// The last two inputs and the last two outputs, outputs kept in double.
struct BiquadState
{
    double x1 = 0.0;
    double x2 = 0.0;
    double y1 = 0.0;
    double y2 = 0.0;

    void clear() { x1 = x2 = y1 = y2 = 0.0; }
};

// RBJ design. A = 10^(gainDB/40) and w0 = 2 pi f / fs are formed in long double (w0 then
// narrowed to double); each coefficient is divided by a0 and rounded to float.
BiquadCoefficients generateBiquad(BiquadType type, double frequency, double sampleRate,
                                  double gainDB, double quality);

// [audio thread] Runs `count` samples from input to output; output may be input itself.
// Per sample, in double: y = (b1 x1 + b0 x - a1 y1) + (b2 x2 - a2 y2), stored as float.
// A state that ends the buffer non-finite is cleared, so one bad sample cannot silence the
// section forever (NaN never decays out of a recursion).
void processBiquad(const BiquadCoefficients& coefficients, BiquadState& state, const float* input,
                   float* output, int count);

// One section with its own coefficients and state.
struct BiquadSection
{
    BiquadCoefficients coefficients;
    BiquadState state;

    void clearState() { state.clear(); }
    // [audio thread]
    void process(const float* input, float* output, int count)
    {
        processBiquad(coefficients, state, input, output, count);
    }
    // [audio thread]
    void processInPlace(float* samples, int count)
    {
        processBiquad(coefficients, state, samples, samples, count);
    }
};

// Two sections side by side in the two lanes of an SSE register (the left and right channel
// of a stereo stage), sample by sample with the per-sample rule above: bit for bit what two
// processBiquad passes give. Load, run any number of samples, store. [audio thread]
struct BiquadLanes
{
    __m128d b0, b1, b2, a1, a2;
    __m128d x1, x2, y1, y2;

    BiquadLanes(const BiquadCoefficients& left, const BiquadCoefficients& right,
                const BiquadState& leftState, const BiquadState& rightState)
        : b0(_mm_setr_pd(left.b0, right.b0)), b1(_mm_setr_pd(left.b1, right.b1)),
          b2(_mm_setr_pd(left.b2, right.b2)), a1(_mm_setr_pd(left.a1, right.a1)),
          a2(_mm_setr_pd(left.a2, right.a2)), x1(_mm_setr_pd(leftState.x1, rightState.x1)),
          x2(_mm_setr_pd(leftState.x2, rightState.x2)),
          y1(_mm_setr_pd(leftState.y1, rightState.y1)), y2(_mm_setr_pd(leftState.y2, rightState.y2))
    {
    }

    // Float samples in lanes 0 and 1 in, their float outputs out.
    __m128 run(__m128 in)
    {
        const __m128d x = _mm_cvtps_pd(in);
        const __m128d y = _mm_add_pd(
            _mm_sub_pd(_mm_add_pd(_mm_mul_pd(b1, x1), _mm_mul_pd(b0, x)), _mm_mul_pd(a1, y1)),
            _mm_sub_pd(_mm_mul_pd(b2, x2), _mm_mul_pd(a2, y2)));
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return _mm_cvtpd_ps(y);
    }

    // As processBiquad does at the end of a buffer, a state that ends non-finite is cleared.
    void store(BiquadState& leftState, BiquadState& rightState) const;
};

} // namespace plugkit
