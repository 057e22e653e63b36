#pragma once
// What vellox-render prints: the parameter list of --list and the report after a render.

#include <ostream>
#include <string>
#include <vector>

#include "levels.h"
#include "parametertable.h"

namespace vellox::render
{

// One parameter whose current text differs from its default text.
struct ChangedSetting
{
    std::string name, text, units;
};

// Parameters whose current value reads differently from their default, in list order.
std::vector<ChangedSetting> changedSettings(const ParameterTable& table, PluginInstance& plugin);

// --list: every parameter with its default, current value and range.
void printParameterList(std::ostream& out, const ParameterTable& table, PluginInstance& plugin);

struct RenderReport
{
    std::string plugin;        // module path and class name
    std::string input;         // file name or "built-in demo"
    int inputChannels = 2;
    int sampleRate = 0;
    std::string output;
    int bits = 32;
    int block = 512;
    int64_t blocks = 0;
    bool bypass = false;
    std::vector<ChangedSetting> settings;
    LevelMeter inputLevels, outputLevels;
    double cpuSeconds = 0.0;
};

void printReport(std::ostream& out, const RenderReport& r);

// "-3.2 dBFS", "-inf dBFS".
std::string dbText(double db);

} // namespace vellox::render
