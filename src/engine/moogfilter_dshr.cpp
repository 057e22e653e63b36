#include "engine/moogfilter_dshr.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <emmintrin.h>

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

constexpr int kLastIndex = Moogfilter::kTableSize - 1;

// tanhf over the single-precision grid k x 0.001 - 3, each entry stored with the difference
// to the next, so that one 8-byte load serves an interpolation. An interpolation with f = 0
// returns the entry itself, so it runs unconditionally; the last entry's difference is 0, so
// index 6000 (v just below 3, where (v + 3) x 1000 rounds to 6000) reads tanh 3 exactly.
struct TanhTable
{
    alignas(64) Moogfilter::TableEntry entries[Moogfilter::kTableSize];

    TanhTable()
    {
        for (int k = 0; k <= kLastIndex; ++k)
            entries[k].value = tanhf(static_cast<float>(k) * 0.001f - 3.0f);
        for (int k = 0; k < kLastIndex; ++k)
            entries[k].slope = entries[k + 1].value - entries[k].value;
        entries[kLastIndex].slope = 0.0f;
    }
};

const Moogfilter::TableEntry* sharedTable()
{
    static const TanhTable table;
    return table.entries;
}

// The table read on SSE lanes, lane by lane the same operations as tableTanh.
struct Lookup
{
    static __m128 pair(const Moogfilter::TableEntry* table, unsigned i)
    {
        return _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(table + i)));
    }

    // Index and fraction of p = (v + 3) x 1000; the index's low 16 bits are all of it for
    // lanes inside (-3, 3), where it is 0 .. 6000.
    static __m128i position(__m128 v, __m128& fraction)
    {
        const __m128 p = _mm_mul_ps(_mm_add_ps(v, _mm_set1_ps(3.0f)), _mm_set1_ps(1000.0f));
        const __m128i whole = _mm_cvttps_epi32(p);
        fraction = _mm_sub_ps(p, _mm_cvtepi32_ps(whole));
        return whole;
    }

    static __m128 four(const Moogfilter::TableEntry* table, __m128i index, __m128 fraction)
    {
        const __m128 lo = _mm_unpacklo_ps(pair(table, _mm_extract_epi16(index, 0)),
                                          pair(table, _mm_extract_epi16(index, 2)));
        const __m128 hi = _mm_unpacklo_ps(pair(table, _mm_extract_epi16(index, 4)),
                                          pair(table, _mm_extract_epi16(index, 6)));
        return _mm_add_ps(_mm_movelh_ps(lo, hi), _mm_mul_ps(fraction, _mm_movehl_ps(hi, lo)));
    }

    // Lanes 0 and 1 only.
    static __m128 two(const Moogfilter::TableEntry* table, __m128i index, __m128 fraction)
    {
        const __m128 lo = _mm_unpacklo_ps(pair(table, _mm_extract_epi16(index, 0)),
                                          pair(table, _mm_extract_epi16(index, 2)));
        return _mm_add_ps(lo, _mm_mul_ps(fraction, _mm_movehl_ps(lo, lo)));
    }

    static __m128 magnitude(__m128 v)
    {
        return _mm_and_ps(v, _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff)));
    }

    static __m128 inside(__m128 v)
    {
        return _mm_cmplt_ps(magnitude(v), _mm_set1_ps(3.0f)); // false for NaN
    }

    // Lanes inside (-3, 3) only.
    static __m128 fourInside(const Moogfilter::TableEntry* table, __m128 v)
    {
        __m128 fraction;
        const __m128i index = position(v, fraction);
        return four(table, index, fraction);
    }
    static __m128 twoInside(const Moogfilter::TableEntry* table, __m128 v)
    {
        __m128 fraction;
        const __m128i index = position(v, fraction);
        return two(table, index, fraction);
    }

    // Any lanes: those outside take index 0 and then +-0.99, NaN lanes 0.
    template <bool Four> static __m128 anywhere(const Moogfilter::TableEntry* table, __m128 v)
    {
        const __m128 three = _mm_set1_ps(3.0f);
        const __m128 in = inside(v);
        const __m128 clamped =
            _mm_or_ps(_mm_and_ps(_mm_cmpge_ps(v, three), _mm_set1_ps(0.99f)),
                      _mm_and_ps(_mm_cmple_ps(v, _mm_set1_ps(-3.0f)), _mm_set1_ps(-0.99f)));
        __m128 fraction;
        const __m128i index = _mm_and_si128(position(v, fraction), _mm_castps_si128(in));
        const __m128 read = Four ? four(table, index, fraction) : two(table, index, fraction);
        return _mm_or_ps(_mm_and_ps(in, read), clamped);
    }
};

