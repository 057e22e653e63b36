#include "plugkit/core/fpcontrol.h"

#include <xmmintrin.h>

namespace plugkit
{

uint16_t getFPUControlState()
{
    uint16_t word;
    asm volatile("fnstcw %0" : "=m"(word));
    return word;
}

void setFPUControlState(uint16_t word)
{
    asm volatile("fnclex\n\tfldcw %0" : : "m"(word));
}

uint32_t getSSEControlState()
{
    return _mm_getcsr();
}

void setSSEControlState(uint32_t word)
{
    _mm_setcsr(word);
}

NoDenormalsGuard::NoDenormalsGuard()
    : savedSSE_(getSSEControlState()), savedX87_(getFPUControlState())
{
    setSSEControlState(kSSEFlushDenormals);
    setFPUControlState(kX87Extended);
}

NoDenormalsGuard::~NoDenormalsGuard()
{
    setSSEControlState(savedSSE_);
    setFPUControlState(savedX87_);
}

} // namespace plugkit
