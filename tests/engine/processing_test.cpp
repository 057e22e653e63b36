// The processing chain of VelloxClient, end to end.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "engine/baxandall.h"
#include "engine/distortion.h"
#include "engine/main.h"
#include "plugkit/client/boolparameter.h"
#include "plugkit/client/floatparameter.h"
#include "plugkit/client/igraphics.h"
#include "plugkit/client/integerparameter.h"

using namespace plugkit;
using namespace vellox;

namespace
{

constexpr double kRate = 48000.0;
constexpr int kBlock = 512;

struct Stereo
{
    std::vector<float> left, right;
    explicit Stereo(int frames = kBlock) : left(size_t(frames)), right(size_t(frames)) {}
    const float* in[2];
    float* out[2];
    const float* const* inputs()
    {
        in[0] = left.data();
        in[1] = right.data();
        return in;
    }
    float* const* outputs()
    {
        out[0] = left.data();
        out[1] = right.data();
        return out;
    }
};

// A two-tone test signal; `offset` continues it across blocks.
Stereo signal(int frames, int offset, float amplitude = 0.5f)
{
    Stereo s(frames);
    for (int i = 0; i < frames; ++i)
    {
        const double t = double(offset + i) / kRate;
        s.left[size_t(i)] = amplitude * float(std::sin(2 * M_PI * 220.0 * t));
        s.right[size_t(i)] = amplitude * float(std::sin(2 * M_PI * 3300.0 * t + 0.3));
    }
    return s;
}

void setBool(Client& c, int index, bool on)
{
    c.param(index)->setFromHost(on ? 1.0f : 0.0f);
}

// The exact plain value (a normalised float would round it).
void setPlain(Client& c, int index, double value)
{
    static_cast<FloatParameter*>(c.param(index))->setFromGUI(value);
}

void setEnum(Client& c, int index, int entry)
{
    auto* e = static_cast<IntegerParameter*>(c.param(index));
    e->setFromHost(float(entry) / float(e->maxValue()));
}

Stereo process(VelloxClient& c, Stereo input)
{
    Stereo output(int(input.left.size()));
    c.processAudio(input.inputs(), output.outputs(), int(input.left.size()), TimeInfo{});
    return output;
}

bool allFinite(const Stereo& s)
{
    for (size_t i = 0; i < s.left.size(); ++i)
        if (!std::isfinite(s.left[i]) || !std::isfinite(s.right[i]))
            return false;
    return true;
}

// Every stage on and away from its neutral setting.
void heaviestSettings(VelloxClient& c)
{
    setEnum(c, paramTextureLevels, 3);
    setBool(c, paramVaverivOn, true);
    setPlain(c, paramVudiraziAmount, 100.0);
    setPlain(c, paramBassAmount, 100.0);
    setPlain(c, paramTrebleAmount, 100.0);
    setBool(c, paramExciter, true);
    setBool(c, paramEQOn, true);
    setPlain(c, paramLowGain, 6.0);
    setPlain(c, paramMidGain, -4.0);
    setPlain(c, paramHighGain, 3.0);
    setBool(c, paramFilterOn, true);
    setEnum(c, paramLPMode, 0);
    setBool(c, paramLimiterOn, true);
    setPlain(c, paramMix, 50.0);
}

class FakeEditor : public IGraphics, public IMeterFeed
{
public:
    void* openUI(void*, void*, IClient*, WindowBackend) override { return nullptr; }
    void closeUI() override {}
    void getGUISize(int*, int*) override {}
    void getDesiredGUISize(int*, int*) override {}
    bool isResizeable() override { return false; }
    bool isResizeableHorizontally() override { return false; }
    bool isResizeableVertically() override { return false; }
    void getMaxSmallerValidSize(int*, int*) override {}
    void getNearestValidSize(int*, int*) override {}
    bool nativeWindowResize(int, int) override { return false; }
    bool isAspectRatioPreserved() override { return false; }
    AspectRatio getPreservedAspectRatio() override { return {}; }

    void sendinputBargraphLinearValueToUI(float* values, int count, float rate) override
    {
        input.assign(values, values + count);
        this->rate = rate;
        ++calls;
    }
    void sendoutputBargraphLinearValueToUI(float* values, int count, float) override
    {
        output.assign(values, values + count);
    }

    std::vector<float> input, output;
    float rate = 0;
    int calls = 0;
};

class ClientWithEditor : public VelloxClient
{
public:
    IGraphics* createGraphics() override
    {
        editor = mallocNew<FakeEditor>();
        setMeterFeed(editor);
        return editor;
    }
    FakeEditor* editor = nullptr;
};

} // namespace

