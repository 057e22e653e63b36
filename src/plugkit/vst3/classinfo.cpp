#include "plugkit/vst3/classinfo.h"

#include <cstdio>
#include <cstring>

#include "plugkit/core/fatal.h"
#include "plugkit/vst3/abi/iaudioprocessor.h"
#include "plugkit/vst3/text16.h"

namespace plugkit
{

namespace
{
// Used when the product leaves its home page or support e-mail empty.
constexpr const char* kNoHomepage = "https://example.invalid";
constexpr const char* kNoEmail = "support@example.invalid";
} // namespace

const char* vst3SubCategories(PluginCategory category)
{
    switch (category)
    {
    case PluginCategory::EffectAnalysisAndMetering: return "Fx|Analyzer";
    case PluginCategory::EffectDelay: return "Fx|Delay";
    case PluginCategory::EffectDistortion: return "Fx|Distortion";
    case PluginCategory::EffectDynamics: return "Fx|Dynamics";
    case PluginCategory::EffectEQ: return "Fx|EQ";
    case PluginCategory::EffectSpatial: return "Fx|Spatial";
    case PluginCategory::EffectModulation: return "Fx|Modulation";
    case PluginCategory::EffectPitchShift: return "Fx|Pitch Shift";
    case PluginCategory::EffectReverb: return "Fx|Reverb";
    case PluginCategory::EffectOther: return "Fx";
    case PluginCategory::InstrumentDrums: return "Instrument|Drum";
    case PluginCategory::InstrumentSampler: return "Instrument|Sampler";
    case PluginCategory::InstrumentSynthesizer:
    case PluginCategory::InstrumentOther: return "Instrument|Synth";
    }
    fatalError("Unknown plug-in category");
}

void makeVST3ClassID(const PluginInfo& info, vst3::TUID out)
{
    static const unsigned char kPrefix[8] = {0x0B, 0x20, 0xBA, 0x92, 0x0C, 0xE0, 0xB1, 0x45};
    std::memcpy(out, kPrefix, 8);
    for (int i = 0; i < 4; ++i)
    {
        out[8 + i] = info.vendorUniqueID[3 - i];
        out[12 + i] = info.pluginUniqueID[3 - i];
    }
}

vst3::PClassInfo2 makeVST3ClassInfo(const PluginInfo& info)
{
    vst3::PClassInfo2 c;
    std::memset(&c, 0, sizeof(c));
    makeVST3ClassID(info, c.cid);
    c.cardinality = vst3::PClassInfo::kManyInstances;
    copyTextField(c.category, vst3::kAudioEffectClass, sizeof(c.category));
    copyTextField(c.name, info.pluginName, sizeof(c.name));
    c.classFlags = vst3::kSimpleModeSupported;
    copyTextField(c.subCategories, vst3SubCategories(info.category), sizeof(c.subCategories));
    copyTextField(c.vendor, info.vendorName, sizeof(c.vendor));
    char version[64];
    std::snprintf(version, sizeof(version), "%d.%d.%d", int(info.publicVersion.major),
                  int(info.publicVersion.minor), int(info.publicVersion.patch));
    copyTextField(c.version, version, sizeof(c.version));
    copyTextField(c.sdkVersion, kVST3SDKVersionText, sizeof(c.sdkVersion));
    return c;
}

vst3::PFactoryInfo makeVST3FactoryInfo(const PluginInfo& info)
{
    vst3::PFactoryInfo f;
    std::memset(&f, 0, sizeof(f));
    const bool noHomepage = info.pluginHomepage == nullptr || info.pluginHomepage[0] == '\0';
    const bool noEmail = info.vendorSupportEmail == nullptr || info.vendorSupportEmail[0] == '\0';
    copyTextField(f.vendor, info.vendorName, sizeof(f.vendor));
    copyTextField(f.url, noHomepage ? kNoHomepage : info.pluginHomepage, sizeof(f.url));
    copyTextField(f.email, noEmail ? kNoEmail : info.vendorSupportEmail, sizeof(f.email));
    f.flags = vst3::PFactoryInfo::kUnicode;
    return f;
}

} // namespace plugkit
