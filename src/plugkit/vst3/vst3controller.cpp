// VST3Client as edit controller, unit information and MIDI mapping. [main thread]
//
// Host parameter list: position 0 is bypass (ID 998), 1 program change (ID 999), then the
// client's parameters (ID = index), then, for plug-ins that receive MIDI, one parameter per
// MIDI controller of each channel.

#include <cstdio>
#include <cstring>

#include "plugkit/client/client.h"
#include "plugkit/client/parameter.h"
#include "plugkit/client/preset.h"
#include "plugkit/client/presetbank.h"
#include "plugkit/core/memory.h"
#include "plugkit/core/numberparse.h"
#include "plugkit/vst3/midiccparams.h"
#include "plugkit/vst3/plugkitview.h"
#include "plugkit/vst3/text16.h"
#include "plugkit/vst3/vst3client.h"

namespace plugkit
{

namespace
{

bool isClientParam(vst3::ParamID id, int numParams)
{
    return id < vst3::ParamID(numParams);
}

} // namespace

vst3::int32 VST3Client::getParameterCount()
{
    return numParams_ + 2 + (midiCCValues_ != nullptr ? kMidiCCParamCount : 0);
}

vst3::tresult VST3Client::getParameterInfo(vst3::int32 paramIndex, vst3::ParameterInfo& info)
{
    if (paramIndex < 0 || paramIndex >= getParameterCount())
        return vst3::kResultFalse;
    std::memset(&info, 0, sizeof(info));
    info.unitId = vst3::kRootUnitId;
    if (paramIndex == 0)
    {
        info.id = kBypassParamID;
        widenText(info.title, "Bypass", 128);
        widenText(info.shortTitle, "Byp", 128);
        info.stepCount = 1;
        info.defaultNormalizedValue = 0.0;
        info.flags = vst3::ParameterInfo::kCanAutomate | vst3::ParameterInfo::kIsList | vst3::ParameterInfo::kIsBypass;
    }
    else if (paramIndex == 1)
    {
        info.id = kProgramChangeParamID;
        widenText(info.title, "Preset", 128);
        widenText(info.shortTitle, "Pre", 128);
        info.stepCount = programSteps_;
        info.defaultNormalizedValue = 0.0;
        info.flags = vst3::ParameterInfo::kIsProgramChange;
    }
    else if (paramIndex < numParams_ + 2)
    {
        Parameter* p = client_->param(paramIndex - 2);
        info.id = vst3::ParamID(paramIndex - 2);
        widenText(info.title, p->name(), 128);
        widenText(info.shortTitle, p->name(), 128);
        widenText(info.units, p->label(), 128);
        info.stepCount = 0; // every client parameter is presented as continuous
        info.defaultNormalizedValue = p->getNormalizedDefault();
        info.flags = p->isAutomatable() ? vst3::ParameterInfo::kCanAutomate : 0;
    }
    else
    {
        const int k = paramIndex - numParams_ - 2;
        info.id = kMidiCCParamBase + vst3::ParamID(k);
        char title[128];
        std::snprintf(title, sizeof(title), "MIDI CC %d|%d", k / kMidiCCPerChannel, k % kMidiCCPerChannel);
        widenText(info.title, title, 128);
    }
    return vst3::kResultOk;
}

vst3::tresult VST3Client::getParamStringByValue(vst3::ParamID id, vst3::ParamValue valueNormalized,
                                                vst3::String128 string)
{
    if (string == nullptr)
        return vst3::kResultFalse;
    char text[128];
    if (midiCCValues_ != nullptr && isMidiCCParamID(id))
        std::snprintf(text, sizeof(text), "%2.4f", valueNormalized);
    else if (id == kProgramChangeParamID)
    {
        const char* name = "None";
        if (programStepsAreValid())
            name = client_->presetBank()->preset(presetIndexFromNormalized(valueNormalized))->name();
        std::snprintf(text, sizeof(text), "%s", name);
    }
    else if (id == kBypassParamID)
        std::snprintf(text, sizeof(text), "%s", valueNormalized < 0.5 ? "No" : "Yes");
    else if (isClientParam(id, numParams_))
        client_->param(int(id))->stringFromNormalizedValue(valueNormalized, text, sizeof(text));
    else
        return vst3::kResultFalse;
    widenText(string, text, 128);
    return vst3::kResultOk;
}

vst3::tresult VST3Client::getParamValueByString(vst3::ParamID id, vst3::TChar* string,
                                                vst3::ParamValue& valueNormalized)
{
    if (id == kBypassParamID || id == kProgramChangeParamID)
        return vst3::kResultFalse;
    char text[129];
    narrowTextLowByte(text, sizeof(text), string, 128);
    if (midiCCValues_ != nullptr && isMidiCCParamID(id))
    {
        const char* end = nullptr;
        bool error = false;
        valueNormalized = stb__clex_parse_number_literal(text, &end, &error, true);
        return vst3::kResultOk;
    }
    if (!isClientParam(id, numParams_))
        return vst3::kResultFalse;
    double value = 0.0;
    if (!client_->param(int(id))->normalizedValueFromString(text, &value))
        return vst3::kResultFalse;
    valueNormalized = value;
    return vst3::kResultOk;
}

vst3::ParamValue VST3Client::normalizedParamToPlain(vst3::ParamID id, vst3::ParamValue valueNormalized)
{
    if (id == kProgramChangeParamID)
        return double(presetIndexFromNormalized(valueNormalized));
    if (id == kBypassParamID)
        return valueNormalized * 2.0 >= 1.0 ? 1.0 : 0.0; // trunc(2v) > 0
    if (isClientParam(id, numParams_) || (midiCCValues_ != nullptr && isMidiCCParamID(id)))
        return valueNormalized; // the host's plain value is the normalised one
    return 0.0;
}

vst3::ParamValue VST3Client::plainParamToNormalized(vst3::ParamID id, vst3::ParamValue plainValue)
{
    if (id == kProgramChangeParamID)
        return programSteps_ == 0 ? 0.0 : plainValue / double(programSteps_);
    if (id == kBypassParamID || isClientParam(id, numParams_) || (midiCCValues_ != nullptr && isMidiCCParamID(id)))
        return plainValue;
    return 0.0;
}

vst3::ParamValue VST3Client::getParamNormalized(vst3::ParamID id)
{
    if (midiCCValues_ != nullptr && isMidiCCParamID(id))
        return midiCCValues_[id - kMidiCCParamBase];
    if (id == kProgramChangeParamID)
        return programSteps_ == 0 ? 0.0
                                  : double(client_->presetBank()->currentPresetIndex()) / double(programSteps_);
    if (id == kBypassParamID)
        return bypass_.load() ? 1.0 : 0.0;
    if (isClientParam(id, numParams_))
        return client_->param(int(id))->getForHost();
    return 0.0;
}

vst3::tresult VST3Client::setParamNormalized(vst3::ParamID id, vst3::ParamValue value)
{
    if (midiCCValues_ != nullptr && isMidiCCParamID(id))
        midiCCValues_[id - kMidiCCParamBase] = value;
    else if (id == kProgramChangeParamID)
    {
        if (programStepsAreValid())
            client_->presetBank()->loadPresetFromHost(presetIndexFromNormalized(value));
    }
    else if (id == kBypassParamID)
        bypass_.store(value >= 0.5);
    else if (isClientParam(id, numParams_))
        client_->param(int(id))->setFromHost(value);
    else
        return vst3::kResultFalse;
    return vst3::kResultOk;
}

vst3::tresult VST3Client::setComponentHandler(vst3::IComponentHandler* handler)
{
    if (handler == componentHandler_)
        return vst3::kResultOk;
    if (componentHandler_ != nullptr)
        componentHandler_->release();
    componentHandler_ = handler;
    if (componentHandler_ != nullptr)
        componentHandler_->addRef();
    return vst3::kResultOk;
}

vst3::IPlugView* VST3Client::createView(vst3::FIDString name)
{
    if (!client_->pluginInfo().hasGUI || name == nullptr || std::strcmp(name, vst3::kViewTypeEditor) != 0)
        return nullptr;
    return mallocNew<PlugkitView>(this);
}

vst3::tresult VST3Client::setKnobMode(vst3::KnobMode mode)
{
    return mode == vst3::kLinearMode ? vst3::kResultOk : vst3::kResultFalse;
}

vst3::tresult VST3Client::openHelp(vst3::TBool)
{
    return vst3::kResultFalse;
}

vst3::tresult VST3Client::openAboutBox(vst3::TBool)
{
    return vst3::kResultFalse;
}

vst3::int32 VST3Client::getUnitCount()
{
    return 1;
}

vst3::tresult VST3Client::getUnitInfo(vst3::int32 unitIndex, vst3::UnitInfo& info)
{
    if (unitIndex != 0)
        return vst3::kResultFalse;
    std::memset(&info, 0, sizeof(info));
    info.id = vst3::kRootUnitId;
    info.parentUnitId = vst3::kNoParentUnitId;
    widenText(info.name, "Root Unit", 128);
    info.programListId = kFactoryProgramListID;
    return vst3::kResultOk;
}

vst3::int32 VST3Client::getProgramListCount()
{
    return 1;
}

vst3::tresult VST3Client::getProgramListInfo(vst3::int32, vst3::ProgramListInfo& info)
{
    std::memset(&info, 0, sizeof(info));
    info.id = kFactoryProgramListID;
    widenText(info.name, "Factory Presets", 128);
    info.programCount = client_->presetBank()->numPresets();
    return vst3::kResultOk;
}

vst3::tresult VST3Client::getProgramName(vst3::ProgramListID listId, vst3::int32 programIndex,
                                         vst3::String128 name)
{
    if (listId != kFactoryProgramListID || programIndex < 0 ||
        programIndex >= client_->presetBank()->numPresets() || name == nullptr)
        return vst3::kResultFalse;
    widenText(name, client_->presetBank()->preset(programIndex)->name(), 128);
    return vst3::kResultOk;
}

vst3::tresult VST3Client::getProgramInfo(vst3::ProgramListID, vst3::int32, vst3::CString, vst3::String128)
{
    return vst3::kNotImplemented;
}

vst3::tresult VST3Client::hasProgramPitchNames(vst3::ProgramListID, vst3::int32)
{
    return vst3::kResultFalse;
}

vst3::tresult VST3Client::getProgramPitchName(vst3::ProgramListID, vst3::int32, vst3::int16, vst3::String128)
{
    return vst3::kResultFalse;
}

vst3::UnitID VST3Client::getSelectedUnit()
{
    return vst3::kRootUnitId;
}

vst3::tresult VST3Client::selectUnit(vst3::UnitID unitId)
{
    return unitId == vst3::kRootUnitId ? vst3::kResultOk : vst3::kResultFalse;
}

vst3::tresult VST3Client::getUnitByBus(vst3::MediaType, vst3::BusDirection, vst3::int32, vst3::int32,
                                       vst3::UnitID& unitId)
{
    unitId = vst3::kRootUnitId;
    return vst3::kResultOk;
}

vst3::tresult VST3Client::setUnitProgramData(vst3::int32, vst3::int32, vst3::IBStream*)
{
    return vst3::kNotImplemented;
}

vst3::tresult VST3Client::getMidiControllerAssignment(vst3::int32, vst3::int16 channel,
                                                      vst3::CtrlNumber midiControllerNumber, vst3::ParamID& id)
{
    if (midiControllerNumber < 0 || midiControllerNumber > vst3::kCtrlPitchBend || channel < 0 ||
        channel >= kMidiCCChannels)
        return vst3::kResultFalse;
    id = kMidiCCParamBase + vst3::ParamID(channel * kMidiCCPerChannel + midiControllerNumber);
    return vst3::kResultOk;
}

} // namespace plugkit
