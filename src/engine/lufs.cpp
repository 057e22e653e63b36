#include "engine/lufs.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>

#include <emmintrin.h>

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

// e^x on two double lanes (Tang's method): x = k ln2/128 + r with |r| <= ln2/256, 2^(k/128)
// from a table, e^r - 1 by r + r^2/2 + r^3/6. The result is within about 2^-38.7 of e^x
// (relative), far closer than the margins below need.
constexpr uint64_t kExp2Table[128] = {
    // bits of 2^(j/128) minus j << 45: adding k << 45 then gives 2^(j/128) x 2^(k >> 7)
    0x3ff0000000000000, 0x3feff63da9fb3335, 0x3fefec9a3e778061, 0x3fefe315e86e7f85,
    0x3fefd9b0d3158574, 0x3fefd06b29ddf6de, 0x3fefc74518759bc8, 0x3fefbe3ecac6f383,
    0x3fefb5586cf9890f, 0x3fefac922b7247f7, 0x3fefa3ec32d3d1a2, 0x3fef9b66affed31b,
    0x3fef9301d0125b51, 0x3fef8abdc06c31cc, 0x3fef829aaea92de0, 0x3fef7a98c8a58e51,
    0x3fef72b83c7d517b, 0x3fef6af9388c8dea, 0x3fef635beb6fcb75, 0x3fef5be084045cd4,
    0x3fef54873168b9aa, 0x3fef4d5022fcd91d, 0x3fef463b88628cd6, 0x3fef3f49917ddc96,
    0x3fef387a6e756238, 0x3fef31ce4fb2a63f, 0x3fef2b4565e27cdd, 0x3fef24dfe1f56381,
    0x3fef1e9df51fdee1, 0x3fef187fd0dad990, 0x3fef1285a6e4030b, 0x3fef0cafa93e2f56,
    0x3fef06fe0a31b715, 0x3fef0170fc4cd831, 0x3feefc08b26416ff, 0x3feef6c55f929ff1,
    0x3feef1a7373aa9cb, 0x3feeecae6d05d866, 0x3feee7db34e59ff7, 0x3feee32dc313a8e5,
    0x3feedea64c123422, 0x3feeda4504ac801c, 0x3feed60a21f72e2a, 0x3feed1f5d950a897,
    0x3feece086061892d, 0x3feeca41ed1d0057, 0x3feec6a2b5c13cd0, 0x3feec32af0d7d3de,
    0x3feebfdad5362a27, 0x3feebcb299fddd0d, 0x3feeb9b2769d2ca7, 0x3feeb6daa2cf6642,
    0x3feeb42b569d4f82, 0x3feeb1a4ca5d920f, 0x3feeaf4736b527da, 0x3feead12d497c7fd,
    0x3feeab07dd485429, 0x3feea9268a5946b7, 0x3feea76f15ad2148, 0x3feea5e1b976dc09,
    0x3feea47eb03a5585, 0x3feea34634ccc320, 0x3feea23882552225, 0x3feea155d44ca973,
    0x3feea09e667f3bcd, 0x3feea012750bdabf, 0x3fee9fb23c651a2f, 0x3fee9f7df9519484,
    0x3fee9f75e8ec5f74, 0x3fee9f9a48a58174, 0x3fee9feb564267c9, 0x3feea0694fde5d3f,
    0x3feea11473eb0187, 0x3feea1ed0130c132, 0x3feea2f336cf4e62, 0x3feea427543e1a12,
    0x3feea589994cce13, 0x3feea71a4623c7ad, 0x3feea8d99b4492ed, 0x3feeaac7d98a6699,
    0x3feeace5422aa0db, 0x3feeaf3216b5448c, 0x3feeb1ae99157736, 0x3feeb45b0b91ffc6,
    0x3feeb737b0cdc5e5, 0x3feeba44cbc8520f, 0x3feebd829fde4e50, 0x3feec0f170ca07ba,
    0x3feec49182a3f090, 0x3feec86319e32323, 0x3feecc667b5de565, 0x3feed09bec4a2d33,
    0x3feed503b23e255d, 0x3feed99e1330b358, 0x3feede6b5579fdbf, 0x3feee36bbfd3f37a,
    0x3feee89f995ad3ad, 0x3feeee07298db666, 0x3feef3a2b84f15fb, 0x3feef9728de5593a,
    0x3feeff76f2fb5e47, 0x3fef05b030a1064a, 0x3fef0c1e904bc1d2, 0x3fef12c25bd71e09,
    0x3fef199bdd85529c, 0x3fef20ab5fffd07a, 0x3fef27f12e57d14b, 0x3fef2f6d9406e7b5,
    0x3fef3720dcef9069, 0x3fef3f0b555dc3fa, 0x3fef472d4a07897c, 0x3fef4f87080d89f2,
    0x3fef5818dcfba487, 0x3fef60e316c98398, 0x3fef69e603db3285, 0x3fef7321f301b460,
    0x3fef7c97337b9b5f, 0x3fef864614f5a129, 0x3fef902ee78b3ff6, 0x3fef9a51fbc74c83,
    0x3fefa4afa2a490da, 0x3fefaf482d8e67f1, 0x3fefba1bee615a27, 0x3fefc52b376bba97,
    0x3fefd0765b6e4540, 0x3fefdbfdad9cbe14, 0x3fefe7c1819e90d8, 0x3feff3c22b8f71f1,
};
constexpr double kInvLn2N = 0x1.71547652b82fep+7; // 128 / ln 2
constexpr double kLn2HiN = 0x1.62e42fefa0000p-8;  // ln 2 / 128 to 37 bits: k x it is exact
constexpr double kLn2LoN = 0x1.cf79abc9e3b3ap-47; // the rest of ln 2 / 128
constexpr double kRoundShift = 0x1.8p52;          // adding it rounds to an integer

