// The state stream: a 0 byte, the bypass byte, then the client's chunk.

#include <gtest/gtest.h>

#include "engine/main.h"
#include "plugkit/vst3/instance.h"

namespace
{

using namespace vst3test;
using vellox::VelloxClient;

TEST(VST3State, StreamIsTwoBytesThenThe120ByteChunk)
{
    Instance<VelloxClient> i;
    MemoryStream stream;
    ASSERT_EQ(v::kResultOk, i.component()->getState(&stream));
    ASSERT_EQ(2u + 120u, stream.bytes.size());
    EXPECT_EQ(0, stream.bytes[0]);
    EXPECT_EQ(0, stream.bytes[1]); // not bypassed
    EXPECT_EQ(0x0B, stream.bytes[2]);
    EXPECT_EQ(0x20, stream.bytes[3]);
    EXPECT_EQ(0xBA, stream.bytes[4]);
    EXPECT_EQ(0x92, stream.bytes[5]);
    EXPECT_EQ(23, stream.bytes[2 + 20]); // N
    EXPECT_EQ(0, stream.bytes[2 + 116]);  // L = 0

    i.vst->setParamNormalized(plugkit::kBypassParamID, 1.0);
    MemoryStream bypassed;
    ASSERT_EQ(v::kResultOk, i.component()->getState(&bypassed));
    EXPECT_EQ(1, bypassed.bytes[1]);
}

TEST(VST3State, RoundTripRestoresEveryValueAndBypass)
{
    Instance<VelloxClient> a;
    const double values[] = {0.25, 0.9, 0.0, 1.0, 0.33};
    const v::ParamID ids[] = {1, 4, 7, 15, 21};
    for (int k = 0; k < 5; ++k)
        a.vst->setParamNormalized(ids[k], values[k]);
    a.vst->setParamNormalized(plugkit::kBypassParamID, 1.0);
    MemoryStream saved;
    ASSERT_EQ(v::kResultOk, a.component()->getState(&saved));

    Instance<VelloxClient> b;
    saved.position = 0;
    ASSERT_EQ(v::kResultOk, b.component()->setState(&saved));
    for (v::ParamID id = 0; id < 23; ++id)
        EXPECT_FLOAT_EQ(float(a.vst->getParamNormalized(id)), float(b.vst->getParamNormalized(id))) << id;
    EXPECT_TRUE(b.vst->isBypassed());

    MemoryStream again;
    ASSERT_EQ(v::kResultOk, b.component()->getState(&again));
    EXPECT_EQ(saved.bytes, again.bytes);
}

TEST(VST3State, RefusesAStreamOfAnotherFormat)
{
    Instance<VelloxClient> source;
    source.vst->setParamNormalized(4, 0.9);
    MemoryStream saved;
    source.component()->getState(&saved);
    saved.bytes[0] = 1;
    saved.bytes[1] = 1;
    saved.position = 0;

    Instance<VelloxClient> i;
    const double before = i.vst->getParamNormalized(4);
    EXPECT_EQ(v::kResultFalse, i.component()->setState(&saved));
    EXPECT_EQ(before, i.vst->getParamNormalized(4));
    EXPECT_FALSE(i.vst->isBypassed());
}

TEST(VST3State, RefusesTruncatedAndMalformedStreams)
{
    Instance<VelloxClient> source;
    MemoryStream saved;
    source.component()->getState(&saved);

    struct Case
    {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    std::vector<uint8_t> cut(saved.bytes.begin(), saved.bytes.begin() + 60);
    std::vector<uint8_t> badMagic = saved.bytes;
    badMagic[2] = 0x92;
    const Case cases[] = {
        {"empty", {}},
        {"format byte only", {0}},
        {"no chunk", {0, 0}},
        {"chunk cut in its values", cut},
        {"wrong magic", badMagic},
    };
    for (const Case& c : cases)
    {
        Instance<VelloxClient> i;
        MemoryStream stream(c.bytes);
        EXPECT_EQ(v::kResultFalse, i.component()->setState(&stream)) << c.what;
    }
}

TEST(VST3State, HostStreamFailuresAreReported)
{
    Instance<VelloxClient> i;
    MemoryStream failing;
    failing.failWrites = true;
    EXPECT_EQ(v::kResultFalse, i.component()->getState(&failing));

    MemoryStream saved;
    i.component()->getState(&saved);
    saved.position = 0;
    saved.failTell = true;
    EXPECT_EQ(v::kResultFalse, i.component()->setState(&saved));

    EXPECT_EQ(v::kInvalidArgument, i.component()->getState(nullptr));
    EXPECT_EQ(v::kInvalidArgument, i.component()->setState(nullptr));
}

TEST(VST3State, ControllerStateIsNotSeparate)
{
    Instance<VelloxClient> i;
    MemoryStream stream;
    auto* controller = static_cast<v::IEditController*>(i.vst);
    EXPECT_EQ(v::kNotImplemented, controller->getState(&stream));
    EXPECT_EQ(v::kNotImplemented, controller->setState(&stream));
    EXPECT_EQ(v::kNotImplemented, controller->setComponentState(&stream));
    EXPECT_TRUE(stream.bytes.empty());
}

} // namespace
