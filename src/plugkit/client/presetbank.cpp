#include "plugkit/client/presetbank.h"

#include <utility>

#include "plugkit/client/client.h"
#include "plugkit/client/preset.h"
#include "plugkit/core/memory.h"

namespace plugkit
{

PresetBank::PresetBank(Client* owner, Vec<Preset*>&& presets)
    : presets_(std::move(presets)), owner_(owner)
{
}

PresetBank::~PresetBank()
{
    for (Preset* p : presets_)
        destroyFree(p);
}

bool PresetBank::loadPresetFromHost(int index)
{
    if (index < 0 || index >= numPresets())
        return false;
    int n = owner_->numParams();

    Preset* live = presets_[size_t(current_)];
    live->values().resize(size_t(n));
    for (int i = 0; i < n; ++i)
        live->values()[size_t(i)] = static_cast<float>(owner_->param(i)->getNormalized());
    live->stateData().clearContents();
    owner_->saveState(live->stateData());

    // The live state was just stored through 32-bit values; re-applying it would move the
    // plain values by that rounding (0 dB would become -1e-6 dB), so switching to the current
    // preset stops here and changes nothing.
    if (index == current_)
        return true;

    Preset* next = presets_[size_t(index)];
    for (int i = 0; i < n; ++i)
    {
        Parameter* p = owner_->param(i);
        double v = size_t(i) < next->values().length() ? double(next->values()[size_t(i)])
                                                        : p->getNormalizedDefault();
        p->setFromHost(v);
    }
    owner_->loadState(next->stateData().ptr(), next->stateData().length());
    current_ = index;
    return true;
}

void PresetBank::writeStateChunk(Vec<uint8_t>& chunk)
{
    writeInteger(chunk, kChunkMagic, ByteOrder::BigEndian);
    writeInteger(chunk, kChunkMajorVersion, ByteOrder::LittleEndian);
    writeInteger(chunk, kChunkMinorVersion, ByteOrder::LittleEndian);
    writeInteger(chunk, owner_->pluginInfo().publicVersion.packed(), ByteOrder::LittleEndian);
    writeInteger(chunk, current_, ByteOrder::LittleEndian);
    int n = owner_->numParams();
    writeInteger(chunk, n, ByteOrder::LittleEndian);
    for (int i = 0; i < n; ++i)
        writeLEFloat(chunk, static_cast<float>(owner_->param(i)->getNormalized()));
    size_t lengthPosition = chunk.length();
    writeInteger(chunk, 0, ByteOrder::LittleEndian);
    owner_->saveState(chunk);
    size_t extra = chunk.length() - lengthPosition - 4;
    overwriteLEInteger(chunk, lengthPosition, static_cast<uint32_t>(extra));
}

void PresetBank::loadStateChunk(const uint8_t* data, size_t length, bool* error)
{
    *error = false;
    ByteReader input(data, length);
    int major = checkChunkHeader(input, error);
    if (*error)
        return;

    int32_t index = input.popLEInt32();
    if (input.error() || index < 0 || index >= numPresets())
    {
        *error = true;
        return;
    }
    // Only the index changes; the preset itself is not applied.
    current_ = index;

    if (major == 0)
        loadChunkV1(input, error);
    else
        loadChunkV2(input, error);
}

int PresetBank::checkChunkHeader(ByteReader& input, bool* error)
{
    uint32_t magic = input.popBEUint32();
    if (input.error() || magic != kChunkMagic)
    {
        *error = true;
        return 0;
    }
    int32_t major = input.popLEInt32();
    // Only layouts 0 and 1 exist; a negative version is as unknown as a newer one.
    if (input.error() || major < 0 || major > kChunkMajorVersion)
    {
        *error = true;
        return 0;
    }
    input.popLEInt32(); // minor version
    input.popLEInt32(); // plug-in version
    if (input.error())
    {
        *error = true;
        return 0;
    }
    return major;
}

bool PresetBank::loadParameterValues(ByteReader& input)
{
    int32_t count = input.popLEInt32();
    if (input.error())
        return false;
    int numParams = owner_->numParams();
    for (int32_t i = 0; i < count; ++i)
    {
        float v = input.popLEFloat();
        if (input.error())
            return false; // cut in the value list: what came before stays applied
        if (i < numParams)
            owner_->param(i)->setFromHost(v);
    }
    return true;
}

void PresetBank::loadChunkV1(ByteReader& input, bool* error)
{
    if (!loadParameterValues(input))
        *error = true;
}

void PresetBank::loadChunkV2(ByteReader& input, bool* error)
{
    if (!loadParameterValues(input))
    {
        *error = true;
        return;
    }
    int32_t extraLength = input.popLEInt32();
    // A negative length, or one beyond the bytes left, is a malformed chunk: never a range.
    if (input.error() || extraLength < 0 || size_t(extraLength) > input.remaining())
    {
        *error = true;
        return;
    }
    const uint8_t* extra = input.popBytes(size_t(extraLength));
    if (!owner_->loadState(extra, size_t(extraLength)))
        *error = true;
}

} // namespace plugkit
