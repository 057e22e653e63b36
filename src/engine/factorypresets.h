#pragma once
// The effect's 18 factory presets. They are not host presets (the host sees one "Default"):
// parameter 0, "Presets", names them, and the editor's preset menu applies a row by setting
// the parameters as editor edits, so the host records them like any other change. Tools
// outside the plug-in (vellox-render) read the same table.

namespace plugkit
{
class Client;
}

namespace vellox
{

constexpr int kNumFactoryPresets = 18;
constexpr int kNumPresetColumns = 23;

// Names in the order of the "Presets" entries.
extern const char* const kFactoryPresetNames[kNumFactoryPresets];

// presetvalues_row1[e][i]: the value of parameter i for preset e, in the parameter's own
// unit (dB, %, Hz); switches are stored as 1 and 0, enumerations as 0-based entry numbers.
// Column 0 holds the row number (1 to 18) and is never applied.
extern const float presetvalues_row1[kNumFactoryPresets][kNumPresetColumns];

// Index of the preset named exactly `name` (case-sensitive), or -1.
int findFactoryPreset(const char* name);

// [editor thread] Applies preset `preset` (0 .. kNumFactoryPresets - 1) the way the preset
// menu does: "Presets" becomes `preset`, then parameters 1 to 22 take the row's values, each
// as one editor edit (beginParamEdit, setFromGUI, endParamEdit): floats clamped to their
// range, enumerations truncated to an entry and clamped, switches on when not 0. Parameters
// the client does not have are skipped. Any other preset number is a programming error.
void applyFactoryPreset(plugkit::Client& client, int preset);

} // namespace vellox
