// Cost of the tone stage, the ladder filter and the limiter on one call's worth of
// oversampled stereo: 512 host frames at "WARM_x4" (2048 samples per channel), 48 kHz.
// Items are samples per channel, so items per second / 48000 / 4 is the real-time factor of
// the stage alone.

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "engine/baxandall.h"
#include "engine/distortion.h"
#include "engine/lufs.h"
#include "engine/moogfilter_dshr.h"

namespace
{

constexpr int kFactor = 4;
constexpr int kCount = 512 * kFactor;
constexpr double kRate = 48000.0;

// A zero-stuffed, soft-clipped-looking test signal, as the stages see it in the chain.
std::vector<float> signal(double frequency, float amplitude)
{
    std::vector<float> x(kCount, 0.0f);
    for (int i = 0; i < kCount; i += kFactor)
        x[i] = amplitude * static_cast<float>(std::sin(2.0 * 3.141592653589793 * frequency *
                                                       (i / kFactor) / kRate));
    return x;
}

void toneStage(benchmark::State& state)
{
    const bool bassOn = state.range(0) & 1;
    const bool trebleOn = state.range(0) & 2;
    const bool heavy = state.range(1) != 0; // amounts 100 % and exciter on, else the defaults
    vellox::setBaselineLanes(state.range(2) != 0);
    vellox::BaxandAll tone;
    tone.reset();
    if (heavy)
        tone.setControls(vellox::BaxandAll::kExciterOn, 100.0f * 0.08f, 100.0f * 0.06f);
    else
        tone.setControls(vellox::BaxandAll::kExciterOff, 20.0f * 0.08f, 20.0f * 0.06f);
    const std::vector<float> source = signal(220.0, 0.9f);
    std::vector<float> left = source, right = source;
    for (auto _ : state)
    {
        left = source;
        right = source;
        tone.process(bassOn, trebleOn, left.data(), right.data(), kCount, kRate);
        benchmark::DoNotOptimize(left.data());
    }
    state.SetItemsProcessed(state.iterations() * kCount);
    vellox::setBaselineLanes(false);
}
// First argument: 0 original, 1 bass, 2 treble, 3 both; second: default or heavy settings;
// third: vector code for AVX2 (where the processor has it) or for the SSE2 baseline.
BENCHMARK(toneStage)->ArgsProduct({{0, 1, 2, 3}, {0, 1}, {0}})->Args({3, 0, 1})->Args({3, 1, 1});

// The stage's vector sine and arcsine against the C library's, per value.
std::vector<float> smoothSignal()
{
    std::vector<float> x(kCount);
    for (int i = 0; i < kCount; ++i)
        x[i] = 0.9f * static_cast<float>(std::sin(0.0131 * i) * std::cos(0.0007 * i));
    return x;
}

void sines(benchmark::State& state)
{
    const bool library = state.range(0) != 0;
    const std::vector<float> x = smoothSignal();
    std::vector<double> y(kCount);
    for (auto _ : state)
    {
        if (library)
            for (int i = 0; i < kCount; ++i)
                y[i] = std::sin(static_cast<double>(x[i]));
        else
            vellox::toneSines(x.data(), y.data(), kCount);
        benchmark::DoNotOptimize(y.data());
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
// 0: vector, 1: library
BENCHMARK(sines)->Arg(0)->Arg(1);

void arcsines(benchmark::State& state)
{
    const bool library = state.range(0) != 0;
    const std::vector<float> x = smoothSignal();
    std::vector<double> s(x.begin(), x.end());
    std::vector<float> y(kCount);
    for (auto _ : state)
    {
        if (library)
            for (int i = 0; i < kCount; ++i)
                y[i] = static_cast<float>(std::asin(s[i]));
        else
            vellox::toneArcsines(s.data(), y.data(), kCount);
        benchmark::DoNotOptimize(y.data());
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(arcsines)->Arg(0)->Arg(1);

void ladder(benchmark::State& state)
{
    const int repeats = static_cast<int>(state.range(0));
    vellox::Moogfilter left, right;
    for (vellox::Moogfilter* f : {&left, &right})
    {
        f->prepare(2000.0f, 2.0f, repeats, kRate);
        f->prepare(2000.0f, 2.0f, repeats, kRate);
    }
    const std::vector<float> source = signal(220.0, 0.9f);
    std::vector<float> outL(kCount), outR(kCount);
    for (auto _ : state)
    {
        outL = source;
        outR = source;
        vellox::Moogfilter::processStereo(left, right, outL.data(), outR.data(), kCount, 39.8f);
        benchmark::DoNotOptimize(outL.data());
        benchmark::DoNotOptimize(outR.data());
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
// 2 "DIRTY", 4 "CLEAN"
BENCHMARK(ladder)->Arg(2)->Arg(4);

void limiter(benchmark::State& state)
{
    vellox::Limiter limiter;
    limiter.setTimeFigure(200.0f);
    limiter.resizeBuffers(kCount);
    limiter.clearSmoothing();
    const std::vector<float> source = signal(1000.0, 1.0f);
    std::vector<float> left = source, right = source;
    for (auto _ : state)
    {
        left = source;
        right = source;
        limiter.setConstants(-18.0f, -48.0f);
        limiter.designSmoothing(kRate);
        limiter.process(left.data(), right.data(), kCount, kFactor, kRate);
        benchmark::DoNotOptimize(left.data());
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(limiter);

} // namespace
