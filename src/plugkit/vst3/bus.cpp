#include "plugkit/vst3/bus.h"

#include <cstring>

#include "plugkit/vst3/text16.h"

namespace plugkit
{

VST3Bus makeVST3Bus(vst3::MediaType type, vst3::BusDirection direction, int channels,
                    const char* name)
{
    VST3Bus bus;
    std::memset(&bus, 0, sizeof(bus));
    bus.active = true;
    if (type == vst3::kAudio)
        bus.arrangement = channels >= 64 ? ~vst3::SpeakerArrangement(0)
                                         : (vst3::SpeakerArrangement(1) << channels) - 1;
    bus.info.mediaType = type;
    bus.info.direction = direction;
    bus.info.channelCount = channels;
    widenText(bus.info.name, name, 128);
    bus.info.busType = vst3::kMain;
    bus.info.flags = vst3::BusInfo::kDefaultActive;
    return bus;
}

} // namespace plugkit
