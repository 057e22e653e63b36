#include "engine/main.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "plugkit/client/boolparameter.h"
#include "plugkit/client/floatparameter.h"
#include "plugkit/client/integerparameter.h"
#include "engine/distortion.h"
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

// Host-rate buffers (dry signal, input level) hold max frames values; the oversampled ones
// factor x max frames.
void VelloxClient::reset(double sampleRate, int maxFrames, int, int)
{
    sampleRate_ = sampleRate;
    limiter_.setTimeFigure(Limiter::kTimeFigure);
    const size_t hostFrames = size_t(maxFrames > 0 ? maxFrames : 0);
    const size_t oversampled = size_t(factor_) * hostFrames;
    // Every work buffer holds factor x max frames values, as the oversampled stream does.
    dryLeft_.resize(oversampled);
    dryRight_.resize(oversampled);
    inputLevel_.resize(oversampled);
    overLeft_.resize(oversampled);
    overRight_.resize(oversampled);
    limiter_.resizeBuffers(int(oversampled));
    tone_.reset();
    moogLeft_.reset();
    moogRight_.reset();
    equaliser_.reset();
    limiter_.clearSmoothing();
    maxFrames_ = maxFrames;
}

void VelloxClient::realloc_oversampling_buffers()
{
    const size_t oversampled = size_t(factor_) * size_t(maxFrames_ > 0 ? maxFrames_ : 0);
    overLeft_.resize(oversampled);
    overRight_.resize(oversampled);
    limiter_.resizeBuffers(int(oversampled));
}

void VelloxClient::read_ui_parameters()
{
    auto boolean = [this](int i) { return static_cast<BoolParameter*>(param(i))->valueAtomic(); };
    auto integer = [this](int i) {
        return static_cast<IntegerParameter*>(param(i))->valueAtomic();
    };
    auto real = [this](int i) {
        return static_cast<float>(static_cast<FloatParameter*>(param(i))->valueAtomic());
    };

    Settings& s = settings_;
    s.inputGain = decibelsToGain(real(paramInputGain));
    s.outputGain = decibelsToGain(real(paramOutputGain));
    s.trebleOn = boolean(paramTrebleOn);
    s.bassOn = boolean(paramBassOn);
    s.trebleAmount = real(paramTrebleAmount) * 0.06f;
    s.bassAmount = real(paramBassAmount) * 0.08f;
    s.vaverivOn = boolean(paramVaverivOn);
    s.morph = std::min(real(paramVudiraziAmount), 99.0f) * 0.06f;
    s.exciterOn = boolean(paramExciter);
    s.exciterValue = s.exciterOn ? BaxandAll::kExciterOn : BaxandAll::kExciterOff;
    s.eqOn = boolean(paramEQOn);
    s.lowGainDB = real(paramLowGain);
    s.midFrequency = real(paramMidFreq);
    s.midGainDB = real(paramMidGain);
    s.highGainDB = real(paramHighGain);
    s.filterOn = boolean(paramFilterOn);
    s.filterMode = integer(paramLPMode);
    s.filterModeFigure = Moogfilter::repeatCountForMode(s.filterMode);
    s.cutoff = real(paramLPCutoff);
    s.resonance = real(paramLPResonance);
    s.filterGain = decibelsToGain(real(paramLPGain));
    s.limiterOn = boolean(paramLimiterOn);
    s.mix = real(paramMix) / 100.0f;
    limiter_.setConstants(Limiter::kThresholdDB, Limiter::kKneeFigure);

    // The factor changes only with the texture index; the new buffers are sized here, on the
    // audio thread.
    s.textureIndex = integer(paramTextureLevels);
    if (s.textureIndex != lastTextureIndex_)
    {
        static constexpr int kFactors[4] = {1, 2, 4, 8};
        if (s.textureIndex >= 0 && s.textureIndex <= 3)
            factor_ = kFactors[s.textureIndex];
        lastTextureIndex_ = s.textureIndex;
        realloc_oversampling_buffers();
    }

    tone_.setControls(s.exciterValue, s.bassAmount, s.trebleAmount);
}

void VelloxClient::prepare_eq_filters()
{
    equaliser_.prepare(settings_.lowGainDB, settings_.midFrequency, settings_.midGainDB,
                       settings_.highGainDB, factor_, sampleRate_);
}

void VelloxClient::prepare_moog_filters()
{
    moogLeft_.prepare(settings_.cutoff, settings_.resonance, settings_.filterModeFigure,
                      sampleRate_);
    moogRight_.prepare(settings_.cutoff, settings_.resonance, settings_.filterModeFigure,
                       sampleRate_);
}

// Not-a-number compares unequal to 0, so a NaN sample makes the block count as sound.
bool VelloxClient::inputIsSilent(const float* const* inputs, int frames) const
{
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < frames; ++i)
            if (!(inputs[c][i] == 0.0f))
                return false;
    return true;
}

