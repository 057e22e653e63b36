#pragma once
// Host parameters that stand for MIDI controllers (only when the plug-in receives MIDI):
// 16 channels x 130 controller numbers (128 is channel pressure, 129 pitch bend).

#include <cstdint>

namespace plugkit
{

constexpr uint32_t kMidiCCParamBase = 0x6D636D00;
constexpr int kMidiCCChannels = 16;
constexpr int kMidiCCPerChannel = 130;
constexpr int kMidiCCParamCount = kMidiCCChannels * kMidiCCPerChannel; // 2080

inline bool isMidiCCParamID(uint32_t id)
{
    return id >= kMidiCCParamBase && id < kMidiCCParamBase + uint32_t(kMidiCCParamCount);
}

} // namespace plugkit
