#pragma once
// IGraphics: the editor object as the client and the format layer see it. The client owns it
// once created (createGraphics) and destroys it with the client. Sizes are in pixels.

#include <cstdint>

namespace plugkit
{

class IClient;

// The kind of native parent view given to openUI.
enum class WindowBackend : int32_t
{
    Automatic = 0,
    HWND = 1,
    NSView = 2,
    X11EmbedWindowID = 3,
};

struct AspectRatio
{
    int32_t width;
    int32_t height;
};

// All calls on the host's main thread.
class IGraphics
{
public:
    virtual ~IGraphics() = default;

    // Opens the editor window inside `parent`; returns the native view.
    virtual void* openUI(void* parent, void* controlInfo, IClient* client,
                         WindowBackend backend) = 0;
    // Closes the window; the editor object stays.
    virtual void closeUI() = 0;
    virtual void getGUISize(int* width, int* height) = 0;
    virtual void getDesiredGUISize(int* width, int* height) = 0;
    virtual bool isResizeable() = 0;
    virtual bool isResizeableHorizontally() = 0;
    virtual bool isResizeableVertically() = 0;
    virtual void getMaxSmallerValidSize(int* inoutWidth, int* inoutHeight) = 0;
    virtual void getNearestValidSize(int* inoutWidth, int* inoutHeight) = 0;
    virtual bool nativeWindowResize(int width, int height) = 0;
    virtual bool isAspectRatioPreserved() = 0;
    virtual AspectRatio getPreservedAspectRatio() = 0;
};

} // namespace plugkit
