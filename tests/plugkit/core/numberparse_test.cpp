#include "plugkit/core/numberparse.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace plugkit;

namespace
{

struct Case
{
    const char* text;
    bool floats;
    double expected;
    int consumed; // characters up to the reported end
};

} // namespace

TEST(NumberLiteral, ReadsTheFormsItKnows)
{
    const Case cases[] = {
        {"0x1p4", true, 16.0, 5},
        {" -2.5e-1", true, -0.25, 8},
        {"12abc", true, 12.0, 2},
        {"0X1F", false, 31.0, 4},
        {"0x1.8", true, 1.5, 5},
        {"0x1.8", false, 1.0, 3}, // no fraction without floats
        {"+7 words", false, 7.0, 2},
        {"\t\n\f\r 5", false, 5.0, 6},
        {"abc", true, 0.0, 0},
        {"", true, 0.0, 0},
        {"1e2xyz", true, 100.0, 3},
        {"1e+3", true, 1000.0, 4},
        {"2.5", false, 2.0, 1},
        {"99999999999", false, 2147483647.0, 11},
        {"-99999999999", false, -2147483648.0, 12},
        {"-INFINITY", true, -INFINITY, 9},
        {"Inf", true, INFINITY, 3},
        {"8p1", true, 8.0, 1}, // binary exponent only after hexadecimal
    };
    for (const Case& c : cases)
    {
        const char* end = nullptr;
        bool error = true;
        double v = stb__clex_parse_number_literal(c.text, &end, &error, c.floats);
        EXPECT_EQ(v, c.expected) << c.text;
        EXPECT_EQ(end - c.text, c.consumed) << c.text;
        EXPECT_FALSE(error);
    }
}

TEST(NumberLiteral, NanInAnyCase)
{
    const char* end;
    bool error;
    EXPECT_TRUE(std::isnan(stb__clex_parse_number_literal("NaN", &end, &error, true)));
    EXPECT_TRUE(std::isnan(stb__clex_parse_number_literal("-nan", &end, &error, true)));
    EXPECT_EQ(stb__clex_parse_number_literal("nan", &end, &error, false), 0.0);
}
