#pragma once
// Scalar types, string records and the calling convention of the VST3 binary interface.
// Our own declarations: the layouts match the published interface on Linux, macOS and
// Windows x86-64, which tests/vst3abi checks against the published headers.

#include <cstdint>

// Calling convention of every interface method: the platform default, except 32-bit Windows.
#if defined(_WIN32) && !defined(_WIN64)
#define PLUGKIT_VST3_CALL __stdcall
#else
#define PLUGKIT_VST3_CALL
#endif

namespace plugkit::vst3
{

using int8 = char; // the interface's 8-bit type is plain char (IDs are char arrays)
using uint8 = uint8_t;
using int16 = int16_t;
using uint16 = uint16_t;
using int32 = int32_t;
using uint32 = uint32_t;
using int64 = int64_t;
using uint64 = uint64_t;

using tresult = int32;   // result code, see results.h
using TBool = uint8;     // boolean passed by value
using char8 = char;      // 8-bit text
using char16 = char16_t; // UTF-16 code unit
using TChar = char16;
using TUID = int8[16];          // 16-byte interface or class identifier
using FIDString = const char8*; // identifier given as text ("editor", "NSView")
using CString = const char8*;

using String128 = TChar[128]; // fixed UTF-16 text field, zero-terminated when shorter

using MediaType = int32;
using BusDirection = int32;
using BusType = int32;
using IoMode = int32;
using UnitID = int32;
using ProgramListID = int32;
using ParamID = uint32;
using ParamValue = double;
using CtrlNumber = int16;
using KnobMode = int32;
using TSamples = int64;
using TQuarterNotes = double;
using Sample32 = float;
using Sample64 = double;
using SampleRate = double;
using SpeakerArrangement = uint64; // one bit per speaker
using Speaker = uint64;

} // namespace plugkit::vst3
