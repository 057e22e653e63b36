#include "soundfile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <sndfile.h>

#include "errors.h"
#include "tempdir.h"

namespace vellox::render
{
namespace
{

// Writes `channels` interleaved channels with libsndfile directly.
void writeRaw(const std::string& path, int format, int channels, int rate, const std::vector<float>& data)
{
    SF_INFO info = {};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(f, nullptr) << sf_strerror(nullptr);
    sf_writef_float(f, data.data(), sf_count_t(data.size() / size_t(channels)));
    sf_close(f);
}

std::vector<uint8_t> bytesOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string messageOf(const std::function<void()>& f)
{
    try
    {
        f();
    }
    catch (const RenderError& e)
    {
        return e.what();
    }
    return "";
}

std::vector<float> ramp(size_t n, float scale)
{
    std::vector<float> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = scale * float(std::sin(0.01 * double(i)));
    return v;
}

TEST(SoundFile, FloatWavRoundTripsExactlyThroughTheWriterAndReader)
{
    TempDir dir;
    std::vector<float> l = ramp(10000, 0.9f), r = ramp(10000, -0.5f);
    {
        SoundFileWriter w(dir.file("out.wav"), 44100, 32);
        w.write(l.data(), r.data(), 6000);
        w.write(l.data() + 6000, r.data() + 6000, 4000);
        w.commit();
    }
    SoundFileReader in(dir.file("out.wav"));
    EXPECT_EQ(in.sampleRate(), 44100);
    EXPECT_EQ(in.channels(), 2);
    EXPECT_EQ(in.frames(), 10000);
    std::vector<float> l2(10000), r2(10000);
    EXPECT_EQ(in.read(l2.data(), r2.data(), 10000), 10000u);
    EXPECT_EQ(in.read(l2.data(), r2.data(), 10), 0u);
    EXPECT_EQ(l, l2);
    EXPECT_EQ(r, r2);
}

TEST(SoundFile, PcmOutputIsQuantisedAndClippedNotWrapped)
{
    TempDir dir;
    std::vector<float> l = {0.5f, 1.5f, -2.0f}, r = {0.0f, 0.25f, -0.25f};
    for (int bits : {16, 24})
    {
        std::string path = dir.file("pcm" + std::to_string(bits) + ".wav");
        SoundFileWriter w(path, 48000, bits);
        w.write(l.data(), r.data(), 3);
        w.commit();
        SF_INFO info = {};
        SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(info.format & SF_FORMAT_SUBMASK, bits == 16 ? SF_FORMAT_PCM_16 : SF_FORMAT_PCM_24);
        sf_close(f);
        SoundFileReader in(path);
        std::vector<float> l2(3), r2(3);
        in.read(l2.data(), r2.data(), 3);
        EXPECT_FLOAT_EQ(l2[0], 0.5f);
        EXPECT_GT(l2[1], 0.99f) << bits;   // clipped at full scale
        EXPECT_LE(l2[2], -0.99f) << bits;  // not wrapped to positive
        EXPECT_FLOAT_EQ(r2[1], 0.25f);
    }
}

TEST(SoundFile, ContainerFollowsTheExtension)
{
    TempDir dir;
    std::vector<float> l(100, 0.1f), r(100, 0.2f);
    struct Case
    {
        const char* name;
        int bits;
        int container;
    };
    for (const Case& c : {Case{"a.aiff", 32, SF_FORMAT_AIFF}, Case{"b.AIF", 24, SF_FORMAT_AIFF},
                          Case{"c.flac", 16, SF_FORMAT_FLAC}, Case{"d.out", 32, SF_FORMAT_WAV}})
    {
        SoundFileWriter w(dir.file(c.name), 48000, c.bits);
        w.write(l.data(), r.data(), 100);
        w.commit();
        SF_INFO info = {};
        SNDFILE* f = sf_open(dir.file(c.name).c_str(), SFM_READ, &info);
        ASSERT_NE(f, nullptr) << c.name;
        EXPECT_EQ(info.format & SF_FORMAT_TYPEMASK, c.container) << c.name;
        sf_close(f);
    }
    EXPECT_NE(messageOf([&] { SoundFileWriter w(dir.file("e.flac"), 48000, 32); }).find("FLAC"),
              std::string::npos);
}

TEST(SoundFile, EqualContentGivesEqualFiles)
{
    // The writer must not stamp the file with the time of writing.
    TempDir dir;
    std::vector<float> l = ramp(500, 0.3f);
    for (const char* name : {"a.wav", "b.wav"})
    {
        SoundFileWriter w(dir.file(name), 48000, 32);
        w.write(l.data(), l.data(), 500);
        w.commit();
        sleep(1);
    }
    EXPECT_EQ(bytesOf(dir.file("a.wav")), bytesOf(dir.file("b.wav")));
}

TEST(SoundFile, MonoInputFeedsBothChannelsAtItsOwnRate)
{
    TempDir dir;
    std::vector<float> mono = ramp(300, 0.7f);
    writeRaw(dir.file("mono.flac"), SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 1, 22050, mono);
    SoundFileReader in(dir.file("mono.flac"));
    EXPECT_EQ(in.channels(), 1);
    EXPECT_EQ(in.sampleRate(), 22050);
    std::vector<float> l(300), r(300);
    ASSERT_EQ(in.read(l.data(), r.data(), 300), 300u);
    EXPECT_EQ(l, r);
    EXPECT_NEAR(l[100], mono[100], 1e-6);
}

TEST(SoundFile, UnreadableInputsAreErrorsNamingTheFile)
{
    TempDir dir;
    writeRaw(dir.file("six.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 6, 48000, std::vector<float>(60, 0.0f));
    std::ofstream(dir.file("junk.wav")) << "this is not a sound file";
    struct Case
    {
        std::string path;
        const char* messagePart;
    };
    const Case cases[] = {
        {dir.file("missing.wav"), "No such file"},
        {dir.file("junk.wav"), "cannot read input file"},
        {dir.path(), "directory"},
        {dir.file("six.wav"), "has 6 channels"},
    };
    for (const Case& c : cases)
    {
        std::string m = messageOf([&] { SoundFileReader r(c.path); });
        EXPECT_NE(m.find(c.messagePart), std::string::npos) << c.path << ": " << m;
        EXPECT_NE(m.find(c.path), std::string::npos) << m;
    }
}

TEST(SoundFile, NothingAppearsWithoutCommit)
{
    TempDir dir;
    std::vector<float> l(1000, 0.1f);
    {
        SoundFileWriter w(dir.file("out.wav"), 48000, 32);
        w.write(l.data(), l.data(), 1000);
        EXPECT_EQ(dir.entries().size(), 1u);  // the hidden temporary file
    }
    EXPECT_TRUE(dir.entries().empty());
}

TEST(SoundFile, ReplacesAnExistingFileOnlyOnCommit)
{
    TempDir dir;
    std::ofstream(dir.file("out.wav")) << "old";
    std::vector<float> l(10, 0.1f);
    {
        SoundFileWriter w(dir.file("out.wav"), 48000, 32);
        w.write(l.data(), l.data(), 10);
    }
    EXPECT_EQ(bytesOf(dir.file("out.wav")).size(), 3u);
    SoundFileWriter w(dir.file("out.wav"), 48000, 32);
    w.write(l.data(), l.data(), 10);
    w.commit();
    EXPECT_GT(bytesOf(dir.file("out.wav")).size(), 3u);
}

TEST(SoundFile, AnOutputInAMissingDirectoryIsAnError)
{
    TempDir dir;
    std::string m = messageOf([&] { SoundFileWriter w(dir.file("no/such/dir/out.wav"), 48000, 32); });
    EXPECT_NE(m.find("cannot write"), std::string::npos) << m;
}

} // namespace
} // namespace vellox::render
