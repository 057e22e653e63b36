#pragma once
// Records the client declares about itself and receives with each processing call.

#include <cstdint>

namespace plugkit
{

// Plug-in formats; this library builds the VST3 one.
enum class PluginFormat : int32_t
{
    VST3 = 1,
};

// The plug-in's kind, mapped by the format layer to the host's category texts.
enum class PluginCategory : int32_t
{
    EffectAnalysisAndMetering = 0,
    EffectDelay = 1,
    EffectDistortion = 2,
    EffectDynamics = 3,
    EffectEQ = 4,
    EffectSpatial = 5,
    EffectModulation = 6,
    EffectPitchShift = 7,
    EffectReverb = 8,
    EffectOther = 9,
    InstrumentDrums = 10,
    InstrumentSampler = 11,
    InstrumentSynthesizer = 12,
    InstrumentOther = 13,
};

struct PluginVersion
{
    int32_t major = 0;
    int32_t minor = 0;
    int32_t patch = 0;

    // (major << 16) | (minor << 8) | patch, as stored in state chunks.
    int32_t packed() const { return (major << 16) | (minor << 8) | patch; }
};

// The product's identity and options. Texts are static strings, not owned; the unique IDs are
// exactly four characters.
struct PluginInfo
{
    const char* vendorName = "";
    char vendorUniqueID[5] = "????";
    const char* vendorSupportEmail = ""; // may be empty
    const char* pluginName = "";
    const char* pluginHomepage = ""; // may be empty
    char pluginUniqueID[5] = "????";
    PluginVersion publicVersion;
    bool hasGUI = false;
    bool isSynth = false;
    bool receivesMIDI = false;
    bool sendsMIDI = false;
    PluginCategory category = PluginCategory::EffectOther;
    const char* vstBundleIdentifier = "";
    const char* auBundleIdentifier = "";
    const char* aaxBundleIdentifier = "";
    const char* bundleIdentifier = "";        // carried, not used by the VST3 layer
    const char* factoryBundleIdentifier = ""; // bundleIdentifier + ".factory"
};

// One allowed channel configuration.
struct LegalIO
{
    int32_t numInputChannels;
    int32_t numOutputChannels;
};

// Host transport state passed with each processing call.
struct TimeInfo
{
    double tempo = 120.0;      // beats per minute; 120 until the host reports a valid tempo
    int64_t timeInSamples = 0; // host timeline position of the block's first frame
    bool hostIsPlaying = false;
};

} // namespace plugkit
