#pragma once
// The macOS version the process runs on, derived from the Darwin kernel release. Releases
// newer than the last known one (and unreadable ones) report 100.0, newer than anything known.

namespace plugkit
{

struct MacOSVersion
{
    int major;
    int minor;
    int patch;
};

// Reads "kern.osrelease". Where that setting does not exist (any system but macOS) the release
// is unreadable, so this gives 100.0.
MacOSVersion getMacOSVersion();

// The mapping itself: "major.minor.patch" Darwin release text (null allowed) to the macOS
// version. Darwin 11 and earlier give 10.7, the oldest supported version; patch is always 0.
MacOSVersion macOSVersionFromDarwinRelease(const char* release);

} // namespace plugkit
