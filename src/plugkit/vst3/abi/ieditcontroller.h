#pragma once
// The edit controller: parameters as the host sees them, the host's component handler that
// receives edits, and the optional IEditController2 extension.

#include "plugkit/vst3/abi/ipluginbase.h"

namespace plugkit::vst3
{

class IBStream;
class IPlugView;

struct ParameterInfo
{
    // Bits of `flags`.
    static constexpr int32 kCanAutomate = 1 << 0;
    static constexpr int32 kIsReadOnly = 1 << 1;
    static constexpr int32 kIsWrapAround = 1 << 2;
    static constexpr int32 kIsList = 1 << 3;
    static constexpr int32 kIsHidden = 1 << 4;
    static constexpr int32 kIsProgramChange = 1 << 15;
    static constexpr int32 kIsBypass = 1 << 16;

    ParamID id;
    String128 title;
    String128 shortTitle;
    String128 units;
    int32 stepCount; // 0: continuous
    ParamValue defaultNormalizedValue;
    UnitID unitId;
    int32 flags;
};

// Name of the one view type a controller creates.
constexpr const char* kViewTypeEditor = "editor";

// Flags of IComponentHandler::restartComponent.
constexpr int32 kReloadComponent = 1 << 0;
constexpr int32 kIoChanged = 1 << 1;
constexpr int32 kParamValuesChanged = 1 << 2;
constexpr int32 kLatencyChanged = 1 << 3;
constexpr int32 kParamTitlesChanged = 1 << 4;

// Implemented by the host: receives the plug-in's own parameter edits.
class IComponentHandler : public FUnknown
{
public:
    virtual tresult PLUGKIT_VST3_CALL beginEdit(ParamID id) = 0;
    virtual tresult PLUGKIT_VST3_CALL performEdit(ParamID id, ParamValue valueNormalized) = 0;
    virtual tresult PLUGKIT_VST3_CALL endEdit(ParamID id) = 0;
    virtual tresult PLUGKIT_VST3_CALL restartComponent(int32 flags) = 0;

    static constexpr InterfaceID iid = makeInterfaceID(0x93A0BEA3, 0x0BD045DB, 0x8E890B0C, 0xC1E46AC6);

protected:
    ~IComponentHandler() = default;
};

class IEditController : public IPluginBase
{
public:
    virtual tresult PLUGKIT_VST3_CALL setComponentState(IBStream* state) = 0;
    virtual tresult PLUGKIT_VST3_CALL setState(IBStream* state) = 0;
    virtual tresult PLUGKIT_VST3_CALL getState(IBStream* state) = 0;
    virtual int32 PLUGKIT_VST3_CALL getParameterCount() = 0;
    virtual tresult PLUGKIT_VST3_CALL getParameterInfo(int32 paramIndex, ParameterInfo& info) = 0;
    virtual tresult PLUGKIT_VST3_CALL getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                                           String128 string) = 0;
    virtual tresult PLUGKIT_VST3_CALL getParamValueByString(ParamID id, TChar* string,
                                                           ParamValue& valueNormalized) = 0;
    virtual ParamValue PLUGKIT_VST3_CALL normalizedParamToPlain(ParamID id, ParamValue valueNormalized) = 0;
    virtual ParamValue PLUGKIT_VST3_CALL plainParamToNormalized(ParamID id, ParamValue plainValue) = 0;
    virtual ParamValue PLUGKIT_VST3_CALL getParamNormalized(ParamID id) = 0;
    virtual tresult PLUGKIT_VST3_CALL setParamNormalized(ParamID id, ParamValue value) = 0;
    virtual tresult PLUGKIT_VST3_CALL setComponentHandler(IComponentHandler* handler) = 0;
    virtual IPlugView* PLUGKIT_VST3_CALL createView(FIDString name) = 0;

    static constexpr InterfaceID iid = makeInterfaceID(0xDCD7BBE3, 0x7742448D, 0xA874AACC, 0x979C759E);

protected:
    ~IEditController() = default;
};

enum KnobModes : int32
{
    kCircularMode = 0,
    kRelativCircularMode = 1,
    kLinearMode = 2
};

class IEditController2 : public FUnknown
{
public:
    virtual tresult PLUGKIT_VST3_CALL setKnobMode(KnobMode mode) = 0;
    virtual tresult PLUGKIT_VST3_CALL openHelp(TBool onlyCheck) = 0;
    virtual tresult PLUGKIT_VST3_CALL openAboutBox(TBool onlyCheck) = 0;

    static constexpr InterfaceID iid = makeInterfaceID(0x7F4EFE59, 0xF3204967, 0xAC27A3AE, 0xAFB63038);

protected:
    ~IEditController2() = default;
};

} // namespace plugkit::vst3
