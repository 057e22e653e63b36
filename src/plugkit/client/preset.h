#pragma once
// Preset: a named set of normalised parameter values plus product-specific extra state.

#include <cstddef>
#include <cstdint>

#include "plugkit/core/vec.h"

namespace plugkit
{

class Preset
{
public:
    // Copies the name, the values and the extra state (which may be null when length is 0).
    Preset(const char* name, const float* values, size_t numValues,
           const uint8_t* stateData = nullptr, size_t stateLength = 0);
    ~Preset();
    Preset(const Preset&) = delete;
    Preset& operator=(const Preset&) = delete;

    const char* name() const { return name_; }
    // One normalised value per parameter, in parameter order.
    const Vec<float>& values() const { return values_; }
    Vec<float>& values() { return values_; }
    const Vec<uint8_t>& stateData() const { return stateData_; }
    Vec<uint8_t>& stateData() { return stateData_; }

private:
    char* name_;
    Vec<float> values_;
    Vec<uint8_t> stateData_;
};

} // namespace plugkit
