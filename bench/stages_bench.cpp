// Cost of the first stages of the chain, per host-rate frame of one channel, on 512-frame
// blocks at 48 kHz. items_per_second is frames per second of one core; divide by 48000 for
// the real-time factor of one channel.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "engine/academic_downsampling_optimised.h"
#include "engine/academic_oversampling_optimised.h"
#include "engine/distortion.h"
#include "engine/equaliser.h"
#include "plugkit/dsp/iir.h"

using namespace vellox;

namespace
{

constexpr int kFrames = 512;
constexpr double kRate = 48000.0;

std::vector<float> testSignal(int count)
{
    std::vector<float> x(count);
    for (int i = 0; i < count; ++i)
        x[i] = static_cast<float>(0.9 * std::sin(0.013 * i) + 0.3 * std::sin(0.71 * i));
    return x;
}

// The oversampled stream the saturation stages see: host-rate samples with factor - 1 zeros
// after each, at +6 dB so that many samples reach the soft clip's curved part.
std::vector<float> zeroStuffed(int factor)
{
    const std::vector<float> host = testSignal(kFrames);
    std::vector<float> stream(kFrames * factor, 0.0f);
    for (int i = 0; i < kFrames; ++i)
        stream[i * factor] = 2.0f * host[i];
    return stream;
}

void BM_UpDownRoundTrip(benchmark::State& state)
{
    const int factor = static_cast<int>(state.range(0));
    const std::vector<float> in = testSignal(kFrames);
    std::vector<float> stream(kFrames * factor), out(kFrames);
    UpsamplingOpt up;
    DownsamplingOpt down;
    for (auto _ : state)
    {
        up.processBuffer(in.data(), stream.data(), kFrames, factor, kRate);
        down.processBuffer(stream.data(), out.data(), kFrames, factor, kRate);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_UpDownRoundTrip)->Arg(1)->Arg(2)->Arg(4)->Arg(8);

void BM_SoftClip(benchmark::State& state)
{
    const int factor = static_cast<int>(state.range(0));
    const std::vector<float> source = zeroStuffed(factor);
    std::vector<float> buffer(source.size());
    for (auto _ : state)
    {
        buffer = source;
        processSoftClip(buffer.data(), int(buffer.size()));
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_SoftClip)->Arg(1)->Arg(4)->Arg(8);

// Arguments: factor, morph x 100 (594 is "Vudirazi amount" 99 and above, the deepest).
void BM_Vaveriv(benchmark::State& state)
{
    const int factor = static_cast<int>(state.range(0));
    const float morph = static_cast<float>(state.range(1)) / 100.0f;
    std::vector<float> source = zeroStuffed(factor);
    processSoftClip(source.data(), int(source.size()));
    std::vector<float> buffer(source.size());
    for (auto _ : state)
    {
        buffer = source;
        processVaveriv(buffer.data(), int(buffer.size()), morph);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_Vaveriv)->Args({4, 90})->Args({4, 594})->Args({8, 594});

// The tone stage calls the shaper per sample with morphs up to 8.
void BM_TubeShaperPerSample(benchmark::State& state)
{
    const float morph = static_cast<float>(state.range(0)) / 100.0f;
    const std::vector<float> source = testSignal(kFrames);
    for (auto _ : state)
    {
        float sum = 0.0f;
        for (float x : source)
            sum += cleanvacuumtubemorphing_optimised(x, morph);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_TubeShaperPerSample)->Arg(120)->Arg(800);

// All three bands on, both channels, as prepare + process of one call.
void BM_EqualiserStereo(benchmark::State& state)
{
    const int factor = static_cast<int>(state.range(0));
    const std::vector<float> source = testSignal(kFrames * factor);
    std::vector<float> left(source.size()), right(source.size());
    Equaliser eq;
    eq.reset();
    for (auto _ : state)
    {
        left = source;
        right = source;
        eq.prepare(4.0f, 2200.0f, -3.0f, 6.0f, factor, kRate);
        eq.process(left.data(), right.data(), int(source.size()));
        benchmark::DoNotOptimize(left.data());
        benchmark::DoNotOptimize(right.data());
    }
    state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_EqualiserStereo)->Arg(1)->Arg(4)->Arg(8);

void BM_GenerateBiquad(benchmark::State& state)
{
    double frequency = 2200.0;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(
            plugkit::generateBiquad(plugkit::BiquadType::peak, frequency, 384000.0, 6.0, 0.7071067811865476));
        frequency += 0.5;
    }
}
BENCHMARK(BM_GenerateBiquad);

} // namespace
