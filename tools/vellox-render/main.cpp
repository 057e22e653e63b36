// vellox-render: renders a sound file, or the built-in demo, through the Vellox VST3 plug-in
// as a DAW would, and reports levels and speed. See usageText() in options.cpp.

#include <cstdio>
#include <exception>
#include <iostream>

#include "errors.h"
#include "options.h"
#include "render.h"

int main(int argc, char** argv)
{
    using namespace vellox::render;
    try
    {
        Options options = parseOptions(argc, argv);
        if (options.help)
        {
            std::cout << usageText();
            return 0;
        }
        run(options, std::cout);
        std::cout.flush();
        return 0;
    }
    catch (const UsageError& e)
    {
        std::fprintf(stderr, "vellox-render: %s (see --help)\n", e.what());
        return e.exitCode();
    }
    catch (const RenderError& e)
    {
        std::fprintf(stderr, "vellox-render: %s\n", e.what());
        return e.exitCode();
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "vellox-render: %s\n", e.what());
        return 1;
    }
}
