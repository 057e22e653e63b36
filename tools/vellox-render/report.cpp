#include "report.h"

#include <cmath>
#include <cstdio>

namespace vellox::render
{

namespace
{

std::string format(const char* fmt, double v)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, fmt, v);
    return buffer;
}

std::string pad(const std::string& s, size_t width)
{
    return s.size() >= width ? s + " " : s + std::string(width - s.size(), ' ');
}

std::string withUnits(const std::string& text, const std::string& units)
{
    return units.empty() ? text : text + " " + units;
}

} // namespace

std::string dbText(double db)
{
    if (std::isinf(db) && db < 0)
        return "-inf dBFS";
    return format("%.1f dBFS", db);
}

std::vector<ChangedSetting> changedSettings(const ParameterTable& table, PluginInstance& plugin)
{
    std::vector<ChangedSetting> changed;
    // A value that went through the host's 32-bit float may print differently from the
    // default ("0.0" against "-0.0") without being a change; those are not listed.
    constexpr double kFloatRounding = 1e-7;
    for (const PluginParameter& p : table.all())
    {
        double n = plugin.normalized(p.id);
        std::string now = plugin.valueText(p.id, n);
        if (now != p.defaultText && std::fabs(n - p.defaultNormalized) > kFloatRounding)
            changed.push_back({p.name, now, p.units});
    }
    return changed;
}

void printParameterList(std::ostream& out, const ParameterTable& table, PluginInstance& plugin)
{
    out << pad("ID", 5) << pad("Name", 18) << pad("Default", 14) << pad("Current", 14) << "Range\n";
    for (const PluginParameter& p : table.all())
    {
        std::string now = plugin.valueText(p.id, plugin.normalized(p.id));
        out << pad(std::to_string(p.id), 5) << pad(p.name, 18)
            << pad(withUnits(p.defaultText, p.kind == ValueKind::Number ? p.units : ""), 14)
            << pad(withUnits(now, p.kind == ValueKind::Number ? p.units : ""), 14)
            << ParameterTable::rangeText(p) << "\n";
    }
}

void printReport(std::ostream& out, const RenderReport& r)
{
    double seconds = r.sampleRate > 0 ? double(r.inputLevels.frames()) / r.sampleRate : 0.0;
    out << "plug-in    " << r.plugin << "\n";
    out << "input      " << r.input << " (" << format("%.2f s", seconds) << ", " << r.sampleRate
        << " Hz, " << (r.inputChannels == 1 ? "mono, fed to both channels" : "stereo") << ")\n";
    out << "output     " << r.output << " (stereo, "
        << (r.bits == 32 ? std::string("32-bit float") : std::to_string(r.bits) + "-bit PCM") << ")\n";
    out << "settings   ";
    if (r.settings.empty() && !r.bypass)
        out << "all at their defaults\n";
    else
    {
        bool first = true;
        if (r.bypass)
        {
            out << "Bypass = yes\n";
            first = false;
        }
        for (const ChangedSetting& s : r.settings)
        {
            out << (first ? "" : "           ") << s.name << " = " << withUnits(s.text, s.units) << "\n";
            first = false;
        }
    }
    out << "levels     input  peak " << pad(dbText(r.inputLevels.peakDb()), 11) << "  RMS "
        << dbText(r.inputLevels.rmsDb()) << "\n";
    out << "           output peak " << pad(dbText(r.outputLevels.peakDb()), 11) << "  RMS "
        << dbText(r.outputLevels.rmsDb()) << "\n";
    if (r.outputLevels.hasNonFinite())
        out << "warning    the output holds NaN or infinite samples\n";
    if (r.bits != 32 && r.outputLevels.peakDb() > 0.0)
        out << "warning    the output exceeds full scale and is clipped in the "
            << r.bits << "-bit file\n";
    out << "CPU time   " << format("%.3f s", r.cpuSeconds);
    if (r.cpuSeconds > 0.0 && seconds > 0.0)
        out << ", " << format("%.1fx real time", seconds / r.cpuSeconds);
    out << " (" << r.blocks << (r.blocks == 1 ? " host buffer" : " host buffers") << " of up to "
        << r.block << " frames)\n";
}

} // namespace vellox::render
