#pragma once
// One run of vellox-render: load the input and the plug-in, apply the settings, process,
// write the output and the state, print the report.

#include <ostream>
#include <string>

#include "options.h"

namespace vellox::render
{

// Runs the job described by `options`, printing the parameter list and the report on
// `out`. Throws RenderError; nothing is left at the output paths when it does.
void run(const Options& options, std::ostream& out);

// The plug-in loaded when --plugin is not given: the bundle built with the tool.
std::string defaultPluginPath();

} // namespace vellox::render
