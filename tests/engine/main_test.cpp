#include "engine/main.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "plugkit/client/boolparameter.h"
#include "plugkit/client/floatparameter.h"
#include "plugkit/client/integerparameter.h"
#include "plugkit/client/preset.h"
#include "plugkit/client/presetbank.h"

using namespace plugkit;
using namespace vellox;

namespace
{

const double kInf = std::numeric_limits<double>::infinity();

std::vector<uint8_t> chunkOf(Client& c)
{
    Vec<uint8_t> v;
    c.presetBank()->writeStateChunk(v);
    return std::vector<uint8_t>(v.begin(), v.end());
}

bool load(Client& c, const std::vector<uint8_t>& bytes)
{
    bool error = true;
    c.presetBank()->loadStateChunk(bytes.data(), bytes.size(), &error);
    return !error;
}

std::vector<double> normalizedValues(Client& c)
{
    std::vector<double> v;
    for (int i = 0; i < c.numParams(); ++i)
        v.push_back(c.param(i)->getNormalized());
    return v;
}

// Every value as the engine reads it: floats in single precision, the others as they are.
std::vector<float> engineValues(Client& c)
{
    std::vector<float> v;
    for (int i = 0; i < c.numParams(); ++i)
    {
        Parameter* p = c.param(i);
        if (auto* f = parameterCast<FloatParameter>(p))
            v.push_back(float(f->valueAtomic()));
        else if (auto* n = parameterCast<IntegerParameter>(p))
            v.push_back(float(n->valueAtomic()));
        else
            v.push_back(parameterCast<BoolParameter>(p)->valueAtomic() ? 1.0f : 0.0f);
    }
    return v;
}

struct Chunk
{
    std::vector<uint8_t> bytes;
    Chunk& raw(std::initializer_list<uint8_t> b)
    {
        bytes.insert(bytes.end(), b);
        return *this;
    }
    Chunk& i32(int32_t v)
    {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(uint8_t(uint32_t(v) >> (8 * i)));
        return *this;
    }
    Chunk& f32(float f)
    {
        int32_t v;
        std::memcpy(&v, &f, 4);
        return i32(v);
    }
    Chunk& header(int32_t major)
    {
        return raw({0x0B, 0x20, 0xBA, 0x92}).i32(major).i32(0).i32(0x00010200);
    }
};

int32_t readLE(const std::vector<uint8_t>& b, size_t at)
{
    return int32_t(uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
                   uint32_t(b[at + 3]) << 24);
}

} // namespace

TEST(VelloxClient, PluginInformation)
{
    VelloxClient c;
    const PluginInfo& info = c.pluginInfo();
    EXPECT_STREQ(info.vendorName, "Plenwick");
    EXPECT_STREQ(info.vendorUniqueID, "Plen");
    EXPECT_STREQ(info.vendorSupportEmail, "support@plenwick.com");
    EXPECT_STREQ(info.pluginName, "Vellox-Vizu");
    EXPECT_STREQ(info.pluginHomepage, "https://plenwick.com");
    EXPECT_STREQ(info.pluginUniqueID, "VLXD");
    EXPECT_EQ(info.publicVersion.major, 1);
    EXPECT_EQ(info.publicVersion.minor, 2);
    EXPECT_EQ(info.publicVersion.patch, 0);
    EXPECT_TRUE(info.hasGUI);
    EXPECT_FALSE(info.isSynth);
    EXPECT_FALSE(info.receivesMIDI);
    EXPECT_FALSE(info.sendsMIDI);
    EXPECT_EQ(info.category, PluginCategory::EffectDynamics);
    EXPECT_STREQ(info.vstBundleIdentifier, "plenwick.vst.Vellox-Vizu");
    EXPECT_STREQ(info.auBundleIdentifier, "plenwick.audiounit.Vellox-Vizu");
    EXPECT_STREQ(info.aaxBundleIdentifier, "plenwick.aax.Vellox-Vizu");
    EXPECT_STREQ(info.bundleIdentifier, "plenwick.Vellox-Vizu");
    EXPECT_STREQ(info.factoryBundleIdentifier, "plenwick.Vellox-Vizu.factory");

    for (double rate : {44100.0, 48000.0, 96000.0, 192000.0})
        EXPECT_EQ(c.latencySamples(rate), 0);
    EXPECT_EQ(c.tailSizeInSeconds(), 0.8f);
    EXPECT_EQ(c.maxFramesInProcess(), 512);
    EXPECT_EQ(c.maxFramesInProcessLimit(), 512);
    EXPECT_EQ(c.createGraphics(), nullptr);
}

