#pragma once
// PresetBank: the client's presets, the current preset index, and the state chunk that the
// host keeps in its project.
//
// Chunk layout (integers little-endian except the magic; floats IEEE 754 single, little-
// endian; N parameters, L bytes of extra state):
//   0       magic bytes 0B 20 BA 92
//   4       major version (written 1)      8   minor version (written 0)
//   12      plug-in version (major << 16 | minor << 8 | patch), ignored when read
//   16      current preset index           20  N
//   24      N normalised values
//   24+4N   L                              28+4N  L bytes of extra state (Client::saveState)
// Major version 0 is the older layout: the same up to the values, no L and no extra state.
//
// [main thread] for chunks; loadPresetFromHost may run on the audio thread (program change).

#include <cstddef>
#include <cstdint>

#include "plugkit/client/bytestream.h"
#include "plugkit/core/vec.h"

namespace plugkit
{

class Client;
class Preset;

constexpr uint32_t kChunkMagic = 0x0B20BA92; // written big-endian
constexpr int32_t kChunkMajorVersion = 1;
constexpr int32_t kChunkMinorVersion = 0;

class PresetBank
{
public:
    // Takes ownership of the presets (the array storage moves in too). Current index 0.
    PresetBank(Client* owner, Vec<Preset*>&& presets);
    ~PresetBank();
    PresetBank(const PresetBank&) = delete;
    PresetBank& operator=(const PresetBank&) = delete;

    int numPresets() const { return int(presets_.length()); }
    Preset* preset(int index) { return presets_[size_t(index)]; }
    int currentPresetIndex() const { return current_; }

    // Keeps the live state in the current preset, then applies preset `index` through
    // setFromHost and the client's loadState, and makes it current. Switching to the current
    // preset only keeps the live state: nothing changes. An index outside the bank changes
    // nothing and gives false.
    bool loadPresetFromHost(int index);

    // Appends the chunk of the current state.
    void writeStateChunk(Vec<uint8_t>& chunk);

    // Restores the state from a chunk; *error is false on success. On error what was applied
    // before it stays (the current index, the first values): nothing is rolled back.
    void loadStateChunk(const uint8_t* data, size_t length, bool* error);

    // Steps of loadStateChunk, each reading from `input` and setting *error on failure.
    // Consumes the 16-byte header; returns the major version.
    int checkChunkHeader(ByteReader& input, bool* error);
    // Body of major version 0: N and the values.
    void loadChunkV1(ByteReader& input, bool* error);
    // Body of major version 1: N, the values, L and the extra state.
    void loadChunkV2(ByteReader& input, bool* error);

private:
    // Reads N and the values, applying value i to parameter i; false on a cut.
    bool loadParameterValues(ByteReader& input);

    Vec<Preset*> presets_;
    Client* owner_;
    int32_t current_ = 0;
};

} // namespace plugkit
