#include "plugkit/client/client.h"

#include <gtest/gtest.h>

#include <vector>

#include "plugkit/client/presetbank.h"
#include "testclient.h"

using namespace plugkit;
using plugkit_test::RecordingHostCommand;
using plugkit_test::TestClient;

namespace
{

struct FakeGraphics : IGraphics
{
    explicit FakeGraphics(int* destroyed) : destroyed(destroyed) {}
    ~FakeGraphics() override { ++*destroyed; }
    int* destroyed;
    void* openUI(void*, void*, IClient*, WindowBackend) override { return nullptr; }
    void closeUI() override {}
    void getGUISize(int* w, int* h) override { *w = *h = 0; }
    void getDesiredGUISize(int* w, int* h) override { *w = *h = 0; }
    bool isResizeable() override { return false; }
    bool isResizeableHorizontally() override { return false; }
    bool isResizeableVertically() override { return false; }
    void getMaxSmallerValidSize(int*, int*) override {}
    void getNearestValidSize(int*, int*) override {}
    bool nativeWindowResize(int, int) override { return false; }
    bool isAspectRatioPreserved() override { return false; }
    AspectRatio getPreservedAspectRatio() override { return {1, 1}; }
};

// An editor class whose IGraphics part does not start the allocation.
struct OtherBase
{
    virtual ~OtherBase() = default;
    double payload[4] = {};
};
struct EditorWithTwoBases : OtherBase, FakeGraphics
{
    explicit EditorWithTwoBases(int* destroyed) : FakeGraphics(destroyed) {}
};

} // namespace

TEST(Client, BuildsInOrderAndOwnsItsParameters)
{
    TestClient c;
    EXPECT_EQ(c.numParams(), 3);
    for (int i = 0; i < c.numParams(); ++i)
        EXPECT_EQ(c.param(i)->owner(), &c);
    EXPECT_EQ(c.maxInputs(), 2);
    EXPECT_EQ(c.maxOutputs(), 2);
    EXPECT_EQ(c.maxFramesInProcessLimit(), 512);
    ASSERT_NE(c.presetBank(), nullptr);
    EXPECT_EQ(c.presetBank()->numPresets(), 1);
    EXPECT_EQ(c.presetBank()->currentPresetIndex(), 0);
    EXPECT_TRUE(c.isLegalIO(2, 2));
    EXPECT_TRUE(c.isLegalIO(1, 1));
    EXPECT_FALSE(c.isLegalIO(1, 2));
}

TEST(Client, SplitsHostBuffersIntoBlocksOfTheLimit)
{
    TestClient c(512);
    c.resetFromHost(44100, 2048, 2, 2);
    std::vector<float> in0(1300), in1(1300), out0(1300), out1(1300);
    const float* ins[2] = {in0.data(), in1.data()};
    float* outs[2] = {out0.data(), out1.data()};
    TimeInfo info;
    info.timeInSamples = 1000;
    info.tempo = 90;

    c.processAudioFromHost(ins, outs, 1300, info, false);

    ASSERT_EQ(c.processCalls.size(), 3u);
    const int frames[3] = {512, 512, 276};
    const int starts[3] = {0, 512, 1024};
    for (int k = 0; k < 3; ++k)
    {
        EXPECT_EQ(c.processCalls[k].frames, frames[k]);
        EXPECT_EQ(c.processCalls[k].in0, in0.data() + starts[k]);
        EXPECT_EQ(c.processCalls[k].out0, out0.data() + starts[k]);
        EXPECT_EQ(c.processCalls[k].info.timeInSamples, 1000 + starts[k]);
        EXPECT_EQ(c.processCalls[k].info.tempo, 90);
    }
    EXPECT_EQ(info.timeInSamples, 1000) << "the caller's position is not changed";
    EXPECT_EQ(ins[0], in0.data());
    EXPECT_EQ(outs[1], out1.data());

    c.processCalls.clear();
    c.processAudioFromHost(ins, outs, 1300, info, true);
    ASSERT_EQ(c.processCalls.size(), 1u);
    EXPECT_EQ(c.processCalls[0].frames, 1300);

    c.processCalls.clear();
    c.processAudioFromHost(ins, outs, 0, info, false);
    EXPECT_TRUE(c.processCalls.empty()) << "0 frames with splitting calls nothing";
}

