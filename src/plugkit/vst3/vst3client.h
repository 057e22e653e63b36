#pragma once
// VST3Client: one plug-in instance as a VST3 host sees it. The same object is the component,
// the audio processor, the edit controller (with IEditController2), the unit information and
// the MIDI mapping; there is no separate controller class. It owns the product's client and
// the host command installed into it.
//
// Threads: process, setupProcessing and setProcessing run on the host's audio thread;
// everything else on its main thread. The reset request, bypass and the set-up values are
// atomics; parameter values change atomically inside each parameter.

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "plugkit/client/daw.h"
#include "plugkit/client/plugininfo.h"
#include "plugkit/core/vec.h"
#include "plugkit/vst3/abi/iaudioprocessor.h"
#include "plugkit/vst3/abi/ibstream.h"
#include "plugkit/vst3/abi/ievents.h"
#include "plugkit/vst3/abi/ihostapplication.h"
#include "plugkit/vst3/abi/imidimapping.h"
#include "plugkit/vst3/abi/iparameterchanges.h"
#include "plugkit/vst3/abi/iplugview.h"
#include "plugkit/vst3/abi/iunitinfo.h"
#include "plugkit/vst3/abi/processcontext.h"
#include "plugkit/vst3/bus.h"
#include "plugkit/vst3/statebridges.h"

