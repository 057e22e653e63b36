#pragma once
// VST3HostCommand: the client's IHostCommand under VST3. Editor edits become the component
// handler's beginEdit / performEdit / endEdit (parameter ID = index); resize requests go to
// the host's plug frame.

#include "plugkit/client/ihostcommand.h"

namespace plugkit
{

class VST3Client;

class VST3HostCommand final : public IHostCommand
{
public:
    // The instance is not counted: it owns this object.
    explicit VST3HostCommand(VST3Client* instance) : instance_(instance) {}

    // [main thread] Ignored until the host has given its component handler.
    void beginParamEdit(int index) override;
    void paramAutomate(int index, float normalizedValue) override;
    void endParamEdit(int index) override;
    // [main thread] True when the plug frame resized the view.
    bool requestResize(int width, int height) override;
    bool notifyResized() override;
    DAW getDAW() override;
    PluginFormat getPluginFormat() override;

private:
    VST3Client* instance_;
};

} // namespace plugkit
