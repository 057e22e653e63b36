#include "plugkit/client/bytestream.h"

#include <cstring>

#include "plugkit/core/fatal.h"

namespace plugkit
{

const uint8_t* ByteReader::take4()
{
    if (remaining_ < 4)
    {
        error_ = true;
        return nullptr;
    }
    const uint8_t* p = data_;
    data_ += 4;
    remaining_ -= 4;
    return p;
}

int32_t ByteReader::popLEInt32()
{
    const uint8_t* p = take4();
    if (p == nullptr)
        return 0;
    uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                 uint32_t(p[3]) << 24;
    return static_cast<int32_t>(v);
}

uint32_t ByteReader::popBEUint32()
{
    const uint8_t* p = take4();
    if (p == nullptr)
        return 0;
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

float ByteReader::popLEFloat()
{
    uint32_t bits = static_cast<uint32_t>(popLEInt32());
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

const uint8_t* ByteReader::popBytes(size_t length)
{
    if (length > remaining_)
    {
        error_ = true;
        return nullptr;
    }
    const uint8_t* p = data_;
    data_ += length;
    remaining_ -= length;
    return p;
}

void writeInteger(Vec<uint8_t>& out, uint32_t value, ByteOrder order)
{
    uint8_t b[4];
    for (int i = 0; i < 4; ++i)
    {
        int shift = order == ByteOrder::LittleEndian ? 8 * i : 8 * (3 - i);
        b[i] = static_cast<uint8_t>(value >> shift);
    }
    out.pushBack(b, 4);
}

void writeLEFloat(Vec<uint8_t>& out, float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    writeInteger(out, bits, ByteOrder::LittleEndian);
}

void overwriteLEInteger(Vec<uint8_t>& out, size_t position, uint32_t value)
{
    if (position + 4 > out.length())
        fatalError("overwriteLEInteger beyond the end of the array");
    for (int i = 0; i < 4; ++i)
        out[position + size_t(i)] = static_cast<uint8_t>(value >> (8 * i));
}

} // namespace plugkit
