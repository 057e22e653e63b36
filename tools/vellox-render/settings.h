#pragma once
// The settings of a render as parameter values: "NAME=VALUE" assignments and factory preset
// rows, both turned into normalised values by the plug-in's own text conversion.

#include <string>
#include <vector>

#include "parametertable.h"

namespace vellox::render
{

struct Setting
{
    vst::ParamID id = 0;
    double normalized = 0.0;
};

// Parses "NAME=VALUE": NAME is a parameter's exact name, VALUE a text in its own unit
// ("-6", "-6 dB", "AIR_x8", "yes"). Throws RenderError for an unknown name, a text the
// plug-in cannot read, and a number outside the parameter's range.
Setting parseSetting(const ParameterTable& table, PluginInstance& plugin,
                     const std::string& assignment);

// The values the editor's preset menu sets for the factory preset named exactly `name`:
// "Presets" first, then the row's parameters in order. Throws RenderError for an unknown
// preset name or a plug-in that lacks one of the row's parameters.
std::vector<Setting> presetSettings(const ParameterTable& table, PluginInstance& plugin,
                                    const std::string& name);

} // namespace vellox::render
