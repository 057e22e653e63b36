#include "settings.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <strings.h>

#include "engine/factorypresets.h"
#include "errors.h"

namespace vellox::render
{

namespace
{

std::string trim(const std::string& s)
{
    size_t a = 0, b = s.size();
    while (a < b && std::isspace(static_cast<unsigned char>(s[a])))
        ++a;
    while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1])))
        --b;
    return s.substr(a, b - a);
}

RenderError unreadable(const PluginParameter& p, const std::string& text)
{
    return RenderError("cannot read \"" + text + "\" as a value of \"" + p.name + "\": expected " +
                       ParameterTable::expected(p));
}

// A bound read from its display text ("0.01") may differ from the true bound in the digits
// the text leaves out; values this close to a bound count as inside.
bool outside(double v, double lo, double hi)
{
    auto slack = [](double b) { return std::isfinite(b) ? 1e-6 * std::fmax(1.0, std::fabs(b)) : 0.0; };
    return v < lo - slack(lo) || v > hi + slack(hi);
}

double plugInValue(PluginInstance& plugin, const PluginParameter& p, const std::string& text,
                   const std::string& shownText)
{
    double normalized = 0.0;
    if (!plugin.valueFromText(p.id, text, normalized) || !std::isfinite(normalized))
        throw unreadable(p, shownText);
    return normalized;
}

// VALUE of a number parameter: the whole text must be a number, optionally followed by the
// parameter's unit. The plug-in's own reader accepts trailing words and reads "" as 0, so it
// cannot tell a typo from a value; this check can.
double numberValue(PluginInstance& plugin, const PluginParameter& p, const std::string& text)
{
    std::string t = trim(text);
    const char* start = t.c_str();
    char* end = nullptr;
    double v = std::strtod(start, &end);
    std::string rest = trim(std::string(end));
    bool unitOk = rest.empty() || (!p.units.empty() && strcasecmp(rest.c_str(), p.units.c_str()) == 0);
    if (end == start || !unitOk || std::isnan(v))
        throw unreadable(p, text);
    if (outside(v, p.minValue, p.maxValue))
        throw RenderError("value " + t + " of \"" + p.name + "\" is out of range: expected " +
                          ParameterTable::expected(p));
    return plugInValue(plugin, p, std::string(start, size_t(end - start)), text);
}

} // namespace

Setting parseSetting(const ParameterTable& table, PluginInstance& plugin,
                     const std::string& assignment)
{
    size_t eq = assignment.find('=');
    if (eq == std::string::npos)
        throw RenderError("--set expects \"NAME=VALUE\", not \"" + assignment + "\"");
    std::string name = assignment.substr(0, eq);
    std::string value = assignment.substr(eq + 1);

    const PluginParameter* p = table.find(name);
    if (p == nullptr)
    {
        std::string hint = "; --list shows the names";
        if (const PluginParameter* similar = table.findSimilar(name))
            hint = "; did you mean \"" + similar->name + "\"?";
        else if (strcasecmp(trim(name).c_str(), "bypass") == 0)
            hint = "; use --bypass";
        throw RenderError("unknown parameter \"" + name + "\"" + hint);
    }

    Setting s;
    s.id = p->id;
    if (p->kind == ValueKind::Number)
        s.normalized = numberValue(plugin, *p, value);
    else
        s.normalized = plugInValue(plugin, *p, value, value);
    return s;
}

std::vector<Setting> presetSettings(const ParameterTable& table, PluginInstance& plugin,
                                    const std::string& name)
{
    int preset = findFactoryPreset(name.c_str());
    if (preset < 0)
    {
        std::string names;
        for (const char* n : kFactoryPresetNames)
            names += (names.empty() ? "" : ", ") + std::string(n);
        throw RenderError("unknown preset \"" + name + "\"; the factory presets are " + names);
    }

    std::vector<Setting> settings;
    for (int i = 0; i < kNumPresetColumns; ++i)
    {
        const PluginParameter* p = table.findId(vst::ParamID(i));
        if (p == nullptr)
            throw RenderError("the plug-in has no parameter " + std::to_string(i) +
                              ", which preset \"" + name + "\" sets");
        // Column 0 holds the row number; the menu sets "Presets" to the entry itself.
        float v = i == 0 ? float(preset) : presetvalues_row1[preset][i];

        // The cell as the text the parameter reads, so the plug-in does the conversion.
        std::string text;
        switch (p->kind)
        {
        case ValueKind::Number:
        {
            char buffer[32];
            std::snprintf(buffer, sizeof buffer, "%.9g", double(v));
            text = buffer;
            break;
        }
        case ValueKind::Switch:
            text = v != 0.0f ? "yes" : "no";
            break;
        case ValueKind::Choice:
        {
            // Entry numbers are truncated and clamped, as the menu does.
            long k = long(v);
            long last = long(p->choices.size()) - 1;
            text = p->choices[size_t(k < 0 ? 0 : k > last ? last : k)];
            break;
        }
        }
        settings.push_back({p->id, plugInValue(plugin, *p, text, text)});
    }
    return settings;
}

} // namespace vellox::render
