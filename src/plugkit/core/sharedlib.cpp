#include "plugkit/core/sharedlib.h"

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>

#include "plugkit/core/fatal.h"
#include "plugkit/core/memory.h"

namespace plugkit
{

SharedLibLoader::SharedLibLoader(const char* libraryPath) : libraryPath_(stringDup(libraryPath))
{
}

void SharedLibLoader::load()
{
    if (libraryPath_ == nullptr)
        fatalError("no library path given");
    handle_ = dlopen(libraryPath_, RTLD_NOW);
    if (handle_ == nullptr)
    {
        char message[512];
        std::snprintf(message, sizeof(message), "cannot open library %s", libraryPath_);
        fatalError(message);
    }
    loadSymbols();
}

void* SharedLibLoader::bindSymbol(const char* name)
{
    if (handle_ == nullptr)
        fatalError("symbol bound before the library was opened");
    void* address = dlsym(handle_, name);
    if (address == nullptr)
    {
        char message[512];
        std::snprintf(message, sizeof(message), "symbol %s not found in %s", name, libraryPath_);
        fatalError(message);
    }
    return address;
}

} // namespace plugkit
