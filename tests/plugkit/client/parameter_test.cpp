#include "plugkit/client/parameter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "testclient.h"

using namespace plugkit;
using plugkit_test::RecordingHostCommand;
using plugkit_test::RecordingListener;
using plugkit_test::TestClient;

namespace
{

const double kInf = std::numeric_limits<double>::infinity();

std::string textOf(Parameter& p)
{
    char buf[128];
    p.toStringN(buf, sizeof buf);
    return buf;
}

std::string textAt(Parameter& p, double x)
{
    char buf[128];
    p.stringFromNormalizedValue(x, buf, sizeof buf);
    return buf;
}

} // namespace

TEST(GainParameter, MapsDecibelsWithShapeTwo)
{
    GainParameter g(0, "Gain", 24.0, 0.0, 2.0);
    EXPECT_EQ(g.toNormalized(-kInf), 0.0);
    EXPECT_EQ(g.toNormalized(24.0), 1.0);
    EXPECT_NEAR(g.toNormalized(0.0), std::sqrt(1.0 / std::pow(10.0, 24.0 / 20.0)), 1e-12);
    EXPECT_NEAR(g.toNormalized(0.0), 0.2512, 5e-5);
    EXPECT_EQ(g.fromNormalized(0.0), -kInf);
    EXPECT_NEAR(g.fromNormalized(1.0), 24.0, 1e-12);
    EXPECT_EQ(textAt(g, 0.0), "-inf");
    EXPECT_STREQ(g.label(), "dB");
    EXPECT_STREQ(g.displayFormat(), "%2.1f");
    EXPECT_EQ(g.minValue(), -kInf);

    // From the editor the clamp keeps minus infinity, which maps back to 0.
    g.setFromGUI(-kInf);
    EXPECT_EQ(g.value(), -kInf);
    EXPECT_EQ(g.getNormalized(), 0.0);
    EXPECT_EQ(textOf(g), "-inf");
}

TEST(FloatParameter, MappingsOfEachKind)
{
    LogFloatParameter log(0, "Freq", "hz", 300.0, 8200.0, 2200.0);
    EXPECT_NEAR(log.getNormalizedDefault(), 0.6023, 5e-5);
    EXPECT_NEAR(log.fromNormalized(log.toNormalized(2200.0)), 2200.0, 1e-9);
    EXPECT_EQ(log.toNormalized(100.0), 0.0);
    EXPECT_NEAR(log.fromNormalized(2.0), 300.0 * (8200.0 / 300.0) * (8200.0 / 300.0), 1e-6)
        << "the logarithmic kind does not clamp on the way back";

    LinearFloatParameter lin(0, "Lin", "%", 0.0, 100.0, 20.0);
    EXPECT_DOUBLE_EQ(lin.toNormalized(25.0), 0.25);
    EXPECT_EQ(lin.toNormalized(150.0), 1.0);
    EXPECT_EQ(lin.fromNormalized(1.5), 100.0);
    EXPECT_EQ(lin.fromNormalized(-1.0), 0.0);

    PowFloatParameter pw(0, "Pow", "", 0.0, 100.0, 25.0, 2.0);
    EXPECT_DOUBLE_EQ(pw.toNormalized(25.0), 0.5);
    EXPECT_DOUBLE_EQ(pw.fromNormalized(0.5), 25.0);
    EXPECT_EQ(pw.fromNormalized(2.0), 100.0);

    LogFloatParameterEx lx(0, "LogEx", "", 0.0, 99.0, 9.0, 2.0, 1.0);
    // t = ln(10) / ln(100) = 0.5, normalised = 0.5^(1/2)
    EXPECT_NEAR(lx.toNormalized(9.0), std::sqrt(0.5), 1e-12);
    EXPECT_NEAR(lx.fromNormalized(std::sqrt(0.5)), 9.0, 1e-9);
    EXPECT_EQ(lx.fromNormalized(5.0), 99.0);
}

TEST(FloatParameter, SetFromHostStoresTheMappingUnclampedAndGUIClamps)
{
    LogFloatParameter log(0, "Freq", "hz", 300.0, 8200.0, 2200.0);
    log.setFromHost(1.1);
    EXPECT_GT(log.value(), 8200.0);
    log.setFromGUI(9000.0);
    EXPECT_EQ(log.value(), 8200.0);
    log.setFromGUINormalized(-3.0);
    EXPECT_DOUBLE_EQ(log.value(), 300.0);
    EXPECT_EQ(log.valueAtomic(), log.value());
}