TEST(Processing, SilentBlocksGiveZerosAndLeaveEveryStateAsItWas)
{
    VelloxClient quiet, reference;
    for (VelloxClient* c : {&quiet, &reference})
    {
        heaviestSettings(*c);
        setPlain(*c, paramLPGain, 48.0); // would add signal if the chain ran
        c->resetFromHost(kRate, kBlock, 2, 2);
        process(*c, signal(kBlock, 0));
    }
    setPlain(quiet, paramMix, 0.0); // not read while silent

    Stereo zeros = process(quiet, Stereo(kBlock));
    EXPECT_TRUE(quiet.lastCallWasSilent());
    for (int i = 0; i < kBlock; ++i)
        ASSERT_TRUE(zeros.left[size_t(i)] == 0.0f && zeros.right[size_t(i)] == 0.0f);

    setPlain(quiet, paramMix, 50.0);
    Stereo a = process(quiet, signal(kBlock, kBlock));
    Stereo b = process(reference, signal(kBlock, kBlock));
    EXPECT_EQ(a.left, b.left);
    EXPECT_EQ(a.right, b.right);
}

TEST(Processing, OneNonZeroSampleMakesTheBlockSound)
{
    VelloxClient c;
    c.resetFromHost(kRate, kBlock, 2, 2);
    Stereo in(kBlock);
    in.right[kBlock - 1] = 1e-30f;
    process(c, in);
    EXPECT_FALSE(c.lastCallWasSilent());
}

TEST(Processing, NeutralSettingsAreSoftClipThenTheOriginalToneStage)
{
    VelloxClient c;
    setEnum(c, paramTextureLevels, 0);
    for (int i : {paramTrebleOn, paramBassOn, paramVaverivOn, paramExciter, paramEQOn,
                  paramFilterOn, paramLimiterOn})
        setBool(c, i, false);
    setPlain(c, paramMix, 100.0);
    setPlain(c, paramInputGain, 0.0);
    setPlain(c, paramOutputGain, 0.0);
    c.resetFromHost(kRate, kBlock, 2, 2);

    BaxandAll tone;
    tone.reset();
    tone.setControls(BaxandAll::kExciterOff, 20.0f * 0.08f, 20.0f * 0.06f);
    for (int block = 0; block < 3; ++block)
    {
        Stereo in = signal(kBlock, block * kBlock, 1.5f);
        Stereo expected = in;
        for (size_t i = 0; i < expected.left.size(); ++i)
        {
            expected.left[i] = softClip(expected.left[i]);
            expected.right[i] = softClip(expected.right[i]);
        }
        tone.processBaxandall2_original(expected.left.data(), expected.left.data(),
                                        expected.right.data(), expected.right.data(), kBlock,
                                        kRate);
        Stereo out = process(c, in);
        ASSERT_EQ(out.left, expected.left) << "block " << block;
        ASSERT_EQ(out.right, expected.right) << "block " << block;
    }
}

TEST(Processing, MixAtZeroGivesTheGainedDrySignalFromTheSecondCallOn)
{
    VelloxClient c;
    setPlain(c, paramMix, 0.0);
    setPlain(c, paramOutputGain, -6.0);
    c.resetFromHost(kRate, kBlock, 2, 2);
    const float inputGain = decibelsToGain(-4.0f);
    const float outputGain = decibelsToGain(-6.0f);

    Stereo first = process(c, signal(kBlock, 0));
    // The first call still applies wet 1, dry 0: the processed signal.
    EXPECT_NE(first.left[100], signal(kBlock, 0).left[100] * inputGain * outputGain);
    EXPECT_FLOAT_EQ(c.wetGain(), 0.0f);
    EXPECT_FLOAT_EQ(c.dryGain(), 1.0f);

    Stereo in = signal(kBlock, kBlock);
    Stereo out = process(c, in);
    for (size_t i = 0; i < in.left.size(); ++i)
    {
        ASSERT_EQ(out.left[i], (in.left[i] * inputGain) * outputGain);
        ASSERT_EQ(out.right[i], (in.right[i] * inputGain) * outputGain);
    }
}

TEST(Processing, MixGainsFollowTheCrossfadeLawOneCallLate)
{
    VelloxClient c;
    c.resetFromHost(kRate, kBlock, 2, 2);
    EXPECT_EQ(c.wetGain(), 1.0f);
    EXPECT_EQ(c.dryGain(), 0.0f);
    setPlain(c, paramMix, 50.0);
    process(c, signal(kBlock, 0));
    EXPECT_NEAR(c.wetGain(), 0.70336f, 1e-5);
    EXPECT_NEAR(c.dryGain(), 0.70336f, 1e-5);
}

TEST(Processing, TextureChangeResizesAtTheNextCall)
{
    VelloxClient c;
    c.resetFromHost(kRate, kBlock, 2, 2);
    EXPECT_EQ(c.oversamplingFactor(), 4);
    process(c, signal(kBlock, 0));
    setEnum(c, paramTextureLevels, 3);
    EXPECT_EQ(c.oversamplingFactor(), 4);
    // A full block at 8x writes 4096 samples per channel: ASan sees any missed resize.
    Stereo out = process(c, signal(kBlock, kBlock));
    EXPECT_EQ(c.oversamplingFactor(), 8);
    EXPECT_TRUE(allFinite(out));
    setEnum(c, paramTextureLevels, 0);
    process(c, signal(kBlock, 2 * kBlock));
    EXPECT_EQ(c.oversamplingFactor(), 1);
}