// Arguments are held to [-88.5, 89] (NaN passes), where every result is a normal double;
// beyond -87.3 or 88.7 it is no normal float, and the checks below hand the lane to libm.
[[gnu::always_inline]] inline __m128d expLanes(__m128d x)
{
    x = _mm_max_pd(_mm_set1_pd(-88.5), _mm_min_pd(_mm_set1_pd(89.0), x));
    const __m128d shifted =
        _mm_add_pd(_mm_mul_pd(x, _mm_set1_pd(kInvLn2N)), _mm_set1_pd(kRoundShift));
    const __m128d k = _mm_sub_pd(shifted, _mm_set1_pd(kRoundShift));
    const __m128d r = _mm_sub_pd(_mm_sub_pd(x, _mm_mul_pd(k, _mm_set1_pd(kLn2HiN))),
                                 _mm_mul_pd(k, _mm_set1_pd(kLn2LoN)));
    // The low bits of `shifted` hold k.
    const __m128i kBits = _mm_castpd_si128(shifted);
    const uint64_t low = kExp2Table[_mm_cvtsi128_si32(kBits) & 127];
    const uint64_t high = kExp2Table[_mm_cvtsi128_si32(_mm_unpackhi_epi64(kBits, kBits)) & 127];
    const __m128d scale = _mm_castsi128_pd(
        _mm_add_epi64(_mm_set_epi64x(static_cast<long long>(high), static_cast<long long>(low)),
                      _mm_slli_epi64(kBits, 45)));
    const __m128d q = _mm_add_pd(
        r, _mm_mul_pd(_mm_mul_pd(r, r),
                      _mm_add_pd(_mm_set1_pd(0.5), _mm_mul_pd(r, _mm_set1_pd(1.0 / 6.0)))));
    return _mm_add_pd(scale, _mm_mul_pd(scale, q));
}

// e^x for |x| <= 2^-10 by 1 + x + x^2/2 + x^3/6: within 2^-44.6 of e^x.
[[gnu::always_inline]] inline __m128d expSmall(__m128d x)
{
    const __m128d p = _mm_add_pd(_mm_set1_pd(0.5), _mm_mul_pd(x, _mm_set1_pd(1.0 / 6.0)));
    return _mm_add_pd(_mm_set1_pd(1.0), _mm_add_pd(x, _mm_mul_pd(_mm_mul_pd(x, x), p)));
}