TEST(VelloxClient, OnlyStereoInAndOutIsLegal)
{
    VelloxClient c;
    EXPECT_TRUE(c.isLegalIO(2, 2));
    EXPECT_FALSE(c.isLegalIO(1, 2));
    EXPECT_FALSE(c.isLegalIO(1, 1));
    EXPECT_FALSE(c.isLegalIO(2, 1));
    EXPECT_FALSE(c.isLegalIO(0, 2));
    EXPECT_EQ(c.maxInputs(), 2);
    EXPECT_EQ(c.maxOutputs(), 2);
}

TEST(VelloxClient, ParameterTable)
{
    struct Row
    {
        const char* name;
        ParameterKind kind;
        const char* label;
        double min, max, def;
        const char* defaultText;
    };
    const Row rows[kNumParams] = {
        {"Presets", ParameterKind::Enum, "", 0, 17, 0, "INIT"},
        {"Input gain", ParameterKind::Gain, "dB", -kInf, 24, -4, "-4.0"},
        {"Texture Levels", ParameterKind::Enum, "", 0, 3, 2, "WARM_x4"},
        {"Treble on/off", ParameterKind::Bool, "", 0, 1, 1, "yes"},
        {"Treble amount", ParameterKind::LinearFloat, "%", 0, 100, 20, "20.00"},
        {"Bass onoff", ParameterKind::Bool, "", 0, 1, 1, "yes"},
        {"Bass amount", ParameterKind::LinearFloat, "%", 0, 100, 20, "20.00"},
        {"Vaveriv on/off", ParameterKind::Bool, "", 0, 1, 0, "no"},
        {"Vudirazi amount", ParameterKind::LinearFloat, "%", 0, 100, 15, "15.00"},
        {"Exciter", ParameterKind::Bool, "", 0, 1, 0, "no"},
        {"EQ. on/off", ParameterKind::Bool, "", 0, 1, 0, "no"},
        {"Low Gain", ParameterKind::LinearFloat, "db", -12, 12, 0, "0.00"},
        {"Mid. Freq.", ParameterKind::LogFloat, "hz", 300, 8200, 2200, "2200.00"},
        {"Mid. Gain", ParameterKind::LinearFloat, "db", -12, 12, 0, "0.00"},
        {"High Gain", ParameterKind::LinearFloat, "db", -12, 12, 0, "0.00"},
        {"Filter on/off", ParameterKind::Bool, "", 0, 1, 0, "no"},
        {"LP Mode", ParameterKind::Enum, "", 0, 1, 1, "DIRTY"},
        {"LP Cutoff", ParameterKind::LinearFloat, "hz", 300, 12050, 12050, "12050.00"},
        {"LP Resonance", ParameterKind::LinearFloat, "", double(0.01f), 3, 2, "2.00"},
        {"LP Gain", ParameterKind::Gain, "dB", -kInf, 48, 32, "32.0"},
        {"Limiter on/off", ParameterKind::Bool, "", 0, 1, 0, "no"},
        {"Mix", ParameterKind::LinearFloat, "%", 0, 100, 80, "80.00"},
        {"Output gain", ParameterKind::Gain, "dB", -kInf, 12, 0, "0.0"},
    };
    VelloxClient c;
    ASSERT_EQ(c.numParams(), kNumParams);
    for (int i = 0; i < kNumParams; ++i)
    {
        const Row& r = rows[i];
        Parameter* p = c.param(i);
        SCOPED_TRACE(r.name);
        EXPECT_EQ(p->index(), i);
        EXPECT_STREQ(p->name(), r.name);
        EXPECT_STREQ(p->label(), r.label);
        EXPECT_EQ(p->kind(), r.kind);
        EXPECT_TRUE(p->isAutomatable());
        char text[128];
        p->toStringN(text, sizeof text);
        EXPECT_STREQ(text, r.defaultText);
        if (auto* f = parameterCast<FloatParameter>(p))
        {
            EXPECT_EQ(f->minValue(), r.min);
            EXPECT_EQ(f->maxValue(), r.max);
            EXPECT_EQ(f->defaultValue(), r.def);
            EXPECT_EQ(f->value(), r.def);
            EXPECT_STREQ(f->displayFormat(), r.kind == ParameterKind::Gain ? "%2.1f" : "%2.2f");
        }
        else if (auto* n = parameterCast<IntegerParameter>(p))
        {
            EXPECT_EQ(n->minValue(), r.min);
            EXPECT_EQ(n->maxValue(), r.max);
            EXPECT_EQ(n->defaultValue(), r.def);
        }
        else if (auto* b = parameterCast<BoolParameter>(p))
        {
            EXPECT_EQ(b->defaultValue(), r.def != 0);
        }
    }
    EXPECT_EQ(parameterCast<FloatParameter>(c.param(paramLPResonance))->minValue(),
              0.009999999776482582);

    const char* presets[] = {"INIT", "ENHANCE", "GLUE",  "GUITAR",    "FATGUITAR", "BASS",
                             "FATBASS", "DRUM", "FATDRUM", "KICK", "SNARE", "HIHAT",
                             "LOFIHIHAT", "VUDIRAZI", "DENSE", "BUZZ", "VOICE", "LOFIVOICE"};
    auto* menu = parameterCast<EnumParameter>(c.param(paramPresets));
    ASSERT_EQ(menu->numEntries(), 18);
    for (int e = 0; e < 18; ++e)
        EXPECT_STREQ(menu->entryLabel(e), presets[e]);
    auto* texture = parameterCast<EnumParameter>(c.param(paramTextureLevels));
    const char* textures[] = {"RAW_X0", "BURN_x2", "WARM_x4", "AIR_x8"};
    for (int e = 0; e < 4; ++e)
        EXPECT_STREQ(texture->entryLabel(e), textures[e]);
    auto* mode = parameterCast<EnumParameter>(c.param(paramLPMode));
    EXPECT_STREQ(mode->entryLabel(0), "CLEAN");
    EXPECT_STREQ(mode->entryLabel(1), "DIRTY");
}