TEST(Processing, InputsMayAliasOutputs)
{
    VelloxClient separate, inPlace;
    for (VelloxClient* c : {&separate, &inPlace})
    {
        heaviestSettings(*c);
        c->resetFromHost(kRate, kBlock, 2, 2);
    }
    for (int block = 0; block < 3; ++block)
    {
        Stereo expected = process(separate, signal(kBlock, block * kBlock));
        Stereo buffer = signal(kBlock, block * kBlock);
        float* channels[2] = {buffer.left.data(), buffer.right.data()};
        inPlace.processAudio(channels, channels, kBlock, TimeInfo{});
        ASSERT_EQ(buffer.left, expected.left);
        ASSERT_EQ(buffer.right, expected.right);
    }
}

TEST(Processing, NonFiniteInputLeavesNoStateNonFinite)
{
    const float bad[] = {std::numeric_limits<float>::quiet_NaN(),
                         std::numeric_limits<float>::infinity(),
                         -std::numeric_limits<float>::infinity(), 3e38f};
    for (float value : bad)
    {
        VelloxClient c;
        heaviestSettings(c);
        setPlain(c, paramInputGain, 24.0);
        c.resetFromHost(kRate, kBlock, 2, 2);
        process(c, signal(kBlock, 0));

        Stereo poisoned = signal(kBlock, kBlock);
        poisoned.left[7] = value;
        poisoned.right[300] = value;
        Stereo during = process(c, poisoned);
        EXPECT_TRUE(allFinite(during)) << value;
        for (int block = 2; block < 5; ++block)
        {
            Stereo after = process(c, signal(kBlock, block * kBlock));
            ASSERT_TRUE(allFinite(after)) << value;
            EXPECT_GT(std::fabs(after.left[200]) + std::fabs(after.right[200]), 0.0f);
        }
    }
}

TEST(Processing, OnlyNonFiniteSamplesAreStillNotSilence)
{
    VelloxClient c;
    c.resetFromHost(kRate, kBlock, 2, 2);
    Stereo in(kBlock);
    in.left[0] = std::numeric_limits<float>::quiet_NaN();
    Stereo out = process(c, in);
    EXPECT_FALSE(c.lastCallWasSilent());
    EXPECT_TRUE(allFinite(out));
}

TEST(Processing, MeterValuesGoToAnOpenEditorOnly)
{
    ClientWithEditor c;
    setEnum(c, paramTextureLevels, 3);
    c.resetFromHost(kRate, kBlock, 2, 2);
    process(c, signal(100, 0)); // no editor yet: nothing to send, nothing breaks

    c.getOrCreateGraphics();
    FakeEditor* editor = c.editor;
    Stereo in = signal(100, 100);
    Stereo out = process(c, in);
    ASSERT_EQ(editor->calls, 1);
    ASSERT_EQ(editor->input.size(), 100u); // host-rate values even at 8x
    const float gain = decibelsToGain(-4.0f);
    for (size_t i = 0; i < 100; ++i)
        ASSERT_EQ(editor->input[i],
                  (std::fabs(in.left[i] * gain) + std::fabs(in.right[i] * gain)) * 0.5f);
    EXPECT_EQ(editor->output, out.left);
    EXPECT_EQ(editor->rate, 48000.0f);

    process(c, Stereo(100)); // silent: nothing sent
    EXPECT_EQ(editor->calls, 1);

    // While something else holds the editor, the values of the call are dropped.
    ASSERT_NE(c.graphicsAcquire(), nullptr);
    process(c, signal(100, 200));
    EXPECT_EQ(editor->calls, 1);
    c.graphicsRelease();
    process(c, signal(100, 300));
    EXPECT_EQ(editor->calls, 2);
}

TEST(Processing, HeaviestSettingsStayBoundedWithTheLimiter)
{
    VelloxClient c;
    heaviestSettings(c);
    setPlain(c, paramInputGain, 24.0);
    setPlain(c, paramLPGain, 48.0);
    c.resetFromHost(kRate, kBlock, 2, 2);
    for (int block = 0; block < 8; ++block)
    {
        Stereo out = process(c, signal(kBlock, block * kBlock, 1.0f));
        for (size_t i = 0; i < out.left.size(); ++i)
        {
            ASSERT_LE(std::fabs(out.left[i]), 1.0f);
            ASSERT_LE(std::fabs(out.right[i]), 1.0f);
        }
    }
}

TEST(Processing, BlocksOfAnySizeUpToTheMaximumWork)
{
    VelloxClient c;
    heaviestSettings(c);
    c.resetFromHost(kRate, kBlock, 2, 2);
    for (int frames : {1, 2, 63, 511, 512})
        EXPECT_TRUE(allFinite(process(c, signal(frames, 0))));
    // A block above the announced maximum is not written past the buffers: silence.
    Stereo out = process(c, signal(600, 0));
    EXPECT_EQ(out.left, std::vector<float>(600, 0.0f));
}
