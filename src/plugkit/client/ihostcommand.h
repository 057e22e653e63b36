#pragma once
// IHostCommand: what the client and its parameters may ask of the host. Each format layer
// implements it and installs it in the client; the client does not own it.

#include "plugkit/client/daw.h"
#include "plugkit/client/plugininfo.h"

namespace plugkit
{

class IHostCommand
{
public:
    virtual ~IHostCommand() = default;

    // [main thread] An edit of parameter `index` from the editor starts / changes / ends.
    virtual void beginParamEdit(int index) = 0;
    virtual void paramAutomate(int index, float normalizedValue) = 0;
    virtual void endParamEdit(int index) = 0;

    // [main thread] Asks the host to resize the editor's window; true when it did.
    virtual bool requestResize(int width, int height) = 0;
    // [main thread] Tells the host the editor changed its size; true when acknowledged.
    virtual bool notifyResized() = 0;
    virtual DAW getDAW() = 0;
    virtual PluginFormat getPluginFormat() = 0;
};

} // namespace plugkit
