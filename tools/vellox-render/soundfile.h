#pragma once
// Sound-file input and output through libsndfile.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "pendingfile.h"

typedef struct sf_private_tag SNDFILE;

namespace vellox::render
{

// Reads any format libsndfile knows (WAV, AIFF, FLAC, ...) at any sample rate, as stereo
// 32-bit float: a mono file feeds both channels.
class SoundFileReader
{
public:
    // Throws RenderError for a missing or unreadable file and for more than two channels.
    explicit SoundFileReader(const std::string& path);
    ~SoundFileReader();
    SoundFileReader(const SoundFileReader&) = delete;
    SoundFileReader& operator=(const SoundFileReader&) = delete;

    int sampleRate() const { return rate; }
    int channels() const { return channelCount; }
    int64_t frames() const { return frameCount; }

    // Reads up to `frames` frames; returns how many were read (0 at the end). Throws
    // RenderError when the file turns out to be damaged.
    size_t read(float* left, float* right, size_t frames);

private:
    std::string path;
    SNDFILE* file = nullptr;
    int rate = 0, channelCount = 0;
    int64_t frameCount = 0;
    std::vector<float> interleaved;
};

// Writes a stereo file whose container follows the target's extension (.aif / .aiff: AIFF,
// .flac: FLAC, anything else: WAV). bits 32 gives 32-bit float, 16 and 24 give PCM, clipped
// at full scale. The file appears under its name only after commit().
class SoundFileWriter
{
public:
    // Throws RenderError when the target cannot be created or the container cannot hold
    // the sample format (FLAC has no float samples).
    SoundFileWriter(const std::string& path, int sampleRate, int bits);
    ~SoundFileWriter();
    SoundFileWriter(const SoundFileWriter&) = delete;
    SoundFileWriter& operator=(const SoundFileWriter&) = delete;

    void write(const float* left, const float* right, size_t frames);
    void commit();

private:
    std::unique_ptr<PendingFile> pending;
    SNDFILE* file = nullptr;
    std::vector<float> interleaved;
};

} // namespace vellox::render
