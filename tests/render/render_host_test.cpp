// vellox-render against the built bundle: what it renders, and how it fails. The tool is run
// as a program; the reference renders drive vellox::VelloxClient directly.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sndfile.h>
#include <sstream>
#include <sys/wait.h>

#include "demosignal.h"
#include "levels.h"
#include "engine/factorypresets.h"
#include "engine/main.h"
#include "plugkit/client/parameter.h"
#include "plugkit/core/fpcontrol.h"
#include "plugkit/core/memory.h"
#include "soundfile.h"
#include "tempdir.h"

namespace vellox::render
{
namespace
{

struct ToolRun
{
    int exitCode = -1;
    std::string out, err;
};

std::string quote(const std::string& s)
{
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string readText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs the built tool with `args`, its outputs captured in files of `dir`.
ToolRun runTool(const TempDir& dir, const std::vector<std::string>& args)
{
    std::string command = quote(VELLOX_RENDER_EXE);
    for (const std::string& a : args)
        command += " " + quote(a);
    std::string outFile = dir.file("tool.stdout"), errFile = dir.file("tool.stderr");
    command += " >" + quote(outFile) + " 2>" + quote(errFile) + " </dev/null";
    int status = std::system(command.c_str());
    ToolRun r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = readText(outFile);
    r.err = readText(errFile);
    std::remove(outFile.c_str());
    std::remove(errFile.c_str());
    return r;
}

StereoBuffer readSound(const std::string& path)
{
    SoundFileReader in(path);
    StereoBuffer b;
    b.sampleRate = in.sampleRate();
    b.left.resize(size_t(in.frames()));
    b.right.resize(size_t(in.frames()));
    in.read(b.left.data(), b.right.data(), b.left.size());
    return b;
}

void writeSound(const std::string& path, const StereoBuffer& b, int channels)
{
    SF_INFO info = {};
    info.samplerate = b.sampleRate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(f, nullptr);
    std::vector<float> interleaved;
    for (size_t i = 0; i < b.frames(); ++i)
        for (int c = 0; c < channels; ++c)
            interleaved.push_back(c == 1 ? b.right[i] : b.left[i]);
    sf_writef_float(f, interleaved.data(), sf_count_t(b.frames()));
    sf_close(f);
}

// Index of the first sample where the two differ, or -1.
long firstDifference(const std::vector<float>& a, const std::vector<float>& b)
{
    if (a.size() != b.size())
        return long(std::min(a.size(), b.size()));
    for (size_t i = 0; i < a.size(); ++i)
        if (std::memcmp(&a[i], &b[i], sizeof(float)) != 0)
            return long(i);
    return -1;
}

// The engine driven the way the VST3 layer drives it for the tool: each setting's normalised
// value goes to the parameter at once (the controller's setParamNormalized), the client is
// reset on the first buffer, the value arrives again as a 32-bit float before the first
// block, and host buffers are cut into blocks of at most 512 frames.
struct DirectSetting
{
    int index;
    double normalized;
};

StereoBuffer renderDirect(const StereoBuffer& in, const std::vector<DirectSetting>& settings, int hostBlock)
{
    plugkit::NoDenormalsGuard guard;
    VelloxClient* client = plugkit::mallocNew<VelloxClient>();
    const int limit = 512;
    client->setMaxFramesInProcessLimit(limit);
    for (const DirectSetting& s : settings)
        client->param(s.index)->setFromHost(s.normalized);
    client->resetFromHost(double(in.sampleRate), hostBlock, 2, 2);
    for (const DirectSetting& s : settings)
        client->setParameterFromHost(s.index, float(s.normalized));

    StereoBuffer out;
    out.sampleRate = in.sampleRate;
    out.left.resize(in.frames());
    out.right.resize(in.frames());
    plugkit::TimeInfo info;
    info.tempo = 120.0;
    info.timeInSamples = 0;
    info.hostIsPlaying = true;
    for (size_t buffer = 0; buffer < in.frames(); buffer += size_t(hostBlock))
    {
        size_t end = std::min(in.frames(), buffer + size_t(hostBlock));
        for (size_t start = buffer; start < end;)
        {
            size_t n = std::min(end - start, size_t(limit));
            const float* inputs[2] = {in.left.data() + start, in.right.data() + start};
            float* outputs[2] = {out.left.data() + start, out.right.data() + start};
            client->processAudioFromHost(inputs, outputs, int(n), info, true);
            info.timeInSamples += int64_t(n);
            start += n;
        }
    }
    plugkit::destroyFree(client);
    return out;
}

// Normalised values of a factory preset as the editor's menu leaves them.
std::vector<DirectSetting> presetValues(const char* name)
{
    VelloxClient* scratch = plugkit::mallocNew<VelloxClient>();
    applyFactoryPreset(*scratch, findFactoryPreset(name));
    std::vector<DirectSetting> s;
    for (int i = 0; i < kNumPresetColumns; ++i)
        s.push_back({i, scratch->param(i)->getNormalized()});
    plugkit::destroyFree(scratch);
    return s;
}

// Normalised value of `text` for parameter `index`, by the parameter's own parser.
DirectSetting typed(int index, const char* text)
{
    VelloxClient* scratch = plugkit::mallocNew<VelloxClient>();
    double n = 0.0;
    EXPECT_TRUE(scratch->param(index)->normalizedValueFromString(text, &n)) << text;
    plugkit::destroyFree(scratch);
    return {index, n};
}

class RenderHost : public ::testing::Test
{
protected:
    TempDir dir;
};

TEST_F(RenderHost, OutputIsTheEngineDrivenDirectlySampleForSample)
{
    StereoBuffer monoInput = makeDemoSignal(44100);
    monoInput.left.resize(3 * 44100 + 77);
    monoInput.right = monoInput.left;  // what a mono file feeds to both channels
    writeSound(dir.file("mono.wav"), monoInput, 1);

    std::vector<DirectSetting> fatdrum = presetValues("FATDRUM");
    fatdrum.push_back(typed(paramInputGain, "2.5"));
    fatdrum.push_back(typed(paramTextureLevels, "AIR_x8"));

    struct Case
    {
        const char* what;
        std::vector<std::string> args;
        std::vector<DirectSetting> settings;
        int block;
        bool fromFile;
    };
    const Case cases[] = {
        {"defaults", {}, {}, 512, false},
        {"preset and values",
         {"--preset", "FATDRUM", "--set", "Input gain=2.5 dB", "--set", "Texture Levels=AIR_x8"},
         fatdrum, 512, false},
        {"mono file at 44.1 kHz", {"--preset", "LOFIVOICE"}, presetValues("LOFIVOICE"), 512, true},
        {"buffers longer than the block limit", {"--preset", "BUZZ", "--block", "1000"},
         presetValues("BUZZ"), 1000, false},
        {"short odd buffers", {"--preset", "GUITAR", "--block", "77"}, presetValues("GUITAR"), 77, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::vector<std::string> args = c.args;
        if (c.fromFile)
            args.push_back(dir.file("mono.wav"));
        args.insert(args.end(), {"-q", "-o", dir.file("out.wav")});
        if (std::find(args.begin(), args.end(), "--block") == args.end())
            args.insert(args.end(), {"--block", std::to_string(c.block)});
        ToolRun run = runTool(dir, args);
        ASSERT_EQ(run.exitCode, 0) << run.err;

        StereoBuffer tool = readSound(dir.file("out.wav"));
        StereoBuffer direct = renderDirect(c.fromFile ? monoInput : makeDemoSignal(), c.settings, c.block);
        EXPECT_EQ(tool.sampleRate, direct.sampleRate);
        LevelMeter level;
        level.add(tool.left.data(), tool.right.data(), tool.frames());
        EXPECT_GT(level.rmsDb(), -40.0) << "silence matches silence and proves nothing";
        EXPECT_EQ(firstDifference(tool.left, direct.left), -1);
        EXPECT_EQ(firstDifference(tool.right, direct.right), -1);
    }
}

TEST_F(RenderHost, RenderingTwiceGivesIdenticalFiles)
{
    for (const char* name : {"a.wav", "b.wav"})
    {
        ToolRun run = runTool(dir, {"--preset", "FATDRUM", "--set", "Mix=55", "--bits", "24", "-q",
                                    "-o", dir.file(name)});
        ASSERT_EQ(run.exitCode, 0) << run.err;
    }
    std::string a = readText(dir.file("a.wav")), b = readText(dir.file("b.wav"));
    EXPECT_GT(a.size(), 8u * 48000u * 6u);
    EXPECT_TRUE(a == b);
}

TEST_F(RenderHost, SavedStateReproducesTheRender)
{
    ToolRun first = runTool(dir, {"--preset", "BUZZ", "--set", "Mix=55", "--set", "LP Cutoff=4321.5",
                                  "--bypass", "--state-out", dir.file("s.state"), "-o", dir.file("a.wav")});
    ASSERT_EQ(first.exitCode, 0) << first.err;
    // Bypass travels with the state too; switch it off again for a render that shows the rest.
    ToolRun withBypass = runTool(dir, {"--state-in", dir.file("s.state"), "-o", dir.file("b.wav")});
    ASSERT_EQ(withBypass.exitCode, 0) << withBypass.err;
    EXPECT_EQ(readText(dir.file("a.wav")), readText(dir.file("b.wav")));

    ToolRun second = runTool(dir, {"--preset", "BUZZ", "--set", "Mix=55", "--set", "LP Cutoff=4321.5",
                                   "--state-out", dir.file("t.state"), "-o", dir.file("c.wav")});
    ASSERT_EQ(second.exitCode, 0) << second.err;
    ToolRun again = runTool(dir, {"--state-in", dir.file("t.state"), "-o", dir.file("d.wav")});
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_TRUE(readText(dir.file("c.wav")) == readText(dir.file("d.wav")));
    EXPECT_NE(again.out.find("LP Cutoff = 4321.50 hz"), std::string::npos) << again.out;
    EXPECT_NE(again.out.find("Presets = BUZZ"), std::string::npos) << again.out;
}

TEST_F(RenderHost, StateAloneCanBeSavedWithoutRendering)
{
    ToolRun save = runTool(dir, {"--list", "--set", "Mix=42", "--state-out", dir.file("s.state")});
    ASSERT_EQ(save.exitCode, 0) << save.err;
    ToolRun list = runTool(dir, {"--list", "--state-in", dir.file("s.state")});
    ASSERT_EQ(list.exitCode, 0) << list.err;
    EXPECT_NE(list.out.find("42.00 %"), std::string::npos) << list.out;
}

TEST_F(RenderHost, BypassPassesTheInputThroughUntouched)
{
    StereoBuffer in = makeDemoSignal(48000);
    writeSound(dir.file("in.wav"), in, 2);
    ToolRun run = runTool(dir, {dir.file("in.wav"), "--preset", "BUZZ", "--bypass", "-o", dir.file("out.wav")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    StereoBuffer out = readSound(dir.file("out.wav"));
    EXPECT_EQ(firstDifference(out.left, in.left), -1);
    EXPECT_EQ(firstDifference(out.right, in.right), -1);
    EXPECT_NE(run.out.find("Bypass = yes"), std::string::npos) << run.out;
}

TEST_F(RenderHost, ListShowsEveryParameterWithTheSettingsApplied)
{
    ToolRun run = runTool(dir, {"--list", "--preset", "HIHAT", "--set", "Texture Levels=AIR_x8"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    VelloxClient* client = plugkit::mallocNew<VelloxClient>();
    for (int i = 0; i < client->numParams(); ++i)
        EXPECT_NE(run.out.find(client->param(i)->name()), std::string::npos) << client->param(i)->name();
    plugkit::destroyFree(client);
    std::istringstream lines(run.out);
    std::string line;
    int checked = 0;
    while (std::getline(lines, line))
    {
        if (line.find("Texture Levels") != std::string::npos)
        {
            EXPECT_NE(line.find("WARM_x4       AIR_x8"), std::string::npos) << line;
            ++checked;
        }
        if (line.find("LP Mode") != std::string::npos)
        {
            EXPECT_NE(line.find("DIRTY         CLEAN"), std::string::npos) << line;
            ++checked;
        }
    }
    EXPECT_EQ(checked, 2);
}

TEST_F(RenderHost, ReportShowsLevelsSettingsAndSpeed)
{
    ToolRun run = runTool(dir, {"--preset", "FATDRUM", "-o", dir.file("out.wav")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    for (const char* part : {"input      built-in demo (8.00 s, 48000 Hz, stereo)", "input  peak -1.0 dBFS",
                             "output peak", "RMS", "Presets = FATDRUM", "Mid. Freq. = 600.00 hz",
                             "real time", "750 host buffers"})
        EXPECT_NE(run.out.find(part), std::string::npos) << part << "\n" << run.out;
    EXPECT_EQ(run.out.find("Input gain"), std::string::npos) << "a default shown as changed";
    EXPECT_TRUE(run.err.empty()) << run.err;  // no progress bar when stderr is no terminal
}

TEST_F(RenderHost, EachErrorIsOneLineANonZeroExitAndNoOutputFile)
{
    StereoBuffer three = makeDemoSignal(8000);
    writeSound(dir.file("three.wav"), three, 3);
    std::ofstream(dir.file("junk.wav")) << "RIFF but not really";
    std::ofstream(dir.file("junk.so")) << "not a shared object";
    std::ofstream(dir.file("junk.state")) << "not a state";
    std::filesystem::create_directories(dir.file("Empty.vst3/Contents"));

    struct Case
    {
        std::vector<std::string> args;
        const char* messagePart;
    };
    const Case cases[] = {
        {{dir.file("missing.wav")}, "No such file or directory"},
        {{dir.file("junk.wav")}, "cannot read input file"},
        {{dir.file("three.wav")}, "has 3 channels"},
        {{"--preset", "FATDRUMS"}, "unknown preset \"FATDRUMS\""},
        {{"--preset", "fatdrum"}, "unknown preset"},
        {{"--set", "Input Gain=-6"}, "unknown parameter \"Input Gain\"; did you mean \"Input gain\"?"},
        {{"--set", "Loudness=3"}, "unknown parameter \"Loudness\""},
        {{"--set", "Input gain=30"}, "out of range"},
        {{"--set", "Mix=-1"}, "out of range"},
        {{"--set", "LP Resonance=0.001"}, "out of range"},
        {{"--set", "Input gain=loud"}, "cannot read \"loud\""},
        {{"--set", "Input gain="}, "cannot read"},
        {{"--set", "Input gain=-6 Hz"}, "cannot read"},
        {{"--set", "Mix=nan"}, "cannot read"},
        {{"--set", "Texture Levels=warm_x4"}, "one of RAW_X0, BURN_x2, WARM_x4, AIR_x8"},
        {{"--set", "Limiter on/off=on"}, "yes or no"},
        {{"--plugin", dir.file("nowhere.vst3")}, "cannot load plug-in"},
        {{"--plugin", dir.file("junk.so")}, "cannot load plug-in"},
        {{"--plugin", dir.file("Empty.vst3")}, "no module"},
        {{"--state-in", dir.file("missing.state")}, "cannot read state file"},
        {{"--state-in", dir.file("junk.state")}, "was refused"},
    };
    for (const Case& c : cases)
    {
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"-o", dir.file("out.wav"), "--state-out", dir.file("out.state")});
        ToolRun run = runTool(dir, args);
        SCOPED_TRACE(c.args.back());
        EXPECT_NE(run.exitCode, 0);
        EXPECT_NE(run.err.find(c.messagePart), std::string::npos) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
        EXPECT_FALSE(std::filesystem::exists(dir.file("out.wav")));
        EXPECT_FALSE(std::filesystem::exists(dir.file("out.state")));
        for (const std::string& name : dir.entries())
            EXPECT_EQ(name.find(".partial-"), std::string::npos) << "left behind: " << name;
    }
}

} // namespace
} // namespace vellox::render