__m128 loadPairs(const float* first, const float* second)
{
    return _mm_loadh_pi(_mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(first)),
                        reinterpret_cast<const __m64*>(second));
}

} // namespace

// Both channels in one pass, in SSE lanes: y1 = {y1 L, y1 R}, y23 = {y2 L, y2 R, y3 L, y3 R},
// y4 = {y4 L, y4 R}. The stages are split so that each update waits only for the table
// values it uses: y1 for the one of u, which comes last. The 2-lane vectors keep 0 in their
// upper lanes (their g is 0 there). The y4 of every internal step goes to a stereo line;
// the FIR then runs only for each sample's last step, two samples per vector, instead of
// the delay line being shifted at every step.
struct Moogfilter::Stereo
{
    static constexpr int kHistory = kFirTaps - 1;
    static constexpr int kChunk = 64; // samples per line fill

    template <int N>
    static void run(Moogfilter& lf, Moogfilter& rf, float* left, float* right, int count,
                    float makeupGain)
    {
        const TableEntry* table = lf.table_;
        __m128 y1 = _mm_setr_ps(lf.y1_, rf.y1_, 0.0f, 0.0f);
        __m128 y23 = _mm_setr_ps(lf.y2_, rf.y2_, lf.y3_, rf.y3_);
        __m128 y4 = _mm_setr_ps(lf.y4_, rf.y4_, 0.0f, 0.0f);
        __m128 previous = _mm_setr_ps(lf.previousY4_, rf.previousY4_, 0.0f, 0.0f);
        const __m128 g = _mm_setr_ps(lf.g_, rf.g_, lf.g_, rf.g_);
        const __m128 g2 = _mm_setr_ps(lf.g_, rf.g_, 0.0f, 0.0f);
        const __m128 feedback =
            _mm_setr_ps(-0.5f * lf.resonance_, -0.5f * rf.resonance_, 0.0f, 0.0f);
        const __m128 gain = _mm_set1_ps(makeupGain);
        __m128 fir[kFirTaps];
        for (int k = 0; k < kFirTaps; ++k)
            fir[k] = _mm_setr_ps(lf.fir_[k], rf.fir_[k], lf.fir_[k], rf.fir_[k]);

        // {L, R} per internal step, oldest first; the first kHistory pairs carry the line
        // over from the previous chunk (or call).
        alignas(16) float line[2 * (kHistory + kChunk * N)];
        for (int k = 0; k < kHistory; ++k)
        {
            line[2 * k] = lf.history_[kHistory - 1 - k];
            line[2 * k + 1] = rf.history_[kHistory - 1 - k];
        }
        float* const steps = line + 2 * kHistory;

        for (int start = 0; start < count; start += kChunk)
        {
            const int n = std::min(kChunk, count - start);
            float* l = left + start;
            float* r = right + start;
            for (int i = 0; i < n; ++i)
            {
                const __m128 input = _mm_unpacklo_ps(_mm_load_ss(l + i), _mm_load_ss(r + i));
                for (int s = 0; s < N; ++s)
                {
                    // (y4 + previous y4) x -0.5 x resonance as one product with -0.5 x
                    // resonance (exact): the two differ only when the sum is subnormal, and
                    // the later steps leave out the + 0 input; either way u + 3 is the same
                    // float, so T(u) is.
                    __m128 u = _mm_mul_ps(_mm_add_ps(y4, previous), feedback);
                    if (s == 0) u = _mm_add_ps(input, u);
                    __m128 tIn, t1, t23, t4;
                    // All of them inside (-3, 3): the largest magnitude is (maxps hands NaN
                    // in its second operand through, and only u can be NaN).
                    const __m128 largest =
                        _mm_max_ps(_mm_max_ps(Lookup::magnitude(y1), Lookup::magnitude(y23)),
                                   _mm_max_ps(Lookup::magnitude(y4), Lookup::magnitude(u)));
                    if (_mm_movemask_ps(_mm_cmplt_ps(largest, _mm_set1_ps(3.0f))) == 15) [[likely]]
                    {
                        tIn = Lookup::twoInside(table, u);
                        t1 = Lookup::twoInside(table, y1);
                        t23 = Lookup::fourInside(table, y23);
                        t4 = Lookup::twoInside(table, y4);
                    }
                    else
                    {
                        tIn = Lookup::anywhere<false>(table, u);
                        t1 = Lookup::anywhere<false>(table, y1);
                        t23 = Lookup::anywhere<true>(table, y23);
                        t4 = Lookup::anywhere<false>(table, y4);
                    }
                    previous = y4;
                    y1 = _mm_add_ps(y1, _mm_mul_ps(g2, _mm_sub_ps(tIn, t1)));
                    y23 = _mm_add_ps(y23, _mm_mul_ps(g, _mm_sub_ps(_mm_movelh_ps(t1, t23), t23)));
                    y4 = _mm_add_ps(y4, _mm_mul_ps(g2, _mm_sub_ps(_mm_movehl_ps(t23, t23), t4)));
                    _mm_storel_pi(reinterpret_cast<__m64*>(steps + 2 * (i * N + s)), y4);
                }
            }

            // out = c0 d0 + c1 d1 + ... + c12 d12 at each sample's last step, in that order.
            int i = 0;
            for (; i + 1 < n; i += 2)
            {
                const float* a = steps + 2 * (i * N + N - 1);
                const float* b = a + 2 * N;
                __m128 out = _mm_mul_ps(fir[0], loadPairs(a, b));
                for (int k = 1; k < kFirTaps; ++k)
                    out = _mm_add_ps(out, _mm_mul_ps(fir[k], loadPairs(a - 2 * k, b - 2 * k)));
                out = _mm_mul_ps(out, gain);
                const __m128 byChannel = _mm_shuffle_ps(out, out, _MM_SHUFFLE(3, 1, 2, 0));
                _mm_storel_pi(reinterpret_cast<__m64*>(l + i), byChannel);
                _mm_storeh_pi(reinterpret_cast<__m64*>(r + i), byChannel);
            }
            if (i < n)
            {
                const float* a = steps + 2 * (i * N + N - 1);
                __m128 out = _mm_mul_ps(fir[0], loadPairs(a, a));
                for (int k = 1; k < kFirTaps; ++k)
                    out = _mm_add_ps(out, _mm_mul_ps(fir[k], loadPairs(a - 2 * k, a - 2 * k)));
                out = _mm_mul_ps(out, gain);
                _mm_store_ss(l + i, out);
                _mm_store_ss(r + i, _mm_shuffle_ps(out, out, _MM_SHUFFLE(1, 1, 1, 1)));
            }

            std::memmove(line, line + 2 * n * N, sizeof(float) * 2 * kHistory);
        }

        alignas(16) float state[4];
        _mm_store_ps(state, y1);
        lf.y1_ = state[0], rf.y1_ = state[1];
        _mm_store_ps(state, y23);
        lf.y2_ = state[0], rf.y2_ = state[1], lf.y3_ = state[2], rf.y3_ = state[3];
        _mm_store_ps(state, y4);
        lf.y4_ = state[0], rf.y4_ = state[1];
        _mm_store_ps(state, previous);
        lf.previousY4_ = state[0];
        rf.previousY4_ = state[1];
        for (int k = 0; k < kHistory; ++k)
        {
            lf.history_[k] = line[2 * (kHistory - 1 - k)];
            rf.history_[k] = line[2 * (kHistory - 1 - k) + 1];
        }
    }
};