TEST(VelloxClient, GainAtMinusInfinityIsExactlySilent)
{
    VelloxClient c;
    for (int i : {paramInputGain, paramLPGain, paramOutputGain})
    {
        auto* g = parameterCast<GainParameter>(c.param(i));
        ASSERT_NE(g, nullptr);
        g->setFromHost(0.0);
        EXPECT_EQ(g->valueAtomic(), -kInf) << g->name();
        EXPECT_EQ(decibelsToGain(float(g->valueAtomic())), 0.0f) << g->name();
    }
    EXPECT_EQ(decibelsToGain(0.0f), 1.0f);
}

TEST(VelloxClient, ChangingPresetsFromTheHostMovesNothingElse)
{
    VelloxClient c;
    std::vector<double> before = normalizedValues(c);
    c.setParameterFromHost(paramPresets, 1.0f);
    std::vector<double> after = normalizedValues(c);
    EXPECT_EQ(parameterCast<EnumParameter>(c.param(paramPresets))->value(), 17);
    for (int i = 1; i < kNumParams; ++i)
        EXPECT_EQ(after[i], before[i]) << c.param(i)->name();
}

TEST(VelloxStateChunk, DefaultChunkIs120Bytes)
{
    VelloxClient c;
    std::vector<uint8_t> chunk = chunkOf(c);
    ASSERT_EQ(chunk.size(), 120u);
    const uint8_t magic[4] = {0x0B, 0x20, 0xBA, 0x92};
    EXPECT_EQ(std::memcmp(chunk.data(), magic, 4), 0);
    EXPECT_EQ(readLE(chunk, 4), 1);
    EXPECT_EQ(readLE(chunk, 8), 0);
    EXPECT_EQ(readLE(chunk, 12), 0x00010200);
    EXPECT_EQ(readLE(chunk, 16), 0);
    EXPECT_EQ(readLE(chunk, 20), 23);
    for (int i = 0; i < 23; ++i)
    {
        int32_t bits = readLE(chunk, 24 + 4 * size_t(i));
        float v;
        std::memcpy(&v, &bits, 4);
        EXPECT_EQ(v, float(c.param(i)->getNormalizedDefault())) << c.param(i)->name();
    }
    EXPECT_EQ(readLE(chunk, 116), 0);

    VelloxClient fresh;
    ASSERT_TRUE(load(fresh, chunk));
    EXPECT_EQ(chunkOf(fresh), chunk);
}

