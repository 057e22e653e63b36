#pragma once
// Events that come with a process call on an event bus (notes, legacy MIDI controllers).
// Only the event kinds the framework reads are spelled out; the union keeps the full size.

#include "plugkit/vst3/abi/funknown.h"

namespace plugkit::vst3
{

struct NoteOnEvent
{
    int16 channel;
    int16 pitch;
    float tuning;
    float velocity; // 0 .. 1
    int32 length;
    int32 noteId;
};

struct NoteOffEvent
{
    int16 channel;
    int16 pitch;
    float velocity;
    int32 noteId;
    float tuning;
};

struct LegacyMIDICCOutEvent
{
    uint8 controlNumber; // 0 .. 127, or kCtrlAfterTouch / kCtrlPitchBend
    int8 channel;
    int8 value;
    int8 value2; // second data byte of pitch bend
};

struct Event
{
    enum Types : uint16
    {
        kNoteOnEvent = 0,
        kNoteOffEvent = 1,
        kDataEvent = 2,
        kPolyPressureEvent = 3,
        kNoteExpressionValueEvent = 4,
        kNoteExpressionTextEvent = 5,
        kChordEvent = 6,
        kScaleEvent = 7,
        kLegacyMIDICCOutEvent = 65535
    };

    int32 busIndex;
    int32 sampleOffset; // frames from the start of the process call
    TQuarterNotes ppqPosition;
    uint16 flags;
    uint16 type;
    union
    {
        NoteOnEvent noteOn;
        NoteOffEvent noteOff;
        LegacyMIDICCOutEvent midiCCOut;
        uint64 otherKinds[3]; // the largest kinds: three 8-byte words
    };
};

class IEventList : public FUnknown
{
public:
    virtual int32 PLUGKIT_VST3_CALL getEventCount() = 0;
    virtual tresult PLUGKIT_VST3_CALL getEvent(int32 index, Event& e) = 0;
    virtual tresult PLUGKIT_VST3_CALL addEvent(Event& e) = 0;

    static constexpr InterfaceID iid = makeInterfaceID(0x3A2C4214, 0x346349FE, 0xB2C4F397, 0xB9695A44);

protected:
    ~IEventList() = default;
};

} // namespace plugkit::vst3
