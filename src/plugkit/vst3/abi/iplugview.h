#pragma once
// IPlugView: the editor placed into a host window; IPlugFrame: the host side that resizes it.

#include "plugkit/vst3/abi/funknown.h"

namespace plugkit::vst3
{

struct ViewRect
{
    int32 left;
    int32 top;
    int32 right;
    int32 bottom;
};

// Platform types of the parent handed to attached().
constexpr const char* kPlatformTypeHWND = "HWND";
constexpr const char* kPlatformTypeNSView = "NSView";
constexpr const char* kPlatformTypeX11EmbedWindowID = "X11EmbedWindowID";

class IPlugFrame;

class IPlugView : public FUnknown
{
public:
    virtual tresult PLUGKIT_VST3_CALL isPlatformTypeSupported(FIDString type) = 0;
    virtual tresult PLUGKIT_VST3_CALL attached(void* parent, FIDString type) = 0;
    virtual tresult PLUGKIT_VST3_CALL removed() = 0;
    virtual tresult PLUGKIT_VST3_CALL onWheel(float distance) = 0;
    virtual tresult PLUGKIT_VST3_CALL onKeyDown(char16 key, int16 keyCode, int16 modifiers) = 0;
    virtual tresult PLUGKIT_VST3_CALL onKeyUp(char16 key, int16 keyCode, int16 modifiers) = 0;
    virtual tresult PLUGKIT_VST3_CALL getSize(ViewRect* size) = 0;
    virtual tresult PLUGKIT_VST3_CALL onSize(ViewRect* newSize) = 0;
    virtual tresult PLUGKIT_VST3_CALL onFocus(TBool state) = 0;
    virtual tresult PLUGKIT_VST3_CALL setFrame(IPlugFrame* frame) = 0;
    virtual tresult PLUGKIT_VST3_CALL canResize() = 0;
    virtual tresult PLUGKIT_VST3_CALL checkSizeConstraint(ViewRect* rect) = 0;

    static constexpr InterfaceID iid = makeInterfaceID(0x5BC32507, 0xD06049EA, 0xA6151B52, 0x2B755B29);

protected:
    ~IPlugView() = default;
};

class IPlugFrame : public FUnknown
{
public:
    virtual tresult PLUGKIT_VST3_CALL resizeView(IPlugView* view, ViewRect* newSize) = 0;

    static constexpr InterfaceID iid = makeInterfaceID(0x367FAF01, 0xAFA94693, 0x8D4DA2A0, 0xED0882A3);

protected:
    ~IPlugFrame() = default;
};

} // namespace plugkit::vst3
