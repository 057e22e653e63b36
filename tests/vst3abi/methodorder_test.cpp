// Method order: a host calling through the published interface types must reach the method
// of the same name in our objects, and our calls through our declarations must reach the
// host's methods. Each recorder notes the slot it was reached in.

#include <gtest/gtest.h>

#include "vst3abi/published.h"

namespace
{

// Every recorded method sets `hit` to its position in the interface's table.
#define HIT(n)                                                                                  \
    {                                                                                           \
        hit = n;                                                                                \
        return {};                                                                              \
    }

// Plug-in side: our declarations implemented, the published ones called.

#define UNKNOWN_SLOTS                                                                           \
    int hit = -1;                                                                               \
    ours::tresult queryInterface(const ours::TUID, void**) override HIT(0)                       \
    ours::uint32 addRef() override HIT(1)                                                        \
    ours::uint32 release() override HIT(2)

struct OurFactory : ours::IPluginFactory3
{
    UNKNOWN_SLOTS
    ours::tresult getFactoryInfo(ours::PFactoryInfo*) override HIT(3)
    ours::int32 countClasses() override HIT(4)
    ours::tresult getClassInfo(ours::int32, ours::PClassInfo*) override HIT(5)
    ours::tresult createInstance(ours::FIDString, ours::FIDString, void**) override HIT(6)
    ours::tresult getClassInfo2(ours::int32, ours::PClassInfo2*) override HIT(7)
    ours::tresult getClassInfoUnicode(ours::int32, ours::PClassInfoW*) override HIT(8)
    ours::tresult setHostContext(ours::FUnknown*) override HIT(9)
};

struct OurComponent : ours::IComponent
{
    UNKNOWN_SLOTS
    ours::tresult initialize(ours::FUnknown*) override HIT(3)
    ours::tresult terminate() override HIT(4)
    ours::tresult getControllerClassId(ours::TUID) override HIT(5)
    ours::tresult setIoMode(ours::IoMode) override HIT(6)
    ours::int32 getBusCount(ours::MediaType, ours::BusDirection) override HIT(7)
    ours::tresult getBusInfo(ours::MediaType, ours::BusDirection, ours::int32, ours::BusInfo&) override HIT(8)
    ours::tresult getRoutingInfo(ours::RoutingInfo&, ours::RoutingInfo&) override HIT(9)
    ours::tresult activateBus(ours::MediaType, ours::BusDirection, ours::int32, ours::TBool) override HIT(10)
    ours::tresult setActive(ours::TBool) override HIT(11)
    ours::tresult setState(ours::IBStream*) override HIT(12)
    ours::tresult getState(ours::IBStream*) override HIT(13)
};

struct OurProcessor : ours::IAudioProcessor
{
    UNKNOWN_SLOTS
    ours::tresult setBusArrangements(ours::SpeakerArrangement*, ours::int32, ours::SpeakerArrangement*,
                                     ours::int32) override HIT(3)
    ours::tresult getBusArrangement(ours::BusDirection, ours::int32, ours::SpeakerArrangement&) override HIT(4)
    ours::tresult canProcessSampleSize(ours::int32) override HIT(5)
    ours::uint32 getLatencySamples() override HIT(6)
    ours::tresult setupProcessing(ours::ProcessSetup&) override HIT(7)
    ours::tresult setProcessing(ours::TBool) override HIT(8)
    ours::tresult process(ours::ProcessData&) override HIT(9)
    ours::uint32 getTailSamples() override HIT(10)
};

struct OurController : ours::IEditController
{
    UNKNOWN_SLOTS
    ours::tresult initialize(ours::FUnknown*) override HIT(3)
    ours::tresult terminate() override HIT(4)
    ours::tresult setComponentState(ours::IBStream*) override HIT(5)
    ours::tresult setState(ours::IBStream*) override HIT(6)
    ours::tresult getState(ours::IBStream*) override HIT(7)
    ours::int32 getParameterCount() override HIT(8)
    ours::tresult getParameterInfo(ours::int32, ours::ParameterInfo&) override HIT(9)
    ours::tresult getParamStringByValue(ours::ParamID, ours::ParamValue, ours::String128) override HIT(10)
    ours::tresult getParamValueByString(ours::ParamID, ours::TChar*, ours::ParamValue&) override HIT(11)
    ours::ParamValue normalizedParamToPlain(ours::ParamID, ours::ParamValue) override HIT(12)
    ours::ParamValue plainParamToNormalized(ours::ParamID, ours::ParamValue) override HIT(13)
    ours::ParamValue getParamNormalized(ours::ParamID) override HIT(14)
    ours::tresult setParamNormalized(ours::ParamID, ours::ParamValue) override HIT(15)
    ours::tresult setComponentHandler(ours::IComponentHandler*) override HIT(16)
    ours::IPlugView* createView(ours::FIDString) override HIT(17)
};

struct OurController2 : ours::IEditController2
{
    UNKNOWN_SLOTS
    ours::tresult setKnobMode(ours::KnobMode) override HIT(3)
    ours::tresult openHelp(ours::TBool) override HIT(4)
    ours::tresult openAboutBox(ours::TBool) override HIT(5)
};

struct OurUnitInfo : ours::IUnitInfo
{
    UNKNOWN_SLOTS
    ours::int32 getUnitCount() override HIT(3)
    ours::tresult getUnitInfo(ours::int32, ours::UnitInfo&) override HIT(4)
    ours::int32 getProgramListCount() override HIT(5)
    ours::tresult getProgramListInfo(ours::int32, ours::ProgramListInfo&) override HIT(6)
    ours::tresult getProgramName(ours::ProgramListID, ours::int32, ours::String128) override HIT(7)
    ours::tresult getProgramInfo(ours::ProgramListID, ours::int32, ours::CString, ours::String128) override HIT(8)
    ours::tresult hasProgramPitchNames(ours::ProgramListID, ours::int32) override HIT(9)
    ours::tresult getProgramPitchName(ours::ProgramListID, ours::int32, ours::int16, ours::String128) override HIT(10)
    ours::UnitID getSelectedUnit() override HIT(11)
    ours::tresult selectUnit(ours::UnitID) override HIT(12)
    ours::tresult getUnitByBus(ours::MediaType, ours::BusDirection, ours::int32, ours::int32, ours::UnitID&) override HIT(13)
    ours::tresult setUnitProgramData(ours::int32, ours::int32, ours::IBStream*) override HIT(14)
};

struct OurMidiMapping : ours::IMidiMapping
{
    UNKNOWN_SLOTS
    ours::tresult getMidiControllerAssignment(ours::int32, ours::int16, ours::CtrlNumber, ours::ParamID&) override HIT(3)
};

struct OurView : ours::IPlugView
{
    UNKNOWN_SLOTS
    ours::tresult isPlatformTypeSupported(ours::FIDString) override HIT(3)
    ours::tresult attached(void*, ours::FIDString) override HIT(4)
    ours::tresult removed() override HIT(5)
    ours::tresult onWheel(float) override HIT(6)
    ours::tresult onKeyDown(ours::char16, ours::int16, ours::int16) override HIT(7)
    ours::tresult onKeyUp(ours::char16, ours::int16, ours::int16) override HIT(8)
    ours::tresult getSize(ours::ViewRect*) override HIT(9)
    ours::tresult onSize(ours::ViewRect*) override HIT(10)
    ours::tresult onFocus(ours::TBool) override HIT(11)
    ours::tresult setFrame(ours::IPlugFrame*) override HIT(12)
    ours::tresult canResize() override HIT(13)
    ours::tresult checkSizeConstraint(ours::ViewRect*) override HIT(14)
};

// Host side: the published declarations implemented, ours called.

#undef UNKNOWN_SLOTS
#define UNKNOWN_SLOTS                                                                           \
    int hit = -1;                                                                               \
    sb::tresult PLUGIN_API queryInterface(const sb::TUID, void**) override HIT(0)                \
    sb::uint32 PLUGIN_API addRef() override HIT(1)                                               \
    sb::uint32 PLUGIN_API release() override HIT(2)

struct HostStream : sb::IBStream
{
    UNKNOWN_SLOTS
    sb::tresult read(void*, sb::int32, sb::int32*) override HIT(3)
    sb::tresult write(void*, sb::int32, sb::int32*) override HIT(4)
    sb::tresult seek(sb::int64, sb::int32, sb::int64*) override HIT(5)
    sb::tresult tell(sb::int64*) override HIT(6)
};

struct HostQueue : sv::IParamValueQueue
{
    UNKNOWN_SLOTS
    sv::ParamID getParameterId() override HIT(3)
    sb::int32 getPointCount() override HIT(4)
    sb::tresult getPoint(sb::int32, sb::int32&, sv::ParamValue&) override HIT(5)
    sb::tresult addPoint(sb::int32, sv::ParamValue, sb::int32&) override HIT(6)
};

struct HostChanges : sv::IParameterChanges
{
    UNKNOWN_SLOTS
    sb::int32 getParameterCount() override HIT(3)
    sv::IParamValueQueue* getParameterData(sb::int32) override HIT(4)
    sv::IParamValueQueue* addParameterData(const sv::ParamID&, sb::int32&) override HIT(5)
};

struct HostHandler : sv::IComponentHandler
{
    UNKNOWN_SLOTS
    sb::tresult beginEdit(sv::ParamID) override HIT(3)
    sb::tresult performEdit(sv::ParamID, sv::ParamValue) override HIT(4)
    sb::tresult endEdit(sv::ParamID) override HIT(5)
    sb::tresult restartComponent(sb::int32) override HIT(6)
};

struct HostApplication : sv::IHostApplication
{
    UNKNOWN_SLOTS
    sb::tresult getName(sv::String128) override HIT(3)
    sb::tresult createInstance(sb::TUID, sb::TUID, void**) override HIT(4)
};

struct HostFrame : sb::IPlugFrame
{
    UNKNOWN_SLOTS
    sb::tresult resizeView(sb::IPlugView*, sb::ViewRect*) override HIT(3)
};

struct HostEvents : sv::IEventList
{
    UNKNOWN_SLOTS
    sb::int32 getEventCount() override HIT(3)
    sb::tresult getEvent(sb::int32, sv::Event&) override HIT(4)
    sb::tresult addEvent(sv::Event&) override HIT(5)
};

// The same object seen through the other declaration of the interface, as a host sees it.
// The empty asm hides the object's known type from the optimiser, which could otherwise
// devirtualise the call (or treat it as unreachable) instead of going through the table.
template <class As, class Object>
As* through(Object& object)
{
    void* p = &object;
    asm volatile("" : "+r"(p));
    return static_cast<As*>(p);
}

template <class Interface, class Object>
void expectUnknownSlots(Object& object)
{
    Interface* i = through<Interface>(object);
    i->queryInterface(nullptr, nullptr);
    EXPECT_EQ(0, object.hit);
    i->addRef();
    EXPECT_EQ(1, object.hit);
    i->release();
    EXPECT_EQ(2, object.hit);
}

TEST(VST3MethodOrder, PluginFactory)
{
    OurFactory f;
    expectUnknownSlots<sb::IPluginFactory3>(f);
    auto* h = through<sb::IPluginFactory3>(f);
    h->getFactoryInfo(nullptr); EXPECT_EQ(3, f.hit);
    h->countClasses(); EXPECT_EQ(4, f.hit);
    h->getClassInfo(0, nullptr); EXPECT_EQ(5, f.hit);
    h->createInstance(nullptr, nullptr, nullptr); EXPECT_EQ(6, f.hit);
    h->getClassInfo2(0, nullptr); EXPECT_EQ(7, f.hit);
    h->getClassInfoUnicode(0, nullptr); EXPECT_EQ(8, f.hit);
    h->setHostContext(nullptr); EXPECT_EQ(9, f.hit);
}

TEST(VST3MethodOrder, Component)
{
    OurComponent c;
    expectUnknownSlots<sv::IComponent>(c);
    auto* h = through<sv::IComponent>(c);
    sv::BusInfo bus{};
    sv::RoutingInfo r1{}, r2{};
    sb::TUID cid{};
    h->initialize(nullptr); EXPECT_EQ(3, c.hit);
    h->terminate(); EXPECT_EQ(4, c.hit);
    h->getControllerClassId(cid); EXPECT_EQ(5, c.hit);
    h->setIoMode(0); EXPECT_EQ(6, c.hit);
    h->getBusCount(0, 0); EXPECT_EQ(7, c.hit);
    h->getBusInfo(0, 0, 0, bus); EXPECT_EQ(8, c.hit);
    h->getRoutingInfo(r1, r2); EXPECT_EQ(9, c.hit);
    h->activateBus(0, 0, 0, 1); EXPECT_EQ(10, c.hit);
    h->setActive(1); EXPECT_EQ(11, c.hit);
    h->setState(nullptr); EXPECT_EQ(12, c.hit);
    h->getState(nullptr); EXPECT_EQ(13, c.hit);
}

TEST(VST3MethodOrder, AudioProcessor)
{
    OurProcessor p;
    expectUnknownSlots<sv::IAudioProcessor>(p);
    auto* h = through<sv::IAudioProcessor>(p);
    sv::SpeakerArrangement arr = 0;
    sv::ProcessSetup setup{};
    sv::ProcessData data;
    h->setBusArrangements(nullptr, 0, nullptr, 0); EXPECT_EQ(3, p.hit);
    h->getBusArrangement(0, 0, arr); EXPECT_EQ(4, p.hit);
    h->canProcessSampleSize(0); EXPECT_EQ(5, p.hit);
    h->getLatencySamples(); EXPECT_EQ(6, p.hit);
    h->setupProcessing(setup); EXPECT_EQ(7, p.hit);
    h->setProcessing(1); EXPECT_EQ(8, p.hit);
    h->process(data); EXPECT_EQ(9, p.hit);
    h->getTailSamples(); EXPECT_EQ(10, p.hit);
}

TEST(VST3MethodOrder, EditController)
{
    OurController c;
    expectUnknownSlots<sv::IEditController>(c);
    auto* h = through<sv::IEditController>(c);
    sv::ParameterInfo info{};
    sv::String128 text{};
    sv::ParamValue v = 0;
    h->initialize(nullptr); EXPECT_EQ(3, c.hit);
    h->terminate(); EXPECT_EQ(4, c.hit);
    h->setComponentState(nullptr); EXPECT_EQ(5, c.hit);
    h->setState(nullptr); EXPECT_EQ(6, c.hit);
    h->getState(nullptr); EXPECT_EQ(7, c.hit);
    h->getParameterCount(); EXPECT_EQ(8, c.hit);
    h->getParameterInfo(0, info); EXPECT_EQ(9, c.hit);
    h->getParamStringByValue(0, 0.0, text); EXPECT_EQ(10, c.hit);
    h->getParamValueByString(0, text, v); EXPECT_EQ(11, c.hit);
    h->normalizedParamToPlain(0, 0.0); EXPECT_EQ(12, c.hit);
    h->plainParamToNormalized(0, 0.0); EXPECT_EQ(13, c.hit);
    h->getParamNormalized(0); EXPECT_EQ(14, c.hit);
    h->setParamNormalized(0, 0.0); EXPECT_EQ(15, c.hit);
    h->setComponentHandler(nullptr); EXPECT_EQ(16, c.hit);
    h->createView("editor"); EXPECT_EQ(17, c.hit);
}

TEST(VST3MethodOrder, EditController2)
{
    OurController2 c;
    expectUnknownSlots<sv::IEditController2>(c);
    auto* h = through<sv::IEditController2>(c);
    h->setKnobMode(0); EXPECT_EQ(3, c.hit);
    h->openHelp(0); EXPECT_EQ(4, c.hit);
    h->openAboutBox(0); EXPECT_EQ(5, c.hit);
}

TEST(VST3MethodOrder, UnitInfo)
{
    OurUnitInfo u;
    expectUnknownSlots<sv::IUnitInfo>(u);
    auto* h = through<sv::IUnitInfo>(u);
    sv::UnitInfo unit{};
    sv::ProgramListInfo list{};
    sv::String128 text{};
    sv::UnitID id = 0;
    h->getUnitCount(); EXPECT_EQ(3, u.hit);
    h->getUnitInfo(0, unit); EXPECT_EQ(4, u.hit);
    h->getProgramListCount(); EXPECT_EQ(5, u.hit);
    h->getProgramListInfo(0, list); EXPECT_EQ(6, u.hit);
    h->getProgramName(0, 0, text); EXPECT_EQ(7, u.hit);
    h->getProgramInfo(0, 0, "", text); EXPECT_EQ(8, u.hit);
    h->hasProgramPitchNames(0, 0); EXPECT_EQ(9, u.hit);
    h->getProgramPitchName(0, 0, 0, text); EXPECT_EQ(10, u.hit);
    h->getSelectedUnit(); EXPECT_EQ(11, u.hit);
    h->selectUnit(0); EXPECT_EQ(12, u.hit);
    h->getUnitByBus(0, 0, 0, 0, id); EXPECT_EQ(13, u.hit);
    h->setUnitProgramData(0, 0, nullptr); EXPECT_EQ(14, u.hit);
}

TEST(VST3MethodOrder, MidiMapping)
{
    OurMidiMapping m;
    expectUnknownSlots<sv::IMidiMapping>(m);
    sv::ParamID id = 0;
    through<sv::IMidiMapping>(m)->getMidiControllerAssignment(0, 0, 0, id);
    EXPECT_EQ(3, m.hit);
}

TEST(VST3MethodOrder, PlugView)
{
    OurView v;
    expectUnknownSlots<sb::IPlugView>(v);
    auto* h = through<sb::IPlugView>(v);
    sb::ViewRect r;
    h->isPlatformTypeSupported("NSView"); EXPECT_EQ(3, v.hit);
    h->attached(nullptr, "NSView"); EXPECT_EQ(4, v.hit);
    h->removed(); EXPECT_EQ(5, v.hit);
    h->onWheel(0.f); EXPECT_EQ(6, v.hit);
    h->onKeyDown(0, 0, 0); EXPECT_EQ(7, v.hit);
    h->onKeyUp(0, 0, 0); EXPECT_EQ(8, v.hit);
    h->getSize(&r); EXPECT_EQ(9, v.hit);
    h->onSize(&r); EXPECT_EQ(10, v.hit);
    h->onFocus(1); EXPECT_EQ(11, v.hit);
    h->setFrame(nullptr); EXPECT_EQ(12, v.hit);
    h->canResize(); EXPECT_EQ(13, v.hit);
    h->checkSizeConstraint(&r); EXPECT_EQ(14, v.hit);
}

TEST(VST3MethodOrder, HostStream)
{
    HostStream s;
    expectUnknownSlots<ours::IBStream>(s);
    auto* o = through<ours::IBStream>(s);
    ours::int64 pos = 0;
    o->read(nullptr, 0); EXPECT_EQ(3, s.hit);
    o->write(nullptr, 0); EXPECT_EQ(4, s.hit);
    o->seek(0, ours::IBStream::kIBSeekSet); EXPECT_EQ(5, s.hit);
    o->tell(&pos); EXPECT_EQ(6, s.hit);
}

TEST(VST3MethodOrder, HostParameterChanges)
{
    HostQueue q;
    expectUnknownSlots<ours::IParamValueQueue>(q);
    auto* oq = through<ours::IParamValueQueue>(q);
    ours::int32 offset = 0, index = 0;
    ours::ParamValue value = 0;
    oq->getParameterId(); EXPECT_EQ(3, q.hit);
    oq->getPointCount(); EXPECT_EQ(4, q.hit);
    oq->getPoint(0, offset, value); EXPECT_EQ(5, q.hit);
    oq->addPoint(0, 0.0, index); EXPECT_EQ(6, q.hit);

    HostChanges c;
    expectUnknownSlots<ours::IParameterChanges>(c);
    auto* oc = through<ours::IParameterChanges>(c);
    ours::ParamID id = 0;
    oc->getParameterCount(); EXPECT_EQ(3, c.hit);
    oc->getParameterData(0); EXPECT_EQ(4, c.hit);
    oc->addParameterData(id, index); EXPECT_EQ(5, c.hit);
}

TEST(VST3MethodOrder, HostComponentHandler)
{
    HostHandler h;
    expectUnknownSlots<ours::IComponentHandler>(h);
    auto* o = through<ours::IComponentHandler>(h);
    o->beginEdit(0); EXPECT_EQ(3, h.hit);
    o->performEdit(0, 0.0); EXPECT_EQ(4, h.hit);
    o->endEdit(0); EXPECT_EQ(5, h.hit);
    o->restartComponent(0); EXPECT_EQ(6, h.hit);
}

TEST(VST3MethodOrder, HostApplicationFrameAndEvents)
{
    HostApplication a;
    expectUnknownSlots<ours::IHostApplication>(a);
    ours::String128 name{};
    through<ours::IHostApplication>(a)->getName(name); EXPECT_EQ(3, a.hit);
    through<ours::IHostApplication>(a)->createInstance(nullptr, nullptr, nullptr); EXPECT_EQ(4, a.hit);

    HostFrame f;
    expectUnknownSlots<ours::IPlugFrame>(f);
    through<ours::IPlugFrame>(f)->resizeView(nullptr, nullptr); EXPECT_EQ(3, f.hit);

    HostEvents e;
    expectUnknownSlots<ours::IEventList>(e);
    ours::Event event{};
    through<ours::IEventList>(e)->getEventCount(); EXPECT_EQ(3, e.hit);
    through<ours::IEventList>(e)->getEvent(0, event); EXPECT_EQ(4, e.hit);
    through<ours::IEventList>(e)->addEvent(event); EXPECT_EQ(5, e.hit);
}

} // namespace
