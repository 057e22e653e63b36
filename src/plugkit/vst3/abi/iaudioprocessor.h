#pragma once
// IAudioProcessor: processing set-up and the process call, with their records.

#include "plugkit/vst3/abi/funknown.h"

namespace plugkit::vst3
{

class IEventList;
class IParameterChanges;
struct ProcessContext;

// Class category and class flag of an audio effect.
constexpr const char* kAudioEffectClass = "Audio Module Class";
constexpr uint32 kSimpleModeSupported = 1u << 1;

enum SymbolicSampleSizes : int32
{
    kSample32 = 0,
    kSample64 = 1
};

enum ProcessModes : int32
{
    kRealtime = 0,
    kPrefetch = 1,
    kOffline = 2
};

constexpr uint32 kNoTail = 0;
constexpr uint32 kInfiniteTail = 0xFFFFFFFFu;

struct ProcessSetup
{
    int32 processMode;
    int32 symbolicSampleSize;
    int32 maxSamplesPerBlock;
    SampleRate sampleRate;
};

// The channels of one bus for one process call.
struct AudioBusBuffers
{
    int32 numChannels;
    uint64 silenceFlags; // bit c set: channel c is all zeros (optional hint)
    union
    {
        Sample32** channelBuffers32;
        Sample64** channelBuffers64;
    };
};

struct ProcessData
{
    int32 processMode;
    int32 symbolicSampleSize;
    int32 numSamples;
    int32 numInputs;  // input buses
    int32 numOutputs; // output buses
    AudioBusBuffers* inputs;
    AudioBusBuffers* outputs;
    IParameterChanges* inputParameterChanges;
    IParameterChanges* outputParameterChanges;
    IEventList* inputEvents;
    IEventList* outputEvents;
    ProcessContext* processContext; // may be null
};

class IAudioProcessor : public FUnknown
{
public:
    virtual tresult PLUGKIT_VST3_CALL setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                                        SpeakerArrangement* outputs, int32 numOuts) = 0;
    virtual tresult PLUGKIT_VST3_CALL getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement& arr) = 0;
    virtual tresult PLUGKIT_VST3_CALL canProcessSampleSize(int32 symbolicSampleSize) = 0;
    virtual uint32 PLUGKIT_VST3_CALL getLatencySamples() = 0;
    virtual tresult PLUGKIT_VST3_CALL setupProcessing(ProcessSetup& setup) = 0; // [audio thread]
    virtual tresult PLUGKIT_VST3_CALL setProcessing(TBool state) = 0;          // [audio thread]
    virtual tresult PLUGKIT_VST3_CALL process(ProcessData& data) = 0;          // [audio thread]
    virtual uint32 PLUGKIT_VST3_CALL getTailSamples() = 0;

    static constexpr InterfaceID iid = makeInterfaceID(0x42043F99, 0xB7DA453C, 0xA569E79D, 0x9AAEC33D);

protected:
    ~IAudioProcessor() = default;
};

} // namespace plugkit::vst3
