#pragma once
// The plug-in's own parameters as the tool presents them: name, unit, the kind of value
// (a number, a yes/no switch or a choice of labels), range and default, all learned through
// the controller's text conversions, so the tool holds no copy of the parameter table.

#include <string>
#include <vector>

#include "plugininstance.h"

namespace vellox::render
{

enum class ValueKind
{
    Number,  // the plug-in reads numbers: range minText .. maxText in `units`
    Switch,  // "yes" / "no"
    Choice,  // one of `choices`
};

struct PluginParameter
{
    vst::ParamID id = 0;
    std::string name;
    std::string units;
    ValueKind kind = ValueKind::Number;
    double defaultNormalized = 0.0;
    std::string defaultText;
    std::string minText, maxText;  // texts at normalised 0 and 1
    double minValue = 0.0, maxValue = 0.0;  // the same, read as numbers (Number only)
    std::vector<std::string> choices;  // Choice: entry labels in order
};

class ParameterTable
{
public:
    // The plug-in's parameters, without its bypass and program-change parameters.
    explicit ParameterTable(PluginInstance& plugin);

    const std::vector<PluginParameter>& all() const { return params; }
    // Exact (case-sensitive) name match, or null.
    const PluginParameter* find(const std::string& name) const;
    const PluginParameter* findId(vst::ParamID id) const;
    // A name equal to `name` ignoring case and spaces, for "did you mean"; or null.
    const PluginParameter* findSimilar(const std::string& name) const;
    // The bypass parameter's ID, when the plug-in has one.
    bool bypassId(vst::ParamID& id) const;

    // "a number in dB", "yes or no", "one of RAW_X0, BURN_x2, ..." for messages.
    static std::string expected(const PluginParameter& p);
    // "-inf .. 24.0 dB", "no, yes", "RAW_X0, BURN_x2, ...".
    static std::string rangeText(const PluginParameter& p);

private:
    std::vector<PluginParameter> params;
    bool hasBypass = false;
    vst::ParamID bypass = 0;
};

} // namespace vellox::render
