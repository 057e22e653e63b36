#include "options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "errors.h"

namespace vellox::render
{

namespace
{

// Whole-text decimal integer in [lo, hi]; anything else is a usage error naming the option.
int parseInt(const std::string& option, const std::string& text, long lo, long hi)
{
    errno = 0;
    char* end = nullptr;
    long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || v < lo || v > hi)
        throw UsageError(option + " expects a whole number from " + std::to_string(lo) + " to " +
                         std::to_string(hi) + ", not \"" + text + "\"");
    return int(v);
}

} // namespace

Options parseOptions(int argc, const char* const* argv)
{
    Options o;
    std::vector<std::string> positional;
    bool optionsEnded = false;

    for (int i = 1; i < argc; ++i)
    {
        std::string arg = argv[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-")
        {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--")
        {
            optionsEnded = true;
            continue;
        }

        // "--name=value" and "--name value" are both accepted.
        std::string name = arg, inlineValue;
        bool hasInline = false;
        if (arg.rfind("--", 0) == 0)
        {
            size_t eq = arg.find('=');
            if (eq != std::string::npos)
            {
                name = arg.substr(0, eq);
                inlineValue = arg.substr(eq + 1);
                hasInline = true;
            }
        }
        auto value = [&]() -> std::string {
            if (hasInline)
                return inlineValue;
            if (i + 1 >= argc)
                throw UsageError(name + " needs a value");
            return argv[++i];
        };
        auto flag = [&]() {
            if (hasInline)
                throw UsageError(name + " takes no value");
        };

        if (name == "-o" || name == "--output")
            o.output = value();
        else if (name == "--plugin")
            o.plugin = value();
        else if (name == "--preset")
            o.preset = value();
        else if (name == "--set")
        {
            std::string s = value();
            if (s.find('=') == std::string::npos)
                throw UsageError("--set expects \"NAME=VALUE\", not \"" + s + "\"");
            o.sets.push_back(s);
        }
        else if (name == "--state-in")
            o.stateIn = value();
        else if (name == "--state-out")
            o.stateOut = value();
        else if (name == "--block")
            o.block = parseInt(name, value(), 1, 1 << 20);
        else if (name == "--bits")
        {
            std::string b = value();
            if (b != "16" && b != "24" && b != "32")
                throw UsageError("--bits expects 16, 24 (PCM) or 32 (float), not \"" + b + "\"");
            o.bits = std::atoi(b.c_str());
        }
        else if (name == "--list")
            flag(), o.list = true;
        else if (name == "--bypass")
            flag(), o.bypass = true;
        else if (name == "-q" || name == "--quiet")
            flag(), o.quiet = true;
        else if (name == "-h" || name == "--help")
            flag(), o.help = true;
        else
            throw UsageError("unknown option " + name);
    }

    if (o.help)
        return o;
    if (positional.size() > 1)
        throw UsageError("more than one input file given (\"" + positional[0] + "\", \"" +
                         positional[1] + "\"); the output is given with -o");
    if (!positional.empty())
        o.input = positional[0];
    if (o.output.empty() && !o.list)
        throw UsageError("no output file given (-o FILE)");
    if (!o.output.empty() && !o.input.empty() && o.output == o.input)
        throw UsageError("the output file would replace the input file \"" + o.input + "\"");
    return o;
}

const char* usageText()
{
    return R"(Usage: vellox-render [OPTIONS] [INPUT] -o OUTPUT
       vellox-render [OPTIONS] --list

Renders INPUT (WAV, AIFF or FLAC, any sample rate, mono or stereo) through the Vellox
VST3 plug-in into OUTPUT, a stereo file of the same rate. Without INPUT, a built-in demo
signal of 8 seconds is rendered. The plug-in is loaded the way a DAW loads it.

Options:
  -o, --output FILE     file to write (.wav, .aif/.aiff or .flac; WAV otherwise)
  --bits 16|24|32       sample format: 16- or 24-bit PCM, or 32-bit float (default 32)
  --preset NAME         apply a factory preset (INIT, ENHANCE, GLUE, ... LOFIVOICE)
  --set "NAME=VALUE"    set one parameter by its exact name, in its own unit;
                        may be repeated, applied after --preset, in order given
  --bypass              switch the plug-in's bypass on
  --state-in FILE       load a plug-in state saved with --state-out, before the settings
  --state-out FILE      save the plug-in state after rendering, as a DAW project would
  --list                print every parameter: range, default and current value
  --block N             frames per host buffer (default 512; any size from 1)
  --plugin PATH         Vellox.vst3 bundle or its .so module (default: the one built
                        with this tool)
  -q, --quiet           no report
  -h, --help            this text

Examples:
  vellox-render -o demo.wav --preset FATDRUM
  vellox-render vocal.flac -o vocal-out.wav --preset VOICE --set "Mix=60"
  vellox-render bass.wav -o bass-out.wav --set "Input gain=-6" \
      --set "Texture Levels=AIR_x8" --set "Limiter on/off=yes" --bits 24
  vellox-render --list --preset BUZZ
)";
}

} // namespace vellox::render
