// Vellox.vst3 in a real VST3 host: JUCE's VST3 hosting loads the built bundle and the tests
// check what a DAW relies on: the scanned description, instantiation, preparation at the
// usual rates and block sizes, processing, the parameter list and its texts, automation,
// state save and restore, bypass, and release without leaks.

#include <gtest/gtest.h>

#include <malloc.h>

#include <cmath>
#include <memory>

#include <juce_audio_processors/juce_audio_processors.h>

namespace
{

const char* const kBundle = VELLOX_BUNDLE_PATH;

juce::PluginDescription scanBundle()
{
    juce::VST3PluginFormat format;
    juce::OwnedArray<juce::PluginDescription> found;
    format.findAllTypesForFile(found, kBundle);
    if (found.size() != 1)
        return {};
    return *found[0];
}

std::unique_ptr<juce::AudioPluginInstance> instantiate(double rate = 44100.0, int block = 512)
{
    juce::VST3PluginFormat format;
    juce::String error;
    auto instance = format.createInstanceFromDescription(scanBundle(), rate, block, error);
    EXPECT_TRUE(error.isEmpty()) << error;
    return instance;
}

// Fills a stereo buffer with a sine of the given amplitude, continuing at `phase`.
void fillSine(juce::AudioBuffer<float>& buffer, double rate, double& phase, float amplitude = 0.5f)
{
    const double step = 2.0 * juce::MathConstants<double>::pi * 440.0 / rate;
    for (int n = 0; n < buffer.getNumSamples(); ++n)
    {
        const float s = amplitude * float(std::sin(phase));
        phase += step;
        buffer.setSample(0, n, s);
        buffer.setSample(1, n, s);
    }
}

struct SineRun
{
    double energy = 0.0;
    bool finite = true;
};

// Processes `total` frames of a sine in blocks of `block` frames.
SineRun processSine(juce::AudioPluginInstance& plugin, double rate, int block, int total)
{
    juce::AudioBuffer<float> buffer(2, block);
    juce::MidiBuffer midi;
    double phase = 0.0;
    SineRun run;
    for (int done = 0; done < total; done += block)
    {
        fillSine(buffer, rate, phase);
        plugin.processBlock(buffer, midi);
        for (int c = 0; c < 2; ++c)
            for (int n = 0; n < block; ++n)
            {
                const float s = buffer.getSample(c, n);
                run.finite = run.finite && std::isfinite(s);
                run.energy += double(s) * s;
            }
    }
    return run;
}

juce::AudioProcessorParameter* parameterNamed(juce::AudioPluginInstance& plugin, const juce::String& name)
{
    for (auto* p : plugin.getParameters())
        if (p->getName(128) == name)
            return p;
    return nullptr;
}

juce::MemoryBlock stateOf(juce::AudioPluginInstance& plugin)
{
    juce::MemoryBlock state;
    plugin.getStateInformation(state);
    return state;
}

TEST(VelloxInHost, ScannedDescription)
{
    juce::VST3PluginFormat format;
    juce::OwnedArray<juce::PluginDescription> found;
    format.findAllTypesForFile(found, kBundle);
    ASSERT_EQ(1, found.size());
    const juce::PluginDescription& d = *found[0];
    EXPECT_EQ(juce::String("Vellox-Vizu"), d.name);
    EXPECT_EQ(juce::String("Plenwick"), d.manufacturerName);
    EXPECT_EQ(juce::String("1.2.0"), d.version);
    EXPECT_EQ(juce::String("Fx|Dynamics"), d.category);
    EXPECT_EQ(juce::String("VST3"), d.pluginFormatName);
    EXPECT_FALSE(d.isInstrument);
    EXPECT_EQ(2, d.numInputChannels);
    EXPECT_EQ(2, d.numOutputChannels);
}

TEST(VelloxInHost, PreparesAtEveryRateAndBlockSize)
{
    auto plugin = instantiate();
    ASSERT_NE(nullptr, plugin);
    EXPECT_EQ(2, plugin->getTotalNumInputChannels());
    EXPECT_EQ(2, plugin->getTotalNumOutputChannels());
    EXPECT_EQ(0, plugin->getLatencySamples());
    for (double rate : {44100.0, 48000.0, 96000.0})
        for (int block : {1, 64, 512, 4096})
        {
            SCOPED_TRACE(juce::String(rate) + " Hz, block " + juce::String(block));
            plugin->setPlayConfigDetails(2, 2, rate, block);
            plugin->prepareToPlay(rate, block);
            const SineRun run = processSine(*plugin, rate, block, 8192);
            EXPECT_TRUE(run.finite);
            EXPECT_GT(run.energy, 1.0);
            plugin->releaseResources();
        }
    EXPECT_NEAR(0.8, plugin->getTailLengthSeconds(), 1e-3);
}

TEST(VelloxInHost, ParameterListAndTexts)
{
    auto plugin = instantiate();
    ASSERT_NE(nullptr, plugin);
    const char* const names[] = {"Presets",       "Input gain",     "Texture Levels", "Treble on/off",
                                 "Treble amount", "Bass onoff",     "Bass amount",    "Vaveriv on/off",
                                 "Vudirazi amount", "Exciter",      "EQ. on/off",     "Low Gain",
                                 "Mid. Freq.",    "Mid. Gain",      "High Gain",      "Filter on/off",
                                 "LP Mode",       "LP Cutoff",      "LP Resonance",   "LP Gain",
                                 "Limiter on/off", "Mix",           "Output gain"};
    for (const char* name : names)
        EXPECT_NE(nullptr, parameterNamed(*plugin, name)) << name;
    ASSERT_NE(nullptr, plugin->getBypassParameter());

    auto* texture = parameterNamed(*plugin, "Texture Levels");
    ASSERT_NE(nullptr, texture);
    EXPECT_EQ(juce::String("WARM_x4"), texture->getText(texture->getValue(), 128));
    EXPECT_EQ(juce::String("AIR_x8"), texture->getText(1.0f, 128));
    auto* input = parameterNamed(*plugin, "Input gain");
    ASSERT_NE(nullptr, input);
    EXPECT_EQ(juce::String("-inf"), input->getText(0.0f, 128));
    EXPECT_EQ(juce::String("-4.0"), input->getText(input->getDefaultValue(), 128));
    EXPECT_EQ(juce::String("dB"), input->getLabel());
    EXPECT_EQ(juce::String("Yes"), plugin->getBypassParameter()->getText(1.0f, 128));
}

TEST(VelloxInHost, AutomatedOutputGainTakesEffect)
{
    auto plugin = instantiate(48000.0, 512);
    ASSERT_NE(nullptr, plugin);
    plugin->prepareToPlay(48000.0, 512);
    const SineRun before = processSine(*plugin, 48000.0, 512, 8192);
    EXPECT_GT(before.energy, 1.0);

    auto* output = parameterNamed(*plugin, "Output gain");
    ASSERT_NE(nullptr, output);
    output->beginChangeGesture();
    output->setValueNotifyingHost(0.0f); // minus infinity dB
    output->endChangeGesture();
    processSine(*plugin, 48000.0, 512, 1024); // the change arrives with these blocks
    const SineRun after = processSine(*plugin, 48000.0, 512, 8192);
    EXPECT_TRUE(after.finite);
    EXPECT_LT(after.energy, before.energy * 1e-6);
    EXPECT_EQ(0.0f, output->getValue());
    plugin->releaseResources();
}

TEST(VelloxInHost, StateRestoresIntoASecondInstanceByteForByte)
{
    auto first = instantiate();
    ASSERT_NE(nullptr, first);
    parameterNamed(*first, "Mix")->setValueNotifyingHost(0.3f);
    parameterNamed(*first, "LP Cutoff")->setValueNotifyingHost(0.6f);
    parameterNamed(*first, "Exciter")->setValueNotifyingHost(1.0f);
    first->getBypassParameter()->setValueNotifyingHost(1.0f);
    const juce::MemoryBlock saved = stateOf(*first);
    ASSERT_GT(saved.getSize(), 122u);

    auto second = instantiate();
    ASSERT_NE(nullptr, second);
    EXPECT_NE(saved, stateOf(*second));
    second->setStateInformation(saved.getData(), int(saved.getSize()));
    EXPECT_EQ(saved, stateOf(*second));
    EXPECT_NEAR(0.3f, parameterNamed(*second, "Mix")->getValue(), 1e-6f);
    EXPECT_NEAR(0.6f, parameterNamed(*second, "LP Cutoff")->getValue(), 1e-6f);
    EXPECT_EQ(1.0f, second->getBypassParameter()->getValue());
}

TEST(VelloxInHost, BypassPassesTheInputThrough)
{
    auto plugin = instantiate(44100.0, 256);
    ASSERT_NE(nullptr, plugin);
    plugin->prepareToPlay(44100.0, 256);
    plugin->getBypassParameter()->setValueNotifyingHost(1.0f);
    juce::AudioBuffer<float> buffer(2, 256), input(2, 256);
    juce::MidiBuffer midi;
    double phase = 0.0;
    for (int block = 0; block < 8; ++block)
    {
        fillSine(buffer, 44100.0, phase, 0.7f);
        input.makeCopyOf(buffer);
        plugin->processBlock(buffer, midi);
        if (block == 0)
            continue; // the change arrives with the first block
        for (int c = 0; c < 2; ++c)
            for (int n = 0; n < 256; ++n)
                ASSERT_EQ(input.getSample(c, n), buffer.getSample(c, n)) << "block " << block;
    }
    plugin->releaseResources();
}

// Creating and releasing instances leaves the heap where it was.
TEST(VelloxInHost, ReleasesWithoutLeaks)
{
    const auto cycle = [] {
        auto plugin = instantiate();
        ASSERT_NE(nullptr, plugin);
        plugin->prepareToPlay(44100.0, 512);
        processSine(*plugin, 44100.0, 512, 2048);
        plugin->releaseResources();
    };
    cycle(); // first use fills the host's caches
    cycle();
    const size_t baseline = mallinfo2().uordblks;
    for (int i = 0; i < 20; ++i)
        cycle();
    const size_t after = mallinfo2().uordblks;
    EXPECT_LT(after, baseline + 256 * 1024) << "heap grew by " << (after - baseline) << " bytes";
}

} // namespace

int main(int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce; // the message thread VST3 hosting runs on
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
