#include "engine/factorypresets.h"

#include <cstring>

#include "plugkit/client/boolparameter.h"
#include "plugkit/client/client.h"
#include "plugkit/client/floatparameter.h"
#include "plugkit/client/integerparameter.h"
#include "plugkit/core/fatal.h"

namespace vellox
{

const char* const kFactoryPresetNames[kNumFactoryPresets] = {
    "INIT",  "ENHANCE", "GLUE",  "GUITAR",    "FATGUITAR", "BASS",     "FATBASS", "DRUM",  "FATDRUM",
    "KICK",  "SNARE",   "HIHAT", "LOFIHIHAT", "VUDIRAZI",  "DENSE",    "BUZZ",    "VOICE", "LOFIVOICE",
};

// Columns: 0 row number, 1 Input gain, 2 Texture Levels, 3 Treble on/off, 4 Treble amount,
// 5 Bass onoff, 6 Bass amount, 7 Vaveriv on/off, 8 Vudirazi amount, 9 Exciter, 10 EQ. on/off,
// 11 Low Gain, 12 Mid. Freq., 13 Mid. Gain, 14 High Gain, 15 Filter on/off, 16 LP Mode,
// 17 LP Cutoff, 18 LP Resonance, 19 LP Gain, 20 Limiter on/off, 21 Mix, 22 Output gain.
// Texture Levels: 1 BURN_x2, 2 WARM_x4. LP Mode: 0 CLEAN, 1 DIRTY.
const float presetvalues_row1[kNumFactoryPresets][kNumPresetColumns] = {
    // clang-format off
    //   1   2  3   4  5   6  7   8  9 10   11    12   13  14 15 16     17    18  19 20   21 22
    { 1, -4, 2, 1, 20, 1, 20, 0, 15, 0, 0,   0, 2200,   0,  0, 0, 1, 12050, 2,    32, 0,  80, 0}, // INIT
    { 2, -4, 2, 1, 25, 1, 20, 0, 15, 1, 0,   5, 2200,   0,  3, 0, 1, 12050, 2,    32, 0, 100, 0}, // ENHANCE
    { 3, -4, 2, 1, 15, 1, 15, 0, 15, 1, 0,   2, 1000,   2,  2, 0, 1, 12050, 2,    32, 1, 100, 0}, // GLUE
    { 4, -4, 2, 1, 20, 1, 20, 0, 10, 0, 0, -12, 4000,   0, -6, 1, 1,  3700, 1.5f, 30, 1,  80, 0}, // GUITAR
    { 5, -4, 2, 0, 20, 0, 20, 1, 70, 0, 1, -12, 7200, -12,  0, 1, 1,  4000, 1.5f, 30, 1,  80, 0}, // FATGUITAR
    { 6, -4, 2, 1, 50, 1, 65, 0, 20, 1, 0, -12, 7200,  -4,  0, 0, 1,  3300, 2,    32, 1,  80, 0}, // BASS
    { 7, -4, 2, 1, 50, 1, 65, 0, 20, 1, 1,   4, 7200,   6,  0, 1, 1,  3300, 2,    32, 1, 100, 0}, // FATBASS
    { 8, -4, 2, 1, 20, 1, 25, 0, 15, 1, 0,   2, 1000,   2,  2, 1, 1, 12050, 1.75f,30, 1, 100, 0}, // DRUM
    { 9, -4, 2, 1, 35, 1, 40, 1,  5, 1, 1,   0,  600, -12, -5, 0, 1, 12050, 2,    30, 1, 100, 0}, // FATDRUM
    {10, -4, 2, 0, 35, 1, 40, 0,  5, 1, 1,   1,  600, -12,  1, 0, 1, 12050, 2,    32, 1, 100, 0}, // KICK
    {11, -4, 2, 0, 25, 1, 10, 0,  5, 1, 1,   1, 1000, -12,  6, 0, 1, 12050, 2,    32, 1, 100, 0}, // SNARE
    {12, -4, 2, 1, 40, 0, 10, 0,  5, 0, 1,   1, 1000, -12,  6, 1, 0, 12050, 2,    32, 1,  65, 0}, // HIHAT
    {13, -4, 2, 1, 40, 0, 10, 0,  5, 0, 1,   1, 1000, -12,  6, 1, 1, 12050, 2,    32, 1,  65, 0}, // LOFIHIHAT
    {14, -4, 1, 0, 35, 1, 40, 1, 25, 1, 1,   0,  600, -12, -5, 0, 1, 12050, 2,    30, 1, 100, 0}, // VUDIRAZI
    {15, -4, 2, 0, 40, 1, 40, 0,  5, 0, 0,   0, 1000,   2,  2, 0, 1, 12050, 2,    30, 1, 100, 0}, // DENSE
    {16, -4, 1, 0, 35, 1, 40, 1, 25, 1, 1,   0,  600, -12, -5, 1, 1, 12050, 2,    30, 1, 100, 0}, // BUZZ
    {17, -4, 2, 0, 25, 1, 10, 1,  5, 1, 1,   1, 1000, -12,  6, 1, 1, 12050, 2,    32, 1,  65, 0}, // VOICE
    {18, -4, 1, 1, 15, 1, 15, 0,  5, 1, 1,   0,  600, -12,  0, 0, 1, 12050, 2,    30, 1, 100, 0}, // LOFIVOICE
    // clang-format on
};

int findFactoryPreset(const char* name)
{
    if (name == nullptr)
        return -1;
    for (int e = 0; e < kNumFactoryPresets; ++e)
        if (std::strcmp(name, kFactoryPresetNames[e]) == 0)
            return e;
    return -1;
}

namespace
{

// One editor edit of parameter p to the table value v.
void setAsEditor(plugkit::Parameter* p, float v)
{
    p->beginParamEdit();
    if (auto* f = plugkit::parameterCast<plugkit::FloatParameter>(p))
        f->setFromGUI(double(v));
    else if (auto* i = plugkit::parameterCast<plugkit::IntegerParameter>(p))
        i->setFromGUI(int(v));
    else if (auto* b = plugkit::parameterCast<plugkit::BoolParameter>(p))
        b->setFromGUI(v != 0.0f);
    p->endParamEdit();
}

} // namespace

void applyFactoryPreset(plugkit::Client& client, int preset)
{
    if (preset < 0 || preset >= kNumFactoryPresets)
        plugkit::fatalError("factory preset number out of range");
    int n = client.numParams() < kNumPresetColumns ? client.numParams() : kNumPresetColumns;
    if (n > 0)
        setAsEditor(client.param(0), float(preset));
    for (int i = 1; i < n; ++i)
        setAsEditor(client.param(i), presetvalues_row1[preset][i]);
}

} // namespace vellox
