#include "plugkit/client/preset.h"

#include <cstdlib>

#include "plugkit/core/memory.h"

namespace plugkit
{

Preset::Preset(const char* name, const float* values, size_t numValues,
               const uint8_t* stateData, size_t stateLength)
    : name_(stringDup(name != nullptr ? name : ""))
{
    values_.pushBack(values, numValues);
    stateData_.pushBack(stateData, stateLength);
}

Preset::~Preset()
{
    std::free(name_);
}

} // namespace plugkit
