#pragma once
// Text conversions at the VST3 boundary: fixed 8-bit fields filled like strncpy, 8-bit text
// widened to UTF-16 one byte per unit, and UTF-16 host text narrowed to 8 bits.

#include <cstddef>

#include "plugkit/vst3/abi/types.h"

namespace plugkit
{

// strncpy: the text, then zeros up to `size`; a text that fills the field is not terminated.
void copyTextField(char* field, const char* text, size_t size);

// Widens `size` bytes of an 8-bit field (as filled by copyTextField) unit by unit.
void widenTextField(vst3::char16* field, const char* text, size_t size);

// Widens a zero-terminated text into a UTF-16 buffer of `size` units, cut to size - 1 units
// and always terminated (size > 0).
void widenText(vst3::char16* out, const char* text, size_t size);

// Narrows UTF-16 host text (zero-terminated, read at most `maxUnits` units) into `out` of
// `size` bytes, always terminated. Each unit keeps its low byte.
void narrowTextLowByte(char* out, size_t size, const vst3::char16* text, size_t maxUnits);

// Narrows a host application name: units from 0x7F up become '?', ASCII letters are
// lower-cased. `out` has `size` bytes and is always terminated.
void narrowHostName(char* out, size_t size, const vst3::char16* text, size_t maxUnits);

} // namespace plugkit
