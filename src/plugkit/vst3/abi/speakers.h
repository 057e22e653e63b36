#pragma once
// Speaker bits of a bus arrangement (only those the framework names).

#include "plugkit/vst3/abi/types.h"

namespace plugkit::vst3
{

constexpr Speaker kSpeakerL = 1u << 0;
constexpr Speaker kSpeakerR = 1u << 1;
constexpr Speaker kSpeakerM = 1u << 19;

constexpr SpeakerArrangement kArrangementEmpty = 0;
constexpr SpeakerArrangement kArrangementMono = kSpeakerM;
constexpr SpeakerArrangement kArrangementStereo = kSpeakerL | kSpeakerR;

} // namespace plugkit::vst3
