#pragma once
// IMidiMapping: which parameter a MIDI controller of a channel drives.

#include "plugkit/vst3/abi/funknown.h"

namespace plugkit::vst3
{

// Controller numbers beyond the 128 MIDI controllers.
constexpr CtrlNumber kCtrlAfterTouch = 128;
constexpr CtrlNumber kCtrlPitchBend = 129;

class IMidiMapping : public FUnknown
{
public:
    virtual tresult PLUGKIT_VST3_CALL getMidiControllerAssignment(int32 busIndex, int16 channel,
                                                                 CtrlNumber midiControllerNumber, ParamID& id) = 0;

    static constexpr InterfaceID iid = makeInterfaceID(0xDF0FF9F7, 0x49B74669, 0xB63AB732, 0x7ADBF5E5);

protected:
    ~IMidiMapping() = default;
};

} // namespace plugkit::vst3
