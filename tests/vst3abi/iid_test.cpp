// Interface IDs and result codes of our declarations against the published ones.

#include <gtest/gtest.h>

#include <cstring>

#include "vst3abi/published.h"

namespace
{

struct IIDCase
{
    const char* name;
    const ours::InterfaceID& ours;
    const sb::TUID& published;
};

const IIDCase kInterfaces[] = {
    {"FUnknown", ours::FUnknown::iid, sb::FUnknown_iid},
    {"IPluginBase", ours::IPluginBase::iid, sb::IPluginBase_iid},
    {"IPluginFactory", ours::IPluginFactory::iid, sb::IPluginFactory_iid},
    {"IPluginFactory2", ours::IPluginFactory2::iid, sb::IPluginFactory2_iid},
    {"IPluginFactory3", ours::IPluginFactory3::iid, sb::IPluginFactory3_iid},
    {"IBStream", ours::IBStream::iid, sb::IBStream_iid},
    {"IComponent", ours::IComponent::iid, sv::IComponent_iid},
    {"IAudioProcessor", ours::IAudioProcessor::iid, sv::IAudioProcessor_iid},
    {"IEditController", ours::IEditController::iid, sv::IEditController_iid},
    {"IEditController2", ours::IEditController2::iid, sv::IEditController2_iid},
    {"IComponentHandler", ours::IComponentHandler::iid, sv::IComponentHandler_iid},
    {"IParamValueQueue", ours::IParamValueQueue::iid, sv::IParamValueQueue_iid},
    {"IParameterChanges", ours::IParameterChanges::iid, sv::IParameterChanges_iid},
    {"IUnitInfo", ours::IUnitInfo::iid, sv::IUnitInfo_iid},
    {"IMidiMapping", ours::IMidiMapping::iid, sv::IMidiMapping_iid},
    {"IPlugView", ours::IPlugView::iid, sb::IPlugView_iid},
    {"IPlugFrame", ours::IPlugFrame::iid, sb::IPlugFrame_iid},
    {"IHostApplication", ours::IHostApplication::iid, sv::IHostApplication_iid},
    {"IEventList", ours::IEventList::iid, sv::IEventList_iid},
};

TEST(VST3InterfaceIDs, MatchThePublishedBytes)
{
    for (const IIDCase& c : kInterfaces)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(0, std::memcmp(c.ours.bytes, c.published, 16));
        EXPECT_TRUE(ours::sameID(c.published, c.ours));
    }
}

TEST(VST3InterfaceIDs, NoTwoInterfacesShareAnID)
{
    for (const IIDCase& a : kInterfaces)
        for (const IIDCase& b : kInterfaces)
        {
            if (&a != &b)
            {
                EXPECT_FALSE(ours::sameID(a.ours.bytes, b.ours)) << a.name << " vs " << b.name;
            }
        }
}

#if !defined(_WIN32)
// Outside Windows each 32-bit word is stored big-endian: IComponent is E831FF31 F2D54301 ...
TEST(VST3InterfaceIDs, WordsAreBigEndianOutsideWindows)
{
    const unsigned char expected[16] = {0xE8, 0x31, 0xFF, 0x31, 0xF2, 0xD5, 0x43, 0x01,
                                        0x92, 0x8E, 0xBB, 0xEE, 0x25, 0x69, 0x78, 0x02};
    EXPECT_EQ(0, std::memcmp(ours::IComponent::iid.bytes, expected, 16));
}
#endif

TEST(VST3InterfaceIDs, SameIDRefusesNull)
{
    EXPECT_FALSE(ours::sameID(nullptr, ours::FUnknown::iid));
}

TEST(VST3ResultCodes, MatchThePublishedValues)
{
    EXPECT_EQ(ours::kNoInterface, sb::kNoInterface);
    EXPECT_EQ(ours::kResultOk, sb::kResultOk);
    EXPECT_EQ(ours::kResultTrue, sb::kResultTrue);
    EXPECT_EQ(ours::kResultFalse, sb::kResultFalse);
    EXPECT_EQ(ours::kInvalidArgument, sb::kInvalidArgument);
    EXPECT_EQ(ours::kNotImplemented, sb::kNotImplemented);
    EXPECT_EQ(ours::kInternalError, sb::kInternalError);
    EXPECT_EQ(ours::kNotInitialized, sb::kNotInitialized);
    EXPECT_EQ(ours::kOutOfMemory, sb::kOutOfMemory);
#if !defined(_WIN32)
    EXPECT_EQ(-1, ours::kNoInterface);
    EXPECT_EQ(2, ours::kInvalidArgument);
    EXPECT_EQ(3, ours::kNotImplemented);
#endif
}

TEST(VST3Constants, MatchThePublishedValues)
{
    EXPECT_EQ(ours::kArrangementStereo, sv::SpeakerArr::kStereo);
    EXPECT_EQ(ours::kArrangementMono, sv::SpeakerArr::kMono);
    EXPECT_EQ(ours::kCtrlAfterTouch, sv::kAfterTouch);
    EXPECT_EQ(ours::kCtrlPitchBend, sv::kPitchBend);
    EXPECT_EQ(ours::ProcessContext::kPlaying, uint32_t(sv::ProcessContext::kPlaying));
    EXPECT_EQ(ours::ProcessContext::kTempoValid, uint32_t(sv::ProcessContext::kTempoValid));
    EXPECT_EQ(ours::ParameterInfo::kCanAutomate, int32_t(sv::ParameterInfo::kCanAutomate));
    EXPECT_EQ(ours::ParameterInfo::kIsList, int32_t(sv::ParameterInfo::kIsList));
    EXPECT_EQ(ours::ParameterInfo::kIsProgramChange, int32_t(sv::ParameterInfo::kIsProgramChange));
    EXPECT_EQ(ours::ParameterInfo::kIsBypass, int32_t(sv::ParameterInfo::kIsBypass));
    EXPECT_EQ(ours::kLatencyChanged, int32_t(sv::kLatencyChanged));
    EXPECT_EQ(ours::PFactoryInfo::kUnicode, int32_t(sb::PFactoryInfo::kUnicode));
    EXPECT_EQ(ours::PClassInfo::kManyInstances, int32_t(sb::PClassInfo::kManyInstances));
    EXPECT_EQ(ours::kSimpleModeSupported, uint32_t(sv::kSimpleModeSupported));
    EXPECT_STREQ(ours::kAudioEffectClass, kVstAudioEffectClass);
    EXPECT_EQ(ours::BusInfo::kDefaultActive, uint32_t(sv::BusInfo::kDefaultActive));
    EXPECT_EQ(ours::Event::kLegacyMIDICCOutEvent, uint16_t(sv::Event::kLegacyMIDICCOutEvent));
    EXPECT_EQ(ours::kInfiniteTail, sv::kInfiniteTail);
    EXPECT_EQ(ours::IBStream::kIBSeekEnd, int32_t(sb::IBStream::kIBSeekEnd));
}

} // namespace
