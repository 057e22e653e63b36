#pragma once
// A small client for the framework tests: five linear parameters "P0" .. "P4" over 0 .. 1 (so
// a normalised value is the plain value), stereo in and out, an optional second preset and an
// optional fake editor. It records every reset and every processAudio call, and its output is
// half its input, so a bypassed block is told apart.

#include <cmath>
#include <vector>

#include "plugkit/client/client.h"
#include "plugkit/client/floatparameter.h"
#include "plugkit/client/igraphics.h"
#include "plugkit/client/preset.h"

namespace vst3test
{

struct ResetCall
{
    double sampleRate;
    int maxFrames, numInputs, numOutputs;
};

struct ProcessCall
{
    int frames;
    const float* input0;
    float* output0;
    int64_t timeInSamples;
    double param4; // parameter 4 at the start of the call
};

// Editor object double: fixed sizes, records what the view asked.
struct FakeGraphics : plugkit::IGraphics
{
    int width = 600, height = 316;
    int desiredWidth = 1200, desiredHeight = 632;
    int opened = 0, closed = 0;
    plugkit::WindowBackend lastBackend = plugkit::WindowBackend::Automatic;
    int resizedWidth = 0, resizedHeight = 0;

    void* openUI(void*, void*, plugkit::IClient*, plugkit::WindowBackend backend) override
    {
        ++opened;
        lastBackend = backend;
        return nullptr;
    }
    void closeUI() override { ++closed; }
    void getGUISize(int* w, int* h) override { *w = width, *h = height; }
    void getDesiredGUISize(int* w, int* h) override { *w = desiredWidth, *h = desiredHeight; }
    bool isResizeable() override { return true; }
    bool isResizeableHorizontally() override { return true; }
    bool isResizeableVertically() override { return true; }
    void getMaxSmallerValidSize(int*, int*) override {}
    // Valid sizes are multiples of 100.
    void getNearestValidSize(int* w, int* h) override
    {
        *w = (*w + 50) / 100 * 100;
        *h = (*h + 50) / 100 * 100;
    }
    bool nativeWindowResize(int w, int h) override
    {
        resizedWidth = w, resizedHeight = h;
        return true;
    }
    bool isAspectRatioPreserved() override { return false; }
    plugkit::AspectRatio getPreservedAspectRatio() override { return {0, 0}; }
};

struct RecordingOptions
{
    bool twoPresets = false;
    bool withEditor = false;    // createGraphics gives a FakeGraphics
    bool hasGUI = true;
    float tailSeconds = 0.8f;
};

class RecordingClient : public plugkit::Client
{
public:
    explicit RecordingClient(RecordingOptions options = {}) : options_(options) { buildClient(); }

    plugkit::PluginInfo buildPluginInfo() override
    {
        plugkit::PluginInfo info;
        info.vendorName = "Test Vendor";
        info.pluginName = "Recorder";
        info.hasGUI = options_.hasGUI;
        info.category = plugkit::PluginCategory::EffectDynamics;
        return info;
    }
    plugkit::Vec<plugkit::LegalIO> buildLegalIO() override
    {
        plugkit::Vec<plugkit::LegalIO> io;
        io.pushBack(plugkit::LegalIO{2, 2});
        return io;
    }
    plugkit::Vec<plugkit::Parameter*> buildParameters() override
    {
        static const char* const kNames[5] = {"P0", "P1", "P2", "P3", "P4"};
        plugkit::Vec<plugkit::Parameter*> params;
        for (int i = 0; i < 5; ++i)
            params.pushBack(plugkit::mallocNew<plugkit::LinearFloatParameter>(i, kNames[i], "u", 0.0, 1.0, 0.0));
        return params;
    }
    plugkit::Vec<plugkit::Preset*> buildPresets() override
    {
        plugkit::Vec<plugkit::Preset*> presets;
        presets.pushBack(makeDefaultPreset());
        if (options_.twoPresets)
        {
            const float values[5] = {0.9f, 0.9f, 0.9f, 0.9f, 0.9f};
            presets.pushBack(plugkit::mallocNew<plugkit::Preset>("Second", values, 5));
        }
        return presets;
    }
    float tailSizeInSeconds() override { return options_.tailSeconds; }
    plugkit::IGraphics* createGraphics() override
    {
        return options_.withEditor ? plugkit::mallocNew<FakeGraphics>() : nullptr;
    }

    void reset(double sampleRate, int maxFrames, int numInputs, int numOutputs) override
    {
        resets.push_back({sampleRate, maxFrames, numInputs, numOutputs});
    }
    void processAudio(const float* const* inputs, float* const* outputs, int frames,
                      plugkit::TimeInfo info) override
    {
        calls.push_back({frames, inputs[0], outputs[0], info.timeInSamples, param(4)->getForHost()});
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < frames; ++i)
                outputs[c][i] = inputs[c][i] * 0.5f;
    }

    std::vector<ResetCall> resets;
    std::vector<ProcessCall> calls;

private:
    RecordingOptions options_;
};

} // namespace vst3test
