#pragma once
// Random version-4 UUIDs (RFC 4122), used to give run-time-registered classes unique names.

#include <cstdint>

namespace plugkit
{

struct UUID
{
    uint8_t bytes[16];
};

// Four consecutive outputs of the process-wide generator, with version 4 and variant 10.
UUID generateRandomUUID();

// Writes the 36-character text form (8-4-4-4-12 lower-case hexadecimal digits and hyphens)
// and a zero byte: `out` must hold 37 bytes.
void formatUUID(const UUID& uuid, char* out);

// Writes prefix, a fresh random UUID in text form and a zero byte into buffer, which must hold
// strlen(prefix) + 37 bytes. A null prefix counts as empty.
void generateNullTerminatedRandomUUID(char* buffer, const char* prefix);

} // namespace plugkit