TEST(FloatParameter, DisplayFormatAndPrecision)
{
    LinearFloatParameter lin(0, "Lin", "%", 0.0, 100.0, 20.0);
    EXPECT_EQ(textOf(lin), "20.00");
    lin.setDecimalPrecision(0);
    EXPECT_EQ(textOf(lin), "20");
    lin.setDecimalPrecision(3);
    EXPECT_EQ(textAt(lin, 0.5), "50.000");
    char tiny[3] = {'x', 'x', 'x'};
    lin.toStringN(tiny, sizeof tiny);
    EXPECT_STREQ(tiny, "20");
}

TEST(IntegerParameter, RoundsHalfAwayFromZeroAndClamps)
{
    IntegerParameter i(0, "Int", "", 0, 3, 0);
    const char* labels[] = {"a", "b", "c", "d"};
    EnumParameter e(1, "Enum", labels, 4, 0);
    for (IntegerParameter* p : {&i, static_cast<IntegerParameter*>(&e)})
    {
        EXPECT_EQ(p->fromNormalized(0.5), 2) << p->name();
        EXPECT_EQ(p->fromNormalized(0.49), 1) << p->name();
        EXPECT_EQ(p->fromNormalized(7.0), 3);
        EXPECT_EQ(p->fromNormalized(-7.0), 0);
        EXPECT_EQ(p->fromNormalized(std::nan("")), 0) << "NaN gives the minimum";
        EXPECT_EQ(p->fromNormalized(1e300), 3);
    }
    IntegerParameter neg(0, "Neg", "", -10, 10, 0);
    EXPECT_EQ(neg.fromNormalized(0.475), -1) << "-0.5 rounds away from zero";
    EXPECT_EQ(textAt(neg, 0.0), "-10");

    IntegerParameter clampedDefault(0, "D", "", 0, 3, 9);
    EXPECT_EQ(clampedDefault.defaultValue(), 3);
    EXPECT_EQ(clampedDefault.value(), 3);
    clampedDefault.setFromGUI(-4);
    EXPECT_EQ(clampedDefault.value(), 0);
}

TEST(ParameterParsing, BoolAcceptsExactlyYesAndNo)
{
    BoolParameter b(0, "B", false);
    struct Case
    {
        const char* text;
        bool ok;
        double value;
    } cases[] = {
        {"yes", true, 1.0}, {"no", true, 0.0}, {"Yes", false, 0}, {" yes", false, 0},
        {"1", false, 0},    {"yes ", false, 0}, {"", false, 0},
    };
    for (const Case& c : cases)
    {
        double x = -1.0;
        EXPECT_EQ(b.normalizedValueFromString(c.text, &x), c.ok) << '"' << c.text << '"';
        if (c.ok)
        {
            EXPECT_EQ(x, c.value) << c.text;
        }
        else
        {
            EXPECT_TRUE(std::isnan(x)) << "a failed parse leaves NaN";
        }
    }
    EXPECT_EQ(textAt(b, 0.5), "yes");
    EXPECT_EQ(textAt(b, 0.4999), "no");
    EXPECT_EQ(textAt(b, std::nan("")), "no");
}

TEST(ParameterParsing, EnumLabelsAreCaseSensitive)
{
    const char* labels[] = {"RAW_X0", "BURN_x2", "WARM_x4", "AIR_x8"};
    EnumParameter e(0, "Texture", labels, 4, 2);
    double x = -1;
    EXPECT_TRUE(e.normalizedValueFromString("WARM_x4", &x));
    EXPECT_DOUBLE_EQ(x, 2.0 / 3.0);
    EXPECT_EQ(e.fromNormalized(x), 2);
    EXPECT_FALSE(e.normalizedValueFromString("warm_x4", &x));
    EXPECT_TRUE(std::isnan(x));
    EXPECT_FALSE(e.normalizedValueFromString("WARM_x", &x));
    EXPECT_FALSE(e.normalizedValueFromString("WARM_x40", &x));
    EXPECT_EQ(textAt(e, 1.0), "AIR_x8");

    char small[4];
    e.toStringN(small, sizeof small);
    EXPECT_STREQ(small, "WAR");
    char untouched[1] = {'z'};
    e.toStringN(untouched, 0);
    EXPECT_EQ(untouched[0], 'z');
}

