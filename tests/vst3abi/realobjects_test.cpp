// The framework's real objects driven only through the published interface types, the way a
// host built on the published headers drives them.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/main.h"
#include "plugkit/vst3/pluginentry.h"
#include "vst3abi/published.h"

namespace
{

// A host-side stream built on the published declaration.
struct PublishedStream : sb::IBStream
{
    std::vector<char> bytes;
    sb::int64 position = 0;

    sb::tresult PLUGIN_API queryInterface(const sb::TUID, void**) override { return sb::kNoInterface; }
    sb::uint32 PLUGIN_API addRef() override { return 1; }
    sb::uint32 PLUGIN_API release() override { return 1; }
    sb::tresult PLUGIN_API read(void* buffer, sb::int32 n, sb::int32* done) override
    {
        sb::int32 count = std::min<sb::int32>(n, sb::int32(sb::int64(bytes.size()) - position));
        std::memcpy(buffer, bytes.data() + position, size_t(count));
        position += count;
        if (done != nullptr)
            *done = count;
        return count == n ? sb::kResultOk : sb::kResultFalse;
    }
    sb::tresult PLUGIN_API write(void* buffer, sb::int32 n, sb::int32* done) override
    {
        bytes.resize(size_t(position + n));
        std::memcpy(bytes.data() + position, buffer, size_t(n));
        position += n;
        if (done != nullptr)
            *done = n;
        return sb::kResultOk;
    }
    sb::tresult PLUGIN_API seek(sb::int64 pos, sb::int32 mode, sb::int64* result) override
    {
        position = (mode == kIBSeekSet ? 0 : mode == kIBSeekCur ? position : sb::int64(bytes.size())) + pos;
        if (result != nullptr)
            *result = position;
        return sb::kResultOk;
    }
    sb::tresult PLUGIN_API tell(sb::int64* pos) override
    {
        *pos = position;
        return sb::kResultOk;
    }
};

template <class T>
T* query(sb::FUnknown* object, const sb::TUID iid)
{
    void* obj = nullptr;
    EXPECT_EQ(sb::kResultOk, object->queryInterface(iid, &obj));
    return static_cast<T*>(obj);
}

TEST(VST3RealObjects, FactoryAndInstanceThroughThePublishedTypes)
{
    auto* factory = reinterpret_cast<sb::IPluginFactory3*>(
        plugkit::GetPluginFactoryInternal<vellox::VelloxClient>());
    ASSERT_EQ(1, factory->countClasses());
    sb::PClassInfo2 info;
    ASSERT_EQ(sb::kResultOk, factory->getClassInfo2(0, &info));
    EXPECT_STREQ("Fx|Dynamics", info.subCategories);
    sb::PClassInfoW wide;
    ASSERT_EQ(sb::kResultOk, factory->getClassInfoUnicode(0, &wide));
    EXPECT_EQ(u"Vellox-Vizu", std::u16string(wide.name));

    sv::IComponent* component = nullptr;
    ASSERT_EQ(sb::kResultOk, factory->createInstance(info.cid, sv::IComponent_iid,
                                                     reinterpret_cast<void**>(&component)));
    ASSERT_EQ(sb::kResultOk, component->initialize(nullptr));
    EXPECT_EQ(1, component->getBusCount(sv::kAudio, sv::kInput));

    auto* processor = query<sv::IAudioProcessor>(component, sv::IAudioProcessor_iid);
    auto* controller = query<sv::IEditController>(component, sv::IEditController_iid);
    auto* units = query<sv::IUnitInfo>(component, sv::IUnitInfo_iid);
    ASSERT_NE(nullptr, processor);
    ASSERT_NE(nullptr, controller);
    ASSERT_NE(nullptr, units);

    EXPECT_EQ(25, controller->getParameterCount());
    sv::ParameterInfo p;
    ASSERT_EQ(sb::kResultOk, controller->getParameterInfo(3, p));
    EXPECT_EQ(1u, p.id);
    EXPECT_EQ(u"Input gain", std::u16string(p.title));
    sv::ProgramListInfo list;
    ASSERT_EQ(sb::kResultOk, units->getProgramListInfo(0, list));
    EXPECT_EQ(u"Factory Presets", std::u16string(list.name));

    sv::SpeakerArrangement stereo = sv::SpeakerArr::kStereo, mono = sv::SpeakerArr::kMono;
    EXPECT_EQ(sb::kResultFalse, processor->setBusArrangements(&mono, 1, &mono, 1));
    EXPECT_EQ(sb::kResultOk, processor->setBusArrangements(&stereo, 1, &stereo, 1));
    sv::ProcessSetup setup{sv::kRealtime, sv::kSample32, 512, 44100.0};
    EXPECT_EQ(sb::kResultOk, processor->setupProcessing(setup));
    EXPECT_EQ(35280u, processor->getTailSamples());
    EXPECT_EQ(sb::kResultOk, component->setActive(true));
    EXPECT_EQ(sb::kResultOk, processor->setProcessing(true));

    std::vector<float> l(300, 0.25f), r(300, -0.25f), ol(300), orr(300);
    float* ins[2] = {l.data(), r.data()};
    float* outs[2] = {ol.data(), orr.data()};
    sv::AudioBusBuffers inBus, outBus;
    inBus.numChannels = outBus.numChannels = 2;
    inBus.channelBuffers32 = ins;
    outBus.channelBuffers32 = outs;
    sv::ProcessData data;
    data.numSamples = 300;
    data.numInputs = data.numOutputs = 1;
    data.inputs = &inBus;
    data.outputs = &outBus;
    controller->setParamNormalized(998, 1.0); // bypass: the output is the input
    EXPECT_EQ(sb::kResultOk, processor->process(data));
    EXPECT_EQ(0.25f, ol[299]);
    EXPECT_EQ(-0.25f, orr[0]);

    PublishedStream stream;
    ASSERT_EQ(sb::kResultOk, component->getState(&stream));
    EXPECT_EQ(122u, stream.bytes.size());
    EXPECT_EQ(1, stream.bytes[1]);
    stream.position = 0;
    EXPECT_EQ(sb::kResultOk, component->setState(&stream));

    processor->setProcessing(false);
    component->setActive(false);
    component->terminate();
    units->release();
    controller->release();
    processor->release();
    EXPECT_EQ(0u, component->release());
    EXPECT_EQ(0u, factory->release());
}

} // namespace
