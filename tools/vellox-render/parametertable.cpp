#include "parametertable.h"

#include <cctype>
#include <cstdlib>

namespace vellox::render
{

namespace
{

std::string squeeze(const std::string& s)
{
    std::string out;
    for (char c : s)
        if (!std::isspace(static_cast<unsigned char>(c)))
            out += char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// The distinct texts over the normalised range, in order: the entries of a choice.
// Entries of a list of n occupy 1 / (n - 1) each, so 1025 samples find every entry of any
// list of up to 513.
std::vector<std::string> scanChoices(PluginInstance& plugin, vst::ParamID id)
{
    std::vector<std::string> labels;
    constexpr int kSteps = 1024;
    for (int j = 0; j <= kSteps; ++j)
    {
        std::string t = plugin.valueText(id, double(j) / kSteps);
        if (labels.empty() || labels.back() != t)
            labels.push_back(t);
    }
    return labels;
}

} // namespace

ParameterTable::ParameterTable(PluginInstance& plugin)
{
    for (const ParameterDescription& d : plugin.parameters())
    {
        if (d.flags & vst::ParameterInfo::kIsBypass)
        {
            hasBypass = true;
            bypass = d.id;
            continue;
        }
        if (d.flags & vst::ParameterInfo::kIsProgramChange)
            continue;

        PluginParameter p;
        p.id = d.id;
        p.name = d.title;
        p.units = d.units;
        p.defaultNormalized = d.defaultNormalized;
        p.defaultText = plugin.valueText(d.id, d.defaultNormalized);
        p.minText = plugin.valueText(d.id, 0.0);
        p.maxText = plugin.valueText(d.id, 1.0);

        double probe = 0.0;
        if (plugin.valueFromText(d.id, "0", probe))
        {
            p.kind = ValueKind::Number;
            p.minValue = std::strtod(p.minText.c_str(), nullptr);
            p.maxValue = std::strtod(p.maxText.c_str(), nullptr);
        }
        else if (p.minText == "no" && p.maxText == "yes")
            p.kind = ValueKind::Switch;
        else
        {
            p.kind = ValueKind::Choice;
            p.choices = scanChoices(plugin, d.id);
        }
        params.push_back(p);
    }
}

const PluginParameter* ParameterTable::find(const std::string& name) const
{
    for (const PluginParameter& p : params)
        if (p.name == name)
            return &p;
    return nullptr;
}

const PluginParameter* ParameterTable::findId(vst::ParamID id) const
{
    for (const PluginParameter& p : params)
        if (p.id == id)
            return &p;
    return nullptr;
}

const PluginParameter* ParameterTable::findSimilar(const std::string& name) const
{
    std::string key = squeeze(name);
    for (const PluginParameter& p : params)
        if (squeeze(p.name) == key)
            return &p;
    return nullptr;
}

bool ParameterTable::bypassId(vst::ParamID& id) const
{
    id = bypass;
    return hasBypass;
}

std::string ParameterTable::expected(const PluginParameter& p)
{
    switch (p.kind)
    {
    case ValueKind::Number:
        return "a number from " + p.minText + " to " + p.maxText +
               (p.units.empty() ? "" : " " + p.units);
    case ValueKind::Switch:
        return "yes or no";
    case ValueKind::Choice:
        break;
    }
    return "one of " + rangeText(p);
}

std::string ParameterTable::rangeText(const PluginParameter& p)
{
    switch (p.kind)
    {
    case ValueKind::Number:
        return p.minText + " .. " + p.maxText + (p.units.empty() ? "" : " " + p.units);
    case ValueKind::Switch:
        return "no, yes";
    case ValueKind::Choice:
        break;
    }
    std::string s;
    for (const std::string& c : p.choices)
        s += (s.empty() ? "" : ", ") + c;
    return s;
}

} // namespace vellox::render
