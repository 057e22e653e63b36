#include "engine/academic_oversampling_optimised.h"

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

bool sameBits(double a, double b) { return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b); }

// Whether the literal recursion, started from a state whose outputs equal its inputs, would
// return every (finite) sample bit for bit. Each output is then y = ((2 x1 + x) - 2 x1) +
// (x2 - x2), which depends on the inputs alone, so the check has no loop-carried dependency
// and runs two samples at a time (IEEE double lanes, rounding exactly as the scalar form).
// Non-finite samples fail it and go the literal way, which also drops a non-finite state.
uint64_t mismatch(double previous, double beforePrevious, double current)
{
    const double y = ((2.0 * previous + current) - 2.0 * previous) + (beforePrevious - beforePrevious);
    const uint64_t nonFinite = !(std::fabs(current) <= DBL_MAX);
    return (std::bit_cast<uint64_t>(y) ^ std::bit_cast<uint64_t>(current)) | nonFinite;
}

bool recursionReturnsInput(double x1, double x2, const float* x, int count)
{
    uint64_t differs = mismatch(x1, x2, x[0]);
    if (count >= 2)
        differs |= mismatch(x[0], x1, x[1]);
    int n = 2;
#if defined(__SSE2__)
    const __m128d absMask = _mm_castsi128_pd(_mm_set1_epi64x(0x7fffffffffffffff));
    const __m128d largest = _mm_set1_pd(DBL_MAX);
    __m128i differsTwo = _mm_setzero_si128();
    __m128d finite = _mm_castsi128_pd(_mm_set1_epi64x(-1));
    for (; n + 1 < count; n += 2)
    {
        // x[n-2 .. n+1] in one load: {x[n-2], x[n-1]} and {x[n], x[n+1]}.
        const __m128 four = _mm_loadu_ps(x + n - 2);
        const __m128d beforePrevious = _mm_cvtps_pd(four);
        const __m128d current = _mm_cvtps_pd(_mm_movehl_ps(four, four));
        const __m128d previous = _mm_shuffle_pd(beforePrevious, current, 1);
        const __m128d twice = _mm_add_pd(previous, previous); // 2 x1, exactly
        const __m128d y = _mm_add_pd(_mm_sub_pd(_mm_add_pd(twice, current), twice),
                                     _mm_sub_pd(beforePrevious, beforePrevious));
        differsTwo = _mm_or_si128(differsTwo, _mm_xor_si128(_mm_castpd_si128(y), _mm_castpd_si128(current)));
        finite = _mm_and_pd(finite, _mm_cmple_pd(_mm_and_pd(current, absMask), largest));
    }
    if (_mm_movemask_pd(finite) != 3 ||
        _mm_movemask_epi8(_mm_cmpeq_epi32(differsTwo, _mm_setzero_si128())) != 0xFFFF)
        return false;
#endif
    for (; n < count; ++n)
        differs |= mismatch(x[n - 1], x[n - 2], x[n]);
    return differs == 0;
}

} // namespace

void runOversamplingSection(plugkit::BiquadSection& section, float* samples, int count)
{
    plugkit::BiquadState& s = section.state;
    if (count <= 0)
        return;
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
    if (factor != currentFactor_)
        initialize(factor, sampleRate);
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
