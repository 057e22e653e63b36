// VelloxClient::processAudio on stereo 48 kHz in 512-frame blocks. "realtime" is the
// real-time factor: seconds of audio processed per second of one core.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "engine/main.h"
#include "plugkit/client/boolparameter.h"
#include "plugkit/client/floatparameter.h"
#include "plugkit/client/integerparameter.h"

using namespace plugkit;
using namespace vellox;

namespace
{

constexpr double kRate = 48000.0;
constexpr int kBlock = 512;
constexpr int kBlocks = 94; // about one second of audio per iteration

void setBool(Client& c, int i, bool on)
{
    static_cast<BoolParameter*>(c.param(i))->setFromGUI(on);
}
void setPlain(Client& c, int i, double v)
{
    static_cast<FloatParameter*>(c.param(i))->setFromGUI(v);
}

void run(benchmark::State& state, VelloxClient& c)
{
    c.resetFromHost(kRate, kBlock, 2, 2);
    std::vector<float> left(kBlock * kBlocks), right(kBlock * kBlocks);
    for (size_t i = 0; i < left.size(); ++i)
    {
        const double t = double(i) / kRate;
        left[i] = float(0.6 * std::sin(2 * M_PI * 110 * t) + 0.2 * std::sin(2 * M_PI * 1750 * t));
        right[i] = float(0.5 * std::sin(2 * M_PI * 165 * t + 1) + 0.1 * std::sin(2 * M_PI * 5200 * t));
    }
    std::vector<float> outLeft(kBlock), outRight(kBlock);
    float* out[2] = {outLeft.data(), outRight.data()};
    for (auto _ : state)
    {
        for (int b = 0; b < kBlocks; ++b)
        {
            const float* in[2] = {left.data() + b * kBlock, right.data() + b * kBlock};
            c.processAudio(in, out, kBlock, TimeInfo{});
        }
        benchmark::DoNotOptimize(outLeft.data());
    }
    state.counters["realtime"] = benchmark::Counter(
        double(kBlock * kBlocks) / kRate * double(state.iterations()), benchmark::Counter::kIsRate);
}

const char* const kTextures[] = {"RAW_X0", "BURN_x2", "WARM_x4", "AIR_x8"};

void BM_Defaults(benchmark::State& state)
{
    VelloxClient c;
    static_cast<IntegerParameter*>(c.param(paramTextureLevels))->setFromGUI(int(state.range(0)));
    state.SetLabel(kTextures[state.range(0)]);
    run(state, c);
}
BENCHMARK(BM_Defaults)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

void BM_Heaviest(benchmark::State& state)
{
    VelloxClient c;
    static_cast<IntegerParameter*>(c.param(paramTextureLevels))->setFromGUI(3);
    setBool(c, paramVaverivOn, true);
    setPlain(c, paramVudiraziAmount, 100);
    setBool(c, paramBassOn, true);
    setBool(c, paramTrebleOn, true);
    setPlain(c, paramBassAmount, 100);
    setPlain(c, paramTrebleAmount, 100);
    setBool(c, paramExciter, true);
    setBool(c, paramEQOn, true);
    setPlain(c, paramLowGain, 4);
    setPlain(c, paramMidGain, -3);
    setPlain(c, paramHighGain, 2);
    setBool(c, paramFilterOn, true);
    static_cast<IntegerParameter*>(c.param(paramLPMode))->setFromGUI(0);
    setBool(c, paramLimiterOn, true);
    setPlain(c, paramMix, 50);
    state.SetLabel("AIR_x8, every stage on, CLEAN filter");
    run(state, c);
}
BENCHMARK(BM_Heaviest)->Unit(benchmark::kMillisecond);

} // namespace
