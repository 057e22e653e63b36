#pragma once
// VelloxClient: the effect's plug-in client. It declares the plug-in's identity, its single
// 2-in/2-out layout, its processing limits and its 23 parameters, and runs the processing
// chain on the audio thread.

#include <cmath>

#include "engine/academic_downsampling_optimised.h"
#include "engine/academic_oversampling_optimised.h"
#include "engine/baxandall.h"
#include "engine/equaliser.h"
#include "engine/lufs.h"
#include "engine/meterfeed.h"
#include "engine/moogfilter_dshr.h"
#include "plugkit/client/client.h"
#include "plugkit/core/vec.h"

namespace vellox
{

// Parameter indices; each equals the host's parameter ID.
enum ParamIndex : int
{
    paramPresets = 0,
    paramInputGain = 1,
    paramTextureLevels = 2,
    paramTrebleOn = 3,
    paramTrebleAmount = 4,
    paramBassOn = 5,
    paramBassAmount = 6,
    paramVaverivOn = 7,
    paramVudiraziAmount = 8,
    paramExciter = 9,
    paramEQOn = 10,
    paramLowGain = 11,
    paramMidFreq = 12,
    paramMidGain = 13,
    paramHighGain = 14,
    paramFilterOn = 15,
    paramLPMode = 16,
    paramLPCutoff = 17,
    paramLPResonance = 18,
    paramLPGain = 19,
    paramLimiterOn = 20,
    paramMix = 21,
    paramOutputGain = 22,
    kNumParams = 23,
};

// Linear gain of a level in dB, in single precision: expf(dB * ln(10) / 20). Minus infinity
// gives exactly 0.
inline float decibelsToGain(float dB)
{
    return expf(dB * 0.115129255f);
}

class VelloxClient : public plugkit::Client
{
public:
    VelloxClient();
    ~VelloxClient() override;

    plugkit::PluginInfo buildPluginInfo() override;
    plugkit::Vec<plugkit::LegalIO> buildLegalIO() override;
    plugkit::Vec<plugkit::Parameter*> buildParameters() override;
    plugkit::Vec<plugkit::Preset*> buildPresets() override;

    int latencySamples(double sampleRate) override;
    float tailSizeInSeconds() override;
    int maxFramesInProcess() override;

    plugkit::IGraphics* createGraphics() override;

    // [audio thread]
    void reset(double sampleRate, int maxFrames, int numInputs, int numOutputs) override;
    void processAudio(const float* const* inputs, float* const* outputs, int frames,
                      plugkit::TimeInfo info) override;

    // [audio thread] The per-call parameter read: every setting, the oversampling factor
    // (resizing the oversampled buffers when "Texture Levels" changed) and the tone controls.
    void read_ui_parameters();
    // Sizes every oversampled work buffer of the chain and the limiter to factor x max frames.
    void realloc_oversampling_buffers();
    void prepare_eq_filters();
    void prepare_moog_filters();

    int oversamplingFactor() const { return factor_; }
    float wetGain() const { return wetGain_; }
    float dryGain() const { return dryGain_; }
    bool lastCallWasSilent() const { return silent_; }

protected:
    // The editor object's meter inputs; set by createGraphics together with the editor.
    void setMeterFeed(IMeterFeed* feed) { meterFeed_ = feed; }

private:
    // Settings of the current call, read once at its start.
    struct Settings
    {
        float inputGain = 1.0f;
        float outputGain = 1.0f;
        int textureIndex = 2;
        bool trebleOn = true, bassOn = true;
        float trebleAmount = 0.0f; // percent x 0.06
        float bassAmount = 0.0f;   // percent x 0.08
        bool vaverivOn = false;
        float morph = 0.0f;
        bool exciterOn = false;
        float exciterValue = BaxandAll::kExciterOff;
        bool eqOn = false;
        float lowGainDB = 0.0f, midFrequency = 2200.0f, midGainDB = 0.0f, highGainDB = 0.0f;
        bool filterOn = false;
        int filterMode = 1;
        int filterModeFigure = 2; // internal steps: 4 "CLEAN", 2 "DIRTY"
        float cutoff = 12050.0f;
        float resonance = 2.0f;
        float filterGain = 1.0f;
        bool limiterOn = false;
        float mix = 0.8f;
    };

    bool inputIsSilent(const float* const* inputs, int frames) const;
    void applyInputGain(const float* const* inputs, int frames);
    void mixAndOutputGain(float* const* outputs, int frames);
    void runLimiter(float* const* outputs, int frames);
    void sendMeterValues(float* const* outputs, int frames);

    Settings settings_;
    double sampleRate_ = 44100.0;
    int maxFrames_ = 0;
    int factor_ = 4;
    int lastTextureIndex_ = 4; // no parameter value has it: the first call applies the setting
    bool silent_ = true;
    float wetGain_ = 1.0f; // applied in the next processed call
    float dryGain_ = 0.0f;

    plugkit::Vec<float> dryLeft_, dryRight_, inputLevel_;
    plugkit::Vec<float> overLeft_, overRight_;
    UpsamplingOpt upLeft_, upRight_;
    DownsamplingOpt downLeft_, downRight_;
    BaxandAll tone_;
    Equaliser equaliser_;
    Moogfilter moogLeft_, moogRight_;
    Limiter limiter_;
    IMeterFeed* meterFeed_ = nullptr;
};

} // namespace vellox
