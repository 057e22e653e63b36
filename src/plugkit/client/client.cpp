#include "plugkit/client/client.h"

#include <cstdlib>
#include <utility>

#include "plugkit/client/preset.h"
#include "plugkit/client/presetbank.h"
#include "plugkit/core/fatal.h"
#include "plugkit/core/memory.h"

namespace plugkit
{

namespace
{

inline void spinPause()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

} // namespace

Client::Client() = default;

void Client::buildClient()
{
    if (built_)
        fatalError("buildClient called twice");
    built_ = true;

    info_ = buildPluginInfo();
    legalIOs_ = buildLegalIO();
    params_ = buildParameters();
    for (size_t i = 0; i < params_.length(); ++i)
    {
        if (params_[i]->index() != int(i))
            fatalError("parameter i must have index i");
        params_[i]->setOwner(this);
    }
    maxFramesInProcess_ = maxFramesInProcess();

    for (const LegalIO& io : legalIOs_)
    {
        if (io.numInputChannels > maxInputs_)
            maxInputs_ = io.numInputChannels;
        if (io.numOutputChannels > maxOutputs_)
            maxOutputs_ = io.numOutputChannels;
    }
    sizeChannelPointers(maxInputs_, maxOutputs_);

    midiInputQueue_.initialize();
    midiOutputQueue_.initialize();
    if (info_.sendsMIDI)
        makeMutex(midiFromUILock_);

    saveState(defaultState_);

    Vec<Preset*> presets = buildPresets();
    presetBank_ = mallocNew<PresetBank>(this, std::move(presets));
}

void Client::destroyOwnedObjects()
{
    if (graphics_ != nullptr)
    {
        // The audio thread may be using the editor: wait for it to give the flag back, and
        // never give it back ourselves.
        for (;;)
        {
            bool available = true;
            if (graphicsAvailable_.compare_exchange_weak(available, false,
                                                         std::memory_order_acquire))
                break;
            spinPause();
        }
        destroyFree(graphics_);
        graphics_ = nullptr;
    }
    destroyFree(presetBank_);
    for (Parameter* p : params_)
        destroyFree(p);
}

void Client::appendMIDIFromUI(const MidiMessage* messages, int count)
{
    if (!info_.sendsMIDI || count <= 0)
        return;
    MutexLocker locker(midiFromUILock_);
    midiFromUI_.pushBack(messages, size_t(count));
}

void Client::moveMIDIFromUIToOutputQueue()
{
    if (!info_.sendsMIDI)
        return;
    MutexLocker locker(midiFromUILock_);
    for (MidiMessage m : midiFromUI_)
    {
        m.offset += midiOutputQueue_.framesElapsed();
        midiOutputQueue_.insertElement(m);
    }
    midiFromUI_.clearContents();
}

void Client::processBlock(const float* const* inputs, float* const* outputs, int frames,
                          TimeInfo info)
{
    if (info_.receivesMIDI)
    {
        midiInputForBlock_.clearContents();
        midiInputQueue_.moveDueMessages(frames, midiInputForBlock_);
    }
    processAudio(inputs, outputs, frames, info);
    if (info_.sendsMIDI)
        midiOutputQueue_.moveDueMessages(frames, midiOut_);
}

void Client::splitAndProcess(const float* const* inputs, float* const* outputs, int frames,
                             TimeInfo info, bool doNotSplit)
{
    if (maxFramesInProcess_ <= 0 || doNotSplit)
    {
        processBlock(inputs, outputs, frames, info);
        return;
    }
    for (int32_t c = 0; c < numInputs_; ++c)
        blockInputs_[size_t(c)] = inputs[c];
    for (int32_t c = 0; c < numOutputs_; ++c)
        blockOutputs_[size_t(c)] = outputs[c];
    int remaining = frames;
    while (remaining > 0)
    {
        int block = remaining < maxFramesInProcess_ ? remaining : maxFramesInProcess_;
        processBlock(blockInputs_.ptr(), blockOutputs_.ptr(), block, info);
        for (int32_t c = 0; c < numInputs_; ++c)
            blockInputs_[size_t(c)] += block;
        for (int32_t c = 0; c < numOutputs_; ++c)
            blockOutputs_[size_t(c)] += block;
        info.timeInSamples += block;
        remaining -= block;
    }
}

void Client::sizeChannelPointers(int numInputs, int numOutputs)
{
    numInputs_ = numInputs > 0 ? numInputs : 0;
    numOutputs_ = numOutputs > 0 ? numOutputs : 0;
    if (size_t(numInputs_) > blockInputs_.length())
        blockInputs_.resize(size_t(numInputs_));
    if (size_t(numOutputs_) > blockOutputs_.length())
        blockOutputs_.resize(size_t(numOutputs_));
}

bool Client::isLegalIO(int numInputs, int numOutputs) const
{
    for (const LegalIO& io : legalIOs_)
        if (io.numInputChannels == numInputs && io.numOutputChannels == numOutputs)
            return true;
    return false;
}

IGraphics* Client::graphicsAcquire()
{
    bool available = true;
    if (graphicsAvailable_.compare_exchange_strong(available, false, std::memory_order_acquire))
        return graphics_;
    return nullptr;
}

void Client::graphicsRelease()
{
    graphicsAvailable_.store(true, std::memory_order_release);
}

IGraphics* Client::getOrCreateGraphics()
{
    if (graphics_ == nullptr)
    {
        graphics_ = createGraphics();
        if (graphics_ != nullptr)
            graphicsAvailable_.store(true, std::memory_order_release);
    }
    return graphics_;
}

Preset* Client::makeDefaultPreset()
{
    Vec<float> values(params_.length());
    for (size_t i = 0; i < params_.length(); ++i)
        values[i] = static_cast<float>(params_[i]->getNormalizedDefault());
    return mallocNew<Preset>("Default", values.ptr(), values.length(), defaultState_.ptr(),
                             defaultState_.length());
}

// Default behaviour of the overridable operations.

Client::~Client()
{
    destroyOwnedObjects();
}

void Client::setParameterFromHost(int index, float value)
{
    params_[size_t(index)]->setFromHost(value);
}

IGraphics* Client::createGraphics()
{
    return nullptr;
}

void Client::sendMIDIMessage(MidiMessage message)
{
    message.offset += midiOutputQueue_.framesElapsed();
    midiOutputQueue_.insertElement(message);
}

void Client::sendMIDIMessagesFromUI(const MidiMessage* messages, int count)
{
    appendMIDIFromUI(messages, count);
}

int Client::latencySamples(double)
{
    return 0;
}

float Client::tailSizeInSeconds()
{
    return 0.0f;
}

int Client::maxFramesInProcess()
{
    return 0;
}

void Client::enqueueMIDIFromHost(MidiMessage message)
{
    message.offset += midiInputQueue_.framesElapsed();
    midiInputQueue_.insertElement(message);
}

void Client::processAudioFromHost(const float* const* inputs, float* const* outputs,
                                         int frames, TimeInfo info, bool doNotSplit)
{
    splitAndProcess(inputs, outputs, frames, info, doNotSplit);
}

void Client::resetFromHost(double sampleRate, int maxFrames, int numInputs,
                                  int numOutputs)
{
    midiInputQueue_.initialize();
    midiOutputQueue_.initialize();
    sizeChannelPointers(numInputs, numOutputs);
    if (maxFramesInProcess_ > 0 && maxFrames > maxFramesInProcess_)
        maxFrames = maxFramesInProcess_;
    reset(sampleRate, maxFrames, numInputs, numOutputs);
}

bool Client::requestResize(int width, int height)
{
    return hostCommand_ != nullptr && hostCommand_->requestResize(width, height);
}

bool Client::notifyResized()
{
    return hostCommand_ != nullptr && hostCommand_->notifyResized();
}

DAW Client::getDAW()
{
    if (hostCommand_ == nullptr)
        fatalError("getDAW needs a host command");
    return hostCommand_->getDAW();
}

PluginFormat Client::getPluginFormat()
{
    if (hostCommand_ == nullptr)
        fatalError("getPluginFormat needs a host command");
    return hostCommand_->getPluginFormat();
}

void Client::saveState(Vec<uint8_t>&)
{
}

bool Client::loadState(const uint8_t*, size_t)
{
    return true;
}

Vec<Preset*> Client::buildPresets()
{
    Vec<Preset*> presets;
    presets.pushBack(makeDefaultPreset());
    return presets;
}

} // namespace plugkit