TEST(ParameterParsing, IntegerTextRules)
{
    IntegerParameter p(0, "Int", "", -100, 100, 0);
    struct Case
    {
        std::string text;
        bool ok;
        double normalized;
    } cases[] = {
        {"  -0x10", true, 0.42},            // -16
        {"+7 apples", true, 0.535},          // 7
        {"letters", true, 0.5},              // no digits: 0
        {"\t\n\f\r 0X1f", true, 0.655},      // 31
        {"99999999999", true, 1.0},          // clamped to the 32-bit range, then to 1
        {std::string(127, '1'), true, 1.0},  // 127 bytes is still short enough
        {std::string(128, '1'), false, 0.0}, // 128 bytes fails
    };
    for (const Case& c : cases)
    {
        double x = -1;
        EXPECT_EQ(p.normalizedValueFromString(c.text.c_str(), &x), c.ok) << c.text;
        if (c.ok)
        {
            EXPECT_NEAR(x, c.normalized, 1e-12) << c.text;
        }
    }
}

TEST(ParameterParsing, FloatTextRules)
{
    LinearFloatParameter p(0, "Lin", "", 0.0, 1000.0, 0.0);
    struct Case
    {
        std::string text;
        bool ok;
        double normalized;
    } cases[] = {
        {"1e2abc", true, 0.1},
        {"", true, 0.0},
        {" 0x1p4", true, 0.016},
        {"-5", true, 0.0},
        {"inf", true, 1.0},
        {std::string(127, '2'), true, 1.0},
        {std::string(128, '2'), false, 0.0},
    };
    for (const Case& c : cases)
    {
        double x = -1;
        EXPECT_EQ(p.normalizedValueFromString(c.text.c_str(), &x), c.ok) << c.text;
        if (c.ok)
        {
            EXPECT_NEAR(x, c.normalized, 1e-12) << c.text;
        }
        else
        {
            EXPECT_TRUE(std::isnan(x)) << "a failed parse leaves NaN";
        }
    }
    GainParameter g(0, "Gain", 24.0, 0.0, 2.0);
    double x = -1;
    EXPECT_TRUE(g.normalizedValueFromString("-inf", &x));
    EXPECT_EQ(x, 0.0);
}

// A parameter owned by a client with a recording host command.
class ParameterEditTest : public ::testing::Test
{
protected:
    ParameterEditTest() { client.setHostCommand(&host); }
    TestClient client;
    RecordingHostCommand host;
    std::vector<std::string> log;
};

TEST_F(ParameterEditTest, HostValueIsRefusedWhileAnEditIsOpen)
{
    auto* p = parameterCast<LinearFloatParameter>(client.param(0));
    ASSERT_NE(p, nullptr);
    RecordingListener l(&log, 1);
    p->addListener(&l);

    p->beginParamEdit();
    EXPECT_TRUE(p->isEditing());
    p->setFromHost(0.9);
    EXPECT_EQ(p->value(), 2.0);
    EXPECT_EQ(log, (std::vector<std::string>{"B1"})) << "a refused value notifies nobody";
    p->setFromGUI(5.0);
    p->endParamEdit();
    EXPECT_FALSE(p->isEditing());

    p->setFromHost(0.9);
    EXPECT_DOUBLE_EQ(p->value(), 9.0);
    EXPECT_EQ(log, (std::vector<std::string>{"B1", "C1", "E1", "C1"}));

    ASSERT_EQ(host.calls.size(), 3u);
    EXPECT_EQ(host.calls[0].what, 'b');
    EXPECT_EQ(host.calls[1].what, 'a');
    EXPECT_EQ(host.calls[1].value, 0.5f);
    EXPECT_EQ(host.calls[2].what, 'e');
    for (const auto& c : host.calls)
        EXPECT_EQ(c.index, 0);
    p->removeListener(&l);
}

TEST_F(ParameterEditTest, NestedEditsStayOpenUntilTheLastEnd)
{
    Parameter* p = client.param(2);
    p->beginParamEdit();
    p->beginParamEdit();
    p->endParamEdit();
    p->setFromHost(1.0);
    EXPECT_EQ(static_cast<IntegerParameter*>(p)->value(), 1);
    p->endParamEdit();
    p->setFromHost(1.0);
    EXPECT_EQ(static_cast<IntegerParameter*>(p)->value(), 3);
}

