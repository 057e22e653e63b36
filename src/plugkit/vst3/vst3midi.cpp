// VST3Client's MIDI paths (only for plug-ins that receive or send MIDI): host events and MIDI
// controller parameters become MidiMessages for the client; the client's output messages
// become host events.

#include <cstring>

#include "plugkit/client/client.h"
#include "plugkit/client/midi.h"
#include "plugkit/vst3/midiccparams.h"
#include "plugkit/vst3/vst3client.h"

namespace plugkit
{

namespace
{

uint8_t clampData(int value, int maximum)
{
    return uint8_t(value < 0 ? 0 : value > maximum ? maximum : value);
}

MidiMessage makeMessage(int offset, int status, int data1, int data2)
{
    MidiMessage m;
    m.offset = offset;
    m.status = uint8_t(status);
    m.data1 = uint8_t(data1);
    m.data2 = uint8_t(data2);
    return m;
}

} // namespace

void VST3Client::readMidiEvents(vst3::IEventList* events)
{
    const vst3::int32 count = events->getEventCount();
    for (vst3::int32 i = 0; i < count; ++i)
    {
        vst3::Event e;
        std::memset(&e, 0, sizeof(e));
        if (events->getEvent(i, e) != vst3::kResultOk)
            continue;
        switch (e.type)
        {
        case vst3::Event::kNoteOnEvent:
            client_->enqueueMIDIFromHost(makeMessage(e.sampleOffset, 0x90 | (e.noteOn.channel & 0x0F),
                                                     e.noteOn.pitch & 0x7F,
                                                     int(e.noteOn.velocity * 127.0f + 0.5f) & 0x7F));
            break;
        case vst3::Event::kNoteOffEvent:
            client_->enqueueMIDIFromHost(
                makeMessage(e.sampleOffset, 0x80 | (e.noteOff.channel & 0x0F), e.noteOff.pitch & 0x7F, 0));
            break;
        case vst3::Event::kLegacyMIDICCOutEvent:
            if (e.midiCCOut.controlNumber < 128)
                client_->enqueueMIDIFromHost(makeMessage(e.sampleOffset, 0xB0 | (e.midiCCOut.channel & 0x0F),
                                                         e.midiCCOut.controlNumber, e.midiCCOut.value & 0x7F));
            else if (e.midiCCOut.controlNumber == vst3::kCtrlPitchBend)
                client_->enqueueMIDIFromHost(makeMessage(e.sampleOffset, 0xE0 | (e.midiCCOut.channel & 0x0F),
                                                         e.midiCCOut.value & 0x7F, e.midiCCOut.value2 & 0x7F));
            break;
        default:
            break;
        }
    }
}

void VST3Client::midiCCPointsToMessages(vst3::ParamID id, vst3::IParamValueQueue* queue)
{
    const int index = int(id - kMidiCCParamBase);
    const int channel = index / kMidiCCPerChannel;
    const int controller = index % kMidiCCPerChannel;
    const vst3::int32 points = queue->getPointCount();
    for (vst3::int32 i = 0; i < points; ++i)
    {
        vst3::int32 offset = 0;
        vst3::ParamValue v = 0.0;
        if (queue->getPoint(i, offset, v) != vst3::kResultOk)
            continue;
        midiCCValues_[index] = v;
        if (controller == vst3::kCtrlPitchBend)
        {
            const double scaled = v * 16384.0;
            const int m = scaled >= 16383.0 ? 16383 : scaled > 0.0 ? int(scaled) : 0;
            client_->enqueueMIDIFromHost(makeMessage(offset, 0xE0 | channel, m & 0x7F, m >> 7));
        }
        else
        {
            const double scaled = v * 128.0;
            const uint8_t value = clampData(scaled >= 127.0 ? 127 : scaled > 0.0 ? int(scaled) : 0, 127);
            if (controller == vst3::kCtrlAfterTouch)
                client_->enqueueMIDIFromHost(makeMessage(offset, 0xD0 | channel, value, 0));
            else
                client_->enqueueMIDIFromHost(makeMessage(offset, 0xB0 | channel, controller, value));
        }
    }
}

void VST3Client::writeMidiEvents(vst3::IEventList* events)
{
    if (events == nullptr)
        return;
    for (const MidiMessage& m : client_->midiOut())
    {
        vst3::Event e;
        std::memset(&e, 0, sizeof(e));
        e.sampleOffset = m.offset;
        switch (m.kind())
        {
        case 0x9:
            e.type = vst3::Event::kNoteOnEvent;
            e.noteOn.channel = vst3::int16(m.channel());
            e.noteOn.pitch = m.data1;
            e.noteOn.velocity = float(m.data2) / 127.0f;
            e.noteOn.noteId = -1;
            break;
        case 0x8:
            e.type = vst3::Event::kNoteOffEvent;
            e.noteOff.channel = vst3::int16(m.channel());
            e.noteOff.pitch = m.data1;
            e.noteOff.velocity = float(m.data2) / 127.0f;
            e.noteOff.noteId = -1;
            break;
        case 0xB:
        case 0xD:
        case 0xE:
            e.type = vst3::Event::kLegacyMIDICCOutEvent;
            e.midiCCOut.channel = vst3::int8(m.channel());
            e.midiCCOut.controlNumber = m.kind() == 0xB ? m.data1
                                        : m.kind() == 0xD ? uint8_t(vst3::kCtrlAfterTouch)
                                                          : uint8_t(vst3::kCtrlPitchBend);
            e.midiCCOut.value = vst3::int8(m.kind() == 0xB ? m.data2 : m.data1);
            e.midiCCOut.value2 = vst3::int8(m.kind() == 0xE ? m.data2 : 0);
            break;
        default:
            continue;
        }
        events->addEvent(e);
    }
}

} // namespace plugkit
