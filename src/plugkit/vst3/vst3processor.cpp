// VST3Client as audio processor: bus arrangements, processing set-up and the process call.

#include <cmath>
#include <cstring>

#include "plugkit/client/client.h"
#include "plugkit/client/presetbank.h"
#include "plugkit/core/fpcontrol.h"
#include "plugkit/vst3/midiccparams.h"
#include "plugkit/vst3/paramcurve.h"
#include "plugkit/vst3/vst3client.h"

namespace plugkit
{

namespace
{

int countSpeakers(vst3::SpeakerArrangement arrangement)
{
    return __builtin_popcountll(arrangement);
}

} // namespace

vst3::tresult VST3Client::setBusArrangements(vst3::SpeakerArrangement* inputs, vst3::int32 numIns,
                                             vst3::SpeakerArrangement* outputs, vst3::int32 numOuts)
{
    if (numIns < 0 || numOuts < 0 || (numIns > 0 && inputs == nullptr) || (numOuts > 0 && outputs == nullptr))
        return vst3::kInvalidArgument;
    if (size_t(numIns) > audioInputs_.length() || size_t(numOuts) > audioOutputs_.length())
        return vst3::kResultFalse;
    const int channelsIn = numIns == 1 ? countSpeakers(inputs[0]) : 0;
    const int channelsOut = numOuts == 1 ? countSpeakers(outputs[0]) : 0;
    if (!client_->isLegalIO(channelsIn, channelsOut))
        return vst3::kResultFalse;
    if (numIns > 0)
    {
        audioInputs_[0].arrangement = inputs[0];
        audioInputs_[0].info.channelCount = channelsIn;
    }
    if (numOuts > 0)
    {
        audioOutputs_[0].arrangement = outputs[0];
        audioOutputs_[0].info.channelCount = channelsOut;
    }
    return vst3::kResultOk;
}

vst3::tresult VST3Client::getBusArrangement(vst3::BusDirection dir, vst3::int32 index,
                                            vst3::SpeakerArrangement& arr)
{
    Vec<VST3Bus>* list = dir == vst3::kOutput ? &audioOutputs_ : dir == vst3::kInput ? &audioInputs_ : nullptr;
    if (list == nullptr || index < 0 || size_t(index) >= list->length())
        return vst3::kInvalidArgument;
    arr = (*list)[size_t(index)].arrangement;
    return vst3::kResultOk;
}

vst3::tresult VST3Client::canProcessSampleSize(vst3::int32 symbolicSampleSize)
{
    return symbolicSampleSize == vst3::kSample32 ? vst3::kResultOk : vst3::kResultFalse;
}

vst3::uint32 VST3Client::getLatencySamples()
{
    NoDenormalsGuard guard;
    const int latency = client_->latencySamples(double(setupSampleRate_.load()));
    return latency > 0 ? vst3::uint32(latency) : 0;
}

vst3::uint32 VST3Client::getTailSamples()
{
    const double t = double(client_->tailSizeInSeconds()) * double(setupSampleRate_.load()) + 0.5;
    if (t >= 4294967295.0)
        return vst3::kInfiniteTail;
    if (!(t >= 3.0)) // below 3, negative or NaN
        return 2;
    return vst3::uint32(t);
}

vst3::tresult VST3Client::setupProcessing(vst3::ProcessSetup& setup)
{
    NoDenormalsGuard guard;
    const float rate = float(setup.sampleRate);
    const float previous = previousSetupSampleRate_.exchange(rate);
    setupSampleRate_.store(rate);
    processingSampleRate_.store(rate);
    if (rate != previous && componentHandler_ != nullptr)
        componentHandler_->restartComponent(vst3::kLatencyChanged);
    maxBlockSize_.store(setup.maxSamplesPerBlock);
    return setup.symbolicSampleSize == vst3::kSample32 ? vst3::kResultOk : vst3::kResultFalse;
}

vst3::tresult VST3Client::setProcessing(vst3::TBool state)
{
    if (state != 0)
        resetRequest_.store(true);
    return vst3::kResultOk;
}

void VST3Client::resizeScratchBuffers(int maxBlockSize)
{
    const size_t length = maxBlockSize > 0 ? size_t(maxBlockSize) : 0;
    zeroBuffer_.resize(length);
    std::memset(zeroBuffer_.ptr(), 0, length * sizeof(float));
    scratchOutput_.resize(length);
    inputCopies_.resize(length * size_t(client_->maxInputs()));
    scratchLength_ = int(length);
}

void VST3Client::updateTimeInfo(const vst3::ProcessContext* context)
{
    if (context == nullptr)
        return;
    if ((context->state & vst3::ProcessContext::kTempoValid) != 0)
        timeInfo_.tempo = context->tempo;
    timeInfo_.timeInSamples = context->projectTimeSamples;
    timeInfo_.hostIsPlaying = (context->state & vst3::ProcessContext::kPlaying) != 0;
}

int VST3Client::presetIndexFromNormalized(double value) const
{
    const double scaled = double(programSteps_ + 1) * value;
    if (!(scaled >= 0.0)) // negative or NaN: the first preset
        return 0;
    if (scaled >= double(programSteps_))
        return programSteps_;
    return int(scaled);
}

bool VST3Client::programStepsAreValid() const
{
    return programSteps_ >= 0 && programSteps_ < client_->presetBank()->numPresets();
}

void VST3Client::setParamValue(vst3::ParamID id, double value)
{
    if (midiCCValues_ != nullptr && isMidiCCParamID(id))
    {
        midiCCValues_[id - kMidiCCParamBase] = value;
        return;
    }
    if (id == kProgramChangeParamID)
    {
        if (programStepsAreValid())
            client_->presetBank()->loadPresetFromHost(presetIndexFromNormalized(value));
        return;
    }
    if (id == kBypassParamID)
    {
        bypass_.store(value >= 0.5);
        return;
    }
    if (indexIDs_)
    {
        // VSTHost sends the position in the parameter list: bypass and program change are
        // positions 0 and 1, the client's parameters follow.
        if (id < 2)
            return;
        id -= 2;
    }
    if (id < vst3::ParamID(numParams_))
        client_->setParameterFromHost(int(id), float(value));
}

vst3::tresult VST3Client::process(vst3::ProcessData& data)
{
    NoDenormalsGuard guard;

    const float sampleRate = processingSampleRate_.load();
    int maxBlock = maxBlockSize_.load();
    if (data.numSamples > maxBlock)
    {
        // A host that sends more than it announced would overrun the buffers sized for the
        // announced maximum: adopt the larger size (this resets and resizes once).
        maxBlock = data.numSamples;
        maxBlockSize_.store(maxBlock);
    }
    if (maxBlock < 1) // no set-up yet and no audio: any valid size will do
        maxBlock = kVST3MaxFramesInProcess;
    int numInputs = (data.numInputs > 0 && data.inputs != nullptr) ? data.inputs[0].numChannels : 0;
    int numOutputs = (data.numOutputs > 0 && data.outputs != nullptr) ? data.outputs[0].numChannels : 0;
    if (numInputs < 0)
        numInputs = 0;
    if (numOutputs < 0)
        numOutputs = 0;
    // The client has buffers and input copies for its legal maxima only.
    const int clientInputs = numInputs < client_->maxInputs() ? numInputs : client_->maxInputs();
    const int clientOutputs = numOutputs < client_->maxOutputs() ? numOutputs : client_->maxOutputs();

    const bool requested = resetRequest_.exchange(false);
    if (requested || sampleRate != resetSampleRate_ || maxBlock != resetBlockSize_ ||
        clientInputs != resetNumInputs_ || clientOutputs != resetNumOutputs_)
    {
        resetSampleRate_ = sampleRate;
        resetBlockSize_ = maxBlock;
        resetNumInputs_ = clientInputs;
        resetNumOutputs_ = clientOutputs;
        client_->resetFromHost(double(sampleRate), maxBlock, clientInputs, clientOutputs);
        resizeScratchBuffers(maxBlock);
        inputPointers_.resize(size_t(clientInputs));
        outputPointers_.resize(size_t(clientOutputs));
        blockInputs_.resize(size_t(clientInputs));
        blockOutputs_.resize(size_t(clientOutputs));
    }

    for (int c = 0; c < clientInputs; ++c)
    {
        float* host = data.inputs[0].channelBuffers32 != nullptr ? data.inputs[0].channelBuffers32[c] : nullptr;
        inputPointers_[size_t(c)] = host != nullptr ? host : zeroBuffer_.ptr();
    }
    for (int c = 0; c < clientOutputs; ++c)
    {
        float* host = data.outputs[0].channelBuffers32 != nullptr ? data.outputs[0].channelBuffers32[c] : nullptr;
        outputPointers_[size_t(c)] = host != nullptr ? host : scratchOutput_.ptr();
    }

    if (eventInputs_.length() > 0 && data.inputEvents != nullptr)
        readMidiEvents(data.inputEvents);

    processBlocks(data, clientInputs, clientOutputs);

    // Host output channels beyond the client's own stay silent.
    for (int c = clientOutputs; c < numOutputs; ++c)
    {
        float* host = data.outputs[0].channelBuffers32 != nullptr ? data.outputs[0].channelBuffers32[c] : nullptr;
        if (host != nullptr && data.numSamples > 0)
            std::memset(host, 0, sizeof(float) * size_t(data.numSamples));
    }
    if (client_->pluginInfo().sendsMIDI)
    {
        writeMidiEvents(data.outputEvents);
        client_->clearMidiOut();
    }
    return vst3::kResultOk;
}

void VST3Client::processBlocks(vst3::ProcessData& data, int numInputs, int numOutputs)
{
    const int frames = data.numSamples > 0 ? data.numSamples : 0;
    const int blockLength = client_->maxFramesInProcessLimit();
    const int blocks = (frames + blockLength - 1) / blockLength;

    updateTimeInfo(data.processContext);

    // Private input copies: the client may then write outputs that alias the host's inputs.
    for (int c = 0; c < numInputs; ++c)
    {
        float* copy = inputCopies_.ptr() + size_t(c) * size_t(scratchLength_);
        if (frames > 0)
            std::memcpy(copy, inputPointers_[size_t(c)], sizeof(float) * size_t(frames));
        inputPointers_[size_t(c)] = copy;
    }

    changedParams_.clearContents();
    changedValues_.clearContents();
    if (data.inputParameterChanges != nullptr)
    {
        const vst3::int32 queues = data.inputParameterChanges->getParameterCount();
        for (vst3::int32 q = 0; q < queues; ++q)
        {
            vst3::IParamValueQueue* queue = data.inputParameterChanges->getParameterData(q);
            if (queue == nullptr)
                continue;
            const vst3::ParamID id = queue->getParameterId();
            if (midiCCValues_ != nullptr && isMidiCCParamID(id))
            {
                midiCCPointsToMessages(id, queue);
                continue;
            }
            const size_t first = changedValues_.length();
            changedValues_.resize(first + size_t(blocks) + 1); // keeps its capacity between calls
            sampleCurveAtBlockStarts(queue, getParamNormalized(id), blockLength, blocks,
                                     changedValues_.ptr() + first);
            changedParams_.pushBack(ChangedParam{id, first});
        }
    }

    if (client_->pluginInfo().sendsMIDI)
        client_->moveMIDIFromUIToOutputQueue();

    for (int c = 0; c < numInputs; ++c)
        blockInputs_[size_t(c)] = inputPointers_[size_t(c)];
    for (int c = 0; c < numOutputs; ++c)
        blockOutputs_[size_t(c)] = outputPointers_[size_t(c)];
    int remaining = frames;
    for (int k = 0; k < blocks; ++k)
    {
        const int length = remaining < blockLength ? remaining : blockLength;
        for (const ChangedParam& p : changedParams_)
            setParamValue(p.id, changedValues_[p.firstValue + size_t(k)]);
        if (bypass_.load(std::memory_order_relaxed))
        {
            const int through = numInputs < numOutputs ? numInputs : numOutputs;
            for (int c = 0; c < through; ++c)
                std::memmove(blockOutputs_[size_t(c)], blockInputs_[size_t(c)], sizeof(float) * size_t(length));
            for (int c = through; c < numOutputs; ++c)
                std::memset(blockOutputs_[size_t(c)], 0, sizeof(float) * size_t(length));
        }
        else
        {
            client_->processAudioFromHost(blockInputs_.ptr(), blockOutputs_.ptr(), length, timeInfo_, true);
        }
        for (int c = 0; c < numInputs; ++c)
            blockInputs_[size_t(c)] += length;
        for (int c = 0; c < numOutputs; ++c)
            blockOutputs_[size_t(c)] += length;
        timeInfo_.timeInSamples += length;
        remaining -= length;
    }
    for (const ChangedParam& p : changedParams_)
        setParamValue(p.id, changedValues_[p.firstValue + size_t(blocks)]);
}

} // namespace plugkit
