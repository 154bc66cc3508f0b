// Texts of one byte per character: ASCII-only case and blanks, the display
// conversions, the wildcard comparisons and the PETSCII mappings.
#include "common/Error.h"
#include "common/Petscii.h"
#include "common/Text.h"
#include "common/Wildcard.h"

#include <gtest/gtest.h>

using namespace qs;

TEST(Text, CaseBlanksNumbersAndDisplayConversions) {
    EXPECT_EQ(upperAscii("blast\xE9z"), "BLAST\xE9Z"); // only ASCII letters
    EXPECT_EQ(trimBlanks("  a b  "), "a b");
    EXPECT_EQ(trimBlanks("\ta\t"), "\ta\t");
    EXPECT_EQ(ParseInteger("  20 49x", NumberSyntax::Leading), 2049);
    EXPECT_EQ(ParseInteger("x", NumberSyntax::Leading), 0);
    EXPECT_THROW(ParseInteger("20x9", NumberSyntax::Whole), Error);
    EXPECT_THROW(ParseInteger("4294967296", NumberSyntax::Leading), Error);
    EXPECT_EQ(SplitLines("a\r\nb\n", CrRule::Drop), (std::vector<std::string>{"a", "b", ""}));
    EXPECT_EQ(SplitLines("a\r\n", CrRule::Keep), (std::vector<std::string>{"a\r", ""}));
    // Control codes of code page 437 as their glyphs.
    EXPECT_EQ(cp437ToUtf8(std::string("\x00\x03\x0D\xB3", 4)), " \u2665\u266A\u2502");
    EXPECT_EQ(latin1ToUtf8("Hubbard \xA9 1985"), "Hubbard \u00A9 1985");
    EXPECT_EQ(utf8Length("\u2502a\u00A9"), 3u);
}

// What could break a report line or its UTF-8 is escaped, nothing else.
TEST(Text, NamesEscapedForOneLine) {
    const struct {
        const char* raw;
        const char* shown;
    } cases[] = {
        {"/home/J\xC3\xB6rg/r\xC3\xA9sultats \xF0\x9F\x92\xBE", nullptr}, // valid: as it is
        {"a\nb\rc\td", "a\\nb\\rc\\td"},
        {"a\\n", "a\\\\n"},
        {"\x1B[2J\x7F", "\\x1B[2J\\x7F"},
        {"x\xFF\xC3(", "x\\xFF\\xC3("},                          // stray and cut
        {"\xC0\xAF \xED\xA0\x80", "\\xC0\\xAF \\xED\\xA0\\x80"}, // overlong, surrogate
        {"\xC2\x85|\xE2\x80\xA8", "\\xC2\\x85|\\xE2\\x80\\xA8"}, // NEL, line separator
    };
    for (const auto& c : cases)
        EXPECT_EQ(escapedForLine(c.raw), c.shown ? c.shown : c.raw) << c.raw;
}

TEST(Text, PetsciiMappings) {
    EXPECT_EQ(SwapPetsciiCase("\xC1\xC2\xC3"), "ABC");
    EXPECT_EQ(SwapPetsciiCase("ABCabc"), "abcABC");
    EXPECT_EQ(SwapPetsciiCase("\xE1\xE2 1"), "a\xE2 1"); // 225 -> 97 only
    EXPECT_EQ(ShiftListingLetters("AZaz1"), "\301\332az1");
    EXPECT_EQ(PetsciiToDisplay("\xD3\xDA\xD8\xC1\xD1_\xCE\xCD"), "\x03\x04\x05\x06\x07\x1B/\\");
    EXPECT_EQ(PetsciiToDisplay("\xC2\xDD\xC9\xCA\xC0\xDB\xCB\xCF\xAB\xB3"),
              "\xB3\xB3\xBF\xC0\xC4\xC5\xD9\xDA\xC3\xB4");
    EXPECT_EQ(PetsciiToDisplay("AB1"), "AB1");
}

