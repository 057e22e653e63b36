// VST3Client as audio processor: set-up, resets, sub-blocks, parameter curves, bypass, tail.

#include <gtest/gtest.h>

#include <cmath>

#include "engine/main.h"
#include "plugkit/vst3/instance.h"
#include "plugkit/vst3/recordingclient.h"

namespace
{

using namespace vst3test;
using vellox::VelloxClient;

TEST(VST3Processor, SplitsHostBuffersInto512FrameBlocks)
{
    Instance<RecordingClient> i;
    i.prepare(44100.0, 2048);
    v::ProcessContext context{};
    context.projectTimeSamples = 1000;
    i.process(1300, nullptr, &context);
    const auto& calls = i.client->calls;
    ASSERT_EQ(3u, calls.size());
    EXPECT_EQ(512, calls[0].frames);
    EXPECT_EQ(512, calls[1].frames);
    EXPECT_EQ(276, calls[2].frames);
    EXPECT_EQ(1000, calls[0].timeInSamples);
    EXPECT_EQ(1512, calls[1].timeInSamples);
    EXPECT_EQ(2024, calls[2].timeInSamples);
    // Outputs are the host's buffers, advanced block by block; inputs are private copies.
    EXPECT_EQ(i.out[0].data(), calls[0].output0);
    EXPECT_EQ(i.out[0].data() + 512, calls[1].output0);
    EXPECT_EQ(i.out[0].data() + 1024, calls[2].output0);
    EXPECT_EQ(calls[0].input0 + 512, calls[1].input0);
    EXPECT_NE(i.in[0].data(), calls[0].input0);
}

TEST(VST3Processor, ResetsOnFirstProcessAndAfterEachChange)
{
    Instance<RecordingClient> i;
    i.prepare(44100.0, 1024);
    i.process(64);
    ASSERT_EQ(1u, i.client->resets.size());
    EXPECT_EQ(44100.0, i.client->resets[0].sampleRate);
    EXPECT_EQ(512, i.client->resets[0].maxFrames); // limited by the client frame
    EXPECT_EQ(2, i.client->resets[0].numInputs);
    EXPECT_EQ(2, i.client->resets[0].numOutputs);

    i.process(64);
    EXPECT_EQ(1u, i.client->resets.size()); // nothing changed

    i.setup(48000.0, 1024); // only the sample rate changes
    i.process(64);
    i.process(64);
    ASSERT_EQ(2u, i.client->resets.size());
    EXPECT_EQ(48000.0, i.client->resets[1].sampleRate);

    i.setup(48000.0, 256); // only the block size changes
    i.process(64);
    EXPECT_EQ(3u, i.client->resets.size());

    i.vst->setProcessing(1); // forces the next process to reset
    i.process(64);
    i.process(64);
    EXPECT_EQ(4u, i.client->resets.size());
}

TEST(VST3Processor, RestartsTheHostWhenTheSampleRateChanges)
{
    Instance<RecordingClient> i;
    ComponentHandler handler;
    i.vst->setComponentHandler(&handler);
    i.setup(44100.0, 512); // first set-up after initialize always counts as a change
    i.setup(44100.0, 512);
    i.setup(96000.0, 512);
    ASSERT_EQ(2u, handler.calls.size());
    EXPECT_EQ("restart 8", handler.calls[0]);
    EXPECT_EQ("restart 8", handler.calls[1]);
    i.vst->setComponentHandler(nullptr);
}

TEST(VST3Processor, Only32BitSamples)
{
    Instance<RecordingClient> i;
    EXPECT_EQ(v::kResultOk, i.vst->canProcessSampleSize(v::kSample32));
    EXPECT_EQ(v::kResultFalse, i.vst->canProcessSampleSize(v::kSample64));
    v::ProcessSetup s{v::kRealtime, v::kSample64, 512, 44100.0};
    EXPECT_EQ(v::kResultFalse, i.vst->setupProcessing(s));
}

// The host's curve of one parameter, read at each sub-block start.
TEST(VST3Processor, InterpolatesParameterCurvesAtSubBlockStarts)
{
    Instance<RecordingClient> i;
    i.prepare(44100.0, 1024);
    i.vst->setParamNormalized(4, 0.5);
    ParameterChanges changes;
    changes.queues.push_back(ParamQueue(4, {{0, 0.2}, {1023, 0.8}}));
    i.process(1024, &changes);
    ASSERT_EQ(2u, i.client->calls.size());
    // Values reach the client's parameters as 32-bit floats.
    EXPECT_FLOAT_EQ(0.2f, float(i.client->calls[0].param4));
    EXPECT_FLOAT_EQ(float(0.2 + 0.6 * 512.0 / 1023.0), float(i.client->calls[1].param4)); // 0.5003
    EXPECT_FLOAT_EQ(0.8f, float(i.vst->getParamNormalized(4)));                           // after
}

TEST(VST3Processor, SinglePointRampsFromTheCurrentValue)
{
    Instance<RecordingClient> i;
    i.prepare(44100.0, 512);
    ParameterChanges changes;
    changes.queues.push_back(ParamQueue(4, {{511, 1.0}}));
    i.process(512, &changes);
    ASSERT_EQ(1u, i.client->calls.size());
    EXPECT_FLOAT_EQ(1.0f / 512.0f, float(i.client->calls[0].param4));
    EXPECT_DOUBLE_EQ(1.0, i.vst->getParamNormalized(4));
}

TEST(VST3Processor, ZeroSampleCallOnlyFlushesTheLastValues)
{
    Instance<RecordingClient> i;
    i.prepare(44100.0, 512);
    ParameterChanges changes;
    changes.queues.push_back(ParamQueue(2, {{0, 0.1}, {5, 0.7}}));
    i.process(0, &changes);
    EXPECT_TRUE(i.client->calls.empty());
    EXPECT_FLOAT_EQ(0.7f, float(i.vst->getParamNormalized(2)));
}

TEST(VST3Processor, SkipsPointsTheHostFailsToReturn)
{
    Instance<RecordingClient> i;
    i.prepare(44100.0, 1024);
    ParameterChanges changes;
    ParamQueue queue(4, {{0, 0.2}, {600, 0.9}, {1023, 0.4}});
    queue.failingPoint = 1;
    changes.queues.push_back(queue);
    i.process(1024, &changes);
    ASSERT_EQ(2u, i.client->calls.size());
    EXPECT_FLOAT_EQ(float(0.2 + 0.2 * 512.0 / 1023.0), float(i.client->calls[1].param4));
    EXPECT_FLOAT_EQ(0.4f, float(i.vst->getParamNormalized(4)));
}

TEST(VST3Processor, IgnoresUnknownParameterIDs)
{
    Instance<RecordingClient> i;
    i.prepare(44100.0, 512);
    ParameterChanges changes;
    changes.queues.push_back(ParamQueue(5, {{0, 1.0}}));
    changes.queues.push_back(ParamQueue(12345, {{0, 1.0}}));
    EXPECT_EQ(v::kResultOk, i.process(64, &changes));
    for (int p = 0; p < 5; ++p)
        EXPECT_EQ(0.0, i.vst->getParamNormalized(v::ParamID(p)));
}

TEST(VST3Processor, BypassCopiesInputsAndSkipsTheClient)
{
    Instance<RecordingClient> i;
    i.prepare(44100.0, 1024);
    i.in[0].resize(700), i.in[1].resize(700);
    for (int n = 0; n < 700; ++n)
    {
        i.in[0][size_t(n)] = float(n) * 0.001f;
        i.in[1][size_t(n)] = -float(n) * 0.002f;
    }
    ParameterChanges changes;
    changes.queues.push_back(ParamQueue(plugkit::kBypassParamID, {{0, 1.0}}));
    i.process(700, &changes);
    EXPECT_TRUE(i.client->calls.empty());
    EXPECT_TRUE(i.vst->isBypassed());
    for (int c = 0; c < 2; ++c)
        for (int n = 0; n < 700; ++n)
            ASSERT_EQ(i.in[c][size_t(n)], i.out[c][size_t(n)]);

    // Bypass off again: the client processes (its output is half the input).
    ParameterChanges off;
    off.queues.push_back(ParamQueue(plugkit::kBypassParamID, {{0, 0.0}}));
    i.process(700, &off);
    EXPECT_EQ(2u, i.client->calls.size());
    EXPECT_EQ(i.in[0][100] * 0.5f, i.out[0][100]);
}

TEST(VST3Processor, InPlaceBuffersReadTheInputBeforeItIsOverwritten)
{
    Instance<RecordingClient> i;
    i.prepare(44100.0, 1024);
    std::vector<float> left(1024, 1.0f), right(1024, 2.0f);
    float* channels[2] = {left.data(), right.data()};
    v::AudioBusBuffers bus{};
    bus.numChannels = 2;
    bus.channelBuffers32 = channels;
    v::ProcessData data{};
    data.numSamples = 1024;
    data.numInputs = data.numOutputs = 1;
    data.inputs = data.outputs = &bus;
    i.vst->process(data);
    EXPECT_EQ(0.5f, left[1023]);
    EXPECT_EQ(1.0f, right[0]);
}

TEST(VST3Processor, MissingHostChannelsUseSilenceAndScratch)
{
    Instance<RecordingClient> i;
    i.prepare(44100.0, 256);
    std::vector<float> out(256, 9.0f);
    float* inputs[2] = {nullptr, nullptr};
    float* outputs[2] = {out.data(), nullptr};
    v::AudioBusBuffers inBus{}, outBus{};
    inBus.numChannels = outBus.numChannels = 2;
    inBus.channelBuffers32 = inputs;
    outBus.channelBuffers32 = outputs;
    v::ProcessData data{};
    data.numSamples = 256;
    data.numInputs = data.numOutputs = 1;
    data.inputs = &inBus;
    data.outputs = &outBus;
    EXPECT_EQ(v::kResultOk, i.vst->process(data));
    EXPECT_EQ(0.0f, out[255]);
}

TEST(VST3Processor, HostBufferLargerThanAnnouncedIsStillProcessed)
{
    Instance<RecordingClient> i;
    i.prepare(44100.0, 256);
    EXPECT_EQ(v::kResultOk, i.process(1000));
    int frames = 0;
    for (const ProcessCall& c : i.client->calls)
        frames += c.frames;
    EXPECT_EQ(1000, frames);
}

TEST(VST3Processor, TimeInfoComesFromTheProcessContext)
{
    Instance<RecordingClient> i;
    i.prepare(44100.0, 512);
    v::ProcessContext context{};
    context.state = v::ProcessContext::kPlaying; // tempo not valid: stays 120
    context.tempo = 90.0;
    context.projectTimeSamples = 4410;
    i.process(100, nullptr, &context);
    EXPECT_EQ(4410, i.client->calls[0].timeInSamples);
}

TEST(VST3Processor, TailIsPointEightSecondsOfTheSetupRate)
{
    Instance<VelloxClient> vellox;
    EXPECT_EQ(35280u, vellox.vst->getTailSamples()); // 44.1 kHz before any set-up
    vellox.setup(44100.0, 512);
    EXPECT_EQ(35280u, vellox.vst->getTailSamples());
    vellox.setup(96000.0, 512);
    EXPECT_EQ(76800u, vellox.vst->getTailSamples());
    EXPECT_EQ(0u, vellox.vst->getLatencySamples());

    RecordingOptions none;
    none.tailSeconds = 0.0f;
    Instance<RecordingClient> noTail(u"Host", none);
    EXPECT_EQ(2u, noTail.vst->getTailSamples());

    RecordingOptions endless;
    endless.tailSeconds = INFINITY;
    Instance<RecordingClient> infinite(u"Host", endless);
    EXPECT_EQ(0xFFFFFFFFu, infinite.vst->getTailSamples());
}

TEST(VST3Processor, ProgramChangeSelectsAPresetOnTheAudioThread)
{
    RecordingOptions options;
    options.twoPresets = true;
    Instance<RecordingClient> i(u"Host", options);
    i.prepare(44100.0, 512);
    ParameterChanges changes;
    changes.queues.push_back(ParamQueue(plugkit::kProgramChangeParamID, {{0, 1.0}}));
    i.process(64, &changes);
    EXPECT_EQ(1.0, i.vst->getParamNormalized(plugkit::kProgramChangeParamID));
    EXPECT_NEAR(0.9, i.vst->getParamNormalized(3), 1e-6);
}

TEST(VST3Processor, VSTHostSendsListPositions)
{
    Instance<RecordingClient> i(u"VSTHost");
    i.prepare(44100.0, 512);
    ParameterChanges changes;
    changes.queues.push_back(ParamQueue(5, {{0, 0.75}})); // position 5 is parameter 3
    changes.queues.push_back(ParamQueue(1, {{0, 1.0}}));  // positions 0 and 1 are not applied
    i.process(64, &changes);
    EXPECT_DOUBLE_EQ(0.75, i.vst->getParamNormalized(3));
    EXPECT_EQ(0.0, i.vst->getParamNormalized(1));
}

TEST(VST3Processor, VelloxProducesFiniteStereoFromASine)
{
    Instance<VelloxClient> i;
    i.prepare(48000.0, 1300);
    i.in[0].resize(1300), i.in[1].resize(1300);
    for (int n = 0; n < 1300; ++n)
        i.in[0][size_t(n)] = i.in[1][size_t(n)] = 0.5f * std::sin(float(n) * 0.05f);
    i.process(1300);
    double energy = 0.0;
    for (int c = 0; c < 2; ++c)
        for (float s : i.out[c])
        {
            ASSERT_TRUE(std::isfinite(s));
            energy += double(s) * s;
        }
    EXPECT_GT(energy, 0.0);
}

} // namespace
