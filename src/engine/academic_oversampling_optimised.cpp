#include "engine/academic_oversampling_optimised.h"

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>

#include <emmintrin.h>

#include "plugkit/core/fatal.h"

namespace vellox
{

plugkit::BiquadCoefficients oversamplingSectionDesign(int factor, double sampleRate)
{
    if (factor != 1 && factor != 2 && factor != 4 && factor != 8 && factor != 16)
        plugkit::fatalError("oversampling factor must be 1, 2, 4, 8 or 16");
    // Low-pass at half the host rate, Q 1/sqrt 2: w0 = pi, alpha = sin(w0) / sqrt 2.
    return plugkit::generateBiquad(plugkit::BiquadType::lowPass, 0.5 * sampleRate, sampleRate, 0.0,
                                   0.7071067811865476);
}

namespace
{

bool isPassThroughDesign(const plugkit::BiquadCoefficients& c)
{
    return c.b0 == 1.0 && c.b1 == 2.0 && c.b2 == 1.0 && c.a1 == 2.0 && c.a2 == 1.0;
}

bool sameBits(double a, double b)
{
    return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

// Whether the literal recursion, started from a state whose outputs equal its inputs, would
// return every sample bit for bit. Each output is then y = ((2 a + x) - 2 a) + (b - b), with
// a and b the two samples before x, which is x exactly when 2 a + x is exact and x is not
// -0 (b - b is +0 for finite b). For floats a and x (24-bit significands, as doubles) the sum
// is exact when x = +0, or a = +-0 and x is normal, or both are normal with exponents (of x
// and of 2 a) at most 28 apart. The check claims no more than that, so a "false" costs only
// the literal pass; it looks at float bits, four samples at a time, no loop-carried work.
[[gnu::always_inline]] inline __m128i failures(__m128i x, __m128i a)
{
    const __m128i exponentMask = _mm_set1_epi32(0xFF);
    const __m128i ex = _mm_and_si128(_mm_srli_epi32(x, 23), exponentMask);
    const __m128i ea = _mm_and_si128(_mm_srli_epi32(a, 23), exponentMask);
    const __m128i zero = _mm_setzero_si128();
    // Normal: exponent field 1 .. 254.
    const __m128i xNormal =
        _mm_andnot_si128(_mm_or_si128(_mm_cmpeq_epi32(ex, zero), _mm_cmpeq_epi32(ex, exponentMask)),
                         _mm_set1_epi32(-1));
    const __m128i aNormal =
        _mm_andnot_si128(_mm_or_si128(_mm_cmpeq_epi32(ea, zero), _mm_cmpeq_epi32(ea, exponentMask)),
                         _mm_set1_epi32(-1));
    const __m128i xPlusZero = _mm_cmpeq_epi32(x, zero);
    const __m128i aZero = _mm_cmpeq_epi32(_mm_and_si128(a, _mm_set1_epi32(0x7FFFFFFF)), zero);
    // |ex - (ea + 1)| <= 28: the offset plus 28 within 0 .. 56.
    const __m128i offset = _mm_sub_epi32(ex, _mm_add_epi32(ea, _mm_set1_epi32(1 - 28)));
    const __m128i close = _mm_and_si128(_mm_cmpgt_epi32(offset, _mm_set1_epi32(-1)),
                                        _mm_cmpgt_epi32(_mm_set1_epi32(57), offset));
    const __m128i exact = _mm_or_si128(
        xPlusZero, _mm_and_si128(xNormal, _mm_or_si128(aZero, _mm_and_si128(aNormal, close))));
    return _mm_andnot_si128(exact, _mm_set1_epi32(-1));
}

bool recursionReturnsInput(double x1, double x2, const float* x, int count)
{
    // The state holds earlier samples (floats); non-finite ones go the literal way.
    if (!(std::fabs(x1) <= DBL_MAX && std::fabs(x2) <= DBL_MAX)) return false;
    const float before = static_cast<float>(x1);
    __m128i failed = _mm_setzero_si128();
    int n = 0;
    if (count >= 4)
    {
        // The first four against {x1, x[0], x[1], x[2]}, then every four against the ones
        // before them.
        const __m128 first = _mm_loadu_ps(x);
        const __m128 previous = _mm_castsi128_ps(_mm_or_si128(
            _mm_slli_si128(_mm_castps_si128(first), 4), _mm_castps_si128(_mm_set_ss(before))));
        failed = failures(_mm_castps_si128(first), _mm_castps_si128(previous));
        for (n = 4; n + 4 <= count; n += 4)
            failed = _mm_or_si128(failed, failures(_mm_castps_si128(_mm_loadu_ps(x + n)),
                                                   _mm_castps_si128(_mm_loadu_ps(x + n - 1))));
    }
    for (; n < count; ++n)
    {
        const float a = n == 0 ? before : x[n - 1];
        failed = _mm_or_si128(
            failed, failures(_mm_castps_si128(_mm_set_ss(x[n])), _mm_castps_si128(_mm_set_ss(a))));
    }
    return _mm_movemask_epi8(failed) == 0;
}

} // namespace

void runOversamplingSection(plugkit::BiquadSection& section, float* samples, int count)
{
    plugkit::BiquadState& s = section.state;
    if (count <= 0) return;
    if (isPassThroughDesign(section.coefficients) && sameBits(s.y1, s.x1) && sameBits(s.y2, s.x2) &&
        recursionReturnsInput(s.x1, s.x2, samples, count))
    {
        s.x2 = count >= 2 ? static_cast<double>(samples[count - 2]) : s.x1;
        s.x1 = samples[count - 1];
    }
    else
        section.processInPlace(samples, count);
    s.y1 = s.x1;
    s.y2 = s.x2;
}

void UpsamplingOpt::initialize(int factor, double sampleRate)
{
    section_.coefficients = oversamplingSectionDesign(factor, sampleRate);
    section_.clearState();
    currentFactor_ = factor;
}

void UpsamplingOpt::processBuffer(const float* input, float* output, int frames, int factor,
                                  double sampleRate)
{
    if (factor != currentFactor_) initialize(factor, sampleRate);
    if (output != input)
    {
        if (frames > 0 && factor > 1)
            std::memset(output, 0, sizeof(float) * static_cast<size_t>(frames * factor));
        for (int i = 0; i < frames; ++i)
            output[i * factor] = input[i];
    }
    else
    {
        // In place: backwards, since frame i lands at i x factor >= i.
        for (int i = frames - 1; i >= 0; --i)
        {
            const float v = output[i];
            float* group = output + i * factor;
            group[0] = v;
            for (int k = 1; k < factor; ++k)
                group[k] = 0.0f;
        }
    }
    runOversamplingSection(section_, output, frames * factor);
}

} // namespace vellox
