#pragma once
// One bus of a VST3 instance as the host sees it.

#include "plugkit/vst3/abi/icomponent.h"

namespace plugkit
{

struct VST3Bus
{
    bool active;
    vst3::SpeakerArrangement arrangement;
    vst3::BusInfo info;
};

// An audio or event bus record: `channels` channels, the first `channels` speaker bits for
// audio (0 for events), main type, active by default.
VST3Bus makeVST3Bus(vst3::MediaType type, vst3::BusDirection direction, int channels,
                    const char* name);

} // namespace plugkit
