#pragma once
// A VST3Client under test, driven the way a host drives it: created around a client,
// initialised with a host application, set up for stereo processing, then fed host buffers.

#include <string>
#include <vector>

#include "plugkit/core/memory.h"
#include "plugkit/vst3/abi/iaudioprocessor.h"
#include "plugkit/vst3/abi/processcontext.h"
#include "plugkit/vst3/abi/speakers.h"
#include "plugkit/vst3/vst3client.h"
#include "plugkit/vst3/hostcommand.h"
#include "plugkit/vst3/hostdoubles.h"

namespace vst3test
{

// Owns one instance; the client type is the product's or a test double.
template <class ClientType>
class Instance
{
public:
    template <class... Args>
    explicit Instance(std::u16string hostName = u"Test Host", Args&&... args)
        : host(std::move(hostName))
    {
        client = plugkit::mallocNew<ClientType>(std::forward<Args>(args)...);
        vst = plugkit::mallocNew<plugkit::VST3Client>(client);
        vst->initialize(static_cast<v::IHostApplication*>(&host));
    }
    ~Instance()
    {
        vst->terminate();
        vst->release();
    }
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    // Stereo arrangement, set-up at `rate` with `maxBlock`, processing on.
    void prepare(double rate = 44100.0, int maxBlock = 4096)
    {
        v::SpeakerArrangement in = v::kArrangementStereo, out = v::kArrangementStereo;
        vst->setBusArrangements(&in, 1, &out, 1);
        setup(rate, maxBlock);
        vst->setActive(1);
        vst->setProcessing(1);
    }
    v::tresult setup(double rate, int maxBlock)
    {
        v::ProcessSetup s{v::kRealtime, v::kSample32, maxBlock, rate};
        return vst->setupProcessing(s);
    }

    // One process call of `frames` frames over the stereo buffers below (grown as needed).
    v::tresult process(int frames, v::IParameterChanges* changes = nullptr, v::ProcessContext* context = nullptr)
    {
        for (int c = 0; c < 2; ++c)
        {
            if (int(in[c].size()) < frames)
                in[c].resize(size_t(frames));
            if (int(out[c].size()) < frames)
                out[c].resize(size_t(frames));
            inPtr[c] = in[c].data();
            outPtr[c] = out[c].data();
        }
        v::AudioBusBuffers inBus{};
        inBus.numChannels = 2;
        inBus.channelBuffers32 = inPtr;
        v::AudioBusBuffers outBus{};
        outBus.numChannels = 2;
        outBus.channelBuffers32 = outPtr;
        v::ProcessData data{};
        data.processMode = v::kRealtime;
        data.symbolicSampleSize = v::kSample32;
        data.numSamples = frames;
        data.numInputs = 1;
        data.numOutputs = 1;
        data.inputs = &inBus;
        data.outputs = &outBus;
        data.inputParameterChanges = changes;
        data.processContext = context;
        return vst->process(data);
    }

    // The component face (state calls are named the same on the controller face).
    v::IComponent* component() { return static_cast<v::IComponent*>(vst); }

    HostApplication host;
    ClientType* client = nullptr; // owned by vst
    plugkit::VST3Client* vst = nullptr;
    std::vector<float> in[2], out[2];
    float* inPtr[2] = {};
    float* outPtr[2] = {};
};

} // namespace vst3test
