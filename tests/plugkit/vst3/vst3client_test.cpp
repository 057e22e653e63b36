// VST3Client as component: interfaces, host identification, buses, arrangements.

#include <gtest/gtest.h>

#include "engine/main.h"
#include "plugkit/vst3/abi/icomponent.h"
#include "plugkit/vst3/abi/imidimapping.h"
#include "plugkit/vst3/abi/iunitinfo.h"
#include "plugkit/vst3/instance.h"
#include "plugkit/vst3/recordingclient.h"

namespace
{

using namespace vst3test;
using vellox::VelloxClient;

TEST(VST3Client, AnswersEveryInterfaceOfTheObjectWithAReference)
{
    Instance<VelloxClient> i;
    const v::InterfaceID* ids[] = {&v::FUnknown::iid, &v::IPluginBase::iid, &v::IComponent::iid,
                                   &v::IAudioProcessor::iid, &v::IEditController::iid,
                                   &v::IEditController2::iid, &v::IUnitInfo::iid, &v::IMidiMapping::iid};
    for (const v::InterfaceID* id : ids)
    {
        void* obj = nullptr;
        ASSERT_EQ(v::kResultOk, i.vst->queryInterface(id->bytes, &obj));
        ASSERT_NE(nullptr, obj);
        // Every interface pointer leads back to the same object.
        void* component = nullptr;
        static_cast<v::FUnknown*>(obj)->queryInterface(v::IComponent::iid.bytes, &component);
        EXPECT_EQ(static_cast<v::IComponent*>(i.vst), component);
        EXPECT_EQ(2u, i.vst->release());
        EXPECT_EQ(1u, i.vst->release());
    }
    void* obj = &obj;
    EXPECT_EQ(v::kNoInterface, i.vst->queryInterface(v::IPlugView::iid.bytes, &obj));
    EXPECT_EQ(nullptr, obj);
}

TEST(VST3Client, EffectHasOneStereoBusEachWayAndNoEventBus)
{
    Instance<VelloxClient> i;
    EXPECT_EQ(1, i.vst->getBusCount(v::kAudio, v::kInput));
    EXPECT_EQ(1, i.vst->getBusCount(v::kAudio, v::kOutput));
    EXPECT_EQ(0, i.vst->getBusCount(v::kEvent, v::kInput));
    EXPECT_EQ(0, i.vst->getBusCount(v::kEvent, v::kOutput));
    EXPECT_EQ(0, i.vst->getBusCount(7, v::kInput));

    v::BusInfo bus;
    ASSERT_EQ(v::kResultOk, i.vst->getBusInfo(v::kAudio, v::kInput, 0, bus));
    EXPECT_EQ(2, bus.channelCount);
    EXPECT_EQ(u"Audio Input", std::u16string(bus.name));
    EXPECT_EQ(v::kMain, bus.busType);
    EXPECT_EQ(1u, bus.flags);
    ASSERT_EQ(v::kResultOk, i.vst->getBusInfo(v::kAudio, v::kOutput, 0, bus));
    EXPECT_EQ(u"Audio Output", std::u16string(bus.name));
    EXPECT_EQ(v::kOutput, bus.direction);

    EXPECT_EQ(v::kResultFalse, i.vst->getBusInfo(v::kAudio, v::kInput, 1, bus));
    EXPECT_EQ(v::kInvalidArgument, i.vst->getBusInfo(5, v::kInput, 0, bus));
    EXPECT_EQ(v::kInvalidArgument, i.vst->getBusInfo(v::kAudio, 3, 0, bus));
    EXPECT_EQ(v::kResultOk, i.vst->activateBus(v::kAudio, v::kInput, 0, 0));
    EXPECT_EQ(v::kResultFalse, i.vst->activateBus(v::kEvent, v::kInput, 0, 1));
    EXPECT_EQ(v::kInvalidArgument, i.vst->activateBus(9, v::kInput, 0, 1));

    v::SpeakerArrangement arrangement = 0;
    ASSERT_EQ(v::kResultOk, i.vst->getBusArrangement(v::kOutput, 0, arrangement));
    EXPECT_EQ(v::kArrangementStereo, arrangement);
    EXPECT_EQ(v::kInvalidArgument, i.vst->getBusArrangement(v::kOutput, 1, arrangement));
    EXPECT_EQ(v::kInvalidArgument, i.vst->getBusArrangement(2, 0, arrangement));
}

TEST(VST3Client, AcceptsOnlyTheStereoLayout)
{
    Instance<VelloxClient> i;
    struct Case
    {
        v::SpeakerArrangement in, out;
        v::int32 numIns, numOuts;
        v::tresult expected;
    };
    const Case cases[] = {
        {v::kArrangementMono, v::kArrangementMono, 1, 1, v::kResultFalse},
        {v::kArrangementMono, v::kArrangementStereo, 1, 1, v::kResultFalse},
        {v::kArrangementStereo, v::kArrangementMono, 1, 1, v::kResultFalse},
        {0x7, v::kArrangementStereo, 1, 1, v::kResultFalse},
        {v::kArrangementStereo, v::kArrangementStereo, 0, 1, v::kResultFalse}, // 0 inputs
        {v::kArrangementStereo, v::kArrangementStereo, 1, 1, v::kResultOk},
        {v::kArrangementStereo, v::kArrangementStereo, -1, 1, v::kInvalidArgument},
    };
    for (const Case& c : cases)
    {
        v::SpeakerArrangement in[2] = {c.in, c.in}, out[2] = {c.out, c.out};
        EXPECT_EQ(c.expected, i.vst->setBusArrangements(in, c.numIns, out, c.numOuts))
            << c.in << " " << c.out << " " << c.numIns;
    }
    v::SpeakerArrangement in[2] = {v::kArrangementStereo, v::kArrangementStereo};
    EXPECT_EQ(v::kResultFalse, i.vst->setBusArrangements(in, 2, in, 1)); // more buses than exist

    // A refused layout leaves the previous one in place.
    v::SpeakerArrangement mono = v::kArrangementMono;
    EXPECT_EQ(v::kResultFalse, i.vst->setBusArrangements(&mono, 1, &mono, 1));
    v::SpeakerArrangement arrangement = 0;
    i.vst->getBusArrangement(v::kInput, 0, arrangement);
    EXPECT_EQ(v::kArrangementStereo, arrangement);
}

TEST(VST3Client, NotImplementedComponentCalls)
{
    Instance<VelloxClient> i;
    v::TUID cid;
    v::RoutingInfo a{}, b{};
    EXPECT_EQ(v::kNotImplemented, i.vst->getControllerClassId(cid));
    EXPECT_EQ(v::kNotImplemented, i.vst->setIoMode(0));
    EXPECT_EQ(v::kNotImplemented, i.vst->getRoutingInfo(a, b));
    EXPECT_EQ(v::kResultOk, i.vst->setActive(1));
}

TEST(VST3Client, IdentifiesTheHostByItsLowerCasedName)
{
    struct Case
    {
        std::u16string name;
        plugkit::DAW daw;
        const char* stored;
    };
    const Case cases[] = {
        {u"REAPER", plugkit::DAW::Reaper, "reaper"},
        {u"Cubase 12", plugkit::DAW::Cubase, "cubase 12"},
        {u"VST3PluginTestHost", plugkit::DAW::VST3PluginTestHost, "vst3plugintesthost"},
        {u"Ardour \u00e9dition", plugkit::DAW::Ardour, "ardour ?dition"},
        {u"", plugkit::DAW::Unknown, ""},
    };
    for (const Case& c : cases)
    {
        Instance<VelloxClient> i(c.name);
        EXPECT_EQ(c.daw, i.vst->daw());
        EXPECT_STREQ(c.stored, i.vst->hostName());
    }
    // No host application in the context: unknown host.
    Instance<VelloxClient> i;
    i.vst->initialize(nullptr);
    EXPECT_EQ(plugkit::DAW::Unknown, i.vst->daw());
}

TEST(VST3Client, HoldsTheHostApplicationWhileInitialised)
{
    Instance<VelloxClient> i(u"Some Host");
    EXPECT_EQ(2, i.host.refs); // the test's own and the instance's
    i.vst->terminate();
    EXPECT_EQ(1, i.host.refs);
    i.vst->initialize(static_cast<v::IHostApplication*>(&i.host));
    i.vst->initialize(static_cast<v::IHostApplication*>(&i.host)); // again: still one reference
    EXPECT_EQ(2, i.host.refs);
}

TEST(VST3Client, LimitsClientBlocksTo512Frames)
{
    Instance<RecordingClient> i;
    EXPECT_EQ(512, i.client->maxFramesInProcessLimit());
    Instance<VelloxClient> vellox;
    EXPECT_EQ(512, vellox.client->maxFramesInProcessLimit());
}

} // namespace