TEST(Wildcard, SearchStringsAndFileListPatterns) {
    const struct {
        const char* text;
        const char* pattern;
        bool like;        // the search string's syntax
        bool filePattern; // the file list's: only * and ?, ";" between patterns
    } cases[] = {
        // clang-format off
        {"BLASTER", "*BLAST*", true, true}, {"BLASTER", "BLAST", false, false},
        {"GAME1", "GAME#", true, false}, {"GAMEX", "GAME#", false, false},
        {"B", "[A-C]", true, false}, {"D", "[!A-C]", true, false}, {"*", "[*]", true, false},
        {"A[B", "A[B", true, true}, // an unclosed list stands for itself
        {"[1].d64", "[1].D64", false, true}, {"#1.d64", "#?.d64", false, true},
        {"", "*", true, true}, {"", "?", false, false}, {"ABCABD", "*AB?", true, true},
        {"XAXBX", "*A*B*C", false, false}, {"\xC1\xC2", "\xC1?", true, true},
        {"GAME.P00", "*.D64;*.P??", false, true}, {"GAME.P0", "*.P??", false, false},
        {"x.d64", "", false, false},
        // clang-format on
    };
    for (const auto& c : cases) {
        EXPECT_EQ(wildcardMatch(c.text, c.pattern), c.like) << c.text << " ~ " << c.pattern;
        EXPECT_EQ(fitsFilePattern(c.text, c.pattern), c.filePattern)
            << c.text << " ~ " << c.pattern;
    }
    EXPECT_TRUE(likeCompare("BLAST", "blast", false));
    EXPECT_FALSE(likeCompare("BLAST", "blast", true));
    EXPECT_TRUE(likeCompare("  BLAST   ", " BLAST ", true)); // blanks around do not count
    // Texts too short (or, without "*", of another length) fail before any scan:
    // a list, "#", "?" and a typed character beyond ASCII take one byte each.
    const struct {
        const char* text;
        const char* pattern;
        bool matches;
    } lengths[] = {
        {"GAME1", "GAME#", true}, {"GAME12", "GAME#", false}, {"AB", "A?B", false},
        {"BX", "[A-C]X", true},   {"A", "**A**", true},       {"", "?*", false},
        {" A ", "?", true},       {"ABC", "*ABCD*", false},   {"XABCDX", "*ABCD*", true},
    };
    for (const auto& c : lengths)
        EXPECT_EQ(likeCompare(c.text, c.pattern, true), c.matches) << c.text << " ~ " << c.pattern;
    EXPECT_TRUE(LikePattern("M\xC3\xA4rta", true, ShownAs::Latin1).matches("M\xE4rta"));
    EXPECT_FALSE(LikePattern("M\xC3\xA4rta", true, ShownAs::Latin1).matches("M\xE4rt"));
}

// A list that sees shapes gives every name the answer it gives the name's
// shape; names of one shape collapse. Lists that look further into a name
// than the shape keeps are told apart.
TEST(Wildcard, PatternListsThatSeeOnlyShapes) {
    const char* const names[] = {
        "game1.p00", "GAME2.P00", "1!blast", "1!blast.prg", "x!y",        "a.d64",      ".d64",
        "ab",        "a",         "",        "ab.d64",      "abc.d64.gz", "s!x.tar.gz", "disk.d64x",
        "notes",     "a!b.c.d64",
    };
    const char* const seeing[] = {
        "*.D64;*.D64.GZ;*.P00", "?!*.*;?!*", "G*.D64", "*.TAR.GZ;?*.ZIP", "AB;?!", "*",
    };
    for (const char* list : seeing) {
        const FilePatterns patterns(list);
        EXPECT_TRUE(patterns.seesShapes()) << list;
        for (const char* name : names)
            EXPECT_EQ(patterns.fits(NameShape(name)), patterns.fits(name))
                << name << " ~ " << list << " (shape " << NameShape(name) << ")";
    }
    for (const char* list : {"GAM*.D64", "*64", "*.D64;?!?*", "GAME", "?!*X*"})
        EXPECT_FALSE(FilePatterns(list).seesShapes()) << list;
    EXPECT_EQ(NameShape("game1.p00"), NameShape("game20000.p00"));
    EXPECT_EQ(NameShape("1!blast"), NameShape("1!other"));
    EXPECT_NE(NameShape("game1.p00"), NameShape("game1.d64"));
    EXPECT_EQ(NameShape("a.d64"), "a.d64"); // a dot among the first two: kept whole
}
