#pragma once
// Builds state chunks field by field for tests.

#include <cstdint>
#include <cstring>
#include <vector>

namespace plugkit_test
{

struct ChunkBuilder
{
    std::vector<uint8_t> bytes;

    ChunkBuilder& raw(std::initializer_list<uint8_t> b)
    {
        bytes.insert(bytes.end(), b);
        return *this;
    }
    ChunkBuilder& i32(int32_t v)
    {
        uint32_t u = static_cast<uint32_t>(v);
        for (int i = 0; i < 4; ++i)
            bytes.push_back(uint8_t(u >> (8 * i)));
        return *this;
    }
    ChunkBuilder& f32(float f)
    {
        int32_t v;
        std::memcpy(&v, &f, 4);
        return i32(v);
    }
    ChunkBuilder& magic() { return raw({0x0B, 0x20, 0xBA, 0x92}); }
    // Magic, major, minor, plug-in version.
    ChunkBuilder& header(int32_t major) { return magic().i32(major).i32(0).i32(0x00010200); }
};

} // namespace plugkit_test
