#include "plugkit/vst3/hostcommand.h"

#include "plugkit/vst3/vst3client.h"

namespace plugkit
{

void VST3HostCommand::beginParamEdit(int index)
{
    if (vst3::IComponentHandler* handler = instance_->componentHandler())
        handler->beginEdit(vst3::ParamID(index));
}

void VST3HostCommand::paramAutomate(int index, float normalizedValue)
{
    if (vst3::IComponentHandler* handler = instance_->componentHandler())
        handler->performEdit(vst3::ParamID(index), double(normalizedValue));
}

void VST3HostCommand::endParamEdit(int index)
{
    if (vst3::IComponentHandler* handler = instance_->componentHandler())
        handler->endEdit(vst3::ParamID(index));
}

bool VST3HostCommand::requestResize(int width, int height)
{
    vst3::IPlugFrame* frame = instance_->plugFrame();
    vst3::IPlugView* view = instance_->frameView();
    if (frame == nullptr || view == nullptr)
        return false;
    vst3::ViewRect rect{0, 0, width, height};
    return frame->resizeView(view, &rect) == vst3::kResultOk;
}

bool VST3HostCommand::notifyResized()
{
    return false;
}

DAW VST3HostCommand::getDAW()
{
    return instance_->daw();
}

PluginFormat VST3HostCommand::getPluginFormat()
{
    return PluginFormat::VST3;
}

} // namespace plugkit