// Per 32-bit half of two doubles y: set where the half shows that rounding y to float may
// not give libm's float. Low halves: the 29 bits below float precision lie within `Margin`
// of 1000...0, a rounding boundary of float. High halves: y is no normal float (or NaN).
template <int Margin> [[gnu::always_inline]] inline __m128i doubtful(__m128d y)
{
    constexpr int kNormalLow = (1023 - 126) << 20;  // high half of 2^-126
    constexpr int kNormalHigh = (1023 + 128) << 20; // high half of 2^128
    const __m128i bits = _mm_castpd_si128(y);
    // Low: t = (bits + Margin - 2^28) mod 2^29, doubtful if t <= 2 Margin. High: the offset
    // from kNormalLow compared unsigned (by flipping the sign bit) with the normal span.
    const __m128i t = _mm_xor_si128(
        _mm_and_si128(_mm_add_epi32(bits, _mm_setr_epi32(Margin - (1 << 28), -kNormalLow,
                                                         Margin - (1 << 28), -kNormalLow)),
                      _mm_setr_epi32(0x1FFFFFFF, -1, 0x1FFFFFFF, -1)),
        _mm_setr_epi32(0, INT32_MIN, 0, INT32_MIN));
    const int span = (kNormalHigh - kNormalLow) ^ INT32_MIN;
    const __m128i below =
        _mm_cmpgt_epi32(_mm_setr_epi32(2 * Margin + 1, span, 2 * Margin + 1, span), t);
    return _mm_xor_si128(below, _mm_setr_epi32(0, -1, 0, -1)); // high: doubtful if not below
}

template <float (*Libm)(double)>
[[gnu::noinline]] __m128 redoInLibm(__m128d lo, __m128d hi, __m128 y, int halves)
{
    alignas(16) double x[4];
    alignas(16) float out[4];
    _mm_store_pd(x, lo);
    _mm_store_pd(x + 2, hi);
    _mm_store_ps(out, y);
    for (int lane = 0; lane < 4; ++lane)
        if (halves & (3 << (2 * lane))) out[lane] = Libm(x[lane]);
    return _mm_load_ps(out);
}

float libmExp(double x)
{
    return static_cast<float>(std::exp(x));
}

float libmExpf(double x)
{
    return expf(static_cast<float>(x)); // x came from a float
}

// The four values y ~ e^x rounded to float as libm rounds Libm(x): the same float whenever y
// lies farther than `Margin` ulps from a rounding boundary of float (Margin covers libm's own
// error and that of y); the other lanes, and results that are no normal float, are handed to
// libm.
template <float (*Libm)(double), int Margin>
[[gnu::always_inline]] inline __m128 toFloatAsLibm(__m128d xLo, __m128d xHi, __m128d yLo,
                                                   __m128d yHi)
{
    const __m128 y = _mm_movelh_ps(_mm_cvtpd_ps(yLo), _mm_cvtpd_ps(yHi));
    const __m128i lo = doubtful<Margin>(yLo), hi = doubtful<Margin>(yHi);
    const int lowHalves = _mm_movemask_ps(_mm_castsi128_ps(lo));
    const int halves = lowHalves | _mm_movemask_ps(_mm_castsi128_ps(hi)) << 4;
    if (halves == 0) [[likely]]
        return y;
    return redoInLibm<Libm>(xLo, xHi, y, halves);
}

// exp in double, rounded to float: the follower coefficients. The C library's exp is within an
// ulp of e^x; the margin of 2^16 ulps leaves room for the lanes' error. The arguments are
// mostly tiny, where the short series does. Checked against glibc for every float time at the
// usual oversampled rates.
[[gnu::always_inline]] inline __m128 followerExp(__m128d lo, __m128d hi)
{
    constexpr int kMargin = 1 << 16;
    const __m128d magnitude = _mm_castsi128_pd(_mm_set1_epi64x(0x7fffffffffffffff));
    const __m128d small = _mm_set1_pd(0x1p-10);
    const bool allSmall =
        _mm_movemask_pd(_mm_and_pd(_mm_cmple_pd(_mm_and_pd(lo, magnitude), small),
                                   _mm_cmple_pd(_mm_and_pd(hi, magnitude), small))) == 3;
    if (allSmall) return toFloatAsLibm<libmExp, kMargin>(lo, hi, expSmall(lo), expSmall(hi));
    return toFloatAsLibm<libmExp, kMargin>(lo, hi, expLanes(lo), expLanes(hi));
}