// A non-finite sample from the host, or one that the gain takes past the float range, is
// replaced by 0 here: one bad sample would otherwise leave NaN in every filter state after
// it, and the effect would stay broken until the next reset.
void VelloxClient::applyInputGain(const float* const* inputs, int frames)
{
    const float gain = settings_.inputGain;
    for (int i = 0; i < frames; ++i)
    {
        float left = inputs[0][i] * gain;
        float right = inputs[1][i] * gain;
        if (!std::isfinite(left)) [[unlikely]]
            left = 0.0f;
        if (!std::isfinite(right)) [[unlikely]]
            right = 0.0f;
        dryLeft_[i] = left;
        dryRight_[i] = right;
        inputLevel_[i] = inputMeterLevel(left, right);
    }
}

// The mix uses the gains computed in the previous processed call, then derives the next ones
// from this call's "Mix".
void VelloxClient::mixAndOutputGain(float* const* outputs, int frames)
{
    const float wet = wetGain_, dry = dryGain_, gain = settings_.outputGain;
    const float* dryBuffers[2] = {dryLeft_.ptr(), dryRight_.ptr()};
    for (int c = 0; c < 2; ++c)
    {
        float* out = outputs[c];
        const float* d = dryBuffers[c];
        for (int i = 0; i < frames; ++i)
            out[i] = (out[i] * wet + d[i] * dry) * gain;
    }
    const CrossfadeGains next = crossfadeGains(settings_.mix);
    wetGain_ = next.destination;
    dryGain_ = next.source;
}

// The limiter works on the finished output at the oversampled rate, through the same four
// samplers as the main chain.
void VelloxClient::runLimiter(float* const* outputs, int frames)
{
    const int n = frames * factor_;
    upLeft_.processBuffer(outputs[0], overLeft_.ptr(), frames, factor_, sampleRate_);
    upRight_.processBuffer(outputs[1], overRight_.ptr(), frames, factor_, sampleRate_);
    limiter_.process(overLeft_.ptr(), overRight_.ptr(), n, factor_, sampleRate_);
    downLeft_.processBuffer(overLeft_.ptr(), outputs[0], frames, factor_, sampleRate_);
    downRight_.processBuffer(overRight_.ptr(), outputs[1], frames, factor_, sampleRate_);
}

// Meter values go to the editor only if it can be taken without waiting; otherwise this
// call's values are dropped.
void VelloxClient::sendMeterValues(float* const* outputs, int frames)
{
    if (graphicsAcquire() == nullptr)
        return;
    if (meterFeed_ != nullptr)
    {
        const float rate = float(sampleRate_);
        meterFeed_->sendinputBargraphLinearValueToUI(inputLevel_.ptr(), frames, rate);
        meterFeed_->sendoutputBargraphLinearValueToUI(outputs[0], frames, rate);
    }
    graphicsRelease();
}

void VelloxClient::processAudio(const float* const* inputs, float* const* outputs, int frames,
                                TimeInfo)
{
    // Silence: zeros out, no parameter read and no state change.
    if (frames <= 0 || inputIsSilent(inputs, frames))
    {
        for (int c = 0; c < 2 && frames > 0; ++c)
            std::memset(outputs[c], 0, sizeof(float) * size_t(frames));
        silent_ = true;
        return;
    }
    silent_ = false;
    read_ui_parameters();
    limiter_.designSmoothing(sampleRate_);

    // A block larger than the buffers (no reset yet, or a host ignoring the announced
    // maximum) would write past them: output silence instead.
    if (frames > maxFrames_ || overLeft_.length() < size_t(frames) * size_t(factor_))
    {
        for (int c = 0; c < 2; ++c)
            std::memset(outputs[c], 0, sizeof(float) * size_t(frames));
        return;
    }

    // Every input sample is read here, before any output sample is written, so the host
    // may pass the same buffer as input and output.
    applyInputGain(inputs, frames);

    const Settings& s = settings_;
    const int n = frames * factor_;
    float* left = overLeft_.ptr();
    float* right = overRight_.ptr();
    upLeft_.processBuffer(dryLeft_.ptr(), left, frames, factor_, sampleRate_);
    upRight_.processBuffer(dryRight_.ptr(), right, frames, factor_, sampleRate_);

    processSoftClip(left, n);
    processSoftClip(right, n);
    if (s.vaverivOn)
    {
        processVaveriv(left, n, s.morph);
        processVaveriv(right, n, s.morph);
    }

    // The tone stage and the ladder get the host rate although they run on the oversampled
    // stream; the equaliser alone is designed for the oversampled rate.
    tone_.process(s.bassOn, s.trebleOn, left, right, n, sampleRate_);
    if (s.eqOn)
    {
        prepare_eq_filters();
        equaliser_.process(left, right, n);
    }
    if (s.filterOn)
    {
        prepare_moog_filters();
        Moogfilter::processStereo(moogLeft_, moogRight_, left, right, n, s.filterGain);
    }

    downLeft_.processBuffer(left, outputs[0], frames, factor_, sampleRate_);
    downRight_.processBuffer(right, outputs[1], frames, factor_, sampleRate_);

    mixAndOutputGain(outputs, frames);
    if (s.limiterOn)
        runLimiter(outputs, frames);
    sendMeterValues(outputs, frames);
}

} // namespace vellox