TEST(VelloxStateChunk, ChangedStateRoundTripsByteForByte)
{
    VelloxClient a;
    for (int i = 0; i < kNumParams; ++i)
        a.setParameterFromHost(i, float((i * 37) % 100) / 99.0f);
    std::vector<uint8_t> first = chunkOf(a);
    VelloxClient b;
    ASSERT_TRUE(load(b, first));
    EXPECT_EQ(chunkOf(b), first);
}

TEST(VelloxStateChunk, OldLayoutWithThreeValuesChangesOnlyThose)
{
    VelloxClient c;
    std::vector<double> before = normalizedValues(c);
    ASSERT_TRUE(load(c, Chunk().header(0).i32(0).i32(3).f32(1.0f).f32(1.0f).f32(0.0f).bytes));
    std::vector<double> after = normalizedValues(c);
    EXPECT_EQ(after[0], 1.0);
    EXPECT_EQ(after[1], 1.0);
    EXPECT_EQ(after[2], 0.0);
    for (int i = 3; i < kNumParams; ++i)
        EXPECT_EQ(after[i], before[i]) << i;
}

TEST(VelloxStateChunk, ThirtyValuesApplyTheFirstTwentyThree)
{
    VelloxClient c;
    Chunk chunk;
    chunk.header(1).i32(0).i32(30);
    for (int i = 0; i < 30; ++i)
        chunk.f32(i % 2 == 0 ? 0.0f : 1.0f);
    chunk.i32(0);
    ASSERT_TRUE(load(c, chunk.bytes));
    for (int i = 0; i < kNumParams; ++i)
        EXPECT_EQ(c.param(i)->getNormalized(), i % 2 == 0 ? 0.0 : 1.0) << i;
}

TEST(VelloxStateChunk, MalformedChunksAreRejected)
{
    struct Case
    {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"byte-swapped magic",
         Chunk().raw({0x92, 0xBA, 0x20, 0x0B}).i32(1).i32(0).i32(0x00010200).i32(0).i32(0).i32(0).bytes},
        {"major version 2", Chunk().header(2).i32(0).i32(0).i32(0).bytes},
        {"preset index 1", Chunk().header(1).i32(1).i32(0).i32(0).bytes},
    };
    for (const Case& k : cases)
    {
        VelloxClient c;
        std::vector<uint8_t> before = chunkOf(c);
        EXPECT_FALSE(load(c, k.bytes)) << k.what;
        EXPECT_EQ(chunkOf(c), before) << k.what;
    }
}

TEST(VelloxStateChunk, ACutInTheValueListKeepsTheValuesBeforeIt)
{
    VelloxClient c;
    std::vector<double> before = normalizedValues(c);
    Chunk chunk;
    chunk.header(1).i32(0).i32(23).f32(1.0f).f32(1.0f).f32(0.0f).f32(0.0f);
    chunk.raw({0x00, 0x00}); // half of value 4
    EXPECT_FALSE(load(c, chunk.bytes));
    std::vector<double> after = normalizedValues(c);
    EXPECT_EQ(after[0], 1.0);
    EXPECT_EQ(after[1], 1.0);
    EXPECT_EQ(after[2], 0.0);
    EXPECT_EQ(after[3], 0.0);
    for (int i = 4; i < kNumParams; ++i)
        EXPECT_EQ(after[i], before[i]) << i;
}

TEST(VelloxPresets, TheBankHoldsOneDefaultAndSwitchingToItChangesNothing)
{
    VelloxClient c;
    PresetBank* bank = c.presetBank();
    ASSERT_EQ(bank->numPresets(), 1);
    Preset* p = bank->preset(0);
    EXPECT_STREQ(p->name(), "Default");
    ASSERT_EQ(p->values().length(), size_t(kNumParams));
    for (int i = 0; i < kNumParams; ++i)
        EXPECT_EQ(p->values()[size_t(i)], float(c.param(i)->getNormalizedDefault()));
    EXPECT_EQ(p->stateData().length(), 0u);

    c.setParameterFromHost(paramMix, 0.3f);
    c.setParameterFromHost(paramTrebleOn, 0.0f);
    std::vector<uint8_t> chunkBefore = chunkOf(c);
    std::vector<float> engineBefore = engineValues(c);
    EXPECT_TRUE(bank->loadPresetFromHost(0));
    // The live state went through 32-bit normalised values: what the host and the engine
    // see is unchanged.
    EXPECT_EQ(chunkOf(c), chunkBefore);
    EXPECT_EQ(engineValues(c), engineBefore);
}
