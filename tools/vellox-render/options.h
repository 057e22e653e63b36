#pragma once
// Command line of vellox-render.

#include <string>
#include <vector>

namespace vellox::render
{

struct Options
{
    std::string input;              // sound file to process; empty: the built-in demo signal
    std::string output;             // file to write; empty only with --list
    std::string plugin;             // bundle or module to load; empty: the one built with the tool
    std::string preset;             // factory preset name, applied before the --set values
    std::vector<std::string> sets;  // "NAME=VALUE" in command-line order
    std::string stateIn, stateOut;  // plug-in state files
    bool list = false;              // print the parameters
    bool bypass = false;
    bool quiet = false;             // no report
    bool help = false;
    int block = 512;                // frames per host buffer
    int bits = 32;                  // 32: float; 16 or 24: PCM
};

// Parses argv[1..argc-1]. Throws UsageError with a one-line message for anything it cannot
// accept; consistency between options (an output is needed unless listing) is checked too.
Options parseOptions(int argc, const char* const* argv);

// The --help text.
const char* usageText();

} // namespace vellox::render
