#pragma once
// Small clients and doubles shared by the client-framework tests.

#include <cstring>
#include <string>
#include <vector>

#include "plugkit/client/boolparameter.h"
#include "plugkit/client/client.h"
#include "plugkit/client/floatparameter.h"
#include "plugkit/client/integerparameter.h"
#include "plugkit/client/ihostcommand.h"
#include "plugkit/client/iparameterlistener.h"
#include "plugkit/core/memory.h"

namespace plugkit_test
{

// Records every call a parameter or client makes to the host.
struct RecordingHostCommand : plugkit::IHostCommand
{
    struct Call
    {
        char what; // 'b' begin, 'a' automate, 'e' end
        int index;
        float value;
    };
    std::vector<Call> calls;
    bool resizeAnswer = true;
    int resizeWidth = 0, resizeHeight = 0;

    void beginParamEdit(int index) override { calls.push_back({'b', index, 0}); }
    void paramAutomate(int index, float v) override { calls.push_back({'a', index, v}); }
    void endParamEdit(int index) override { calls.push_back({'e', index, 0}); }
    bool requestResize(int w, int h) override
    {
        resizeWidth = w;
        resizeHeight = h;
        return resizeAnswer;
    }
    bool notifyResized() override { return true; }
    plugkit::DAW getDAW() override { return plugkit::DAW::Reaper; }
    plugkit::PluginFormat getPluginFormat() override { return plugkit::PluginFormat::VST3; }
};

// Records notifications as short tags: "C<id>", "B<id>", "E<id>", "H<id>", "h<id>".
struct RecordingListener : plugkit::IParameterListener
{
    explicit RecordingListener(std::vector<std::string>* log, int id) : log(log), id(id) {}
    std::vector<std::string>* log;
    int id;
    void put(char c) { log->push_back(std::string(1, c) + std::to_string(id)); }
    void onParameterChanged(plugkit::Parameter*) override { put('C'); }
    void onBeginParameterEdit(plugkit::Parameter*) override { put('B'); }
    void onEndParameterEdit(plugkit::Parameter*) override { put('E'); }
    void onBeginParameterHover(plugkit::Parameter*) override { put('H'); }
    void onEndParameterHover(plugkit::Parameter*) override { put('h'); }
};

// A client with a configurable block limit, legal IO and extra state, that logs its calls.
class TestClient : public plugkit::Client
{
public:
    struct ProcessCall
    {
        const float* in0;
        float* out0;
        int frames;
        plugkit::TimeInfo info;
    };
    struct ResetCall
    {
        double sampleRate;
        int maxFrames, numInputs, numOutputs;
    };

    explicit TestClient(int maxFrames = 512, bool sendsMIDI = false,
                        std::vector<uint8_t> extraState = {})
        : maxFrames_(maxFrames), sendsMIDI_(sendsMIDI), extraState_(std::move(extraState))
    {
        buildClient();
    }

    plugkit::PluginInfo buildPluginInfo() override
    {
        plugkit::PluginInfo info;
        info.pluginName = "Test";
        info.publicVersion = plugkit::PluginVersion{3, 4, 5};
        info.sendsMIDI = sendsMIDI_;
        return info;
    }
    plugkit::Vec<plugkit::LegalIO> buildLegalIO() override
    {
        plugkit::Vec<plugkit::LegalIO> io;
        io.pushBack(plugkit::LegalIO{1, 1});
        io.pushBack(plugkit::LegalIO{2, 2});
        return io;
    }
    plugkit::Vec<plugkit::Parameter*> buildParameters() override
    {
        plugkit::Vec<plugkit::Parameter*> p;
        p.pushBack(plugkit::mallocNew<plugkit::LinearFloatParameter>(0, "A", "", 0.0, 10.0, 2.0));
        p.pushBack(plugkit::mallocNew<plugkit::BoolParameter>(1, "B", true));
        p.pushBack(plugkit::mallocNew<plugkit::IntegerParameter>(2, "C", "", 0, 3, 1));
        return p;
    }
    int maxFramesInProcess() override { return maxFrames_; }
    void reset(double sampleRate, int maxFrames, int numInputs, int numOutputs) override
    {
        resets.push_back({sampleRate, maxFrames, numInputs, numOutputs});
    }
    void processAudio(const float* const* inputs, float* const* outputs, int frames,
                      plugkit::TimeInfo info) override
    {
        processCalls.push_back({inputs[0], outputs[0], frames, info});
        if (onProcess)
            onProcess(*this, frames);
    }
    void saveState(plugkit::Vec<uint8_t>& chunk) override
    {
        chunk.pushBack(extraState_.data(), extraState_.size());
    }
    bool loadState(const uint8_t* data, size_t length) override
    {
        loadedState.assign(data, data + length);
        ++loadStateCalls;
        return acceptState;
    }
    plugkit::IGraphics* createGraphics() override { return graphicsToCreate; }

    std::vector<ProcessCall> processCalls;
    std::vector<ResetCall> resets;
    std::vector<uint8_t> loadedState;
    int loadStateCalls = 0;
    bool acceptState = true;
    plugkit::IGraphics* graphicsToCreate = nullptr;
    void (*onProcess)(TestClient&, int frames) = nullptr;

private:
    int maxFrames_;
    bool sendsMIDI_;
    std::vector<uint8_t> extraState_;
};

} // namespace plugkit_test
