#pragma once
// DAW: the host applications the framework recognises by name, for the few host-specific
// decisions of the format layer and the editor.

#include <cstdint>

namespace plugkit
{

enum class DAW : int32_t
{
    Unknown = 0,
    Reaper = 1,
    ProTools = 2,
    Cubase = 3,
    Nuendo = 4,
    Cakewalk = 5,
    Fruity = 7,
    Samplitude = 8,
    Live = 9,
    Melodyne = 12,
    VSTManLib = 13,
    AULab = 14,
    Forte = 15,
    Chainer = 16,
    Audition = 17,
    Orion = 18,
    SAWStudio = 20,
    Logic = 21,
    GarageBand = 22,
    Digital = 23,
    Standalone = 24,
    AudioMulch = 25,
    PreSonus = 26,
    VSTHost = 27,
    VST3PluginTestHost = 28,
    Ardour = 29,
    ClapValidator = 30,
    ClapInfo = 31,
};

// The host whose name contains the first matching substring of a fixed list (plain,
// case-sensitive byte search: callers lower-case the name first), else Unknown. Null and ""
// give Unknown.
DAW identifyDAW(const char* hostName);

} // namespace plugkit
