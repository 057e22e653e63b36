#pragma once
// Number-literal reader used to parse typed parameter values: decimal or "0x" hexadecimal,
// with (when floats are allowed) fractions, "e" / "p" exponents, "inf" and "nan".

namespace plugkit
{

// Reads a number at the start of a zero-terminated text, after blanks. `end` receives the
// position after the last character read; `error` is always set to false. Without floats the
// result is clamped to the 32-bit signed range.
double stb__clex_parse_number_literal(const char* text, const char** end, bool* error,
                                      bool allowFloats);

} // namespace plugkit
