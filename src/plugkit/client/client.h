#pragma once
// Client: the format-independent plug-in instance. A product subclasses it and overrides the
// build methods and the processing methods; a format layer creates one client per instance,
// installs its host command, and drives it through the entry points ending in "FromHost".
//
// Construction: C++ cannot reach the product's overrides from the base constructor, so the
// product's constructor calls buildClient() as its last statement (the most-derived class
// calls it: overrides in classes derived further are not in place yet). buildClient runs, in order:
// buildPluginInfo, buildLegalIO, buildParameters (each parameter gets this client as owner),
// maxFramesInProcess, the channel maxima, the MIDI queues, saveState into the default extra
// state, and buildPresets (the preset bank starts at preset 0).
//
// Threads: the main thread creates and destroys the client, creates the editor and calls the
// state functions; the audio thread calls resetFromHost and processAudioFromHost, which take
// no lock. The audio thread reaches the editor only through graphicsAcquire / graphicsRelease.

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "plugkit/client/daw.h"
#include "plugkit/client/iclient.h"
#include "plugkit/client/igraphics.h"
#include "plugkit/client/ihostcommand.h"
#include "plugkit/client/midi.h"
#include "plugkit/client/parameter.h"
#include "plugkit/client/plugininfo.h"
#include "plugkit/core/fatal.h"
#include "plugkit/core/mutex.h"
#include "plugkit/core/vec.h"

namespace plugkit
{

class Preset;
class PresetBank;

class Client : public IClient
{
public:
    Client();
    // Destroys the editor object (first taking the graphics flag, spinning until the audio
    // thread gives it back), the preset bank and the parameters.
    ~Client() override;
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    // [audio or main thread] setFromHost(value) on parameter `index`; the caller checks the
    // index.
    virtual void setParameterFromHost(int index, float value);

    // [main thread] Creates the editor object; ownership passes to the client. Null when the
    // product has no editor (the default).
    virtual IGraphics* createGraphics();

    // [audio thread, inside processAudio] Queues an output message; its offset is relative
    // to the start of the current processAudio block.
    virtual void sendMIDIMessage(MidiMessage message);
    // [editor thread] Appends messages for the host under the MIDI-from-editor lock. Ignored
    // unless the plug-in sends MIDI.
    virtual void sendMIDIMessagesFromUI(const MidiMessage* messages, int count);

    // [audio thread] Prepares processing; maxFrames is the largest block processAudio will
    // then receive. Called again whenever rate, block size or channel counts change.
    virtual void reset(double sampleRate, int maxFrames, int numInputs, int numOutputs) = 0;
    virtual int latencySamples(double sampleRate);
    virtual float tailSizeInSeconds();
    // Largest block processAudio may receive; 0 for no limit.
    virtual int maxFramesInProcess();
    // [audio thread] inputs: read-only channel pointers; outputs: writable channel pointers.
    // The channel counts are those of the last reset.
    virtual void processAudio(const float* const* inputs, float* const* outputs, int frames,
                              TimeInfo info) = 0;

    // [audio thread] Queues an input message; its offset is relative to the next block.
    virtual void enqueueMIDIFromHost(MidiMessage message);

    // [audio thread] Processes a host buffer. Unless doNotSplit is set or there is no limit,
    // it is cut into blocks of at most maxFramesInProcess frames; channel pointers and the
    // position in `info` advance from block to block. inputs / outputs hold the channel
    // counts given to the last resetFromHost (before any, the legal maxima).
    virtual void processAudioFromHost(const float* const* inputs, float* const* outputs,
                                      int frames, TimeInfo info, bool doNotSplit);
    // [audio thread] Clears the MIDI queues, then reset() with maxFrames limited to
    // maxFramesInProcess when a limit is set. May allocate.
    virtual void resetFromHost(double sampleRate, int maxFrames, int numInputs,
                               int numOutputs);

    // IClient: forwarded to the host command.
    bool requestResize(int width, int height) override;
    bool notifyResized() override;
    DAW getDAW() override;
    PluginFormat getPluginFormat() override;

    // [main thread] Product-specific extra state carried in chunks and presets. saveState
    // appends to `chunk`; loadState returns false to reject the bytes. The defaults append
    // nothing and accept anything. loadState may also run on the audio thread (preset change).
    virtual void saveState(Vec<uint8_t>& chunk);
    virtual bool loadState(const uint8_t* data, size_t length);

