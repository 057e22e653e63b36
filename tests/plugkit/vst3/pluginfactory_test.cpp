// The class factory and the class Vellox registers in it.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/main.h"
#include "plugkit/vst3/abi/icomponent.h"
#include "plugkit/vst3/classinfo.h"
#include "plugkit/vst3/pluginentry.h"
#include "plugkit/vst3/pluginfactory.h"

namespace
{

namespace v = plugkit::vst3;

std::u16string widened(const char* text)
{
    std::u16string s;
    for (; *text != '\0'; ++text)
        s.push_back(char16_t(static_cast<unsigned char>(*text)));
    return s;
}

// Takes the factory like a host does and gives it back at the end.
struct VelloxFactory : ::testing::Test
{
    void SetUp() override
    {
        factory = static_cast<v::IPluginFactory3*>(plugkit::GetPluginFactoryInternal<vellox::VelloxClient>());
        ASSERT_NE(nullptr, factory);
    }
    void TearDown() override
    {
        if (factory != nullptr)
        {
            EXPECT_EQ(0u, factory->release());
        }
        EXPECT_EQ(nullptr, plugkit::gPluginFactory);
    }
    v::IPluginFactory3* factory = nullptr;
};

TEST_F(VelloxFactory, DescribesOneAudioEffectClass)
{
    EXPECT_EQ(1, factory->countClasses());

    v::PClassInfo2 info;
    ASSERT_EQ(v::kResultOk, factory->getClassInfo2(0, &info));
    const unsigned char expectedID[16] = {0x0B, 0x20, 0xBA, 0x92, 0x0C, 0xE0, 0xB1, 0x45,
                                          0x6E, 0x65, 0x6C, 0x50, 0x44, 0x58, 0x4C, 0x56};
    EXPECT_EQ(0, std::memcmp(expectedID, info.cid, 16));
    EXPECT_EQ(0x7FFFFFFF, info.cardinality);
    EXPECT_STREQ("Audio Module Class", info.category);
    EXPECT_STREQ("Vellox-Vizu", info.name);
    EXPECT_EQ(2u, info.classFlags);
    EXPECT_STREQ("Fx|Dynamics", info.subCategories);
    EXPECT_STREQ("Plenwick", info.vendor);
    EXPECT_STREQ("1.2.0", info.version);
    EXPECT_STREQ("VST 3.6.11", info.sdkVersion);

    // The short record is the first 116 bytes of the long one.
    v::PClassInfo shortInfo;
    ASSERT_EQ(v::kResultOk, factory->getClassInfo(0, &shortInfo));
    EXPECT_EQ(0, std::memcmp(&shortInfo, &info, sizeof(shortInfo)));

    v::PClassInfoW wide;
    ASSERT_EQ(v::kResultOk, factory->getClassInfoUnicode(0, &wide));
    EXPECT_EQ(0, std::memcmp(expectedID, wide.cid, 16));
    EXPECT_EQ(u"Vellox-Vizu", std::u16string(wide.name));
    EXPECT_EQ(u"Plenwick", std::u16string(wide.vendor));
    EXPECT_EQ(u"1.2.0", std::u16string(wide.version));
    EXPECT_EQ(widened("VST 3.6.11"), std::u16string(wide.sdkVersion));
    EXPECT_STREQ("Fx|Dynamics", wide.subCategories);
    EXPECT_STREQ("Audio Module Class", wide.category);
}

TEST_F(VelloxFactory, RefusesOutOfRangeIndicesAndNullRecords)
{
    v::PClassInfo info;
    v::PClassInfo2 info2;
    v::PClassInfoW infoW;
    EXPECT_EQ(v::kInvalidArgument, factory->getClassInfo(1, &info));
    EXPECT_EQ(v::kInvalidArgument, factory->getClassInfo(-1, &info));
    EXPECT_EQ(v::kInvalidArgument, factory->getClassInfo2(1, &info2));
    EXPECT_EQ(v::kInvalidArgument, factory->getClassInfoUnicode(1, &infoW));
    EXPECT_EQ(v::kInvalidArgument, factory->getClassInfo(0, nullptr));
    EXPECT_EQ(v::kInvalidArgument, factory->getClassInfo2(0, nullptr));
    EXPECT_EQ(v::kInvalidArgument, factory->getClassInfoUnicode(0, nullptr));
    EXPECT_EQ(v::kNotImplemented, factory->setHostContext(nullptr));
}

TEST_F(VelloxFactory, FactoryInformation)
{
    v::PFactoryInfo info;
    ASSERT_EQ(v::kResultOk, factory->getFactoryInfo(&info));
    EXPECT_STREQ("Plenwick", info.vendor);
    EXPECT_EQ(16, info.flags);
    EXPECT_NE('\0', info.url[0]);
    EXPECT_NE('\0', info.email[0]);
    EXPECT_EQ(v::kResultOk, factory->getFactoryInfo(nullptr));
}

TEST_F(VelloxFactory, IsSharedUntilTheLastReleaseThenBuiltAnew)
{
    v::IPluginFactory* again = plugkit::GetPluginFactoryInternal<vellox::VelloxClient>();
    EXPECT_EQ(static_cast<v::IPluginFactory*>(factory), again);
    EXPECT_EQ(1u, again->release());
    EXPECT_EQ(0u, factory->release());
    EXPECT_EQ(nullptr, plugkit::gPluginFactory);
    factory = static_cast<v::IPluginFactory3*>(plugkit::GetPluginFactoryInternal<vellox::VelloxClient>());
    EXPECT_EQ(1, factory->countClasses());
}

TEST_F(VelloxFactory, AnswersItsOwnInterfacesOnly)
{
    for (const v::InterfaceID* id : {&v::FUnknown::iid, &v::IPluginFactory::iid, &v::IPluginFactory2::iid,
                                     &v::IPluginFactory3::iid})
    {
        void* obj = nullptr;
        EXPECT_EQ(v::kResultOk, factory->queryInterface(id->bytes, &obj));
        EXPECT_EQ(static_cast<v::IPluginFactory3*>(factory), obj);
        factory->release();
    }
    void* obj = &obj;
    EXPECT_EQ(v::kNoInterface, factory->queryInterface(v::IComponent::iid.bytes, &obj));
    EXPECT_EQ(nullptr, obj);
}

TEST_F(VelloxFactory, CreatesInstancesOwnedByTheCaller)
{
    v::PClassInfo2 info;
    ASSERT_EQ(v::kResultOk, factory->getClassInfo2(0, &info));
    void* obj = nullptr;
    ASSERT_EQ(v::kResultOk, factory->createInstance(info.cid, v::IComponent::iid.bytes, &obj));
    ASSERT_NE(nullptr, obj);
    auto* component = static_cast<v::IComponent*>(obj);
    EXPECT_EQ(0u, component->release()); // the caller held the only reference
}

TEST_F(VelloxFactory, RefusesForeignClassesAndInterfaces)
{
    v::PClassInfo2 info;
    ASSERT_EQ(v::kResultOk, factory->getClassInfo2(0, &info));
    char foreign[16];
    std::memcpy(foreign, info.cid, 16);
    foreign[15] ^= 1;
    void* obj = &obj;
    EXPECT_EQ(v::kNoInterface, factory->createInstance(foreign, v::IComponent::iid.bytes, &obj));
    EXPECT_EQ(nullptr, obj);
    obj = &obj;
    EXPECT_EQ(v::kNoInterface, factory->createInstance(info.cid, v::IPluginFactory::iid.bytes, &obj));
    EXPECT_EQ(nullptr, obj);
}

plugkit::vst3::FUnknown* createNothing(void*)
{
    return nullptr;
}

TEST(CPluginFactory, RegistrationForms)
{
    v::PFactoryInfo fi{};
    auto* factory = plugkit::mallocNew<plugkit::CPluginFactory>(fi);

    v::PClassInfo plain{};
    plain.cid[0] = 1;
    std::strcpy(plain.name, "Plain");
    EXPECT_TRUE(factory->registerClass(&plain, &createNothing, nullptr));
    EXPECT_FALSE(factory->registerClass(static_cast<const v::PClassInfo*>(nullptr), &createNothing, nullptr));
    EXPECT_FALSE(factory->registerClass(&plain, nullptr, nullptr));

    v::PClassInfoW wide{};
    wide.cid[0] = 2;
    wide.name[0] = u'W';
    EXPECT_TRUE(factory->registerClass(&wide, &createNothing, nullptr));

    // More than the first table's 10 entries.
    for (int i = 0; i < 12; ++i)
        EXPECT_TRUE(factory->registerClass(&plain, &createNothing, nullptr));
    EXPECT_EQ(14, factory->countClasses());

    // A class given as PClassInfo reads back with empty extra fields and its wide twin.
    v::PClassInfo2 info2;
    ASSERT_EQ(v::kResultOk, factory->getClassInfo2(0, &info2));
    EXPECT_STREQ("Plain", info2.name);
    EXPECT_EQ(0u, info2.classFlags);
    EXPECT_STREQ("", info2.subCategories);
    v::PClassInfoW twin;
    ASSERT_EQ(v::kResultOk, factory->getClassInfoUnicode(0, &twin));
    EXPECT_EQ(u"Plain", std::u16string(twin.name));

    // A class registered in wide form has no 8-bit description.
    v::PClassInfo shortInfo;
    shortInfo.cid[0] = 9;
    EXPECT_EQ(v::kResultFalse, factory->getClassInfo(1, &shortInfo));
    EXPECT_EQ(0, shortInfo.cid[0]);
    EXPECT_EQ(v::kResultFalse, factory->getClassInfo2(1, &info2));
    ASSERT_EQ(v::kResultOk, factory->getClassInfoUnicode(1, &twin));
    EXPECT_EQ(u'W', twin.name[0]);

    // A creation function that gives nothing makes createInstance fail cleanly.
    void* obj = &obj;
    EXPECT_EQ(v::kNoInterface, factory->createInstance(plain.cid, v::FUnknown::iid.bytes, &obj));
    EXPECT_EQ(nullptr, obj);

    EXPECT_EQ(0u, factory->release());
}

TEST(VST3ClassInfo, SubcategoriesOfEveryCategory)
{
    using C = plugkit::PluginCategory;
    const std::pair<C, const char*> cases[] = {
        {C::EffectAnalysisAndMetering, "Fx|Analyzer"}, {C::EffectDelay, "Fx|Delay"},
        {C::EffectDistortion, "Fx|Distortion"},      {C::EffectDynamics, "Fx|Dynamics"},
        {C::EffectEQ, "Fx|EQ"},                      {C::EffectSpatial, "Fx|Spatial"},
        {C::EffectModulation, "Fx|Modulation"},      {C::EffectPitchShift, "Fx|Pitch Shift"},
        {C::EffectReverb, "Fx|Reverb"},              {C::EffectOther, "Fx"},
        {C::InstrumentDrums, "Instrument|Drum"},     {C::InstrumentSampler, "Instrument|Sampler"},
        {C::InstrumentSynthesizer, "Instrument|Synth"}, {C::InstrumentOther, "Instrument|Synth"},
    };
    for (const auto& [category, text] : cases)
        EXPECT_STREQ(text, plugkit::vst3SubCategories(category)) << int(category);
}

TEST(VST3ClassInfo, LongTextsFillTheirFieldUnterminated)
{
    plugkit::PluginInfo info;
    std::string longName(80, 'n');
    info.pluginName = longName.c_str();
    info.vendorName = "V";
    info.category = plugkit::PluginCategory::EffectDynamics;
    const v::PClassInfo2 c = plugkit::makeVST3ClassInfo(info);
    EXPECT_EQ(std::string(64, 'n'), std::string(c.name, 64));
    EXPECT_EQ('\0', c.vendor[1]);
    EXPECT_EQ('\0', c.vendor[63]);
}

} // namespace