float Moogfilter::firCoefficient(int k)
{
    return kFir[k];
}

Moogfilter::Moogfilter() : table_(sharedTable())
{
    reset();
}

void Moogfilter::reset()
{
    std::memcpy(fir_, kFir, sizeof(fir_));
    y1_ = y2_ = y3_ = y4_ = 0.0f;
    previousY4_ = 0.0f;
    std::memset(history_, 0, sizeof(history_));
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
    return table_[i].value + f * table_[i].slope;
}

float Moogfilter::processSampleLPF_optimized(float x)
{
    return step(x);
}

void Moogfilter::processStereo(Moogfilter& leftFilter, Moogfilter& rightFilter, float* left,
                               float* right, int count, float makeupGain)
{
    const int n = leftFilter.repeats_;
    if (n == rightFilter.repeats_ && n == kCleanRepeats)
        return Stereo::run<kCleanRepeats>(leftFilter, rightFilter, left, right, count, makeupGain);
    if (n == rightFilter.repeats_ && n == kDirtyRepeats)
        return Stereo::run<kDirtyRepeats>(leftFilter, rightFilter, left, right, count, makeupGain);
    for (int i = 0; i < count; ++i)
    {
        left[i] = leftFilter.step(left[i]) * makeupGain;
        right[i] = rightFilter.step(right[i]) * makeupGain;
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

        // Only the last step's FIR output is returned; the earlier ones would be discarded.
        if (step == repeats_ - 1)
        {
            out = fir_[0] * y4_;
            for (int k = 1; k < kFirTaps; ++k)
                out += fir_[k] * history_[k - 1];
        }
        for (int k = kFirTaps - 2; k > 0; --k)
            history_[k] = history_[k - 1];
        history_[0] = y4_;
    }
    return out;
}

} // namespace vellox
