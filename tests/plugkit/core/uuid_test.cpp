#include "plugkit/core/uuid.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

using namespace plugkit;

namespace
{

void expectVersion4Text(const char* text)
{
    ASSERT_EQ(std::strlen(text), 36u) << text;
    for (int i = 0; i < 36; ++i)
    {
        char c = text[i];
        if (i == 8 || i == 13 || i == 18 || i == 23)
            EXPECT_EQ(c, '-') << text;
        else
            EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')) << text;
    }
    EXPECT_EQ(text[14], '4') << text;                          // version
    EXPECT_NE(std::strchr("89ab", text[19]), nullptr) << text; // variant binary 10
}

} // namespace

TEST(UUID, TextFormIsGroupedLowerCaseHex)
{
    UUID u;
    for (int i = 0; i < 16; ++i)
        u.bytes[i] = uint8_t(0x10 * (i % 16) + 0x0A + (i % 6));
    char text[37];
    formatUUID(u, text);
    EXPECT_STREQ(text, "0a1b2c3d-4e5f-6a7b-8c9d-aebfcadbecfd");
}

TEST(UUID, RandomOnesAreVersion4AndDistinct)
{
    std::set<std::string> seen;
    for (int i = 0; i < 1000; ++i)
    {
        UUID u = generateRandomUUID();
        EXPECT_EQ(u.bytes[6] >> 4, 4);
        EXPECT_EQ(u.bytes[8] >> 6, 2);
        char text[37];
        formatUUID(u, text);
        expectVersion4Text(text);
        seen.insert(text);
    }
    EXPECT_EQ(seen.size(), 1000u);
}

TEST(UUID, NullTerminatedFormFollowsThePrefixAndFillsTheBufferExactly)
{
    const char* prefix = "PlugkitCustomView_";
    char buffer[56];
    std::memset(buffer, 0x7F, sizeof(buffer));
    generateNullTerminatedRandomUUID(buffer, prefix); // needs 18 + 37 = 55 bytes
    EXPECT_EQ(std::strncmp(buffer, prefix, 18), 0);
    EXPECT_EQ(buffer[54], '\0');
    EXPECT_EQ(buffer[55], 0x7F); // nothing written past the end
    expectVersion4Text(buffer + 18);

    char bare[37];
    generateNullTerminatedRandomUUID(bare, "");
    expectVersion4Text(bare);
}
