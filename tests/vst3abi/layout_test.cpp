// Record sizes, alignments and field offsets of our declarations against the published ones.

#include <gtest/gtest.h>

#include <cstddef>

#include "vst3abi/published.h"

#define SAME_RECORD(Ours, Published)                                                            \
    static_assert(sizeof(Ours) == sizeof(Published), #Ours ": size differs");                   \
    static_assert(alignof(Ours) == alignof(Published), #Ours ": alignment differs")

#define SAME_FIELD(Ours, Published, field)                                                      \
    static_assert(offsetof(Ours, field) == offsetof(Published, field), #Ours "::" #field);      \
    static_assert(sizeof(Ours::field) == sizeof(Published::field), #Ours "::" #field " size")

// Factory records: sizes also as fixed numbers, which hosts of every platform rely on.
SAME_RECORD(ours::PFactoryInfo, sb::PFactoryInfo);
SAME_FIELD(ours::PFactoryInfo, sb::PFactoryInfo, vendor);
SAME_FIELD(ours::PFactoryInfo, sb::PFactoryInfo, url);
SAME_FIELD(ours::PFactoryInfo, sb::PFactoryInfo, email);
SAME_FIELD(ours::PFactoryInfo, sb::PFactoryInfo, flags);
static_assert(sizeof(ours::PFactoryInfo) == 452);

SAME_RECORD(ours::PClassInfo, sb::PClassInfo);
SAME_FIELD(ours::PClassInfo, sb::PClassInfo, cid);
SAME_FIELD(ours::PClassInfo, sb::PClassInfo, cardinality);
SAME_FIELD(ours::PClassInfo, sb::PClassInfo, category);
SAME_FIELD(ours::PClassInfo, sb::PClassInfo, name);
static_assert(sizeof(ours::PClassInfo) == 116);

SAME_RECORD(ours::PClassInfo2, sb::PClassInfo2);
SAME_FIELD(ours::PClassInfo2, sb::PClassInfo2, cid);
SAME_FIELD(ours::PClassInfo2, sb::PClassInfo2, cardinality);
SAME_FIELD(ours::PClassInfo2, sb::PClassInfo2, category);
SAME_FIELD(ours::PClassInfo2, sb::PClassInfo2, name);
SAME_FIELD(ours::PClassInfo2, sb::PClassInfo2, classFlags);
SAME_FIELD(ours::PClassInfo2, sb::PClassInfo2, subCategories);
SAME_FIELD(ours::PClassInfo2, sb::PClassInfo2, vendor);
SAME_FIELD(ours::PClassInfo2, sb::PClassInfo2, version);
SAME_FIELD(ours::PClassInfo2, sb::PClassInfo2, sdkVersion);
static_assert(sizeof(ours::PClassInfo2) == 440);

SAME_RECORD(ours::PClassInfoW, sb::PClassInfoW);
SAME_FIELD(ours::PClassInfoW, sb::PClassInfoW, cid);
SAME_FIELD(ours::PClassInfoW, sb::PClassInfoW, cardinality);
SAME_FIELD(ours::PClassInfoW, sb::PClassInfoW, category);
SAME_FIELD(ours::PClassInfoW, sb::PClassInfoW, name);
SAME_FIELD(ours::PClassInfoW, sb::PClassInfoW, classFlags);
SAME_FIELD(ours::PClassInfoW, sb::PClassInfoW, subCategories);
SAME_FIELD(ours::PClassInfoW, sb::PClassInfoW, vendor);
SAME_FIELD(ours::PClassInfoW, sb::PClassInfoW, version);
SAME_FIELD(ours::PClassInfoW, sb::PClassInfoW, sdkVersion);
static_assert(sizeof(ours::PClassInfoW) == 696);

SAME_RECORD(ours::BusInfo, sv::BusInfo);
SAME_FIELD(ours::BusInfo, sv::BusInfo, mediaType);
SAME_FIELD(ours::BusInfo, sv::BusInfo, direction);
SAME_FIELD(ours::BusInfo, sv::BusInfo, channelCount);
SAME_FIELD(ours::BusInfo, sv::BusInfo, name);
SAME_FIELD(ours::BusInfo, sv::BusInfo, busType);
SAME_FIELD(ours::BusInfo, sv::BusInfo, flags);

SAME_RECORD(ours::RoutingInfo, sv::RoutingInfo);
SAME_FIELD(ours::RoutingInfo, sv::RoutingInfo, mediaType);
SAME_FIELD(ours::RoutingInfo, sv::RoutingInfo, busIndex);
SAME_FIELD(ours::RoutingInfo, sv::RoutingInfo, channel);

SAME_RECORD(ours::ProcessSetup, sv::ProcessSetup);
SAME_FIELD(ours::ProcessSetup, sv::ProcessSetup, processMode);
SAME_FIELD(ours::ProcessSetup, sv::ProcessSetup, symbolicSampleSize);
SAME_FIELD(ours::ProcessSetup, sv::ProcessSetup, maxSamplesPerBlock);
SAME_FIELD(ours::ProcessSetup, sv::ProcessSetup, sampleRate);

SAME_RECORD(ours::AudioBusBuffers, sv::AudioBusBuffers);
SAME_FIELD(ours::AudioBusBuffers, sv::AudioBusBuffers, numChannels);
SAME_FIELD(ours::AudioBusBuffers, sv::AudioBusBuffers, silenceFlags);
SAME_FIELD(ours::AudioBusBuffers, sv::AudioBusBuffers, channelBuffers32);
SAME_FIELD(ours::AudioBusBuffers, sv::AudioBusBuffers, channelBuffers64);

SAME_RECORD(ours::ProcessData, sv::ProcessData);
SAME_FIELD(ours::ProcessData, sv::ProcessData, processMode);
SAME_FIELD(ours::ProcessData, sv::ProcessData, symbolicSampleSize);
SAME_FIELD(ours::ProcessData, sv::ProcessData, numSamples);
SAME_FIELD(ours::ProcessData, sv::ProcessData, numInputs);
SAME_FIELD(ours::ProcessData, sv::ProcessData, numOutputs);
SAME_FIELD(ours::ProcessData, sv::ProcessData, inputs);
SAME_FIELD(ours::ProcessData, sv::ProcessData, outputs);
SAME_FIELD(ours::ProcessData, sv::ProcessData, inputParameterChanges);
SAME_FIELD(ours::ProcessData, sv::ProcessData, outputParameterChanges);
SAME_FIELD(ours::ProcessData, sv::ProcessData, inputEvents);
SAME_FIELD(ours::ProcessData, sv::ProcessData, outputEvents);
SAME_FIELD(ours::ProcessData, sv::ProcessData, processContext);

SAME_RECORD(ours::ProcessContext, sv::ProcessContext);
SAME_FIELD(ours::ProcessContext, sv::ProcessContext, state);
SAME_FIELD(ours::ProcessContext, sv::ProcessContext, sampleRate);
SAME_FIELD(ours::ProcessContext, sv::ProcessContext, projectTimeSamples);
SAME_FIELD(ours::ProcessContext, sv::ProcessContext, systemTime);
SAME_FIELD(ours::ProcessContext, sv::ProcessContext, continousTimeSamples);
SAME_FIELD(ours::ProcessContext, sv::ProcessContext, projectTimeMusic);
SAME_FIELD(ours::ProcessContext, sv::ProcessContext, barPositionMusic);
SAME_FIELD(ours::ProcessContext, sv::ProcessContext, cycleStartMusic);
SAME_FIELD(ours::ProcessContext, sv::ProcessContext, cycleEndMusic);
SAME_FIELD(ours::ProcessContext, sv::ProcessContext, tempo);
SAME_FIELD(ours::ProcessContext, sv::ProcessContext, timeSigNumerator);
SAME_FIELD(ours::ProcessContext, sv::ProcessContext, timeSigDenominator);
SAME_FIELD(ours::ProcessContext, sv::ProcessContext, chord);
SAME_FIELD(ours::ProcessContext, sv::ProcessContext, smpteOffsetSubframes);
SAME_FIELD(ours::ProcessContext, sv::ProcessContext, frameRate);
SAME_FIELD(ours::ProcessContext, sv::ProcessContext, samplesToNextClock);

SAME_RECORD(ours::ParameterInfo, sv::ParameterInfo);
SAME_FIELD(ours::ParameterInfo, sv::ParameterInfo, id);
SAME_FIELD(ours::ParameterInfo, sv::ParameterInfo, title);
SAME_FIELD(ours::ParameterInfo, sv::ParameterInfo, shortTitle);
SAME_FIELD(ours::ParameterInfo, sv::ParameterInfo, units);
SAME_FIELD(ours::ParameterInfo, sv::ParameterInfo, stepCount);
SAME_FIELD(ours::ParameterInfo, sv::ParameterInfo, defaultNormalizedValue);
SAME_FIELD(ours::ParameterInfo, sv::ParameterInfo, unitId);
SAME_FIELD(ours::ParameterInfo, sv::ParameterInfo, flags);

SAME_RECORD(ours::UnitInfo, sv::UnitInfo);
SAME_FIELD(ours::UnitInfo, sv::UnitInfo, id);
SAME_FIELD(ours::UnitInfo, sv::UnitInfo, parentUnitId);
SAME_FIELD(ours::UnitInfo, sv::UnitInfo, name);
SAME_FIELD(ours::UnitInfo, sv::UnitInfo, programListId);

SAME_RECORD(ours::ProgramListInfo, sv::ProgramListInfo);
SAME_FIELD(ours::ProgramListInfo, sv::ProgramListInfo, id);
SAME_FIELD(ours::ProgramListInfo, sv::ProgramListInfo, name);
SAME_FIELD(ours::ProgramListInfo, sv::ProgramListInfo, programCount);

SAME_RECORD(ours::ViewRect, sb::ViewRect);
SAME_FIELD(ours::ViewRect, sb::ViewRect, left);
SAME_FIELD(ours::ViewRect, sb::ViewRect, top);
SAME_FIELD(ours::ViewRect, sb::ViewRect, right);
SAME_FIELD(ours::ViewRect, sb::ViewRect, bottom);

SAME_RECORD(ours::NoteOnEvent, sv::NoteOnEvent);
SAME_FIELD(ours::NoteOnEvent, sv::NoteOnEvent, channel);
SAME_FIELD(ours::NoteOnEvent, sv::NoteOnEvent, pitch);
SAME_FIELD(ours::NoteOnEvent, sv::NoteOnEvent, tuning);
SAME_FIELD(ours::NoteOnEvent, sv::NoteOnEvent, velocity);
SAME_FIELD(ours::NoteOnEvent, sv::NoteOnEvent, length);
SAME_FIELD(ours::NoteOnEvent, sv::NoteOnEvent, noteId);

SAME_RECORD(ours::NoteOffEvent, sv::NoteOffEvent);
SAME_FIELD(ours::NoteOffEvent, sv::NoteOffEvent, channel);
SAME_FIELD(ours::NoteOffEvent, sv::NoteOffEvent, pitch);
SAME_FIELD(ours::NoteOffEvent, sv::NoteOffEvent, velocity);
SAME_FIELD(ours::NoteOffEvent, sv::NoteOffEvent, noteId);
SAME_FIELD(ours::NoteOffEvent, sv::NoteOffEvent, tuning);

SAME_RECORD(ours::LegacyMIDICCOutEvent, sv::LegacyMIDICCOutEvent);
SAME_FIELD(ours::LegacyMIDICCOutEvent, sv::LegacyMIDICCOutEvent, controlNumber);
SAME_FIELD(ours::LegacyMIDICCOutEvent, sv::LegacyMIDICCOutEvent, channel);
SAME_FIELD(ours::LegacyMIDICCOutEvent, sv::LegacyMIDICCOutEvent, value);
SAME_FIELD(ours::LegacyMIDICCOutEvent, sv::LegacyMIDICCOutEvent, value2);

SAME_RECORD(ours::Event, sv::Event);
SAME_FIELD(ours::Event, sv::Event, busIndex);
SAME_FIELD(ours::Event, sv::Event, sampleOffset);
SAME_FIELD(ours::Event, sv::Event, ppqPosition);
SAME_FIELD(ours::Event, sv::Event, flags);
SAME_FIELD(ours::Event, sv::Event, type);
SAME_FIELD(ours::Event, sv::Event, noteOn);
SAME_FIELD(ours::Event, sv::Event, noteOff);
SAME_FIELD(ours::Event, sv::Event, midiCCOut);

// Scalar types that travel by value or through pointers.
static_assert(sizeof(ours::TUID) == sizeof(sb::TUID));
static_assert(sizeof(ours::String128) == sizeof(sv::String128));
static_assert(sizeof(ours::TChar) == sizeof(sv::TChar));
static_assert(sizeof(ours::TBool) == sizeof(sb::TBool));
static_assert(sizeof(ours::ParamID) == sizeof(sv::ParamID));
static_assert(sizeof(ours::SpeakerArrangement) == sizeof(sv::SpeakerArrangement));
static_assert(sizeof(ours::CtrlNumber) == sizeof(sv::CtrlNumber));

// Interfaces hold nothing but the table pointer.
static_assert(sizeof(ours::FUnknown) == sizeof(sb::FUnknown));
static_assert(sizeof(ours::IComponent) == sizeof(sv::IComponent));

// The checks above are static. At run time: records a host fills with the published types
// read back through ours, field by field.
TEST(VST3Layout, HostFilledRecordsReadBackThroughOurs)
{
    sv::ParameterInfo published{};
    published.id = 998;
    published.title[0] = u'B';
    published.stepCount = 1;
    published.defaultNormalizedValue = 0.25;
    published.unitId = -1;
    published.flags = sv::ParameterInfo::kIsBypass;
    const auto* ours = reinterpret_cast<const ours::ParameterInfo*>(&published);
    EXPECT_EQ(998u, ours->id);
    EXPECT_EQ(u'B', ours->title[0]);
    EXPECT_EQ(1, ours->stepCount);
    EXPECT_EQ(0.25, ours->defaultNormalizedValue);
    EXPECT_EQ(-1, ours->unitId);
    EXPECT_EQ(ours::ParameterInfo::kIsBypass, ours->flags);

    sv::Event event{};
    event.sampleOffset = 17;
    event.type = sv::Event::kNoteOnEvent;
    event.noteOn.channel = 3;
    event.noteOn.pitch = 60;
    event.noteOn.velocity = 0.5f;
    const auto* ourEvent = reinterpret_cast<const ours::Event*>(&event);
    EXPECT_EQ(17, ourEvent->sampleOffset);
    EXPECT_EQ(ours::Event::kNoteOnEvent, ourEvent->type);
    EXPECT_EQ(3, ourEvent->noteOn.channel);
    EXPECT_EQ(60, ourEvent->noteOn.pitch);
    EXPECT_EQ(0.5f, ourEvent->noteOn.velocity);
}
