#pragma once
// Byte-level reading and writing of state chunks.
//
// ByteReader: a cursor over a byte range with a sticky error flag. Every read consumes 4
// bytes; when fewer remain it sets the flag, consumes nothing and yields 0, so a reader never
// looks past the end of its range.

#include <cstddef>
#include <cstdint>

#include "plugkit/core/vec.h"

namespace plugkit
{

class ByteReader
{
public:
    ByteReader(const uint8_t* data, size_t length) : data_(data), remaining_(length) {}

    int32_t popLEInt32();
    uint32_t popBEUint32();
    float popLEFloat();
    // Consumes `length` bytes and returns where they start; when fewer remain, sets the error
    // flag, consumes nothing and returns null.
    const uint8_t* popBytes(size_t length);

    size_t remaining() const { return remaining_; }
    bool error() const { return error_; }

private:
    const uint8_t* take4();

    const uint8_t* data_;
    size_t remaining_;
    bool error_ = false;
};

enum class ByteOrder
{
    LittleEndian,
    BigEndian,
};

// Appends a 32-bit integer in the given order.
void writeInteger(Vec<uint8_t>& out, uint32_t value, ByteOrder order);
inline void writeInteger(Vec<uint8_t>& out, int32_t value, ByteOrder order)
{
    writeInteger(out, static_cast<uint32_t>(value), order);
}
// Appends the IEEE 754 bits of a float, little-endian.
void writeLEFloat(Vec<uint8_t>& out, float value);
// Overwrites 4 bytes at `position` with a little-endian integer.
void overwriteLEInteger(Vec<uint8_t>& out, size_t position, uint32_t value);

} // namespace plugkit
