#pragma once
// IPluginBase: initialisation with the host's context object, and termination.

#include "plugkit/vst3/abi/funknown.h"

namespace plugkit::vst3
{

class IPluginBase : public FUnknown
{
public:
    virtual tresult PLUGKIT_VST3_CALL initialize(FUnknown* context) = 0; // [main thread]
    virtual tresult PLUGKIT_VST3_CALL terminate() = 0;                   // [main thread]

    static constexpr InterfaceID iid = makeInterfaceID(0x22888DDB, 0x156E45AE, 0x8358B348, 0x08190625);

protected:
    ~IPluginBase() = default;
};

} // namespace plugkit::vst3