TEST_F(ParameterEditTest, GUISettersReportTheNormalisedValue)
{
    auto* b = parameterCast<BoolParameter>(client.param(1));
    auto* i = parameterCast<IntegerParameter>(client.param(2));
    ASSERT_NE(b, nullptr);
    ASSERT_NE(i, nullptr);
    b->setFromGUI(false);
    i->setFromGUINormalized(0.5);
    EXPECT_FALSE(b->value());
    EXPECT_EQ(i->value(), 2);
    ASSERT_EQ(host.calls.size(), 2u);
    EXPECT_EQ(host.calls[0].value, 0.0f);
    EXPECT_EQ(host.calls[1].index, 2);
    EXPECT_FLOAT_EQ(host.calls[1].value, 2.0f / 3.0f);
}

TEST(ParameterListeners, RemovingTheMiddleOfThreeMovesTheLastIntoItsPlace)
{
    BoolParameter p(0, "B", false);
    std::vector<std::string> log;
    RecordingListener a(&log, 1), b(&log, 2), c(&log, 3), absent(&log, 9);
    p.addListener(&a);
    p.addListener(&b);
    p.addListener(&c);
    p.removeListener(&b);
    p.removeListener(&absent);
    p.setFromHost(1.0);
    p.beginParamHover();
    p.endParamHover();
    EXPECT_EQ(log, (std::vector<std::string>{"C1", "C3", "H1", "H3", "h1", "h3"}));
    p.removeListener(&a);
    p.removeListener(&c);
}

TEST(ParameterKinds, KindTagsTellTheExactClass)
{
    const char* labels[] = {"x"};
    BoolParameter b(0, "B", false);
    EnumParameter e(0, "E", labels, 1, 0);
    GainParameter g(0, "G", 0.0, 0.0, 2.0);
    EXPECT_EQ(e.kind(), ParameterKind::Enum);
    EXPECT_NE(parameterCast<IntegerParameter>(&e), nullptr);
    EXPECT_EQ(parameterCast<IntegerParameter>(&b), nullptr);
    EXPECT_NE(parameterCast<FloatParameter>(&g), nullptr);
    EXPECT_EQ(parameterCast<LinearFloatParameter>(&g), nullptr);
    EXPECT_TRUE(b.isDiscrete());
    EXPECT_TRUE(e.isDiscrete());
    EXPECT_FALSE(g.isDiscrete());
    // A one-entry enumeration maps its only entry to 0, not NaN.
    EXPECT_EQ(e.getNormalized(), 0.0);
    double x = -1;
    EXPECT_TRUE(e.normalizedValueFromString("x", &x));
    EXPECT_EQ(x, 0.0);
    EXPECT_TRUE(b.isAutomatable());
    EXPECT_EQ(b.nonAutomatable(), &b);
    EXPECT_FALSE(b.isAutomatable());
}

namespace
{

struct CountingListener : IParameterListener
{
    std::atomic<int> changes{0};
    void onParameterChanged(Parameter*) override { changes.fetch_add(1, std::memory_order_relaxed); }
    void onBeginParameterEdit(Parameter*) override {}
    void onEndParameterEdit(Parameter*) override {}
    void onBeginParameterHover(Parameter*) override {}
    void onEndParameterHover(Parameter*) override {}
};

} // namespace

// The audio thread notifies while the editor thread adds and removes listeners.
TEST(ParameterListenersConcurrent, HostChangesWhileListenersComeAndGo)
{
    LinearFloatParameter p(0, "Lin", "", 0.0, 1.0, 0.0);
    CountingListener resident;
    p.addListener(&resident);
    std::atomic<bool> stop{false};
    std::atomic<int> notifications{0};

    std::thread audio([&] {
        int n = 0;
        while (!stop.load(std::memory_order_relaxed))
        {
            p.setFromHost((n++ % 100) / 100.0);
            double v = p.valueAtomic();
            EXPECT_GE(v, 0.0);
            EXPECT_LE(v, 1.0);
        }
        notifications = n;
    });
    std::thread editor([&] {
        CountingListener transient[4];
        for (int round = 0; round < 2000; ++round)
        {
            for (auto& l : transient)
                p.addListener(&l);
            for (auto& l : transient)
                p.removeListener(&l);
        }
    });
    editor.join();
    stop = true;
    audio.join();
    EXPECT_EQ(resident.changes.load(), notifications.load())
        << "the resident listener saw every change";
    p.removeListener(&resident);
}
