#include "engine/util.h"

#include <gtest/gtest.h>

TEST(Util, SplitDropsEmptyPieces)
{
    std::vector<std::string> pieces;
    split("a,,b,", ",", &pieces);
    EXPECT_EQ(pieces, std::vector<std::string>({"a", "b"}));
    split("", ",", &pieces);
    split(",,,", ",", &pieces);
    EXPECT_EQ(pieces.size(), 2u);   // appended to, never cleared
    split("whole", ",", &pieces);
    EXPECT_EQ(pieces.back(), "whole");
    pieces.clear();
    split("  set  atlassize 2048 ", " ", &pieces);
    EXPECT_EQ(pieces, std::vector<std::string>({"set", "atlassize", "2048"}));
    pieces.clear();
    split("textures\\small\\red.tga", "\\", &pieces);
    EXPECT_EQ(pieces, std::vector<std::string>({"textures", "small", "red.tga"}));
}

TEST(Util, ReplaceAllDoesNotOverlap)
{
    std::string text = "aaa";
    EXPECT_EQ(replaceAll("aa", "b", text), "ba");
    EXPECT_EQ(text, "ba");
    text = "xa";
    EXPECT_EQ(replaceAll("ab", "Q", text), "xa");   // a pattern running past the end does not match
    text = "a+b+c";
    EXPECT_EQ(replaceAll("+", "-", text), "a-b-c");
    text = "keep";
    EXPECT_EQ(replaceAll("", "zz", text), "keep");
    text = "aa";
    EXPECT_EQ(replaceAll("a", "aa", text), "aaaa");   // the replacement is not scanned again
}

TEST(Util, NumberTexts)
{
    EXPECT_EQ(formatSeconds(0), "0:00");
    EXPECT_EQ(formatSeconds(5), "0:05");
    EXPECT_EQ(formatSeconds(59), "0:59");
    EXPECT_EQ(formatSeconds(60), "1:00");
    EXPECT_EQ(formatSeconds(754), "12:34");
    EXPECT_EQ(formatSeconds(4500), "75:00");
    EXPECT_EQ(formatSeconds(-5), "-0:05");
    EXPECT_EQ(formatSeconds(-2147483647 - 1), "-35791394:08");

    EXPECT_EQ(groupDigits(""), "");
    EXPECT_EQ(groupDigits("123"), "123");
    EXPECT_EQ(groupDigits("1234"), "1,234");
    EXPECT_EQ(groupDigits("100000"), "100,000");
    EXPECT_EQ(groupDigits("1234567"), "1,234,567");
    EXPECT_EQ(groupDigits("-123"), "-123");
    EXPECT_EQ(groupDigits("-123456"), "-123,456");
    EXPECT_EQ(groupDigits("+1234"), "+1,234");

    EXPECT_EQ(unsignedToString(0), "0");
    EXPECT_EQ(unsignedToString(4294967295u), "4294967295");

    EXPECT_EQ(fibonacci(-1), -1);
    EXPECT_EQ(fibonacci(0), 0);
    EXPECT_EQ(fibonacci(1), 1);
    EXPECT_EQ(fibonacci(2), 1);
    EXPECT_EQ(fibonacci(10), 55);
    EXPECT_EQ(fibonacci(25), 75025);
}
