#pragma once
// Floating-point control at every entry from the host or the system: denormals are flushed
// to zero so filter tails decaying into the denormal range never slow the audio thread.

#include <cstdint>

namespace plugkit
{

uint16_t getFPUControlState();          // x87 control word
void setFPUControlState(uint16_t word); // clears pending x87 exceptions, then loads the word
uint32_t getSSEControlState();          // MXCSR
void setSSEControlState(uint32_t word);

constexpr uint32_t kSSEFlushDenormals = 0x9FFF; // FTZ + DAZ, all exceptions masked, nearest
constexpr uint16_t kX87Extended = 0x037F;       // all masked, 64-bit precision, nearest

// Sets both control words for its lifetime and restores the caller's on exit.
class NoDenormalsGuard
{
public:
    NoDenormalsGuard();
    ~NoDenormalsGuard();
    NoDenormalsGuard(const NoDenormalsGuard&) = delete;
    NoDenormalsGuard& operator=(const NoDenormalsGuard&) = delete;

private:
    uint32_t savedSSE_;
    uint16_t savedX87_;
};

} // namespace plugkit
