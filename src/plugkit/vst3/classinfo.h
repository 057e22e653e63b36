#pragma once
// The class description a VST3 host reads from the factory, built from the product's
// PluginInfo: class ID, category, subcategories, version texts; and the factory record.

#include "plugkit/client/plugininfo.h"
#include "plugkit/vst3/abi/ipluginfactory.h"

namespace plugkit
{

// SDK version text reported for every class.
constexpr const char* kVST3SDKVersionText = "VST 3.6.11";

// Subcategories of a plug-in category ("Fx|Dynamics", ...). An unknown value is fatal.
const char* vst3SubCategories(PluginCategory category);

// 0B 20 BA 92 0C E0 B1 45, the vendor unique ID reversed, the plug-in unique ID reversed.
void makeVST3ClassID(const PluginInfo& info, vst3::TUID out);

// The one audio-effect class of the module.
vst3::PClassInfo2 makeVST3ClassInfo(const PluginInfo& info);

// Vendor, home page and e-mail (placeholders where empty), Unicode flag.
vst3::PFactoryInfo makeVST3FactoryInfo(const PluginInfo& info);

} // namespace plugkit