    // Build methods, called once by buildClient. Parameter i must have index i. The results
    // are owned by the client afterwards.
    virtual Vec<Parameter*> buildParameters() = 0;
    // Default: one preset, makeDefaultPreset().
    virtual Vec<Preset*> buildPresets();
    virtual PluginInfo buildPluginInfo() = 0;
    virtual Vec<LegalIO> buildLegalIO() = 0;

    // True when some legal configuration has exactly these counts.
    bool isLegalIO(int numInputs, int numOutputs) const;

    // [audio thread, or any thread that must not wait] Takes the editor object without
    // waiting: null when there is none or someone else holds it. A non-null result must be
    // given back with graphicsRelease; a null one must not.
    IGraphics* graphicsAcquire();
    void graphicsRelease();
    // [main thread] Creates the editor object on first use (createGraphics) and makes it
    // available to graphicsAcquire. Returns it, or null when the product has none.
    IGraphics* getOrCreateGraphics();
    // [main thread] The editor object, or null before getOrCreateGraphics created it.
    IGraphics* graphics() const { return graphics_; }

    // [main thread, before processing] Installed by the format layer; not owned.
    void setHostCommand(IHostCommand* hostCommand) { hostCommand_ = hostCommand; }
    IHostCommand* hostCommand() const { return hostCommand_; }

    // [main thread, before processing] The format layer may impose its own block limit.
    void setMaxFramesInProcessLimit(int maxFrames) { maxFramesInProcess_ = maxFrames; }
    int maxFramesInProcessLimit() const { return maxFramesInProcess_; }

    const PluginInfo& pluginInfo() const { return info_; }
    int numParams() const { return int(params_.length()); }
    Parameter** params() { return params_.ptr(); }
    Parameter* param(int index) { return params_[size_t(index)]; }
    PresetBank* presetBank() { return presetBank_; }
    int maxInputs() const { return maxInputs_; }
    int maxOutputs() const { return maxOutputs_; }
    const Vec<LegalIO>& legalIOs() const { return legalIOs_; }

    // A preset named "Default": every parameter's normalised default as 32-bit float, and a
    // copy of the default extra state. Owned by the caller (destroyFree).
    Preset* makeDefaultPreset();
    // Extra state that saveState wrote at construction.
    const Vec<uint8_t>& defaultState() const { return defaultState_; }

    // MIDI plumbing for the format layer [audio thread].
    // Messages for the host from the blocks processed since the last clear, offsets relative
    // to the block they came from.
    Vec<MidiMessage>& midiOut() { return midiOut_; }
    void clearMidiOut() { midiOut_.clearContents(); }
    // Moves the editor's messages into the output queue (under the MIDI-from-editor lock).
    void moveMIDIFromUIToOutputQueue();
    // Input messages due in the block being processed (only when the plug-in receives MIDI);
    // read them from processAudio.
    const Vec<MidiMessage>& midiInputForBlock() const { return midiInputForBlock_; }
    MidiQueue& midiInputQueue() { return midiInputQueue_; }
    MidiQueue& midiOutputQueue() { return midiOutputQueue_; }

protected:
    // Runs the build steps; the product's constructor calls it last. Once only.
    void buildClient();

private:
    void destroyOwnedObjects();
    void appendMIDIFromUI(const MidiMessage* messages, int count);
    void splitAndProcess(const float* const* inputs, float* const* outputs, int frames,
                         TimeInfo info, bool doNotSplit);
    void processBlock(const float* const* inputs, float* const* outputs, int frames,
                      TimeInfo info);
    void sizeChannelPointers(int numInputs, int numOutputs);

    IGraphics* graphics_ = nullptr;
    std::atomic<bool> graphicsAvailable_{false};
    IHostCommand* hostCommand_ = nullptr;
    PluginInfo info_;
    Vec<Parameter*> params_;
    PresetBank* presetBank_ = nullptr;
    Vec<LegalIO> legalIOs_;
    int32_t maxInputs_ = 0;
    int32_t maxOutputs_ = 0;
    int32_t maxFramesInProcess_ = 0;
    MidiQueue midiInputQueue_;
    MidiQueue midiOutputQueue_;
    UncheckedMutex midiFromUILock_; // created only when the plug-in sends MIDI
    Vec<MidiMessage> midiFromUI_;
    Vec<MidiMessage> midiOut_;
    Vec<uint8_t> defaultState_;

    // Block splitting: channel counts of the last reset and the advanced channel pointers.
    int32_t numInputs_ = 0;
    int32_t numOutputs_ = 0;
    Vec<const float*> blockInputs_;
    Vec<float*> blockOutputs_;
    Vec<MidiMessage> midiInputForBlock_;
    bool built_ = false;
};

} // namespace plugkit
