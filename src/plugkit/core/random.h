#pragma once
// Cheap, unpredictable-enough random numbers for identifiers. Not for cryptography.

#include <cstdint>

namespace plugkit
{

// Low 32 bits of the processor's time-stamp counter. Allocates nothing, takes no lock.
uint32_t nogc_unpredictableSeed();

// One step of the 32-bit xorshift generator (shifts 13, 17, 15). 0 maps to 0.
inline uint32_t xorshift32(uint32_t x)
{
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 15;
    return x;
}

// Next output of the process-wide xorshift generator, seeded from nogc_unpredictableSeed on
// first use. Safe to call from any thread.
uint32_t processRandomUint32();

} // namespace plugkit