TEST(Client, WithoutALimitTheBufferIsNotSplit)
{
    TestClient c(0);
    std::vector<float> buf(1300);
    const float* ins[2] = {buf.data(), buf.data()};
    float* outs[2] = {buf.data(), buf.data()};
    c.processAudioFromHost(ins, outs, 1300, TimeInfo{}, false);
    ASSERT_EQ(c.processCalls.size(), 1u);
    EXPECT_EQ(c.processCalls[0].frames, 1300);
}

TEST(Client, ResetFromHostLimitsMaxFrames)
{
    struct Case
    {
        int limit, hostMax, expected;
    } cases[] = {{512, 4096, 512}, {0, 4096, 4096}, {512, 256, 256}};
    for (const Case& k : cases)
    {
        TestClient c(k.limit);
        c.resetFromHost(48000, k.hostMax, 2, 2);
        ASSERT_EQ(c.resets.size(), 1u);
        EXPECT_EQ(c.resets[0].sampleRate, 48000);
        EXPECT_EQ(c.resets[0].maxFrames, k.expected) << "limit " << k.limit;
        EXPECT_EQ(c.resets[0].numInputs, 2);
        EXPECT_EQ(c.resets[0].numOutputs, 2);
    }
}

TEST(Client, ClientCallsNeedAHostCommand)
{
    TestClient c;
    EXPECT_FALSE(c.requestResize(100, 100));
    EXPECT_FALSE(c.notifyResized());

    RecordingHostCommand host;
    host.resizeAnswer = true;
    c.setHostCommand(&host);
    EXPECT_TRUE(c.requestResize(300, 200));
    EXPECT_EQ(host.resizeWidth, 300);
    EXPECT_EQ(host.resizeHeight, 200);
    EXPECT_EQ(c.getDAW(), DAW::Reaper);
    EXPECT_EQ(c.getPluginFormat(), PluginFormat::VST3);
}

TEST(Client, GraphicsAcquireIsAFlagLock)
{
    int destroyed = 0;
    {
        TestClient c;
        EXPECT_EQ(c.graphicsAcquire(), nullptr) << "no editor yet";
        auto* editor = mallocNew<FakeGraphics>(&destroyed);
        c.graphicsToCreate = editor;
        EXPECT_EQ(c.getOrCreateGraphics(), editor);
        EXPECT_EQ(c.getOrCreateGraphics(), editor) << "created once";

        EXPECT_EQ(c.graphicsAcquire(), editor);
        EXPECT_EQ(c.graphicsAcquire(), nullptr) << "taken until released";
        c.graphicsRelease();
        EXPECT_EQ(c.graphicsAcquire(), editor);
        c.graphicsRelease();
    }
    EXPECT_EQ(destroyed, 1) << "the client destroys its editor";
}

TEST(Client, DestroysAnEditorWhoseInterfaceIsASecondBase)
{
    int destroyed = 0;
    {
        TestClient c;
        EditorWithTwoBases* editor = mallocNew<EditorWithTwoBases>(&destroyed);
        c.graphicsToCreate = editor;
        ASSERT_NE(static_cast<void*>(c.getOrCreateGraphics()), static_cast<void*>(editor));
    }
    EXPECT_EQ(destroyed, 1); // and, under ASan, the right block was freed
}

TEST(Client, WithoutAnEditorCreateGraphicsLeavesTheFlagDown)
{
    TestClient c;
    EXPECT_EQ(c.getOrCreateGraphics(), nullptr);
    EXPECT_EQ(c.graphicsAcquire(), nullptr);
}

TEST(Client, SetParameterFromHostReachesTheParameter)
{
    TestClient c;
    c.setParameterFromHost(0, 0.5f);
    EXPECT_DOUBLE_EQ(static_cast<FloatParameter*>(c.param(0))->value(), 5.0);
}
