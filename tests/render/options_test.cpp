#include "options.h"

#include <gtest/gtest.h>

#include <vector>

#include "errors.h"

namespace vellox::render
{
namespace
{

Options parse(std::vector<const char*> args)
{
    args.insert(args.begin(), "vellox-render");
    return parseOptions(int(args.size()), args.data());
}

TEST(Options, DefaultsWithOnlyAnOutput)
{
    Options o = parse({"-o", "out.wav"});
    EXPECT_EQ(o.output, "out.wav");
    EXPECT_EQ(o.input, "");  // the demo signal
    EXPECT_EQ(o.block, 512);
    EXPECT_EQ(o.bits, 32);
    EXPECT_FALSE(o.bypass);
    EXPECT_FALSE(o.list);
    EXPECT_TRUE(o.sets.empty());
}

TEST(Options, EveryOptionInBothSpellings)
{
    Options o = parse({"in.flac", "--output=out.wav", "--plugin", "p.vst3", "--preset=BUZZ",
                       "--set", "Input gain=-6", "--set=Mix=50", "--state-in", "a.state",
                       "--state-out=b.state", "--block", "100", "--bits=24", "--bypass", "--list",
                       "-q"});
    EXPECT_EQ(o.input, "in.flac");
    EXPECT_EQ(o.output, "out.wav");
    EXPECT_EQ(o.plugin, "p.vst3");
    EXPECT_EQ(o.preset, "BUZZ");
    ASSERT_EQ(o.sets.size(), 2u);
    EXPECT_EQ(o.sets[0], "Input gain=-6");
    EXPECT_EQ(o.sets[1], "Mix=50");  // only the first '=' separates the option's value
    EXPECT_EQ(o.stateIn, "a.state");
    EXPECT_EQ(o.stateOut, "b.state");
    EXPECT_EQ(o.block, 100);
    EXPECT_EQ(o.bits, 24);
    EXPECT_TRUE(o.bypass);
    EXPECT_TRUE(o.list);
    EXPECT_TRUE(o.quiet);
}

TEST(Options, ListNeedsNoOutputAndDashDashEndsOptions)
{
    EXPECT_TRUE(parse({"--list"}).list);
    Options o = parse({"-o", "x.wav", "--", "-strange-name.wav"});
    EXPECT_EQ(o.input, "-strange-name.wav");
}

TEST(Options, HelpNeedsNothingElse) { EXPECT_TRUE(parse({"--help"}).help); }

TEST(Options, RefusedCommandLines)
{
    struct Case
    {
        std::vector<const char*> args;
        const char* messagePart;
    };
    const Case cases[] = {
        {{}, "no output file"},
        {{"in.wav"}, "no output file"},
        {{"-o", "a.wav", "in1.wav", "in2.wav"}, "more than one input"},
        {{"-o", "a.wav", "a.wav"}, "replace the input"},
        {{"-o"}, "-o needs a value"},
        {{"-o", "a.wav", "--block", "0"}, "--block expects"},
        {{"-o", "a.wav", "--block", "12x"}, "--block expects"},
        {{"-o", "a.wav", "--block", "99999999999"}, "--block expects"},
        {{"-o", "a.wav", "--bits", "8"}, "--bits expects"},
        {{"-o", "a.wav", "--set", "Mix"}, "NAME=VALUE"},
        {{"-o", "a.wav", "--bypass=yes"}, "takes no value"},
        {{"-o", "a.wav", "--frobnicate"}, "unknown option --frobnicate"},
    };
    for (const Case& c : cases)
    {
        try
        {
            parse(c.args);
            ADD_FAILURE() << "accepted a command line expected to fail with: " << c.messagePart;
        }
        catch (const UsageError& e)
        {
            EXPECT_NE(std::string(e.what()).find(c.messagePart), std::string::npos) << e.what();
            EXPECT_EQ(e.exitCode(), 2);
        }
    }
}

} // namespace
} // namespace vellox::render
