#include "plugkit/vst3/plugkitview.h"

#include <cstring>

#include "plugkit/client/client.h"
#include "plugkit/client/igraphics.h"
#include "plugkit/core/memory.h"
#include "plugkit/vst3/vst3client.h"

namespace plugkit
{

namespace
{

bool sameText(const char* a, const char* b)
{
    return a != nullptr && std::strcmp(a, b) == 0;
}

} // namespace

PlugkitView::PlugkitView(VST3Client* instance) : instance_(instance)
{
    makeMutex(lock_);
}

PlugkitView::~PlugkitView()
{
    if (instance_->frameView() == this)
        instance_->setPlugFrame(nullptr, nullptr); // the frame belongs to this view
}

vst3::tresult PlugkitView::queryInterface(const vst3::TUID iid, void** obj)
{
    if (obj == nullptr)
        return vst3::kInvalidArgument;
    if (vst3::sameID(iid, vst3::IPlugView::iid) || vst3::sameID(iid, vst3::FUnknown::iid))
    {
        addRef();
        *obj = static_cast<vst3::IPlugView*>(this);
        return vst3::kResultOk;
    }
    *obj = nullptr;
    return vst3::kNoInterface;
}

vst3::uint32 PlugkitView::addRef()
{
    return refCount_.fetch_add(1, std::memory_order_relaxed) + 1;
}

vst3::uint32 PlugkitView::release()
{
    const vst3::uint32 count = refCount_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (count == 0)
        destroyFree(this);
    return count;
}

IGraphics* PlugkitView::editor()
{
    Client* client = instance_->client();
    if (!client->pluginInfo().hasGUI)
        return nullptr;
    return client->getOrCreateGraphics();
}

vst3::tresult PlugkitView::isPlatformTypeSupported(vst3::FIDString type)
{
    return sameText(type, vst3::kPlatformTypeNSView) ? vst3::kResultOk : vst3::kResultFalse;
}

vst3::tresult PlugkitView::attached(void* parent, vst3::FIDString type)
{
    MutexLocker locker(lock_);
    WindowBackend backend;
    if (sameText(type, vst3::kPlatformTypeNSView))
        backend = WindowBackend::NSView;
    else
        return vst3::kResultFalse; // the only supported platform type
    IGraphics* graphics = editor();
    if (graphics == nullptr)
        return vst3::kResultFalse;
    graphics->openUI(parent, nullptr, instance_->client(), backend);
    return vst3::kResultOk;
}

vst3::tresult PlugkitView::removed()
{
    MutexLocker locker(lock_);
    Client* client = instance_->client();
    if (!client->pluginInfo().hasGUI || client->graphics() == nullptr)
        return vst3::kResultFalse;
    instance_->setPlugFrame(nullptr, nullptr);
    client->graphics()->closeUI();
    return vst3::kResultOk;
}

vst3::tresult PlugkitView::onWheel(float)
{
    return vst3::kResultFalse;
}

vst3::tresult PlugkitView::onKeyDown(vst3::char16, vst3::int16, vst3::int16)
{
    return vst3::kResultFalse;
}

vst3::tresult PlugkitView::onKeyUp(vst3::char16, vst3::int16, vst3::int16)
{
    return vst3::kResultFalse;
}

vst3::tresult PlugkitView::getSize(vst3::ViewRect* size)
{
    MutexLocker locker(lock_);
    if (size == nullptr)
        return vst3::kInvalidArgument;
    IGraphics* graphics = editor();
    if (graphics == nullptr)
        return vst3::kResultFalse;
    int width = 0, height = 0;
    const DAW daw = instance_->daw();
    if (daw == DAW::Cubase || daw == DAW::Digital)
        graphics->getDesiredGUISize(&width, &height);
    else
        graphics->getGUISize(&width, &height);
    *size = vst3::ViewRect{0, 0, width, height};
    return vst3::kResultOk;
}

vst3::tresult PlugkitView::onSize(vst3::ViewRect* newSize)
{
    MutexLocker locker(lock_);
    if (newSize == nullptr)
        return vst3::kInvalidArgument;
    IGraphics* graphics = editor();
    if (graphics == nullptr)
        return vst3::kResultFalse;
    graphics->nativeWindowResize(newSize->right - newSize->left, newSize->bottom - newSize->top);
    return vst3::kResultOk;
}

vst3::tresult PlugkitView::onFocus(vst3::TBool)
{
    return vst3::kResultOk;
}

vst3::tresult PlugkitView::setFrame(vst3::IPlugFrame* frame)
{
    instance_->setPlugFrame(frame, this);
    return vst3::kResultOk;
}

vst3::tresult PlugkitView::canResize()
{
    MutexLocker locker(lock_);
    IGraphics* graphics = editor();
    if (graphics == nullptr)
        return vst3::kResultFalse;
    return graphics->isResizeable() ? vst3::kResultOk : vst3::kResultFalse;
}

vst3::tresult PlugkitView::checkSizeConstraint(vst3::ViewRect* rect)
{
    MutexLocker locker(lock_);
    if (rect == nullptr)
        return vst3::kInvalidArgument;
    IGraphics* graphics = editor();
    if (graphics == nullptr)
        return vst3::kResultFalse;
    int width = rect->right - rect->left;
    int height = rect->bottom - rect->top;
    if (instance_->daw() == DAW::Reaper)
        graphics->getGUISize(&width, &height);
    else
        graphics->getNearestValidSize(&width, &height);
    rect->right = rect->left + width;
    rect->bottom = rect->top + height;
    return vst3::kResultOk;
}

} // namespace plugkit
