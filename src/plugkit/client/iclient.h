#pragma once
// IClient: the narrow view of the client that the editor receives.

#include "plugkit/client/daw.h"
#include "plugkit/client/plugininfo.h"

namespace plugkit
{

class IClient
{
public:
    virtual ~IClient() = default;

    // [main thread] False when no host command is installed or the host refuses.
    virtual bool requestResize(int width, int height) = 0;
    virtual bool notifyResized() = 0;
    // Need an installed host command.
    virtual DAW getDAW() = 0;
    virtual PluginFormat getPluginFormat() = 0;
};

} // namespace plugkit
