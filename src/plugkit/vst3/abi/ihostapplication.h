#pragma once
// IHostApplication: passed (or reachable by query) as the context of initialize().

#include "plugkit/vst3/abi/funknown.h"

namespace plugkit::vst3
{

class IHostApplication : public FUnknown
{
public:
    virtual tresult PLUGKIT_VST3_CALL getName(String128 name) = 0;
    virtual tresult PLUGKIT_VST3_CALL createInstance(TUID cid, TUID iid, void** obj) = 0;

    static constexpr InterfaceID iid = makeInterfaceID(0x58E595CC, 0xDB2D4969, 0x8B6AAF8C, 0x36A664E5);

protected:
    ~IHostApplication() = default;
};

} // namespace plugkit::vst3
