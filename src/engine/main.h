#pragma once
// VelloxClient: the effect's plug-in client. It declares the plug-in's identity, its single
// 2-in/2-out layout, its processing limits and its 23 parameters, and runs the processing
// chain on the audio thread.

#include <cmath>

#include "plugkit/client/client.h"

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

private:
    // Engine state.
    double sampleRate_ = 0.0;
    int maxFrames_ = 0;
    int numOutputs_ = 2;
};

} // namespace vellox
