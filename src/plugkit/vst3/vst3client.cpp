// VST3Client: lifetime, interface queries, host identification and buses.

#include "plugkit/vst3/vst3client.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "plugkit/client/client.h"
#include "plugkit/client/presetbank.h"
#include "plugkit/core/memory.h"
#include "plugkit/vst3/hostcommand.h"
#include "plugkit/vst3/midiccparams.h"
#include "plugkit/vst3/text16.h"

namespace plugkit
{

VST3Client::VST3Client(Client* client)
    : client_(client), previousSetupSampleRate_(std::nanf(""))
{
    hostCommand_ = mallocNew<VST3HostCommand>(this);
    client_->setHostCommand(hostCommand_);
    const int limit = client_->maxFramesInProcessLimit();
    if (limit <= 0 || limit > kVST3MaxFramesInProcess)
        client_->setMaxFramesInProcessLimit(kVST3MaxFramesInProcess);
    numParams_ = client_->numParams();
    const int presets = client_->presetBank()->numPresets();
    programSteps_ = presets >= 2 ? presets - 1 : 0;
    if (client_->pluginInfo().receivesMIDI)
    {
        midiCCValues_ = static_cast<double*>(safeMalloc(sizeof(double) * kMidiCCParamCount));
        for (int i = 0; i < kMidiCCParamCount; ++i)
            midiCCValues_[i] = 0.0;
    }
}

VST3Client::~VST3Client()
{
    if (hostApplication_ != nullptr)
        hostApplication_->release();
    if (componentHandler_ != nullptr)
        componentHandler_->release();
    destroyFree(client_);
    destroyFree(hostCommand_);
    std::free(midiCCValues_);
}

vst3::tresult VST3Client::queryInterface(const vst3::TUID iid, void** obj)
{
    if (obj == nullptr)
        return vst3::kInvalidArgument;
    void* found = nullptr;
    if (vst3::sameID(iid, vst3::FUnknown::iid) || vst3::sameID(iid, vst3::IPluginBase::iid) ||
        vst3::sameID(iid, vst3::IComponent::iid))
        found = static_cast<vst3::IComponent*>(this);
    else if (vst3::sameID(iid, vst3::IAudioProcessor::iid))
        found = static_cast<vst3::IAudioProcessor*>(this);
    else if (vst3::sameID(iid, vst3::IEditController::iid))
        found = static_cast<vst3::IEditController*>(this);
    else if (vst3::sameID(iid, vst3::IEditController2::iid))
        found = static_cast<vst3::IEditController2*>(this);
    else if (vst3::sameID(iid, vst3::IUnitInfo::iid))
        found = static_cast<vst3::IUnitInfo*>(this);
    else if (vst3::sameID(iid, vst3::IMidiMapping::iid))
        found = static_cast<vst3::IMidiMapping*>(this);
    *obj = found;
    if (found == nullptr)
        return vst3::kNoInterface;
    addRef();
    return vst3::kResultOk;
}

vst3::uint32 VST3Client::addRef()
{
    return refCount_.fetch_add(1, std::memory_order_relaxed) + 1;
}

vst3::uint32 VST3Client::release()
{
    const vst3::uint32 count = refCount_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (count == 0)
        destroyFree(this);
    return count;
}

void VST3Client::setHostApplication(vst3::FUnknown* context)
{
    vst3::IHostApplication* host = nullptr;
    if (context != nullptr &&
        context->queryInterface(vst3::IHostApplication::iid.bytes, reinterpret_cast<void**>(&host)) != vst3::kResultOk)
        host = nullptr;
    if (hostApplication_ != nullptr)
        hostApplication_->release();
    hostApplication_ = host; // keeps the reference the query added

    hostName_[0] = '\0';
    if (host != nullptr)
    {
        vst3::String128 name;
        std::memset(name, 0, sizeof(name));
        if (host->getName(name) == vst3::kResultOk)
            narrowHostName(hostName_, sizeof(hostName_), name, 128);
    }
    daw_ = identifyDAW(hostName_);
    indexIDs_ = daw_ == DAW::VSTHost;
}

void VST3Client::buildBuses()
{
    audioInputs_.clearContents();
    audioOutputs_.clearContents();
    eventInputs_.clearContents();
    eventOutputs_.clearContents();
    if (client_->maxInputs() > 0)
        audioInputs_.pushBack(makeVST3Bus(vst3::kAudio, vst3::kInput, client_->maxInputs(), "Audio Input"));
    if (client_->maxOutputs() > 0)
        audioOutputs_.pushBack(makeVST3Bus(vst3::kAudio, vst3::kOutput, client_->maxOutputs(), "Audio Output"));
    if (client_->pluginInfo().receivesMIDI)
        eventInputs_.pushBack(makeVST3Bus(vst3::kEvent, vst3::kInput, 16, "MIDI Input"));
    if (client_->pluginInfo().sendsMIDI)
        eventOutputs_.pushBack(makeVST3Bus(vst3::kEvent, vst3::kOutput, 1, "MIDI Output"));
}

vst3::tresult VST3Client::initialize(vst3::FUnknown* context)
{
    setHostApplication(context);
    buildBuses();
    previousSetupSampleRate_.store(-42.0f);
    return vst3::kResultOk;
}

vst3::tresult VST3Client::terminate()
{
    if (hostApplication_ != nullptr)
    {
        hostApplication_->release();
        hostApplication_ = nullptr;
    }
    return vst3::kResultOk;
}

vst3::tresult VST3Client::getControllerClassId(vst3::TUID)
{
    return vst3::kNotImplemented; // this object is its own controller
}

vst3::tresult VST3Client::setIoMode(vst3::IoMode)
{
    return vst3::kNotImplemented;
}

Vec<VST3Bus>* VST3Client::busList(vst3::MediaType type, vst3::BusDirection dir)
{
    if (type == vst3::kAudio && dir == vst3::kInput)
        return &audioInputs_;
    if (type == vst3::kAudio && dir == vst3::kOutput)
        return &audioOutputs_;
    if (type == vst3::kEvent && dir == vst3::kInput)
        return &eventInputs_;
    if (type == vst3::kEvent && dir == vst3::kOutput)
        return &eventOutputs_;
    return nullptr;
}

vst3::int32 VST3Client::getBusCount(vst3::MediaType type, vst3::BusDirection dir)
{
    Vec<VST3Bus>* list = busList(type, dir);
    return list == nullptr ? 0 : vst3::int32(list->length());
}

vst3::tresult VST3Client::getBusInfo(vst3::MediaType type, vst3::BusDirection dir, vst3::int32 index,
                                     vst3::BusInfo& bus)
{
    Vec<VST3Bus>* list = busList(type, dir);
    if (list == nullptr)
        return vst3::kInvalidArgument;
    if (index < 0 || size_t(index) >= list->length())
        return vst3::kResultFalse;
    bus = (*list)[size_t(index)].info;
    return vst3::kResultOk;
}

vst3::tresult VST3Client::getRoutingInfo(vst3::RoutingInfo&, vst3::RoutingInfo&)
{
    return vst3::kNotImplemented;
}

vst3::tresult VST3Client::activateBus(vst3::MediaType type, vst3::BusDirection dir, vst3::int32 index,
                                      vst3::TBool state)
{
    Vec<VST3Bus>* list = busList(type, dir);
    if (list == nullptr)
        return vst3::kInvalidArgument;
    if (index < 0 || size_t(index) >= list->length())
        return vst3::kResultFalse;
    (*list)[size_t(index)].active = state != 0;
    return vst3::kResultOk;
}

vst3::tresult VST3Client::setActive(vst3::TBool)
{
    return vst3::kResultOk;
}

} // namespace plugkit
