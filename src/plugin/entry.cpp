// The module's exported functions: the factory for Vellox's client, and the load / unload
// hooks of each platform (all of them do nothing and report success).

#include "engine/main.h"
#include "plugkit/vst3/abi/ipluginfactory.h"
#include "plugkit/vst3/pluginentry.h"

#define VELLOX_EXPORT extern "C" __attribute__((visibility("default")))

VELLOX_EXPORT plugkit::vst3::IPluginFactory* PLUGKIT_VST3_CALL GetPluginFactory()
{
    return plugkit::GetPluginFactoryInternal<vellox::VelloxClient>();
}

// Windows.
VELLOX_EXPORT bool InitDll()
{
    return true;
}

VELLOX_EXPORT bool ExitDll()
{
    return true;
}

// macOS: the argument is the bundle's CFBundleRef.
VELLOX_EXPORT bool bundleEntry(void*)
{
    return true;
}

VELLOX_EXPORT bool bundleExit()
{
    return true;
}

// Linux: the argument is the handle dlopen returned.
VELLOX_EXPORT bool ModuleEntry(void*)
{
    return true;
}

VELLOX_EXPORT bool ModuleExit()
{
    return true;
}
