#include "engine/main.h"

#include <cstring>

#include "plugkit/client/boolparameter.h"
#include "plugkit/client/floatparameter.h"
#include "plugkit/client/integerparameter.h"
#include "plugkit/client/preset.h"
#include "plugkit/core/memory.h"

namespace vellox
{

using namespace plugkit;

namespace
{

// Entries of "Presets": the factory sounds the editor's preset menu applies.
const char* const kPresetNames[] = {
    "INIT",  "ENHANCE", "GLUE",   "GUITAR", "FATGUITAR", "BASS",      "FATBASS",
    "DRUM",  "FATDRUM", "KICK",   "SNARE",  "HIHAT",     "LOFIHIHAT", "VUDIRAZI",
    "DENSE", "BUZZ",    "VOICE",  "LOFIVOICE",
};

// Entries of "Texture Levels": oversampling factor 1, 2, 4, 8.
const char* const kTextureNames[] = {"RAW_X0", "BURN_x2", "WARM_x4", "AIR_x8"};

const char* const kLPModeNames[] = {"CLEAN", "DIRTY"};

constexpr double kGainShape = 2.0;

} // namespace

VelloxClient::VelloxClient()
{
    buildClient();
}

VelloxClient::~VelloxClient() = default;

PluginInfo VelloxClient::buildPluginInfo()
{
    PluginInfo info;
    info.vendorName = "Plenwick";
    std::memcpy(info.vendorUniqueID, "Plen", 5);
    info.vendorSupportEmail = "support@plenwick.com";
    info.pluginName = "Vellox-Vizu";
    info.pluginHomepage = "https://plenwick.com";
    std::memcpy(info.pluginUniqueID, "VLXD", 5);
    info.publicVersion = PluginVersion{1, 2, 0};
    info.hasGUI = true;
    info.isSynth = false;
    info.receivesMIDI = false;
    info.sendsMIDI = false;
    info.category = PluginCategory::EffectDynamics;
    info.vstBundleIdentifier = "plenwick.vst.Vellox-Vizu";
    info.auBundleIdentifier = "plenwick.audiounit.Vellox-Vizu";
    info.aaxBundleIdentifier = "plenwick.aax.Vellox-Vizu";
    info.bundleIdentifier = "plenwick.Vellox-Vizu";
    info.factoryBundleIdentifier = "plenwick.Vellox-Vizu.factory";
    return info;
}

Vec<LegalIO> VelloxClient::buildLegalIO()
{
    Vec<LegalIO> io;
    io.pushBack(LegalIO{2, 2});
    return io;
}

Vec<Parameter*> VelloxClient::buildParameters()
{
    Vec<Parameter*> p;
    p.pushBack(mallocNew<EnumParameter>(paramPresets, "Presets", kPresetNames, 18, 0));
    p.pushBack(mallocNew<GainParameter>(paramInputGain, "Input gain", 24.0, -4.0, kGainShape));
    p.pushBack(
        mallocNew<EnumParameter>(paramTextureLevels, "Texture Levels", kTextureNames, 4, 2));
    p.pushBack(mallocNew<BoolParameter>(paramTrebleOn, "Treble on/off", true));
    p.pushBack(mallocNew<LinearFloatParameter>(paramTrebleAmount, "Treble amount", "%", 0.0,
                                               100.0, 20.0));
    p.pushBack(mallocNew<BoolParameter>(paramBassOn, "Bass onoff", true));
    p.pushBack(mallocNew<LinearFloatParameter>(paramBassAmount, "Bass amount", "%", 0.0, 100.0,
                                               20.0));
    p.pushBack(mallocNew<BoolParameter>(paramVaverivOn, "Vaveriv on/off", false));
    p.pushBack(mallocNew<LinearFloatParameter>(paramVudiraziAmount, "Vudirazi amount", "%", 0.0,
                                               100.0, 15.0));
    p.pushBack(mallocNew<BoolParameter>(paramExciter, "Exciter", false));
    p.pushBack(mallocNew<BoolParameter>(paramEQOn, "EQ. on/off", false));
    p.pushBack(
        mallocNew<LinearFloatParameter>(paramLowGain, "Low Gain", "db", -12.0, 12.0, 0.0));
    p.pushBack(
        mallocNew<LogFloatParameter>(paramMidFreq, "Mid. Freq.", "hz", 300.0, 8200.0, 2200.0));
    p.pushBack(
        mallocNew<LinearFloatParameter>(paramMidGain, "Mid. Gain", "db", -12.0, 12.0, 0.0));
    p.pushBack(
        mallocNew<LinearFloatParameter>(paramHighGain, "High Gain", "db", -12.0, 12.0, 0.0));
    p.pushBack(mallocNew<BoolParameter>(paramFilterOn, "Filter on/off", false));
    p.pushBack(mallocNew<EnumParameter>(paramLPMode, "LP Mode", kLPModeNames, 2, 1));
    p.pushBack(mallocNew<LinearFloatParameter>(paramLPCutoff, "LP Cutoff", "hz", 300.0,
                                               12050.0, 12050.0));
    // The lower bound is the single-precision 0.01 widened to double.
    p.pushBack(mallocNew<LinearFloatParameter>(paramLPResonance, "LP Resonance", "",
                                               double(0.01f), 3.0, 2.0));
    p.pushBack(mallocNew<GainParameter>(paramLPGain, "LP Gain", 48.0, 32.0, kGainShape));
    p.pushBack(mallocNew<BoolParameter>(paramLimiterOn, "Limiter on/off", false));
    p.pushBack(mallocNew<LinearFloatParameter>(paramMix, "Mix", "%", 0.0, 100.0, 80.0));
    p.pushBack(mallocNew<GainParameter>(paramOutputGain, "Output gain", 12.0, 0.0, kGainShape));
    return p;
}

// The host sees one preset, "Default"; the factory sounds are applied by the editor.
Vec<Preset*> VelloxClient::buildPresets()
{
    Vec<Preset*> presets;
    presets.pushBack(makeDefaultPreset());
    return presets;
}

int VelloxClient::latencySamples(double)
{
    return 0;
}

float VelloxClient::tailSizeInSeconds()
{
    return 0.8f;
}

int VelloxClient::maxFramesInProcess()
{
    return 512;
}

IGraphics* VelloxClient::createGraphics()
{
    return nullptr; // no editor yet
}

void VelloxClient::reset(double sampleRate, int maxFrames, int, int numOutputs)
{
    sampleRate_ = sampleRate;
    maxFrames_ = maxFrames;
    numOutputs_ = numOutputs;
}

void VelloxClient::processAudio(const float* const*, float* const* outputs, int frames,
                                TimeInfo)
{
    if (frames <= 0)
        return;
    for (int c = 0; c < numOutputs_; ++c)
        std::memset(outputs[c], 0, sizeof(float) * size_t(frames));
}

} // namespace vellox
