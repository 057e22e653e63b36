#pragma once
// The built-in test signal rendered when no input file is given: 8 seconds (four bars at
// 120 BPM) of a drum-like pattern, a bass line and a chord, with bars alternating between a
// quiet and a loud level so that the saturation and the limiter have something to do.
// It is computed, not sampled, and identical on every run.

#include "audiobuffer.h"

namespace vellox::render
{

constexpr int kDemoSampleRate = 48000;
constexpr double kDemoSeconds = 8.0;

// Peak of the loud bars, in linear full scale (-1 dBFS). The quiet bars are 24 dB lower.
constexpr double kDemoLoudPeak = 0.8912509381337456;
constexpr double kDemoQuietGain = 0.0630957344480193;

StereoBuffer makeDemoSignal(int sampleRate = kDemoSampleRate);

} // namespace vellox::render
