#include "engine/factorypresets.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/main.h"
#include "plugkit/client/boolparameter.h"
#include "plugkit/client/floatparameter.h"
#include "plugkit/client/ihostcommand.h"
#include "plugkit/client/integerparameter.h"
#include "plugkit/core/memory.h"

namespace
{

using namespace vellox;
using plugkit::BoolParameter;
using plugkit::EnumParameter;
using plugkit::FloatParameter;
using plugkit::IntegerParameter;
using plugkit::parameterCast;

// Records what the parameters report to the host.
class RecordingHost : public plugkit::IHostCommand
{
public:
    struct Call
    {
        char what;  // 'b'egin, 'a'utomate, 'e'nd
        int index;
        float value;
    };
    std::vector<Call> calls;

    void beginParamEdit(int index) override { calls.push_back({'b', index, 0.0f}); }
    void paramAutomate(int index, float v) override { calls.push_back({'a', index, v}); }
    void endParamEdit(int index) override { calls.push_back({'e', index, 0.0f}); }
    bool requestResize(int, int) override { return false; }
    bool notifyResized() override { return false; }
    plugkit::DAW getDAW() override { return plugkit::DAW(0); }
    plugkit::PluginFormat getPluginFormat() override { return plugkit::PluginFormat(1); }
};

class FactoryPresets : public ::testing::Test
{
protected:
    FactoryPresets() : client(plugkit::mallocNew<VelloxClient>()) { client->setHostCommand(&host); }
    ~FactoryPresets() override { plugkit::destroyFree(client); }

    // The plain value of parameter i, as the table writes it (switches 1/0, entries 0-based).
    double plain(int i)
    {
        plugkit::Parameter* p = client->param(i);
        if (auto* f = parameterCast<FloatParameter>(p))
            return f->value();
        if (auto* n = parameterCast<IntegerParameter>(p))
            return n->value();
        return parameterCast<BoolParameter>(p)->value() ? 1.0 : 0.0;
    }

    std::vector<double> allPlain()
    {
        std::vector<double> v;
        for (int i = 0; i < kNumPresetColumns; ++i)
            v.push_back(plain(i));
        return v;
    }

    RecordingHost host;
    VelloxClient* client;
};

TEST_F(FactoryPresets, NamesAreThePresetsEntriesAndColumnZeroNumbersTheRows)
{
    auto* presets = parameterCast<EnumParameter>(client->param(paramPresets));
    ASSERT_NE(presets, nullptr);
    ASSERT_EQ(presets->numEntries(), kNumFactoryPresets);
    for (int e = 0; e < kNumFactoryPresets; ++e)
    {
        EXPECT_STREQ(presets->entryLabel(e), kFactoryPresetNames[e]);
        EXPECT_EQ(presetvalues_row1[e][0], float(e + 1));
    }
}

TEST_F(FactoryPresets, FindMatchesExactNamesOnly)
{
    EXPECT_EQ(findFactoryPreset("INIT"), 0);
    EXPECT_EQ(findFactoryPreset("FATDRUM"), 8);
    EXPECT_EQ(findFactoryPreset("LOFIVOICE"), 17);
    for (const char* wrong : {"fatdrum", "FATDRUM ", "", "Default"})
        EXPECT_EQ(findFactoryPreset(wrong), -1) << '"' << wrong << '"';
    EXPECT_EQ(findFactoryPreset(nullptr), -1);
}

TEST_F(FactoryPresets, EveryRowSetsItsValuesExactly)
{
    for (int e = 0; e < kNumFactoryPresets; ++e)
    {
        applyFactoryPreset(*client, e);
        EXPECT_EQ(plain(paramPresets), e);
        for (int i = 1; i < kNumPresetColumns; ++i)
            EXPECT_EQ(plain(i), double(presetvalues_row1[e][i]))
                << kFactoryPresetNames[e] << ", " << client->param(i)->name();
    }
}

TEST_F(FactoryPresets, InitRestoresEveryDefault)
{
    applyFactoryPreset(*client, findFactoryPreset("BUZZ"));
    applyFactoryPreset(*client, findFactoryPreset("INIT"));
    for (int i = 0; i < client->numParams(); ++i)
        EXPECT_EQ(client->param(i)->getNormalized(), client->param(i)->getNormalizedDefault())
            << client->param(i)->name();
}

TEST_F(FactoryPresets, NeighbouringRowsDifferOnlyWhereTheTableSays)
{
    struct Case
    {
        const char* from;
        const char* to;
        int onlyChanged;
    };
    for (const Case& c : {Case{"HIHAT", "LOFIHIHAT", paramLPMode},
                          Case{"VUDIRAZI", "BUZZ", paramFilterOn}})
    {
        applyFactoryPreset(*client, findFactoryPreset(c.from));
        std::vector<double> before = allPlain();
        applyFactoryPreset(*client, findFactoryPreset(c.to));
        std::vector<double> after = allPlain();
        for (int i = 1; i < kNumPresetColumns; ++i)
        {
            if (i == c.onlyChanged)
                EXPECT_NE(before[size_t(i)], after[size_t(i)]) << c.to;
            else
                EXPECT_EQ(before[size_t(i)], after[size_t(i)]) << c.to << ", " << client->param(i)->name();
        }
    }
}

TEST_F(FactoryPresets, EachValueReachesTheHostAsOneClosedEdit)
{
    applyFactoryPreset(*client, findFactoryPreset("GUITAR"));
    ASSERT_EQ(host.calls.size(), size_t(3 * kNumPresetColumns));
    for (int i = 0; i < kNumPresetColumns; ++i)
    {
        const RecordingHost::Call* c = &host.calls[size_t(3 * i)];
        EXPECT_EQ(c[0].what, 'b');
        EXPECT_EQ(c[1].what, 'a');
        EXPECT_EQ(c[2].what, 'e');
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(c[k].index, i);
        EXPECT_EQ(c[1].value, float(client->param(i)->getNormalized())) << client->param(i)->name();
        EXPECT_FALSE(client->param(i)->isEditing());
    }
}

TEST_F(FactoryPresets, HostChangesOfPresetsMoveNoOtherParameter)
{
    // Only the editor's menu applies rows; the host setting "Presets" changes that value alone.
    std::vector<double> before = allPlain();
    client->param(paramPresets)->setFromHost(5.0 / 17.0);  // "BASS"
    std::vector<double> after = allPlain();
    EXPECT_EQ(after[paramPresets], 5.0);
    for (int i = 1; i < kNumPresetColumns; ++i)
        EXPECT_EQ(before[size_t(i)], after[size_t(i)]) << client->param(i)->name();
}

} // namespace
