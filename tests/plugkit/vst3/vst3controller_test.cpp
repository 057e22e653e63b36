// VST3Client as edit controller: the host's parameter list, texts, conversions, units and
// program list, MIDI mapping.

#include <gtest/gtest.h>

#include <string>

#include "engine/main.h"
#include "plugkit/vst3/instance.h"
#include "plugkit/vst3/midiccparams.h"
#include "plugkit/vst3/recordingclient.h"

namespace
{

using namespace vst3test;
using vellox::VelloxClient;

std::string narrow(const v::char16* text)
{
    std::string s;
    for (; *text != 0; ++text)
        s.push_back(char(*text));
    return s;
}

std::string textOf(plugkit::VST3Client* vst, v::ParamID id, double value)
{
    v::String128 text;
    if (vst->getParamStringByValue(id, value, text) != v::kResultOk)
        return "<refused>";
    return narrow(text);
}

TEST(VST3Controller, TwentyFiveParametersBypassAndProgramFirst)
{
    Instance<VelloxClient> i;
    ASSERT_EQ(25, i.vst->getParameterCount());

    v::ParameterInfo info;
    ASSERT_EQ(v::kResultOk, i.vst->getParameterInfo(0, info));
    EXPECT_EQ(998u, info.id);
    EXPECT_EQ("Bypass", narrow(info.title));
    EXPECT_EQ("Byp", narrow(info.shortTitle));
    EXPECT_EQ("", narrow(info.units));
    EXPECT_EQ(1, info.stepCount);
    EXPECT_EQ(0.0, info.defaultNormalizedValue);
    EXPECT_EQ(0x10009, info.flags);
    EXPECT_EQ(0, info.unitId);

    ASSERT_EQ(v::kResultOk, i.vst->getParameterInfo(1, info));
    EXPECT_EQ(999u, info.id);
    EXPECT_EQ("Preset", narrow(info.title));
    EXPECT_EQ("Pre", narrow(info.shortTitle));
    EXPECT_EQ(0, info.stepCount);
    EXPECT_EQ(0x8000, info.flags);

    ASSERT_EQ(v::kResultOk, i.vst->getParameterInfo(2, info));
    EXPECT_EQ(0u, info.id);
    EXPECT_EQ("Presets", narrow(info.title));
    EXPECT_EQ("Presets", narrow(info.shortTitle));
    EXPECT_EQ(0, info.stepCount); // enumerations are presented as continuous
    EXPECT_EQ(0.0, info.defaultNormalizedValue);
    EXPECT_EQ(1, info.flags);

    ASSERT_EQ(v::kResultOk, i.vst->getParameterInfo(24, info));
    EXPECT_EQ(22u, info.id);
    EXPECT_EQ("Output gain", narrow(info.title));
    EXPECT_EQ("dB", narrow(info.units));
    EXPECT_DOUBLE_EQ(i.client->param(22)->getNormalizedDefault(), info.defaultNormalizedValue);

    EXPECT_EQ(v::kResultFalse, i.vst->getParameterInfo(25, info));
    EXPECT_EQ(v::kResultFalse, i.vst->getParameterInfo(-1, info));
}

TEST(VST3Controller, ValueTexts)
{
    Instance<VelloxClient> i;
    EXPECT_EQ("Yes", textOf(i.vst, 998, 0.5));
    EXPECT_EQ("No", textOf(i.vst, 998, 0.49));
    EXPECT_EQ("Default", textOf(i.vst, 999, 0.7));
    EXPECT_EQ("Default", textOf(i.vst, 999, -3.0));
    EXPECT_EQ("-inf", textOf(i.vst, 1, 0.0)); // no unit in the text
    EXPECT_EQ("WARM_x4", textOf(i.vst, 2, 2.0 / 3.0));
    EXPECT_EQ("<refused>", textOf(i.vst, 23, 0.0));
    EXPECT_EQ("<refused>", textOf(i.vst, plugkit::kMidiCCParamBase, 0.0)); // no MIDI input
}

TEST(VST3Controller, TextToValue)
{
    Instance<VelloxClient> i;
    std::u16string text = u"WARM_x4";
    v::ParamValue value = -1.0;
    EXPECT_EQ(v::kResultOk, i.vst->getParamValueByString(2, text.data(), value));
    EXPECT_DOUBLE_EQ(2.0 / 3.0, value);
    std::u16string lower = u"warm_x4";
    EXPECT_EQ(v::kResultFalse, i.vst->getParamValueByString(2, lower.data(), value));
    std::u16string number = u"50";
    EXPECT_EQ(v::kResultOk, i.vst->getParamValueByString(4, number.data(), value));
    EXPECT_DOUBLE_EQ(0.5, value);
    EXPECT_EQ(v::kResultFalse, i.vst->getParamValueByString(998, number.data(), value));
    EXPECT_EQ(v::kResultFalse, i.vst->getParamValueByString(999, number.data(), value));
    EXPECT_EQ(v::kResultFalse, i.vst->getParamValueByString(400, number.data(), value));
}

TEST(VST3Controller, PlainValuesAreTheNormalisedOnes)
{
    Instance<VelloxClient> i;
    EXPECT_EQ(0.25, i.vst->normalizedParamToPlain(4, 0.25));
    EXPECT_EQ(1.0, i.vst->normalizedParamToPlain(998, 0.5));
    EXPECT_EQ(0.0, i.vst->normalizedParamToPlain(998, 0.49));
    EXPECT_EQ(0.0, i.vst->normalizedParamToPlain(999, 1.0)); // one preset
    EXPECT_EQ(0.0, i.vst->normalizedParamToPlain(500, 0.7));
    EXPECT_EQ(0.3, i.vst->plainParamToNormalized(4, 0.3));
    EXPECT_EQ(1.0, i.vst->plainParamToNormalized(998, 1.0));
    EXPECT_EQ(0.0, i.vst->plainParamToNormalized(999, 0.0));
    EXPECT_EQ(0.0, i.vst->plainParamToNormalized(500, 0.7));
}

TEST(VST3Controller, SetAndGetNormalised)
{
    Instance<VelloxClient> i;
    EXPECT_EQ(v::kResultOk, i.vst->setParamNormalized(6, 0.75));
    EXPECT_DOUBLE_EQ(0.75, i.vst->getParamNormalized(6));
    EXPECT_EQ(v::kResultOk, i.vst->setParamNormalized(998, 0.6));
    EXPECT_EQ(1.0, i.vst->getParamNormalized(998));
    EXPECT_EQ(v::kResultOk, i.vst->setParamNormalized(998, 0.2));
    EXPECT_EQ(0.0, i.vst->getParamNormalized(998));
    EXPECT_EQ(v::kResultOk, i.vst->setParamNormalized(999, 0.9)); // the only preset: no change
    EXPECT_EQ(0.0, i.vst->getParamNormalized(999));
    EXPECT_DOUBLE_EQ(0.75, i.vst->getParamNormalized(6));
    EXPECT_EQ(v::kResultFalse, i.vst->setParamNormalized(23, 0.5));
    EXPECT_EQ(v::kResultFalse, i.vst->setParamNormalized(v::ParamID(-1), 0.5));
    EXPECT_EQ(0.0, i.vst->getParamNormalized(23));
}

TEST(VST3Controller, ProgramChangeOverSeveralPresets)
{
    RecordingOptions options;
    options.twoPresets = true;
    Instance<RecordingClient> i(u"Host", options);
    v::ParameterInfo info;
    i.vst->getParameterInfo(1, info);
    EXPECT_EQ(1, info.stepCount);
    EXPECT_EQ("Default", textOf(i.vst, 999, 0.49));
    EXPECT_EQ("Second", textOf(i.vst, 999, 0.5));
    EXPECT_EQ("Second", textOf(i.vst, 999, 1.0));
    EXPECT_EQ(1.0, i.vst->normalizedParamToPlain(999, 0.7));
    EXPECT_EQ(1.0, i.vst->plainParamToNormalized(999, 1.0));
    i.vst->setParamNormalized(999, 1.0);
    EXPECT_EQ(1.0, i.vst->getParamNormalized(999));
    EXPECT_NEAR(0.9, i.vst->getParamNormalized(0), 1e-6);
}

TEST(VST3Controller, OneRootUnitWithTheFactoryPresetList)
{
    Instance<VelloxClient> i;
    EXPECT_EQ(1, i.vst->getUnitCount());
    v::UnitInfo unit;
    ASSERT_EQ(v::kResultOk, i.vst->getUnitInfo(0, unit));
    EXPECT_EQ(0, unit.id);
    EXPECT_EQ(-1, unit.parentUnitId);
    EXPECT_EQ("Root Unit", narrow(unit.name));
    EXPECT_EQ(999, unit.programListId);
    EXPECT_EQ(v::kResultFalse, i.vst->getUnitInfo(1, unit));

    EXPECT_EQ(1, i.vst->getProgramListCount());
    v::ProgramListInfo list;
    ASSERT_EQ(v::kResultOk, i.vst->getProgramListInfo(0, list));
    EXPECT_EQ(999, list.id);
    EXPECT_EQ("Factory Presets", narrow(list.name));
    EXPECT_EQ(1, list.programCount);

    v::String128 name;
    ASSERT_EQ(v::kResultOk, i.vst->getProgramName(999, 0, name));
    EXPECT_EQ("Default", narrow(name));
    EXPECT_EQ(v::kResultFalse, i.vst->getProgramName(998, 0, name));
    EXPECT_EQ(v::kResultFalse, i.vst->getProgramName(999, 1, name));
    EXPECT_EQ(v::kResultFalse, i.vst->getProgramName(999, -1, name));

    EXPECT_EQ(v::kNotImplemented, i.vst->getProgramInfo(999, 0, "x", name));
    EXPECT_EQ(v::kNotImplemented, i.vst->setUnitProgramData(999, 0, nullptr));
    EXPECT_EQ(v::kResultFalse, i.vst->hasProgramPitchNames(999, 0));
    EXPECT_EQ(v::kResultFalse, i.vst->getProgramPitchName(999, 0, 60, name));
    EXPECT_EQ(0, i.vst->getSelectedUnit());
    EXPECT_EQ(v::kResultOk, i.vst->selectUnit(0));
    EXPECT_EQ(v::kResultFalse, i.vst->selectUnit(1));
    v::UnitID byBus = 7;
    EXPECT_EQ(v::kResultOk, i.vst->getUnitByBus(v::kAudio, v::kInput, 0, 0, byBus));
    EXPECT_EQ(0, byBus);
}

TEST(VST3Controller, MidiControllerAssignments)
{
    Instance<VelloxClient> i;
    v::ParamID id = 0;
    EXPECT_EQ(v::kResultOk, i.vst->getMidiControllerAssignment(0, 0, 7, id));
    EXPECT_EQ(0x6D636D07u, id);
    EXPECT_EQ(v::kResultOk, i.vst->getMidiControllerAssignment(3, 15, 129, id));
    EXPECT_EQ(0x6D636D00u + 15 * 130 + 129, id);
    EXPECT_EQ(v::kResultFalse, i.vst->getMidiControllerAssignment(0, 16, 7, id));
    EXPECT_EQ(v::kResultFalse, i.vst->getMidiControllerAssignment(0, 0, 130, id));
    EXPECT_EQ(v::kResultFalse, i.vst->getMidiControllerAssignment(0, -1, 7, id));
}

TEST(VST3Controller, EditController2)
{
    Instance<VelloxClient> i;
    EXPECT_EQ(v::kResultOk, i.vst->setKnobMode(v::kLinearMode));
    EXPECT_EQ(v::kResultFalse, i.vst->setKnobMode(v::kCircularMode));
    EXPECT_EQ(v::kResultFalse, i.vst->setKnobMode(1));
    EXPECT_EQ(v::kResultFalse, i.vst->openHelp(0));
    EXPECT_EQ(v::kResultFalse, i.vst->openAboutBox(1));
}

TEST(VST3Controller, KeepsOneReferenceToTheComponentHandler)
{
    ComponentHandler first, second;
    {
        Instance<VelloxClient> i;
        EXPECT_EQ(v::kResultOk, i.vst->setComponentHandler(&first));
        EXPECT_EQ(v::kResultOk, i.vst->setComponentHandler(&first));
        EXPECT_EQ(2, first.refs);
        EXPECT_EQ(v::kResultOk, i.vst->setComponentHandler(&second));
        EXPECT_EQ(1, first.refs);
        EXPECT_EQ(2, second.refs);
    }
    EXPECT_EQ(1, second.refs); // released with the instance
}

} // namespace
