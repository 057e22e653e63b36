#pragma once
// SharedLibLoader: base of the loaders that open a system library at run time and bind the
// functions the program needs into global function pointers. Failing to open the library or
// to find a symbol is fatal: the program cannot run without them. A loaded library is never
// unloaded, so the bound pointers stay valid for the life of the process.

#include <cstdlib>

namespace plugkit
{

class SharedLibLoader
{
public:
    explicit SharedLibLoader(const char* libraryPath);
    SharedLibLoader(const SharedLibLoader&) = delete;
    SharedLibLoader& operator=(const SharedLibLoader&) = delete;
    // Frees the path; the library itself stays loaded. Defined here so that the class has no
    // key function: subclasses then link whether or not they are compiled with RTTI.
    virtual ~SharedLibLoader() { std::free(libraryPath_); }

    // Opens the library with every symbol resolved now, then calls loadSymbols().
    void load();

    const char* libraryPath() const { return libraryPath_; }
    bool isLoaded() const { return handle_ != nullptr; }

protected:
    // Binds every needed function, typically with bindFunction.
    virtual void loadSymbols() = 0;

    // Address of a symbol of the opened library; a missing symbol is fatal.
    void* bindSymbol(const char* name);

    template <class FunctionPointer>
    void bindFunction(FunctionPointer& target, const char* name)
    {
        target = reinterpret_cast<FunctionPointer>(bindSymbol(name));
    }

private:
    char* libraryPath_ = nullptr;
    void* handle_ = nullptr;
};

} // namespace plugkit
