#include "plugkit/client/daw.h"

#include <cstring>

namespace plugkit
{

namespace
{

struct DAWName
{
    const char* substring;
    DAW daw;
};

// Tested in this order: "vst3plugintesthost" must come before "vsthost", which it contains.
constexpr DAWName kDAWNames[] = {
    {"reaper", DAW::Reaper},
    {"cubase", DAW::Cubase},
    {"nuendo", DAW::Nuendo},
    {"cakewalk", DAW::Cakewalk},
    {"samplitude", DAW::Samplitude},
    {"fruity", DAW::Fruity},
    {"live", DAW::Live},
    {"melodyne", DAW::Melodyne},
    {"vstmanlib", DAW::VSTManLib},
    {"aulab", DAW::AULab},
    {"garageband", DAW::GarageBand},
    {"forte", DAW::Forte},
    {"chainer", DAW::Chainer},
    {"audition", DAW::Audition},
    {"orion", DAW::Orion},
    {"sawstudio", DAW::SAWStudio},
    {"logic", DAW::Logic},
    {"digital", DAW::Digital},
    {"audiomulch", DAW::AudioMulch},
    {"presonus", DAW::PreSonus},
    {"vst3plugintesthost", DAW::VST3PluginTestHost},
    {"vsthost", DAW::VSTHost},
    {"protools", DAW::ProTools},
    {"ardour", DAW::Ardour},
    {"standalone", DAW::Standalone},
    {"clap-validator", DAW::ClapValidator},
    {"clap-info", DAW::ClapInfo},
};

} // namespace

DAW identifyDAW(const char* hostName)
{
    if (hostName == nullptr)
        return DAW::Unknown;
    for (const DAWName& entry : kDAWNames)
        if (std::strstr(hostName, entry.substring) != nullptr)
            return entry.daw;
    return DAW::Unknown;
}

} // namespace plugkit
