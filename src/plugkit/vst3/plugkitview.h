#pragma once
// PlugkitView: the IPlugView that places the client's editor (IGraphics) in the host's window.
// The editor object is created on the first call that needs it and belongs to the client; a
// view only opens and closes its window. When the product has no editor object (createGraphics
// gives null), every call that needs one returns kResultFalse, so hosts fall back to their
// generic editor.
//
// [main thread] One lock keeps the calls of a view from overlapping.

#include <atomic>

#include "plugkit/core/mutex.h"
#include "plugkit/vst3/abi/iplugview.h"

namespace plugkit
{

class IGraphics;
class VST3Client;

class PlugkitView final : public vst3::IPlugView
{
public:
    // The instance is not counted; the host releases views before the instance.
    explicit PlugkitView(VST3Client* instance);
    ~PlugkitView();
    PlugkitView(const PlugkitView&) = delete;
    PlugkitView& operator=(const PlugkitView&) = delete;

    vst3::tresult PLUGKIT_VST3_CALL queryInterface(const vst3::TUID iid, void** obj) override;
    vst3::uint32 PLUGKIT_VST3_CALL addRef() override;
    vst3::uint32 PLUGKIT_VST3_CALL release() override;

    // Only "NSView" (the editor's window is a macOS view).
    vst3::tresult PLUGKIT_VST3_CALL isPlatformTypeSupported(vst3::FIDString type) override;
    vst3::tresult PLUGKIT_VST3_CALL attached(void* parent, vst3::FIDString type) override;
    vst3::tresult PLUGKIT_VST3_CALL removed() override;
    // Input reaches the native window directly: not handled here.
    vst3::tresult PLUGKIT_VST3_CALL onWheel(float distance) override;
    vst3::tresult PLUGKIT_VST3_CALL onKeyDown(vst3::char16 key, vst3::int16 keyCode, vst3::int16 modifiers) override;
    vst3::tresult PLUGKIT_VST3_CALL onKeyUp(vst3::char16 key, vst3::int16 keyCode, vst3::int16 modifiers) override;
    vst3::tresult PLUGKIT_VST3_CALL getSize(vst3::ViewRect* size) override;
    vst3::tresult PLUGKIT_VST3_CALL onSize(vst3::ViewRect* newSize) override;
    vst3::tresult PLUGKIT_VST3_CALL onFocus(vst3::TBool state) override;
    vst3::tresult PLUGKIT_VST3_CALL setFrame(vst3::IPlugFrame* frame) override;
    vst3::tresult PLUGKIT_VST3_CALL canResize() override;
    vst3::tresult PLUGKIT_VST3_CALL checkSizeConstraint(vst3::ViewRect* rect) override;

private:
    // The client's editor object, created if needed; null when the product has none.
    IGraphics* editor();

    std::atomic<vst3::uint32> refCount_{1};
    VST3Client* instance_;
    UncheckedMutex lock_;
};

} // namespace plugkit
