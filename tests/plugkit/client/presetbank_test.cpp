#include "plugkit/client/presetbank.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "chunkbuilder.h"
#include "plugkit/client/preset.h"
#include "testclient.h"

using namespace plugkit;
using plugkit_test::ChunkBuilder;
using plugkit_test::TestClient;

namespace
{

std::vector<uint8_t> chunkOf(Client& c)
{
    Vec<uint8_t> v;
    c.presetBank()->writeStateChunk(v);
    return std::vector<uint8_t>(v.begin(), v.end());
}

// Loads from an exactly sized heap copy, so ASan reports any read past the end.
bool loadExact(Client& c, const std::vector<uint8_t>& bytes, size_t length)
{
    uint8_t* copy = static_cast<uint8_t*>(std::malloc(length > 0 ? length : 1));
    if (length > 0)
        std::memcpy(copy, bytes.data(), length);
    bool error = false;
    c.presetBank()->loadStateChunk(copy, length, &error);
    std::free(copy);
    return !error;
}

bool load(Client& c, const std::vector<uint8_t>& bytes)
{
    return loadExact(c, bytes, bytes.size());
}

double valueOf(Client& c, int i)
{
    return c.param(i)->getNormalized();
}

} // namespace

TEST(PresetBank, WritesTheChunkLayoutWithExtraState)
{
    TestClient c(512, false, {0xAA, 0xBB, 0xCC});
    std::vector<uint8_t> expected = ChunkBuilder()
                                        .magic()
                                        .i32(1)
                                        .i32(0)
                                        .i32((3 << 16) | (4 << 8) | 5)
                                        .i32(0)
                                        .i32(3)
                                        .f32(0.2f)
                                        .f32(1.0f)
                                        .f32(float(1.0 / 3.0))
                                        .i32(3)
                                        .raw({0xAA, 0xBB, 0xCC})
                                        .bytes;
    EXPECT_EQ(chunkOf(c), expected);
}

TEST(PresetBank, RoundTripGivesTheSameBytesAndHandsOverTheExtraState)
{
    TestClient a(512, false, {1, 2, 3, 4, 5});
    a.setParameterFromHost(0, 0.7f);
    a.setParameterFromHost(1, 0.0f);
    std::vector<uint8_t> first = chunkOf(a);

    TestClient b(512, false, {1, 2, 3, 4, 5});
    ASSERT_TRUE(load(b, first));
    EXPECT_EQ(b.loadedState, (std::vector<uint8_t>{1, 2, 3, 4, 5}));
    EXPECT_EQ(chunkOf(b), first);
}

TEST(PresetBank, RejectsMalformedHeaders)
{
    struct Case
    {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"byte-swapped magic", ChunkBuilder().raw({0x92, 0xBA, 0x20, 0x0B}).i32(1).i32(0).i32(0).i32(0).i32(0).i32(0).bytes},
        {"major version 2", ChunkBuilder().header(2).i32(0).i32(0).i32(0).bytes},
        {"negative major version", ChunkBuilder().header(-1).i32(0).i32(0).i32(0).bytes},
        {"preset index 1 of a one-preset bank", ChunkBuilder().header(1).i32(1).i32(0).i32(0).bytes},
        {"negative preset index", ChunkBuilder().header(1).i32(-1).i32(0).i32(0).bytes},
        {"empty", {}},
    };
    for (const Case& k : cases)
    {
        TestClient c;
        std::vector<uint8_t> before = chunkOf(c);
        EXPECT_FALSE(load(c, k.bytes)) << k.what;
        EXPECT_EQ(chunkOf(c), before) << k.what << " changed something";
    }
}

// A negative L, or one beyond the bytes left, never becomes a byte range.
TEST(PresetBank, RejectsAnExtraStateLengthOutsideTheChunk)
{
    struct Case
    {
        int32_t length;
        size_t present;
        bool ok;
    } cases[] = {
        {-1, 0, false},          {-2147483647 - 1, 4, false}, {5, 4, false},
        {2147483647, 8, false},  {4, 4, true},                {0, 0, true},
        {2, 4, true}, // trailing bytes after the extra state are ignored
    };
    for (const Case& k : cases)
    {
        TestClient c;
        ChunkBuilder b;
        b.header(1).i32(0).i32(3).f32(0.5f).f32(0.0f).f32(1.0f).i32(k.length);
        for (size_t i = 0; i < k.present; ++i)
            b.raw({uint8_t(0x10 + i)});
        EXPECT_EQ(load(c, b.bytes), k.ok) << "L = " << k.length;
        if (k.ok)
        {
            EXPECT_EQ(c.loadedState.size(), size_t(k.length));
            EXPECT_EQ(c.loadStateCalls, 1);
        }
        else
        {
            EXPECT_EQ(c.loadStateCalls, 0) << "L = " << k.length;
        }
        EXPECT_DOUBLE_EQ(valueOf(c, 0), 0.5) << "values before L stay applied";
    }
}

TEST(PresetBank, ExtraStateRefusedByTheClientIsAnError)
{
    TestClient c;
    c.acceptState = false;
    EXPECT_FALSE(load(c, ChunkBuilder().header(1).i32(0).i32(0).i32(1).raw({9}).bytes));
    EXPECT_EQ(c.loadStateCalls, 1);
}

TEST(PresetBank, ZeroOrNegativeCountSkipsTheValues)
{
    for (int32_t n : {0, -5})
    {
        TestClient c;
        EXPECT_TRUE(load(c, ChunkBuilder().header(0).i32(0).i32(n).bytes)) << n;
        EXPECT_TRUE(load(c, ChunkBuilder().header(1).i32(0).i32(n).i32(0).bytes)) << n;
        EXPECT_DOUBLE_EQ(valueOf(c, 0), 0.2);
    }
}

