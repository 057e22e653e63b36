#include "plugkit/core/uuid.h"

#include <cstring>

#include "plugkit/core/random.h"

namespace plugkit
{

UUID generateRandomUUID()
{
    UUID uuid;
    for (int i = 0; i < 4; ++i)
    {
        uint32_t r = processRandomUint32();
        std::memcpy(uuid.bytes + 4 * i, &r, 4);
    }
    uuid.bytes[6] = uint8_t((uuid.bytes[6] & 0x0F) | 0x40); // version 4
    uuid.bytes[8] = uint8_t((uuid.bytes[8] & 0x3F) | 0x80); // variant binary 10
    return uuid;
}

void formatUUID(const UUID& uuid, char* out)
{
    static const char kHex[] = "0123456789abcdef";
    for (int i = 0; i < 16; ++i)
    {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            *out++ = '-';
        *out++ = kHex[uuid.bytes[i] >> 4];
        *out++ = kHex[uuid.bytes[i] & 0x0F];
    }
    *out = '\0';
}

void generateNullTerminatedRandomUUID(char* buffer, const char* prefix)
{
    size_t n = prefix != nullptr ? std::strlen(prefix) : 0;
    if (n != 0)
        std::memcpy(buffer, prefix, n);
    formatUUID(generateRandomUUID(), buffer + n);
}

} // namespace plugkit
