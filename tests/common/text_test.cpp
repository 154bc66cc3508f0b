#include "common/Text.h"

#include <gtest/gtest.h>

using namespace qs;

TEST(Text, UpperCasingAndTrimmingTouchOnlyAsciiLettersAndBlanks) {
    EXPECT_EQ(upperAscii("blast\xE9z"), "BLAST\xE9Z");
    EXPECT_EQ(trimBlanks("  a b  "), "a b");
    EXPECT_EQ(trimBlanks("\ta\t"), "\ta\t");
    EXPECT_EQ(trimBlanks("   "), "");
    EXPECT_EQ(replaceAll("a;*.ZIP;b;*.ZIP", ";*.ZIP", ""), "a;b");
}

TEST(Text, DisplayConversions) {
    // Box-drawing glyphs of code page 437 and control codes as their glyphs.
    EXPECT_EQ(cp437ToUtf8("\xB3\xC4\xDA"), "\u2502\u2500\u250C");
    EXPECT_EQ(cp437ToUtf8(std::string("\x00\x03\x0D", 3)), " \u2665\u266A");
    EXPECT_EQ(cp437ToUtf8("ABC"), "ABC");
    EXPECT_EQ(latin1ToUtf8("Hubbard \xA9 1985"), "Hubbard \u00A9 1985");
    EXPECT_EQ(utf8Length("\u2502a\u00A9"), 3u);
}
