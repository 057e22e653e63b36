#include "plugkit/core/macosversion.h"

#include <gtest/gtest.h>

using namespace plugkit;

TEST(MacOSVersion, MapsDarwinReleases)
{
    struct Case
    {
        const char* release;
        int major, minor;
    };
    const Case cases[] = {
        {"20.6.0", 11, 0},  {"23.1.0", 100, 0}, {"9.8.0", 10, 7},   {"11.4.2", 10, 7},
        {"0.0.0", 10, 7},   {"12.0.0", 10, 8},  {"15.6.0", 10, 11}, {"19.6.0", 10, 15},
        {"21.6.0", 12, 0},  {"22.1.0", 100, 0}, // newer than known: "newer than anything"
        {"", 100, 0},       {"garbage", 100, 0}, {"20.6", 100, 0},  {nullptr, 100, 0},
    };
    for (const Case& c : cases)
    {
        MacOSVersion v = macOSVersionFromDarwinRelease(c.release);
        EXPECT_EQ(v.major, c.major) << (c.release ? c.release : "(null)");
        EXPECT_EQ(v.minor, c.minor) << (c.release ? c.release : "(null)");
        EXPECT_EQ(v.patch, 0);
    }
}

#if !defined(__APPLE__)
TEST(MacOSVersion, ElsewhereTheReleaseIsUnreadable)
{
    MacOSVersion v = getMacOSVersion();
    EXPECT_EQ(v.major, 100);
    EXPECT_EQ(v.minor, 0);
}
#endif