// expf: the gains. The C library's expf gives the nearest float except, at worst, within a
// few thousandths of a float ulp of a rounding boundary (glibc: results within 0.502 ulp);
// lanes within 2^21 ulps of double (0.004 of a float ulp) of one go to the library. Checked
// against glibc for every float argument.
[[gnu::always_inline]] inline __m128 gainExp(__m128 argument)
{
    const __m128d lo = _mm_cvtps_pd(argument);
    const __m128d hi = _mm_cvtps_pd(_mm_movehl_ps(argument, argument));
    return toFloatAsLibm<libmExpf, (1 << 21)>(lo, hi, expLanes(lo), expLanes(hi));
}

// f over `count` values, eight (two independent groups of four) per round; a tail is padded
// with copies of the last value.
template <class F>
[[gnu::always_inline]] inline void mapRow(const float* in, float* out, int count, F f)
{
    int i = 0;
    for (; i + 8 <= count; i += 8)
    {
        const __m128 first = f(_mm_loadu_ps(in + i));
        const __m128 second = f(_mm_loadu_ps(in + i + 4));
        _mm_storeu_ps(out + i, first);
        _mm_storeu_ps(out + i + 4, second);
    }
    for (; i < count; i += 4)
    {
        alignas(16) float v[4];
        for (int k = 0; k < 4; ++k)
            v[k] = in[std::min(i + k, count - 1)];
        _mm_store_ps(v, f(_mm_load_ps(v)));
        for (int k = 0; k < 4 && i + k < count; ++k)
            out[i + k] = v[k];
    }
}

// The row operations as function objects whose call is inlined into mapRow's loop.
struct Follower
{
    __m128d rateFactor;

    [[gnu::always_inline]] __m128d argument(__m128 times) const
    {
        return _mm_div_pd(_mm_set1_pd(-0.9996723430813206),
                          _mm_mul_pd(rateFactor, _mm_cvtps_pd(times)));
    }
    [[gnu::always_inline]] __m128 operator()(__m128 times) const
    {
        return followerExp(argument(times), argument(_mm_movehl_ps(times, times)));
    }
};

struct Gain
{
    [[gnu::always_inline]] __m128 operator()(__m128 decibels) const
    {
        return gainExp(_mm_mul_ps(decibels, _mm_set1_ps(kDecibelToLog)));
    }
};

} // namespace

void followerCoefficients(const float* times, float* out, int count, double rateFactor)
{
    mapRow(times, out, count, Follower{_mm_set1_pd(rateFactor)});
}

void decibelGains(const float* decibels, float* out, int count)
{
    mapRow(decibels, out, count, Gain{});
}

