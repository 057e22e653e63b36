#include "soundfile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sndfile.h>
#include <sys/stat.h>

#include "errors.h"

namespace vellox::render
{

namespace
{

constexpr size_t kChunkFrames = 4096;

std::string lowerExtension(const std::string& path)
{
    size_t slash = path.rfind('/');
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return "";
    std::string ext = path.substr(dot + 1);
    for (char& c : ext)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

} // namespace

SoundFileReader::SoundFileReader(const std::string& p) : path(p)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        throw RenderError("cannot read input file \"" + path + "\": " + std::strerror(errno));
    if (S_ISDIR(st.st_mode))
        throw RenderError("cannot read input file \"" + path + "\": it is a directory");

    SF_INFO info = {};
    file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr)
        throw RenderError("cannot read input file \"" + path + "\": " + sf_strerror(nullptr));
    if (info.channels < 1 || info.channels > 2)
    {
        int n = info.channels;
        sf_close(file);
        file = nullptr;
        throw RenderError("input file \"" + path + "\" has " + std::to_string(n) +
                          " channels; only mono and stereo files can be rendered");
    }
    if (info.samplerate <= 0)
    {
        sf_close(file);
        file = nullptr;
        throw RenderError("cannot read input file \"" + path + "\": invalid sample rate");
    }
    rate = info.samplerate;
    channelCount = info.channels;
    frameCount = info.frames;
    interleaved.resize(kChunkFrames * size_t(channelCount));
}

SoundFileReader::~SoundFileReader()
{
    if (file != nullptr)
        sf_close(file);
}

size_t SoundFileReader::read(float* left, float* right, size_t frames)
{
    size_t done = 0;
    while (done < frames)
    {
        size_t want = std::min(frames - done, kChunkFrames);
        sf_count_t got = sf_readf_float(file, interleaved.data(), sf_count_t(want));
        if (got < 0 || sf_error(file) != SF_ERR_NO_ERROR)
            throw RenderError("cannot read input file \"" + path + "\": " + sf_strerror(file));
        for (sf_count_t i = 0; i < got; ++i)
        {
            if (channelCount == 1)
                left[done + size_t(i)] = right[done + size_t(i)] = interleaved[size_t(i)];
            else
            {
                left[done + size_t(i)] = interleaved[2 * size_t(i)];
                right[done + size_t(i)] = interleaved[2 * size_t(i) + 1];
            }
        }
        done += size_t(got);
        if (size_t(got) < want)
            break;
    }
    return done;
}

SoundFileWriter::SoundFileWriter(const std::string& path, int sampleRate, int bits)
{
    std::string ext = lowerExtension(path);
    int container = SF_FORMAT_WAV;
    if (ext == "aif" || ext == "aiff")
        container = SF_FORMAT_AIFF;
    else if (ext == "flac")
        container = SF_FORMAT_FLAC;
    int subtype = bits == 16 ? SF_FORMAT_PCM_16 : bits == 24 ? SF_FORMAT_PCM_24 : SF_FORMAT_FLOAT;
    if (container == SF_FORMAT_FLAC && subtype == SF_FORMAT_FLOAT)
        throw RenderError("cannot write \"" + path +
                          "\": FLAC holds no float samples; use --bits 16 or --bits 24");

    SF_INFO info = {};
    info.samplerate = sampleRate;
    info.channels = 2;
    info.format = container | subtype;
    if (!sf_format_check(&info))
        throw RenderError("cannot write \"" + path + "\": unsupported sample rate or format");

    pending = std::make_unique<PendingFile>(path);
    file = sf_open_fd(pending->releaseDescriptor(), SFM_WRITE, &info, SF_TRUE);
    if (file == nullptr)
        throw RenderError("cannot write \"" + path + "\": " + sf_strerror(nullptr));
    // The peak chunk carries the time of writing; without it equal renders give equal files.
    sf_command(file, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
    // Overs clip at full scale instead of wrapping around in PCM.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    interleaved.resize(kChunkFrames * 2);
}

SoundFileWriter::~SoundFileWriter()
{
    if (file != nullptr)
        sf_close(file);
    // `pending` (if not committed) removes the temporary file when destroyed.
}

void SoundFileWriter::write(const float* left, const float* right, size_t frames)
{
    size_t done = 0;
    while (done < frames)
    {
        size_t n = std::min(frames - done, kChunkFrames);
        for (size_t i = 0; i < n; ++i)
        {
            interleaved[2 * i] = left[done + i];
            interleaved[2 * i + 1] = right[done + i];
        }
        if (sf_writef_float(file, interleaved.data(), sf_count_t(n)) != sf_count_t(n))
            throw RenderError("cannot write \"" + pending->target() + "\": " + sf_strerror(file));
        done += n;
    }
}

void SoundFileWriter::commit()
{
    int err = sf_close(file);
    file = nullptr;
    if (err != 0)
        throw RenderError("cannot write \"" + pending->target() + "\": " + sf_error_number(err));
    pending->commit();
}

} // namespace vellox::render
