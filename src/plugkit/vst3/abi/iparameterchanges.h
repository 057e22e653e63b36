#pragma once
// Parameter changes that come with a process call: one queue of (sample offset, normalised
// value) points per changed parameter. Implemented by the host.

#include "plugkit/vst3/abi/funknown.h"

namespace plugkit::vst3
{

class IParamValueQueue : public FUnknown
{
public:
    virtual ParamID PLUGKIT_VST3_CALL getParameterId() = 0;
    virtual int32 PLUGKIT_VST3_CALL getPointCount() = 0;
    virtual tresult PLUGKIT_VST3_CALL getPoint(int32 index, int32& sampleOffset, ParamValue& value) = 0;
    virtual tresult PLUGKIT_VST3_CALL addPoint(int32 sampleOffset, ParamValue value, int32& index) = 0;

    static constexpr InterfaceID iid = makeInterfaceID(0x01263A18, 0xED074F6F, 0x98C9D356, 0x4686F9BA);

protected:
    ~IParamValueQueue() = default;
};

class IParameterChanges : public FUnknown
{
public:
    virtual int32 PLUGKIT_VST3_CALL getParameterCount() = 0;
    virtual IParamValueQueue* PLUGKIT_VST3_CALL getParameterData(int32 index) = 0;
    virtual IParamValueQueue* PLUGKIT_VST3_CALL addParameterData(const ParamID& id, int32& index) = 0;

    static constexpr InterfaceID iid = makeInterfaceID(0xA4779663, 0x0BB64A56, 0xB44384A8, 0x466FEB9D);

protected:
    ~IParameterChanges() = default;
};

} // namespace plugkit::vst3
