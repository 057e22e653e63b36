#pragma once
// A VST3 module loaded as a Linux host loads it: dlopen of the module inside the bundle,
// ModuleEntry, GetPluginFactory; on release the factory reference, ModuleExit, dlclose.

#include <string>

#include "plugkit/vst3/abi/ipluginfactory.h"

namespace vellox::render
{

class PluginModule
{
public:
    // `path` is a bundle directory (Name.vst3, whose module is
    // Contents/x86_64-linux/Name.so) or a module file. Throws RenderError naming the path
    // and the reason when the module cannot be loaded or yields no factory.
    explicit PluginModule(const std::string& path);
    ~PluginModule();
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    plugkit::vst3::IPluginFactory* factory() const { return factory_; }
    const std::string& modulePath() const { return module_; }

    // The module file of a bundle path (the path itself when it is not a directory).
    static std::string moduleOf(const std::string& path);

private:
    std::string module_;
    void* handle_ = nullptr;
    plugkit::vst3::IPluginFactory* factory_ = nullptr;
    bool entered_ = false;
};

} // namespace vellox::render
