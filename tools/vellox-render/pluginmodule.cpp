#include "pluginmodule.h"

#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <sys/stat.h>

#include "errors.h"

namespace vellox::render
{

namespace
{

using ModuleEntryFn = bool (*)(void*);
using ModuleExitFn = bool (*)();
using GetFactoryFn = plugkit::vst3::IPluginFactory* (*)();

bool isDirectory(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

std::string PluginModule::moduleOf(const std::string& path)
{
    if (!isDirectory(path))
        return path;
    std::string bundle = path;
    while (bundle.size() > 1 && bundle.back() == '/')
        bundle.pop_back();
    std::string name = bundle.substr(bundle.rfind('/') == std::string::npos ? 0 : bundle.rfind('/') + 1);
    if (name.size() > 5 && name.compare(name.size() - 5, 5, ".vst3") == 0)
        name.resize(name.size() - 5);
    return bundle + "/Contents/x86_64-linux/" + name + ".so";
}

PluginModule::PluginModule(const std::string& path) : module_(moduleOf(path))
{
    auto fail = [&](const std::string& why) {
        return RenderError("cannot load plug-in \"" + path + "\": " + why);
    };
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        throw fail(std::strerror(errno));
    if (stat(module_.c_str(), &st) != 0)
        throw fail("no module " + module_ + " in the bundle");

    handle_ = dlopen(module_.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr)
    {
        const char* why = dlerror();
        throw fail(why != nullptr ? why : "dlopen failed");
    }
    auto entry = reinterpret_cast<ModuleEntryFn>(dlsym(handle_, "ModuleEntry"));
    auto getFactory = reinterpret_cast<GetFactoryFn>(dlsym(handle_, "GetPluginFactory"));
    if (getFactory == nullptr)
    {
        dlclose(handle_);
        throw fail("the module exports no GetPluginFactory");
    }
    if (entry == nullptr)
    {
        dlclose(handle_);
        throw fail("the module exports no ModuleEntry");
    }
    if (!entry(handle_))
    {
        dlclose(handle_);
        throw fail("ModuleEntry failed");
    }
    entered_ = true;
    factory_ = getFactory();
    if (factory_ == nullptr)
    {
        auto exit = reinterpret_cast<ModuleExitFn>(dlsym(handle_, "ModuleExit"));
        if (exit != nullptr)
            exit();
        dlclose(handle_);
        throw fail("GetPluginFactory returned no factory");
    }
}

PluginModule::~PluginModule()
{
    if (factory_ != nullptr)
        factory_->release();
    if (entered_)
    {
        auto exit = reinterpret_cast<ModuleExitFn>(dlsym(handle_, "ModuleExit"));
        if (exit != nullptr)
            exit();
    }
    if (handle_ != nullptr)
        dlclose(handle_);
}

} // namespace vellox::render