namespace
{

__m128 select(__m128 mask, __m128 a, __m128 b)
{
    return _mm_or_ps(_mm_and_ps(mask, a), _mm_andnot_ps(mask, b));
}

__m128 loadPair(const float* p)
{
    return _mm_castpd_ps(_mm_load_sd(reinterpret_cast<const double*>(p)));
}

void storePair(float* p, __m128 v)
{
    _mm_store_sd(reinterpret_cast<double*>(p), _mm_castps_pd(v));
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

// The limiter on both channels at once, in chunks that stay in cache. Each chunk goes through
// six stages; the recursive ones (weighting and the two envelopes; the level follower; the
// make-up smoother and the 150 Hz sections) run per sample with the left and right channel in
// two SSE lanes, the others four values (two samples of both channels) at a time. Scratch
// rows hold {left, right} per sample. Every lane does the operations of the per-sample rules
// in their order, so the results are those of the channel-by-channel pass.
struct Limiter::StereoPass
{
    static constexpr int kChunk = 256;

    plugkit::BiquadLanes highPass, highShelf, smoothG, smoothH;
    __m128 peak = _mm_setzero_ps(), meanSquare = _mm_setzero_ps(), level = _mm_setzero_ps(),
           makeUp = _mm_setzero_ps();
    const __m128 floor = _mm_set1_ps(kFloor);
    const __m128 one = _mm_set1_ps(1.0f);
    const __m128 attack, release, attackRest, releaseRest; // a, r, 1 - a, 1 - r
    const double rateFactor;                               // fs x factor x 0.001
    const float threshold, absKnee, tLin, offset;          // T, |K|, T as linear, m

    StereoPass(const Limiter& limiter, float a, double rate)
        : highPass(limiter.left_.weighting.highPass.coefficients,
                   limiter.right_.weighting.highPass.coefficients, plugkit::BiquadState(),
                   plugkit::BiquadState()),
          highShelf(limiter.left_.weighting.highShelf.coefficients,
                    limiter.right_.weighting.highShelf.coefficients, plugkit::BiquadState(),
                    plugkit::BiquadState()),
          smoothG(limiter.smoothing_, limiter.smoothing_, limiter.left_.smoothG,
                  limiter.right_.smoothG),
          smoothH(limiter.smoothing_, limiter.smoothing_, limiter.left_.smoothH,
                  limiter.right_.smoothH),
          attack(_mm_set1_ps(a)), release(_mm_set1_ps(kReleaseCoefficient)),
          attackRest(_mm_set1_ps(1.0f - a)), releaseRest(_mm_set1_ps(1.0f - kReleaseCoefficient)),
          rateFactor(rate * 0.001), threshold(limiter.threshold_),
          absKnee(std::fabs(limiter.knee_)), tLin(expf(limiter.threshold_ * kDecibelToLog)),
          offset(limiter.threshold_ * (1.0f - 1.0f / limiter.knee_) * 0.5f)
    {
    }

    void run(float* left, float* right, int n, bool first)
    {
        alignas(16) float w[2 * kChunk];    // weighted signal, then the H gains
        alignas(16) float rowA[2 * kChunk]; // P, tA, alpha A, s, G, smoothed G
        alignas(16) float rowB[2 * kChunk]; // R, tR, alpha R, then the G gains
        alignas(16) float rowH[2 * kChunk]; // smoothed H
        float* where[2 * kChunk];           // the samples that are not 0
        const int values = 2 * n;
        // The four-value passes run over whole groups of eight; the values past the chunk's
        // end repeat its last sample.
        const int padded = (values + 7) & ~7;

        // Weighting, then the peak and mean-square envelopes.
        for (int k = 0; k < n; ++k)
            storePair(w + 2 * k, weigh(left, right, k));
        for (int k = 0; k < n; ++k)
        {
            envelopes(loadPair(w + 2 * k), first && k == 0);
            storePair(rowA + 2 * k, peak);
            storePair(rowB + 2 * k, meanSquare);
        }
        repeatLastPair(rowA, values, padded);
        repeatLastPair(rowB, values, padded);

        // Crest factor -> attack and release times in ms. With P = 0 the crest factor is 0
        // and the times are inf / NaN; the level follower below then keeps its state.
        for (int i = 0; i < padded; i += 4)
        {
            const __m128 crest = _mm_div_ps(_mm_sqrt_ps(_mm_load_ps(rowA + i)),
                                            _mm_sqrt_ps(_mm_add_ps(_mm_load_ps(rowB + i), floor)));
            const __m128 crestSquare = _mm_mul_ps(crest, crest);
            const __m128 tA = _mm_div_ps(_mm_set1_ps(2.0f * kAttackBase), crestSquare);
            _mm_store_ps(rowA + i, tA);
            _mm_store_ps(rowB + i,
                         _mm_sub_ps(_mm_div_ps(_mm_set1_ps(2.0f * kReleaseBase), crestSquare), tA));
        }

        // Follower coefficients exp(-0.9996723430813206 / (fs x factor x 0.001 x t)), for
        // both times: the level follower picks one per sample.
        followerCoefficients(rowA, rowA, padded, rateFactor);
        followerCoefficients(rowB, rowB, padded, rateFactor);

        // Level follower.
        for (int k = 0; k < n; ++k)
            storePair(rowA + 2 * k,
                      follow(loadPair(rowA + 2 * k), loadPair(rowB + 2 * k), loadPair(w + 2 * k)));
        repeatLastPair(rowA, values, padded);

        // Gain computer on the level sqrt(s).
        for (int i = 0; i < padded; i += 4)
            _mm_store_ps(rowA + i, gainComputer(_mm_sqrt_ps(_mm_load_ps(rowA + i))));

        // Make-up path and the 150 Hz sections over G and H.
        for (int k = 0; k < n; ++k)
            makeUpAndSmooth(loadPair(rowA + 2 * k), first && k == 0, rowA + 2 * k, rowH + 2 * k);

        // Apply the gains expf(G x 0.115129255) and expf(H x 0.115129255), then the clip at
        // 0.97. A sample of +-0 comes out as itself whatever the gains (a finite gain keeps
        // the zero and its sign, an infinite one gives NaN, which the rule turns back into
        // the sample), so the exponentials run only on the other samples, gathered into dense
        // rows: on the zero-stuffed stream that is one sample in `factor`.
        float* const gainG = rowB; // R, tR and alpha R are no longer needed,
        float* const gainH = w;    // nor the weighted signal
        int dense = 0;
        for (int k = 0; k < n; ++k)
        {
            for (int c = 0; c < 2; ++c)
            {
                float* const sample = (c == 0 ? left : right) + k;
                where[dense] = sample;
                gainG[dense] = rowA[2 * k + c];
                gainH[dense] = rowH[2 * k + c];
                dense += *sample != 0.0f; // NaN counts as not 0
            }
        }
        if (dense == 0) return;
        decibelGains(gainG, gainG, dense);
        decibelGains(gainH, gainH, dense);
        for (int j = dense; j % 4 != 0; ++j) // the last group repeats its last sample
        {
            where[j] = where[dense - 1];
            gainG[j] = gainG[dense - 1];
            gainH[j] = gainH[dense - 1];
        }
        for (int j = 0; j < dense; j += 4)
        {
            const __m128 x = _mm_setr_ps(*where[j], *where[j + 1], *where[j + 2], *where[j + 3]);
            alignas(16) float y[4];
            _mm_store_ps(y, applyGain(x, _mm_load_ps(gainG + j), _mm_load_ps(gainH + j)));
            for (int i = 0; i < 4; ++i)
                *where[j + i] = y[i];
        }
    }

    static __m128 magnitude(__m128 v) { return _mm_andnot_ps(_mm_set1_ps(-0.0f), v); }

    // Sample k of both channels through the weighting sections.
    __m128 weigh(const float* left, const float* right, int k)
    {
        const __m128 x = _mm_unpacklo_ps(_mm_load_ss(left + k), _mm_load_ss(right + k));
        return highShelf.run(highPass.run(x));
    }

    // One step of the peak and mean-square envelopes; `start`: the call's first sample.
    void envelopes(__m128 weighted, bool start)
    {
        const __m128 square = _mm_mul_ps(weighted, weighted);
        const __m128 v = _mm_add_ps(square, floor);
        if (start)
        {
            peak = square;
            meanSquare = _mm_mul_ps(attackRest, v);
            return;
        }
        const __m128 peakRises = _mm_cmplt_ps(peak, v);
        const __m128 mix = _mm_add_ps(_mm_mul_ps(select(peakRises, attackRest, releaseRest), v),
                                      _mm_mul_ps(select(peakRises, attack, release), peak));
        peak = _mm_max_ps(mix, v); // max(v, mix): mix only if above v
        const __m128 meanRises = _mm_cmplt_ps(meanSquare, v);
        meanSquare = _mm_add_ps(_mm_mul_ps(select(meanRises, attack, release), meanSquare),
                                _mm_mul_ps(select(meanRises, attackRest, releaseRest), v));
    }

    // One step of the level follower. Both candidates are formed, so only the choice waits
    // for the compare.
    __m128 follow(__m128 alphaA, __m128 alphaR, __m128 weighted)
    {
        const __m128 v = _mm_add_ps(_mm_mul_ps(weighted, weighted), floor);
        const __m128 attacking =
            _mm_add_ps(_mm_mul_ps(level, alphaA), _mm_mul_ps(_mm_sub_ps(one, alphaA), v));
        const __m128 releasing =
            _mm_add_ps(_mm_mul_ps(level, alphaR), _mm_mul_ps(_mm_sub_ps(one, alphaR), v));
        level = select(_mm_cmplt_ps(level, v), attacking, releasing);
        return level;
    }

    // One step of the make-up path; G and H through their 150 Hz sections into the rows.
    void makeUpAndSmooth(__m128 g, bool start, float* smoothedG, float* smoothedH)
    {
        const __m128 m = _mm_set1_ps(offset);
        if (start)
            makeUp = g;
        else
            makeUp =
                _mm_add_ps(_mm_mul_ps(makeUp, attack), _mm_mul_ps(_mm_sub_ps(g, m), attackRest));
        const __m128 h = _mm_xor_ps(_mm_add_ps(makeUp, m), _mm_set1_ps(-0.0f)); // -(S + m)
        storePair(smoothedG, smoothG.run(g));
        storePair(smoothedH, smoothH.run(h));
    }

    static void repeatLastPair(float* row, int values, int padded)
    {
        for (int i = values; i < padded; i += 2)
        {
            row[i] = row[values - 2];
            row[i + 1] = row[values - 1];
        }
    }

    // Soft knee on the level q, minus (q + tLin).
    __m128 gainComputer(__m128 q) const
    {
        const __m128 xG = _mm_sub_ps(q, _mm_set1_ps(tLin));
        const __m128 d = _mm_sub_ps(xG, _mm_set1_ps(threshold));
        const __m128 e = _mm_add_ps(d, _mm_set1_ps(absKnee / 2.0f));
        const __m128 knee =
            _mm_sub_ps(xG, _mm_div_ps(_mm_mul_ps(e, e), _mm_set1_ps(2.0f * absKnee)));
        const __m128 below = _mm_cmplt_ps(_mm_mul_ps(_mm_set1_ps(2.0f), d), _mm_set1_ps(-absKnee));
        const __m128 beyond =
            _mm_cmpgt_ps(_mm_mul_ps(_mm_set1_ps(2.0f), magnitude(d)), _mm_set1_ps(absKnee));
        const __m128 y = select(below, xG, select(beyond, _mm_set1_ps(threshold), knee));
        const __m128 g = _mm_sub_ps(y, _mm_add_ps(q, _mm_set1_ps(tLin)));
        // A level beyond float range (|w| above ~1.8e19) makes the followers inf / NaN; such
        // a sample gets unity gain, so the smoothing states stay finite.
        return _mm_and_ps(g, _mm_cmple_ps(magnitude(g), _mm_set1_ps(FLT_MAX)));
    }

    // y = gainH x (gainG x x), NaN replaced by the sample (or 0), then the clip, which is
    // rare enough to run per lane in double.
    static __m128 applyGain(__m128 x, __m128 gainG, __m128 gainH)
    {
        __m128 y = _mm_mul_ps(gainH, _mm_mul_ps(gainG, x));
        // The two gains cancel by design; when one overflows (a level near +57 dBFS or more)
        // the product is inf x 0: take the sample as it is and let the clip bound it.
        const __m128 undefined = _mm_cmpunord_ps(y, y);
        y = select(undefined, _mm_and_ps(x, _mm_cmpord_ps(x, x)), y);
        const __m128 clipped =
            _mm_cmpge_ps(magnitude(y), _mm_set1_ps(static_cast<float>(kClipThreshold)));
        if (_mm_movemask_ps(clipped) == 0) [[likely]]
            return y;
        alignas(16) float lanes[4];
        _mm_store_ps(lanes, y);
        for (float& lane : lanes)
            lane = outputClip(lane);
        return _mm_load_ps(lanes);
    }
};

void Limiter::process(float* left, float* right, int count, int factor, double sampleRate)
{
    if (count <= 0) return;

    const float attack = followerAttack(factor, sampleRate);
    for (Channel* channel : {&left_, &right_})
    {
        channel->detector.release = kReleaseCoefficient;
        channel->detector.attack = attack;
        channel->detector.level = 0.0f;
        channel->detector.rate = sampleRate * factor;
        channel->weighting.initialize(count, sampleRate);
    }

    StereoPass pass(*this, attack, sampleRate * factor);
    for (int start = 0; start < count; start += StereoPass::kChunk)
        pass.run(left + start, right + start, std::min(StereoPass::kChunk, count - start),
                 start == 0);

    pass.smoothG.store(left_.smoothG, right_.smoothG);
    pass.smoothH.store(left_.smoothH, right_.smoothH);
    alignas(16) float level[4];
    _mm_store_ps(level, pass.level);
    left_.detector.level = level[0];
    right_.detector.level = level[1];
}

} // namespace vellox
