#pragma once
// Interface identifiers. An ID is written as four 32-bit words; how the words become the 16
// bytes that hosts compare depends on the platform:
// - Linux and macOS: each word in big-endian order, one after the other.
// - Windows (COM layout): word 1 little-endian, word 2 as two little-endian 16-bit halves
//   (high half first), words 3 and 4 big-endian.

#include <cstring>

#include "plugkit/vst3/abi/types.h"

namespace plugkit::vst3
{

struct InterfaceID
{
    int8 bytes[16];
};

constexpr int8 byteOf(uint32 word, int shift)
{
    return static_cast<int8>((word >> shift) & 0xFFu);
}

constexpr InterfaceID makeInterfaceID(uint32 w1, uint32 w2, uint32 w3, uint32 w4)
{
#if defined(_WIN32)
    return {{byteOf(w1, 0), byteOf(w1, 8), byteOf(w1, 16), byteOf(w1, 24),
             byteOf(w2, 16), byteOf(w2, 24), byteOf(w2, 0), byteOf(w2, 8),
             byteOf(w3, 24), byteOf(w3, 16), byteOf(w3, 8), byteOf(w3, 0),
             byteOf(w4, 24), byteOf(w4, 16), byteOf(w4, 8), byteOf(w4, 0)}};
#else
    return {{byteOf(w1, 24), byteOf(w1, 16), byteOf(w1, 8), byteOf(w1, 0),
             byteOf(w2, 24), byteOf(w2, 16), byteOf(w2, 8), byteOf(w2, 0),
             byteOf(w3, 24), byteOf(w3, 16), byteOf(w3, 8), byteOf(w3, 0),
             byteOf(w4, 24), byteOf(w4, 16), byteOf(w4, 8), byteOf(w4, 0)}};
#endif
}

// True when the 16 bytes the host passed name this interface.
inline bool sameID(const int8* requested, const InterfaceID& id)
{
    return requested != nullptr && std::memcmp(requested, id.bytes, 16) == 0;
}

} // namespace plugkit::vst3
