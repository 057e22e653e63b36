#include "plugkit/core/macosversion.h"

#include <cstdio>

#if defined(__APPLE__)
#include <sys/sysctl.h>
#endif

namespace plugkit
{

MacOSVersion macOSVersionFromDarwinRelease(const char* release)
{
    // macOS version for Darwin 12 to 21; 11 and earlier give 10.7.
    static const MacOSVersion kKnown[] = {
        {10, 8, 0},  {10, 9, 0},  {10, 10, 0}, {10, 11, 0}, {10, 12, 0},
        {10, 13, 0}, {10, 14, 0}, {10, 15, 0}, {11, 0, 0},  {12, 0, 0},
    };
    const MacOSVersion newest = {100, 0, 0};

    int darwinMajor, darwinMinor, darwinPatch;
    if (release == nullptr ||
        std::sscanf(release, "%d.%d.%d", &darwinMajor, &darwinMinor, &darwinPatch) != 3 ||
        darwinMajor < 0 || darwinMajor > 21)
        return newest;
    if (darwinMajor <= 11)
        return {10, 7, 0};
    return kKnown[darwinMajor - 12];
}

MacOSVersion getMacOSVersion()
{
#if defined(__APPLE__)
    char release[256];
    size_t size = sizeof(release);
    if (sysctlbyname("kern.osrelease", release, &size, nullptr, 0) == 0 && size > 0)
    {
        release[size < sizeof(release) ? size - 1 : sizeof(release) - 1] = '\0';
        return macOSVersionFromDarwinRelease(release);
    }
#endif
    return macOSVersionFromDarwinRelease(nullptr);
}

} // namespace plugkit
