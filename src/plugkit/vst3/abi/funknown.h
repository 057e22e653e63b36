#pragma once
// FUnknown: the root of every VST3 interface (query, reference counting). Interfaces have no
// virtual destructor: the binary interface has no destructor slots, objects die in release().

#include "plugkit/vst3/abi/iid.h"
#include "plugkit/vst3/abi/results.h"
#include "plugkit/vst3/abi/types.h"

namespace plugkit::vst3
{

class FUnknown
{
public:
    // On success stores the interface in *obj with one added reference; else kNoInterface.
    virtual tresult PLUGKIT_VST3_CALL queryInterface(const TUID iid, void** obj) = 0;
    virtual uint32 PLUGKIT_VST3_CALL addRef() = 0;  // returns the new count
    virtual uint32 PLUGKIT_VST3_CALL release() = 0; // returns the new count; 0 destroys

    static constexpr InterfaceID iid = makeInterfaceID(0x00000000, 0x00000000, 0xC0000000, 0x00000046);

protected:
    ~FUnknown() = default;
};

} // namespace plugkit::vst3
