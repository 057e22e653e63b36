// PlugkitView: the editor view, with and without an editor object.

#include <gtest/gtest.h>

#include "engine/main.h"
#include "plugkit/vst3/instance.h"
#include "plugkit/vst3/recordingclient.h"

namespace
{

using namespace vst3test;
using vellox::VelloxClient;

TEST(PlugkitView, CreatedOnlyForTheEditorViewType)
{
    Instance<VelloxClient> i;
    v::IPlugView* view = i.vst->createView("editor");
    ASSERT_NE(nullptr, view);
    EXPECT_EQ(nullptr, i.vst->createView("Editor"));
    EXPECT_EQ(nullptr, i.vst->createView(nullptr));

    void* obj = nullptr;
    EXPECT_EQ(v::kResultOk, view->queryInterface(v::IPlugView::iid.bytes, &obj));
    EXPECT_EQ(view, obj);
    EXPECT_EQ(1u, view->release());
    obj = &obj;
    EXPECT_EQ(v::kNoInterface, view->queryInterface(v::IComponent::iid.bytes, &obj));
    EXPECT_EQ(nullptr, obj);
    EXPECT_EQ(0u, view->release());

    RecordingOptions noGUI;
    noGUI.hasGUI = false;
    Instance<RecordingClient> without(u"Host", noGUI);
    EXPECT_EQ(nullptr, without.vst->createView("editor"));
}

TEST(PlugkitView, PlatformTypes)
{
    Instance<VelloxClient> i;
    v::IPlugView* view = i.vst->createView("editor");
    EXPECT_EQ(v::kResultOk, view->isPlatformTypeSupported("NSView"));
    EXPECT_EQ(v::kResultFalse, view->isPlatformTypeSupported("HWND"));
    EXPECT_EQ(v::kResultFalse, view->isPlatformTypeSupported("X11EmbedWindowID"));
    EXPECT_EQ(v::kResultFalse, view->isPlatformTypeSupported(nullptr));
    view->release();
}

// Vellox has no editor object yet (createGraphics gives null): hosts must get "false" from
// every call that needs one, and nothing may crash, so they fall back to a generic editor.
TEST(PlugkitView, WithoutAnEditorObjectEveryEditorCallIsRefused)
{
    Instance<VelloxClient> i;
    v::IPlugView* view = i.vst->createView("editor");
    ASSERT_NE(nullptr, view);
    PlugFrame frame;
    v::ViewRect rect{0, 0, 300, 200};
    EXPECT_EQ(v::kResultOk, view->setFrame(&frame));
    EXPECT_EQ(v::kResultFalse, view->getSize(&rect));
    EXPECT_EQ(v::kResultFalse, view->attached(nullptr, "NSView"));
    EXPECT_EQ(v::kResultFalse, view->attached(nullptr, "X11EmbedWindowID"));
    EXPECT_EQ(v::kResultFalse, view->onSize(&rect));
    EXPECT_EQ(v::kResultFalse, view->canResize());
    EXPECT_EQ(v::kResultFalse, view->checkSizeConstraint(&rect));
    EXPECT_EQ(v::kResultFalse, view->removed());
    EXPECT_EQ(v::kResultFalse, view->onWheel(1.0f));
    EXPECT_EQ(v::kResultFalse, view->onKeyDown(u'a', 0, 0));
    EXPECT_EQ(v::kResultFalse, view->onKeyUp(u'a', 0, 0));
    EXPECT_EQ(v::kResultOk, view->onFocus(1));
    EXPECT_EQ(300, rect.right); // untouched
    EXPECT_EQ(0u, view->release());
}

struct WithEditor
{
    explicit WithEditor(std::u16string host = u"Host") : i(std::move(host), options())
    {
        view = i.vst->createView("editor");
    }
    ~WithEditor() { view->release(); }
    static RecordingOptions options()
    {
        RecordingOptions o;
        o.withEditor = true;
        return o;
    }
    FakeGraphics* editor() { return static_cast<FakeGraphics*>(i.client->graphics()); }

    Instance<RecordingClient> i;
    v::IPlugView* view = nullptr;
};

TEST(PlugkitView, OpensAndClosesTheEditorWindow)
{
    WithEditor w;
    EXPECT_EQ(v::kResultFalse, w.view->attached(nullptr, "HWND"));
    EXPECT_EQ(nullptr, w.editor()); // not created for an unsupported type
    ASSERT_EQ(v::kResultOk, w.view->attached(nullptr, "NSView"));
    ASSERT_NE(nullptr, w.editor());
    EXPECT_EQ(1, w.editor()->opened);
    EXPECT_EQ(plugkit::WindowBackend::NSView, w.editor()->lastBackend);
    EXPECT_EQ(v::kResultOk, w.view->removed());
    EXPECT_EQ(1, w.editor()->closed);
    // The editor object stays with the client and serves the next view.
    FakeGraphics* editor = w.editor();
    v::IPlugView* next = w.i.vst->createView("editor");
    EXPECT_EQ(v::kResultOk, next->attached(nullptr, "NSView"));
    EXPECT_EQ(editor, w.editor());
    EXPECT_EQ(2, editor->opened);
    next->release();
}

TEST(PlugkitView, SizesFollowTheHost)
{
    {
        WithEditor w;
        v::ViewRect rect{5, 5, 0, 0};
        ASSERT_EQ(v::kResultOk, w.view->getSize(&rect));
        EXPECT_EQ(0, rect.left);
        EXPECT_EQ(600, rect.right);
        EXPECT_EQ(316, rect.bottom);
        v::ViewRect wanted{10, 20, 10 + 649, 20 + 351};
        ASSERT_EQ(v::kResultOk, w.view->checkSizeConstraint(&wanted));
        EXPECT_EQ(10 + 600, wanted.right); // nearest valid size
        EXPECT_EQ(20 + 400, wanted.bottom);
        v::ViewRect size{0, 0, 700, 400};
        EXPECT_EQ(v::kResultOk, w.view->onSize(&size));
        EXPECT_EQ(700, w.editor()->resizedWidth);
        EXPECT_EQ(v::kResultOk, w.view->canResize());
    }
    {
        WithEditor cubase(u"Cubase 13");
        v::ViewRect rect{};
        ASSERT_EQ(v::kResultOk, cubase.view->getSize(&rect));
        EXPECT_EQ(1200, rect.right); // the desired size
        EXPECT_EQ(632, rect.bottom);
    }
    {
        WithEditor reaper(u"REAPER");
        v::ViewRect wanted{0, 0, 1000, 1000};
        ASSERT_EQ(v::kResultOk, reaper.view->checkSizeConstraint(&wanted));
        EXPECT_EQ(600, wanted.right); // always the current size
        EXPECT_EQ(316, wanted.bottom);
    }
}

} // namespace