namespace plugkit
{

class Client;
class VST3HostCommand;

// Host parameter IDs beside the client's own (0 .. N-1).
constexpr vst3::ParamID kBypassParamID = 998;
constexpr vst3::ParamID kProgramChangeParamID = 999;
constexpr vst3::ProgramListID kFactoryProgramListID = 999;
// The largest block the client's processAudio receives under VST3.
constexpr int kVST3MaxFramesInProcess = 512;

class VST3Client final : public VST3ComponentBase,
                         public vst3::IAudioProcessor,
                         public VST3EditControllerBase,
                         public vst3::IEditController2,
                         public vst3::IUnitInfo,
                         public vst3::IMidiMapping
{
public:
    // Takes ownership of `client`; installs the host command and limits blocks to 512 frames.
    explicit VST3Client(Client* client);
    ~VST3Client();
    VST3Client(const VST3Client&) = delete;
    VST3Client& operator=(const VST3Client&) = delete;

    // FUnknown (shared by every interface of the object).
    vst3::tresult PLUGKIT_VST3_CALL queryInterface(const vst3::TUID iid, void** obj) override;
    vst3::uint32 PLUGKIT_VST3_CALL addRef() override;
    vst3::uint32 PLUGKIT_VST3_CALL release() override;

    // IPluginBase [main thread] (component and controller alike).
    vst3::tresult PLUGKIT_VST3_CALL initialize(vst3::FUnknown* context) override;
    vst3::tresult PLUGKIT_VST3_CALL terminate() override;

    // IComponent [main thread]
    vst3::tresult PLUGKIT_VST3_CALL getControllerClassId(vst3::TUID classId) override;
    vst3::tresult PLUGKIT_VST3_CALL setIoMode(vst3::IoMode mode) override;
    vst3::int32 PLUGKIT_VST3_CALL getBusCount(vst3::MediaType type, vst3::BusDirection dir) override;
    vst3::tresult PLUGKIT_VST3_CALL getBusInfo(vst3::MediaType type, vst3::BusDirection dir, vst3::int32 index,
                                               vst3::BusInfo& bus) override;
    vst3::tresult PLUGKIT_VST3_CALL getRoutingInfo(vst3::RoutingInfo& inInfo, vst3::RoutingInfo& outInfo) override;
    vst3::tresult PLUGKIT_VST3_CALL activateBus(vst3::MediaType type, vst3::BusDirection dir, vst3::int32 index,
                                                vst3::TBool state) override;
    vst3::tresult PLUGKIT_VST3_CALL setActive(vst3::TBool state) override;
    // The state stream: a 0 byte, the bypass byte, then the client's state chunk.
    vst3::tresult setStateComponent(vst3::IBStream* state) override;
    vst3::tresult getStateComponent(vst3::IBStream* state) override;

    // IAudioProcessor
    vst3::tresult PLUGKIT_VST3_CALL setBusArrangements(vst3::SpeakerArrangement* inputs, vst3::int32 numIns,
                                                       vst3::SpeakerArrangement* outputs,
                                                       vst3::int32 numOuts) override; // [main thread]
    vst3::tresult PLUGKIT_VST3_CALL getBusArrangement(vst3::BusDirection dir, vst3::int32 index,
                                                      vst3::SpeakerArrangement& arr) override;
    vst3::tresult PLUGKIT_VST3_CALL canProcessSampleSize(vst3::int32 symbolicSampleSize) override;
    vst3::uint32 PLUGKIT_VST3_CALL getLatencySamples() override;
    vst3::tresult PLUGKIT_VST3_CALL setupProcessing(vst3::ProcessSetup& setup) override; // [audio thread]
    vst3::tresult PLUGKIT_VST3_CALL setProcessing(vst3::TBool state) override;          // [audio thread]
    vst3::tresult PLUGKIT_VST3_CALL process(vst3::ProcessData& data) override;          // [audio thread]
    vst3::uint32 PLUGKIT_VST3_CALL getTailSamples() override;

    // IEditController [main thread]
    vst3::tresult setStateController(vst3::IBStream* state) override; // not implemented
    vst3::tresult getStateController(vst3::IBStream* state) override; // not implemented
    vst3::tresult PLUGKIT_VST3_CALL setComponentState(vst3::IBStream* state) override;
    vst3::int32 PLUGKIT_VST3_CALL getParameterCount() override;
    vst3::tresult PLUGKIT_VST3_CALL getParameterInfo(vst3::int32 paramIndex, vst3::ParameterInfo& info) override;
    vst3::tresult PLUGKIT_VST3_CALL getParamStringByValue(vst3::ParamID id, vst3::ParamValue valueNormalized,
                                                          vst3::String128 string) override;
    vst3::tresult PLUGKIT_VST3_CALL getParamValueByString(vst3::ParamID id, vst3::TChar* string,
                                                          vst3::ParamValue& valueNormalized) override;
    vst3::ParamValue PLUGKIT_VST3_CALL normalizedParamToPlain(vst3::ParamID id, vst3::ParamValue valueNormalized) override;
    vst3::ParamValue PLUGKIT_VST3_CALL plainParamToNormalized(vst3::ParamID id, vst3::ParamValue plainValue) override;
    vst3::ParamValue PLUGKIT_VST3_CALL getParamNormalized(vst3::ParamID id) override;
    vst3::tresult PLUGKIT_VST3_CALL setParamNormalized(vst3::ParamID id, vst3::ParamValue value) override;
    vst3::tresult PLUGKIT_VST3_CALL setComponentHandler(vst3::IComponentHandler* handler) override;
    vst3::IPlugView* PLUGKIT_VST3_CALL createView(vst3::FIDString name) override;

    // IEditController2 [main thread]
    vst3::tresult PLUGKIT_VST3_CALL setKnobMode(vst3::KnobMode mode) override;
    vst3::tresult PLUGKIT_VST3_CALL openHelp(vst3::TBool onlyCheck) override;
    vst3::tresult PLUGKIT_VST3_CALL openAboutBox(vst3::TBool onlyCheck) override;

    // IUnitInfo [main thread]: one root unit with the program list "Factory Presets".
    vst3::int32 PLUGKIT_VST3_CALL getUnitCount() override;
    vst3::tresult PLUGKIT_VST3_CALL getUnitInfo(vst3::int32 unitIndex, vst3::UnitInfo& info) override;
    vst3::int32 PLUGKIT_VST3_CALL getProgramListCount() override;
    vst3::tresult PLUGKIT_VST3_CALL getProgramListInfo(vst3::int32 listIndex, vst3::ProgramListInfo& info) override;
    vst3::tresult PLUGKIT_VST3_CALL getProgramName(vst3::ProgramListID listId, vst3::int32 programIndex,
                                                   vst3::String128 name) override;
    vst3::tresult PLUGKIT_VST3_CALL getProgramInfo(vst3::ProgramListID listId, vst3::int32 programIndex,
                                                   vst3::CString attributeId, vst3::String128 attributeValue) override;
    vst3::tresult PLUGKIT_VST3_CALL hasProgramPitchNames(vst3::ProgramListID listId, vst3::int32 programIndex) override;
    vst3::tresult PLUGKIT_VST3_CALL getProgramPitchName(vst3::ProgramListID listId, vst3::int32 programIndex,
                                                        vst3::int16 midiPitch, vst3::String128 name) override;
    vst3::UnitID PLUGKIT_VST3_CALL getSelectedUnit() override;
    vst3::tresult PLUGKIT_VST3_CALL selectUnit(vst3::UnitID unitId) override;
    vst3::tresult PLUGKIT_VST3_CALL getUnitByBus(vst3::MediaType type, vst3::BusDirection dir, vst3::int32 busIndex,
                                                 vst3::int32 channel, vst3::UnitID& unitId) override;
    vst3::tresult PLUGKIT_VST3_CALL setUnitProgramData(vst3::int32 listOrUnitId, vst3::int32 programIndex,
                                                       vst3::IBStream* data) override;

    // IMidiMapping [main thread]
    vst3::tresult PLUGKIT_VST3_CALL getMidiControllerAssignment(vst3::int32 busIndex, vst3::int16 channel,
                                                                vst3::CtrlNumber midiControllerNumber,
                                                                vst3::ParamID& id) override;

    // For the host command and the view [main thread].
    Client* client() const { return client_; }
    DAW daw() const { return daw_; }
    const char* hostName() const { return hostName_; }
    vst3::IComponentHandler* componentHandler() const { return componentHandler_; }
    vst3::IPlugFrame* plugFrame() const { return plugFrame_; }
    vst3::IPlugView* frameView() const { return frameView_; }
    // Remembered by the view's setFrame (not counted); cleared by removed().
    void setPlugFrame(vst3::IPlugFrame* frame, vst3::IPlugView* view)
    {
        plugFrame_ = frame;
        frameView_ = view;
    }
    bool isBypassed() const { return bypass_.load(std::memory_order_acquire); }

private:
    // [audio thread] Applies one normalised value that came with audio.
    void setParamValue(vst3::ParamID id, double value);
    void updateTimeInfo(const vst3::ProcessContext* context);
    void resizeScratchBuffers(int maxBlockSize);
    void setHostApplication(vst3::FUnknown* context);
    void buildBuses();
    Vec<VST3Bus>* busList(vst3::MediaType type, vst3::BusDirection dir);
    // The preset a normalised program-change value selects: min(S, trunc((S + 1) v)), >= 0.
    int presetIndexFromNormalized(double value) const;
    bool programStepsAreValid() const;
    void readMidiEvents(vst3::IEventList* events);
    void midiCCPointsToMessages(vst3::ParamID id, vst3::IParamValueQueue* queue);
    void writeMidiEvents(vst3::IEventList* events);
    void processBlocks(vst3::ProcessData& data, int numInputs, int numOutputs);

    std::atomic<vst3::uint32> refCount_{1};
    Client* client_;
    VST3HostCommand* hostCommand_;
    vst3::IComponentHandler* componentHandler_ = nullptr;
    vst3::IPlugFrame* plugFrame_ = nullptr;
    vst3::IPlugView* frameView_ = nullptr;

    std::atomic<bool> resetRequest_{true};
    std::atomic<bool> bypass_{false};
    int programSteps_ = 0;
    int numParams_ = 0;

    std::atomic<float> previousSetupSampleRate_;
    std::atomic<float> setupSampleRate_{44100.0f};
    std::atomic<float> processingSampleRate_{44100.0f};
    std::atomic<int> maxBlockSize_{-1};
    float resetSampleRate_ = 0.0f;
    int resetBlockSize_ = -1;
    int resetNumInputs_ = -1;
    int resetNumOutputs_ = -1;

    Vec<const float*> inputPointers_;
    Vec<float*> outputPointers_;
    Vec<const float*> blockInputs_;
    Vec<float*> blockOutputs_;

    char hostName_[129] = {};
    DAW daw_ = DAW::Unknown;
    TimeInfo timeInfo_;

    Vec<VST3Bus> audioInputs_;
    Vec<VST3Bus> audioOutputs_;
    Vec<VST3Bus> eventInputs_;
    Vec<VST3Bus> eventOutputs_;

    int scratchLength_ = 0;
    Vec<float> zeroBuffer_;
    Vec<float> scratchOutput_;
    Vec<float> inputCopies_; // max inputs x scratch length, channel after channel

    // Changed parameters of the current host buffer: values for each block start, then the
    // value after the buffer.
    struct ChangedParam
    {
        vst3::ParamID id;
        size_t firstValue; // index into changedValues_
    };
    Vec<ChangedParam> changedParams_;
    Vec<double> changedValues_;

    vst3::IHostApplication* hostApplication_ = nullptr;
    bool indexIDs_ = false; // the host (VSTHost) sends list positions instead of IDs
    double* midiCCValues_ = nullptr; // 16 x 130, only when the plug-in receives MIDI
};

} // namespace plugkit
