#include "common/Wildcard.h"

#include <gtest/gtest.h>

using namespace qs;

TEST(Wildcard, LikeSyntax) {
    EXPECT_TRUE(wildcardMatch("BLASTER", "*BLAST*"));
    EXPECT_TRUE(wildcardMatch("BLAST", "*BLAST*"));
    EXPECT_FALSE(wildcardMatch("BLASTER", "BLAST"));
    EXPECT_TRUE(wildcardMatch("GAME1", "GAME#"));
    EXPECT_FALSE(wildcardMatch("GAMEX", "GAME#"));
    EXPECT_TRUE(wildcardMatch("B", "[A-C]"));
    EXPECT_FALSE(wildcardMatch("D", "[A-C]"));
    EXPECT_TRUE(wildcardMatch("D", "[!A-C]"));
    EXPECT_TRUE(wildcardMatch("*", "[*]"));
    EXPECT_FALSE(wildcardMatch("X", "[*]"));
    EXPECT_TRUE(wildcardMatch("A[B", "A[B")); // an unclosed list stands for itself
    EXPECT_TRUE(wildcardMatch("", "*"));
    EXPECT_FALSE(wildcardMatch("", "?"));
    EXPECT_TRUE(wildcardMatch("ABCABD", "*AB?"));
    EXPECT_TRUE(wildcardMatch("XAXBXC", "*A*B*C"));
    EXPECT_FALSE(wildcardMatch("XAXBX", "*A*B*C"));
    EXPECT_TRUE(wildcardMatch(std::string("\xC1\xC2", 2), std::string("\xC1?", 2)));
}

TEST(Wildcard, LikeCompareFoldsCaseAndTrimsBlanks) {
    EXPECT_TRUE(likeCompare("BLAST", "blast", false));
    EXPECT_FALSE(likeCompare("BLAST", "blast", true));
    EXPECT_TRUE(likeCompare("BLAST    ", "BLAST", true));
    EXPECT_TRUE(likeCompare("  BLAST", " BLAST ", true));
}

TEST(Wildcard, FileListPatterns) {
    EXPECT_TRUE(fitsFilePattern("game.d64", "*.D64"));
    EXPECT_TRUE(fitsFilePattern("GAME.P00", "*.D64;*.P??"));
    EXPECT_TRUE(fitsFilePattern("GAME.PRG", "*.P??"));
    EXPECT_FALSE(fitsFilePattern("GAME.P0", "*.P??"));
    EXPECT_FALSE(fitsFilePattern("BLAST.D64", "BLAST*.D64.D64"));
    // File-list patterns know only * and ?: brackets and # are ordinary characters.
    EXPECT_TRUE(fitsFilePattern("[1].d64", "[1].D64"));
    EXPECT_FALSE(fitsFilePattern("1.d64", "[1].D64"));
    EXPECT_TRUE(fitsFilePattern("#1.d64", "#?.d64"));
    EXPECT_FALSE(fitsFilePattern("x.d64", ""));
}