// Every prefix of a valid chunk, in an exactly sized heap block: shorter ones are errors,
// and nothing reads past the end (ASan would report it).
TEST(PresetBank, EveryPrefixOfAValidChunkIsHandled)
{
    TestClient source(512, false, {7, 7, 7});
    std::vector<uint8_t> v2 = chunkOf(source);
    std::vector<uint8_t> v1 = ChunkBuilder().header(0).i32(0).i32(3).f32(0.1f).f32(1.0f).f32(0.0f).bytes;
    for (const std::vector<uint8_t>* chunk : {&v2, &v1})
    {
        for (size_t n = 0; n <= chunk->size(); ++n)
        {
            TestClient c(512, false, {7, 7, 7});
            EXPECT_EQ(loadExact(c, *chunk, n), n == chunk->size()) << "prefix " << n;
        }
    }
}

TEST(PresetBank, LoadPresetSavesTheLiveStateAndAppliesTheOther)
{
    // A client with a second, shorter preset that carries extra state.
    struct Late : public Client
    {
        Late() { buildClient(); }
        PluginInfo buildPluginInfo() override { return {}; }
        Vec<LegalIO> buildLegalIO() override { return {}; }
        Vec<Parameter*> buildParameters() override
        {
            Vec<Parameter*> p;
            p.pushBack(mallocNew<LinearFloatParameter>(0, "A", "", 0.0, 10.0, 2.0));
            p.pushBack(mallocNew<BoolParameter>(1, "B", true));
            return p;
        }
        Vec<Preset*> buildPresets() override
        {
            Vec<Preset*> p;
            p.pushBack(makeDefaultPreset());
            const float shortValues[1] = {0.9f};
            const uint8_t state[1] = {0x55};
            p.pushBack(mallocNew<Preset>("Short", shortValues, 1, state, 1));
            return p;
        }
        void reset(double, int, int, int) override {}
        void processAudio(const float* const*, float* const*, int, TimeInfo) override {}
        void saveState(Vec<uint8_t>& out) override { out.pushBack(uint8_t(0x11 * ++saves)); }
        bool loadState(const uint8_t* d, size_t n) override
        {
            lastLoaded.assign(d, d + n);
            return true;
        }
        int saves = 0;
        std::vector<uint8_t> lastLoaded;
    } c;

    ASSERT_EQ(c.presetBank()->numPresets(), 2);
    EXPECT_STREQ(c.presetBank()->preset(0)->name(), "Default");
    EXPECT_EQ(c.presetBank()->preset(0)->stateData()[0], 0x11) << "default extra state";

    c.setParameterFromHost(0, 0.6f);
    c.setParameterFromHost(1, 0.0f);
    EXPECT_TRUE(c.presetBank()->loadPresetFromHost(1));
    EXPECT_EQ(c.presetBank()->currentPresetIndex(), 1);
    EXPECT_NEAR(c.param(0)->getNormalized(), 0.9, 1e-6);
    EXPECT_EQ(c.param(1)->getNormalized(), 1.0) << "missing value: the default";
    EXPECT_EQ(c.lastLoaded, (std::vector<uint8_t>{0x55}));

    Preset* saved = c.presetBank()->preset(0);
    EXPECT_FLOAT_EQ(saved->values()[0], 0.6f);
    EXPECT_EQ(saved->values()[1], 0.0f);
    EXPECT_EQ(saved->stateData().length(), 1u);
    EXPECT_EQ(saved->stateData()[0], 0x22) << "a fresh saveState";

    EXPECT_TRUE(c.presetBank()->loadPresetFromHost(0));
    EXPECT_FLOAT_EQ(float(c.param(0)->getNormalized()), 0.6f);
    EXPECT_EQ(c.param(1)->getNormalized(), 0.0);
    EXPECT_EQ(c.presetBank()->preset(1)->values().length(), 2u)
        << "the short preset now holds one value per parameter";

    // Switching to the current preset keeps the live state in it and moves nothing.
    c.setParameterFromHost(0, 0.25f);
    double plain = static_cast<FloatParameter*>(c.param(0))->value();
    c.lastLoaded.clear();
    EXPECT_TRUE(c.presetBank()->loadPresetFromHost(0));
    EXPECT_EQ(static_cast<FloatParameter*>(c.param(0))->value(), plain);
    EXPECT_EQ(c.presetBank()->preset(0)->values()[0], 0.25f);
    EXPECT_TRUE(c.lastLoaded.empty());

    EXPECT_FALSE(c.presetBank()->loadPresetFromHost(2));
    EXPECT_FALSE(c.presetBank()->loadPresetFromHost(-1));
    EXPECT_EQ(c.presetBank()->currentPresetIndex(), 0);
}

TEST(ByteReader, NeverReadsPastTheEnd)
{
    const uint8_t bytes[6] = {1, 0, 0, 0, 0xFF, 0xFF};
    ByteReader r(bytes, sizeof bytes);
    EXPECT_EQ(r.popLEInt32(), 1);
    EXPECT_FALSE(r.error());
    EXPECT_EQ(r.popLEInt32(), 0);
    EXPECT_TRUE(r.error());
    EXPECT_EQ(r.remaining(), 2u);
    EXPECT_EQ(r.popBytes(3), nullptr);
    EXPECT_NE(r.popBytes(2), nullptr);

    Vec<uint8_t> out;
    writeInteger(out, uint32_t(0x01020304), ByteOrder::BigEndian);
    writeInteger(out, uint32_t(0x01020304), ByteOrder::LittleEndian);
    const uint8_t expected[8] = {1, 2, 3, 4, 4, 3, 2, 1};
    ASSERT_EQ(out.length(), 8u);
    EXPECT_EQ(std::memcmp(out.ptr(), expected, 8), 0);
}
