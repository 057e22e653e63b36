// VST3HostCommand: how the editor's edits and resize requests reach the host.

#include <gtest/gtest.h>

#include "engine/main.h"
#include "plugkit/client/floatparameter.h"
#include "plugkit/vst3/instance.h"
#include "plugkit/vst3/plugkitview.h"

namespace
{

using namespace vst3test;
using vellox::VelloxClient;

TEST(VST3HostCommand, EditorEditsBecomeHostEdits)
{
    Instance<VelloxClient> i;
    ComponentHandler handler;
    // Without a handler the edit protocol is simply not reported.
    auto* mix = static_cast<plugkit::FloatParameter*>(i.client->param(21));
    mix->beginParamEdit();
    mix->endParamEdit();

    i.vst->setComponentHandler(&handler);
    mix->beginParamEdit();
    mix->setFromGUI(50.0);
    mix->endParamEdit();
    ASSERT_EQ(3u, handler.calls.size());
    EXPECT_EQ("begin 21", handler.calls[0]);
    EXPECT_EQ("perform 21 0.500000", handler.calls[1]);
    EXPECT_EQ("end 21", handler.calls[2]);
    i.vst->setComponentHandler(nullptr);
}

TEST(VST3HostCommand, ResizeGoesThroughThePlugFrame)
{
    Instance<VelloxClient> i;
    plugkit::IHostCommand* command = i.client->hostCommand();
    ASSERT_NE(nullptr, command);
    EXPECT_FALSE(command->requestResize(800, 400)); // no frame yet

    PlugFrame frame;
    v::IPlugView* view = i.vst->createView("editor");
    ASSERT_NE(nullptr, view);
    view->setFrame(&frame);
    EXPECT_TRUE(command->requestResize(800, 400));
    EXPECT_EQ(view, frame.lastView);
    EXPECT_EQ(0, frame.lastRect.left);
    EXPECT_EQ(800, frame.lastRect.right);
    EXPECT_EQ(400, frame.lastRect.bottom);
    frame.answer = v::kResultFalse;
    EXPECT_FALSE(command->requestResize(800, 400));
    view->release();
    EXPECT_FALSE(command->requestResize(800, 400)); // the view is gone, and its frame with it

    EXPECT_FALSE(command->notifyResized());
    EXPECT_EQ(plugkit::PluginFormat::VST3, command->getPluginFormat());
}

TEST(VST3HostCommand, ReportsTheIdentifiedHost)
{
    Instance<VelloxClient> i(u"Ableton Live 11");
    EXPECT_EQ(plugkit::DAW::Live, i.client->hostCommand()->getDAW());
    EXPECT_EQ(plugkit::DAW::Live, i.client->getDAW());
}

} // namespace
