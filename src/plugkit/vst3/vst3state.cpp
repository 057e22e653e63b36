// VST3Client's state stream: a 0 byte (format), the bypass byte, then the client's state
// chunk. [main thread]

#include <cstdlib>

#include "plugkit/client/client.h"
#include "plugkit/client/presetbank.h"
#include "plugkit/vst3/vst3client.h"

namespace plugkit
{

namespace
{

// Writes all bytes; a host that reports fewer bytes written counts as a failure.
vst3::tresult writeAll(vst3::IBStream* stream, void* bytes, vst3::int32 count)
{
    vst3::int32 written = count;
    const vst3::tresult result = stream->write(bytes, count, &written);
    if (result != vst3::kResultOk)
        return result;
    return written == count ? vst3::kResultOk : vst3::kResultFalse;
}

// Reads exactly `count` bytes.
bool readAll(vst3::IBStream* stream, void* bytes, vst3::int32 count)
{
    vst3::int32 read = count;
    return stream->read(bytes, count, &read) == vst3::kResultOk && read == count;
}

} // namespace

vst3::tresult VST3Client::getStateComponent(vst3::IBStream* state)
{
    if (state == nullptr)
        return vst3::kInvalidArgument;
    uint8_t header[2] = {0, uint8_t(bypass_.load() ? 1 : 0)};
    if (writeAll(state, &header[0], 1) != vst3::kResultOk || writeAll(state, &header[1], 1) != vst3::kResultOk)
        return vst3::kResultFalse;
    Vec<uint8_t> chunk;
    client_->presetBank()->writeStateChunk(chunk);
    return writeAll(state, chunk.ptr(), vst3::int32(chunk.length()));
}

vst3::tresult VST3Client::setStateComponent(vst3::IBStream* state)
{
    if (state == nullptr)
        return vst3::kInvalidArgument;
    uint8_t format = 0xFF;
    if (!readAll(state, &format, 1) || format != 0)
        return vst3::kResultFalse;
    uint8_t bypass = 0;
    if (!readAll(state, &bypass, 1))
        return vst3::kResultFalse;
    bypass_.store(bypass != 0);

    vst3::int64 position = 0, end = 0;
    if (state->tell(&position) != vst3::kResultOk ||
        state->seek(0, vst3::IBStream::kIBSeekEnd, &end) != vst3::kResultOk ||
        state->seek(position, vst3::IBStream::kIBSeekSet, nullptr) != vst3::kResultOk)
        return vst3::kResultFalse;
    const vst3::int64 length = end - position;
    if (length < 0 || length > 0x7FFFFFFF)
        return vst3::kResultFalse;
    // The size comes from the host's data: a failed allocation is a refused state, not fatal.
    uint8_t* bytes = static_cast<uint8_t*>(std::calloc(size_t(length) + 1, 1));
    if (bytes == nullptr)
        return vst3::kResultFalse;
    bool error = !readAll(state, bytes, vst3::int32(length));
    if (!error)
        client_->presetBank()->loadStateChunk(bytes, size_t(length), &error);
    std::free(bytes);
    return error ? vst3::kResultFalse : vst3::kResultOk;
}

vst3::tresult VST3Client::setStateController(vst3::IBStream*)
{
    return vst3::kNotImplemented; // the component state holds everything
}

vst3::tresult VST3Client::getStateController(vst3::IBStream*)
{
    return vst3::kNotImplemented;
}

vst3::tresult VST3Client::setComponentState(vst3::IBStream*)
{
    return vst3::kNotImplemented;
}

} // namespace plugkit
