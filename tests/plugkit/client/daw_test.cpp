#include "plugkit/client/daw.h"

#include <gtest/gtest.h>

using namespace plugkit;

TEST(IdentifyDAW, FirstMatchingRowWins)
{
    struct Case
    {
        const char* name;
        DAW expected;
    } cases[] = {
        {"vst3plugintesthost", DAW::VST3PluginTestHost}, // before "vsthost"
        {"vsthost", DAW::VSTHost},
        {"cubase 12", DAW::Cubase},
        {"", DAW::Unknown},
        {nullptr, DAW::Unknown},
        {"ableton live logic", DAW::Live}, // "live" is tested before "logic"
        {"logic pro", DAW::Logic},
        {"Reaper", DAW::Unknown}, // case-sensitive: callers lower-case first
        {"reaper64", DAW::Reaper},
        {"clap-validator", DAW::ClapValidator},
        {"pro tools", DAW::Unknown},
        {"protools", DAW::ProTools},
        {"bitwig studio", DAW::Unknown},
    };
    for (const Case& c : cases)
        EXPECT_EQ(identifyDAW(c.name), c.expected) << (c.name ? c.name : "(null)");
}
