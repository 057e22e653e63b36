#pragma once
// ProcessContext: the host's transport state passed with a process call.

#include "plugkit/vst3/abi/types.h"

namespace plugkit::vst3
{

struct ProcessContext
{
    // Bits of `state`.
    static constexpr uint32 kPlaying = 1u << 1;
    static constexpr uint32 kTempoValid = 1u << 10;

    struct FrameRate
    {
        uint32 framesPerSecond;
        uint32 flags;
    };

    struct Chord
    {
        uint8 keyNote;
        uint8 rootNote;
        int16 chordMask;
    };

    uint32 state;
    double sampleRate;
    TSamples projectTimeSamples;
    int64 systemTime;
    TSamples continousTimeSamples;
    TQuarterNotes projectTimeMusic;
    TQuarterNotes barPositionMusic;
    TQuarterNotes cycleStartMusic;
    TQuarterNotes cycleEndMusic;
    double tempo;
    int32 timeSigNumerator;
    int32 timeSigDenominator;
    Chord chord;
    int32 smpteOffsetSubframes;
    FrameRate frameRate;
    int32 samplesToNextClock;
};

} // namespace plugkit::vst3
