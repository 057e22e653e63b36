#include "render.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <memory>
#include <sys/stat.h>

#include "demosignal.h"
#include "errors.h"
#include "levels.h"
#include "parametertable.h"
#include "pendingfile.h"
#include "plugininstance.h"
#include "pluginmodule.h"
#include "progress.h"
#include "report.h"
#include "settings.h"
#include "soundfile.h"

namespace vellox::render
{

namespace
{

double cpuSeconds()
{
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

std::vector<uint8_t> readStateFile(const std::string& path)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        throw RenderError("cannot read state file \"" + path + "\": " + std::strerror(errno));
    if (S_ISDIR(st.st_mode))
        throw RenderError("cannot read state file \"" + path + "\": it is a directory");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw RenderError("cannot read state file \"" + path + "\": " + std::strerror(errno));
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw RenderError("cannot read state file \"" + path + "\": read error");
    return bytes;
}

// Frames of the input, from a file or the demo signal.
class Input
{
public:
    explicit Input(const std::string& path)
    {
        if (path.empty())
        {
            demo = makeDemoSignal();
            rate = demo.sampleRate;
            channels = 2;
            total = int64_t(demo.frames());
            name = "built-in demo";
        }
        else
        {
            file = std::make_unique<SoundFileReader>(path);
            rate = file->sampleRate();
            channels = file->channels();
            total = file->frames();
            name = path;
        }
    }

    size_t read(float* left, float* right, size_t frames)
    {
        if (file)
            return file->read(left, right, frames);
        size_t n = std::min(frames, demo.frames() - cursor);
        std::copy_n(demo.left.data() + cursor, n, left);
        std::copy_n(demo.right.data() + cursor, n, right);
        cursor += n;
        return n;
    }

    int rate = 0, channels = 0;
    int64_t total = 0;
    std::string name;

private:
    std::unique_ptr<SoundFileReader> file;
    StereoBuffer demo;
    size_t cursor = 0;
};

} // namespace

std::string defaultPluginPath()
{
#ifdef VELLOX_RENDER_DEFAULT_PLUGIN
    return VELLOX_RENDER_DEFAULT_PLUGIN;
#else
    return "Vellox.vst3";
#endif
}

void run(const Options& options, std::ostream& out)
{
    Input input(options.input);

    std::string pluginPath = options.plugin.empty() ? defaultPluginPath() : options.plugin;
    PluginModule module(pluginPath);
    PluginInstance plugin(module);
    ParameterTable table(plugin);

    // Settings in the order a user would make them: the saved state, the preset, then the
    // single values.
    if (!options.stateIn.empty())
    {
        std::vector<uint8_t> state = readStateFile(options.stateIn);
        try
        {
            plugin.setState(state);
        }
        catch (const RenderError&)
        {
            throw RenderError("state file \"" + options.stateIn +
                              "\" was refused by the plug-in (not a state it saved?)");
        }
    }
    if (!options.preset.empty())
        for (const Setting& s : presetSettings(table, plugin, options.preset))
            plugin.setParameter(s.id, s.normalized);
    for (const std::string& assignment : options.sets)
    {
        Setting s = parseSetting(table, plugin, assignment);
        plugin.setParameter(s.id, s.normalized);
    }
    vst::ParamID bypassId = 0;
    bool hasBypass = table.bypassId(bypassId);
    if (options.bypass)
    {
        if (!hasBypass)
            throw RenderError("the plug-in has no bypass parameter");
        plugin.setParameter(bypassId, 1.0);
    }

    if (options.list)
        printParameterList(out, table, plugin);

    std::unique_ptr<PendingFile> stateOut;
    if (!options.stateOut.empty())
        stateOut = std::make_unique<PendingFile>(options.stateOut);

    if (options.output.empty())
    {
        if (stateOut)
        {
            // Hand the settings to the processor as a render would, so the saved state holds
            // exactly the values it would render with.
            plugin.startProcessing(double(input.rate), options.block);
            plugin.process(nullptr, nullptr, nullptr, nullptr, 0);
            plugin.stopProcessing();
            std::vector<uint8_t> state = plugin.getState();
            stateOut->write(state.data(), state.size());
            stateOut->commit();
        }
        return;
    }

    SoundFileWriter writer(options.output, input.rate, options.bits);

    RenderReport report;
    report.plugin = module.modulePath() + " (" + plugin.className() + ")";
    report.input = input.name;
    report.inputChannels = input.channels;
    report.sampleRate = input.rate;
    report.output = options.output;
    report.bits = options.bits;
    report.block = options.block;

    size_t block = size_t(options.block);
    std::vector<float> inL(block), inR(block), outL(block), outR(block);
    ProgressBar progress(input.total, input.rate);
    plugin.startProcessing(double(input.rate), options.block);
    int64_t done = 0;
    for (;;)
    {
        size_t n = input.read(inL.data(), inR.data(), block);
        if (n == 0 && report.blocks > 0)
            break;
        // An empty input still gets one call of 0 frames, which applies the settings.
        double t0 = cpuSeconds();
        plugin.process(inL.data(), inR.data(), outL.data(), outR.data(), int(n));
        report.cpuSeconds += cpuSeconds() - t0;
        ++report.blocks;
        report.inputLevels.add(inL.data(), inR.data(), n);
        report.outputLevels.add(outL.data(), outR.data(), n);
        writer.write(outL.data(), outR.data(), n);
        done += int64_t(n);
        progress.update(done);
        if (n == 0)
            break;
    }
    progress.finish();
    plugin.stopProcessing();

    report.settings = changedSettings(table, plugin);
    report.bypass = hasBypass && plugin.normalized(bypassId) >= 0.5;

    if (stateOut)
    {
        std::vector<uint8_t> state = plugin.getState();
        stateOut->write(state.data(), state.size());
    }
    writer.commit();
    if (stateOut)
        stateOut->commit();

    if (!options.quiet)
        printReport(out, report);
}

} // namespace vellox::render
