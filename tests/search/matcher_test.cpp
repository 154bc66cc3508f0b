#include "SearchHarness.h"
#include "search/Matcher.h"

#include <gtest/gtest.h>

using namespace qs;
using namespace qs::test;

namespace {

struct MatcherTest : ::testing::Test {
    SearchHarness h;
    MediaInfo& media = h.session.records.media;

    void SetUp() override {
        h.session.records.reset();
        media.FileName = "GAMES";
        media.MediaType = "D64";
        media.MediaName = "\xC7\xC1\xCD\xC5\xD3 1          "; // GAMES 1 as the 1541 stores it
    }
    CbmEntry& add(const std::string& name, const std::string& type = "prg", int blocks = 1,
                  bool locked = false) {
        CbmEntry& e = h.session.records.appendEntry();
        e.Name = name;
        e.FileType = type;
        e.Blocks = blocks;
        e.Locked = locked;
        e.Valid = type != "scr";
        return e;
    }
    int analyze(const std::string& archive = "") {
        return AnalyzePrograms(h.session, "/c/GAMES.d64", archive);
    }
};

} // namespace

TEST(ListingLines, ColumnsAndLockMark) {
    CbmEntry e;
    e.Name = "GAME";
    e.FileType = "prg";
    e.Blocks = 12;
    EXPECT_EQ(ListingLine(e), "12   \"GAME\"             prg");
    e.Name = "A";
    e.Blocks = 5;
    e.Locked = true;
    EXPECT_EQ(ListingLine(e), "5    \"A\"                prg<");
    e.Name = "SIXTEEN CHARS!!!";
    e.Blocks = 123456;
    e.Locked = false;
    EXPECT_EQ(ListingLine(e), "123456\"SIXTEEN CHARS!!!\" prg");
    e.Name = "\xC0\xC0"; // PETSCII lines show as box drawing
    EXPECT_EQ(ListingLine(e), "123456\"\u2500\u2500\"               prg");
}

TEST_F(MatcherTest, TypicalMatchWritesHeadingListingAndRule) {
    add("\xC2\xCC\xC1\xD3\xD4\xC5\xD2", "prg", 12); // BLASTER
    add("OTHER");
    h.view.opts.findStr = "BLAST";
    EXPECT_EQ(analyze(), 1);
    EXPECT_EQ(h.view.results, "\r\n/c/GAMES.d64\r\n[1] entries found:\r\n"
                              "\r\n12   \"BLASTER\"          prg\r\n"
                              "\r\n-------------------------");
}

TEST_F(MatcherTest, PartialAndCaseOptions) {
    add("\xC2\xCC\xC1\xD3\xD4\xC5\xD2"); // BLASTER
    add("\xC2\xCC\xC1\xD3\xD4");         // BLAST
    add("blast");                        // stored unshifted: shows as BLAST after the swap
    h.view.opts.findStr = "BLAST";
    h.view.opts.partial = false;
    EXPECT_EQ(analyze(), 2);
    h.view.opts.partial = true;
    SetUp();
    add("\xC2\xCC\xC1\xD3\xD4\xC5\xD2");
    add("blast");
    h.view.opts.findStr = "blast";
    EXPECT_EQ(analyze(), 2);
    SetUp();
    add("\xC2\xCC\xC1\xD3\xD4\xC5\xD2");
    add("blast");
    h.view.opts.matchCase = true;
    EXPECT_EQ(analyze(), 0);
}

TEST_F(MatcherTest, CaseSwapShowsShiftedLettersAsCapitals) {
    add("\xC1\xC2\xC3");
    add("ABC");
    h.view.opts.findStr = "*";
    EXPECT_EQ(analyze(), 2);
    EXPECT_NE(h.view.results.find("\"ABC\""), std::string::npos);
    EXPECT_NE(h.view.results.find("\"abc\""), std::string::npos);
    EXPECT_EQ(h.session.records.entries()[1].Name, "ABC");
}

TEST_F(MatcherTest, CartridgeNamesAreComparedAsStored) {
    media.MediaType = "CRT";
    add("abc");
    h.view.opts.findStr = "abc";
    h.view.opts.matchCase = true;
    EXPECT_EQ(analyze(), 1);
    EXPECT_NE(h.view.results.find("\"abc\""), std::string::npos);
}

TEST_F(MatcherTest, TypeFilterAndEmptyScratchedSlots) {
    add("SEQFILE", "seq");
    add(std::string(16, '\0'), "scr");
    add("", "scr");
    add("DELETED", "scr");
    add("INFO", "inf");
    h.view.opts.findStr = "*";
    EXPECT_EQ(analyze(), 0);
    EXPECT_EQ(h.view.results, "");
    for (auto& b : h.view.opts.cbmTypes)
        b.value = 1;
    SetUp();
    add("SEQFILE", "seq");
    add(std::string(16, '\0'), "scr");
    add("", "scr");
    add("DELETED", "scr");
    add("INFO", "inf");
    EXPECT_EQ(analyze(), 2);
    EXPECT_NE(h.view.results.find("\"seqfile\""), std::string::npos);
    EXPECT_NE(h.view.results.find("\"deleted\"          scr"), std::string::npos);
    EXPECT_EQ(h.view.results.find("inf"), std::string::npos);
}

TEST_F(MatcherTest, FileNameMediaNameAndCounts) {
    add("\xC7\xC1\xCD\xC5\xD3 ONE"); // GAMES one
    h.view.opts.findStr = "GAMES";
    h.view.opts.fileName = true;
    EXPECT_EQ(analyze(), 2);
    EXPECT_NE(h.view.results.find("[Filename match] GAMES\r\n\r\n"), std::string::npos);
    SetUp();
    h.view.opts.header = true;
    EXPECT_EQ(analyze(), 2);
    EXPECT_NE(h.view.results.find("[MediaName match] GAMES 1          \r\n"), std::string::npos);
    SetUp();
    media.MediaType = "PC64"; // no medium name of its own
    EXPECT_EQ(analyze(), 1);
    SetUp();
    media.MediaType = ""; // the reader failed before it named the kind
    EXPECT_EQ(analyze(), 1);
}

TEST_F(MatcherTest, WarningsAndInvalidFiles) {
    media.Status = "[WARNING] - Directory entries crossover track 18. Only Track 18 entries are "
                   "analyzed";
    h.view.opts.findStr = "NOTHING";
    EXPECT_EQ(analyze(), 0);
    EXPECT_EQ(h.view.results, "");
    h.view.opts.showMediaWarn = true;
    SetUp();
    media.Status = "NON-STANDARD FILE SIZE, MAY BE CORRUPTED";
    EXPECT_EQ(analyze(), 0);
    EXPECT_EQ(h.view.results, "\r\n/c/GAMES.d64\r\n[0] entries found:\r\n"
                              "\r\nNON-STANDARD FILE SIZE, MAY BE CORRUPTED\r\n\r\n"
                              "\r\n-------------------------");
    h.view.results.clear();
    media.Status = "INVALID FILE";
    add("WOULD MATCH");
    h.view.opts.findStr = "*";
    EXPECT_EQ(analyze(), 0);
    EXPECT_EQ(h.view.lastStatus(), "/c/GAMES.d64 is an invalid file");
    EXPECT_EQ(h.view.results,
              "\r\n/c/GAMES.d64 is an invalid file\r\n-------------------------\r\n");
}

TEST_F(MatcherTest, ArchiveMembersAreNamedWithTheirArchive) {
    add("\xC7\xC1\xCD\xC5");
    h.view.opts.findStr = "GAME";
    EXPECT_EQ(analyze("/c/pack.zip"), 1);
    EXPECT_EQ(h.view.results.rfind("\r\nGAMES.D64 in /c/pack.zip\r\n[1] entries found:\r\n", 0),
              0u);
}

TEST(SidMatcher, FieldsHeadingAndLatin1) {
    SearchHarness h;
    SidInfo& sid = h.session.records.sid;
    sid.FileName = "COMMANDO";
    sid.Name = "Commando";
    sid.Author = "R\xF6"
                 "b Hubbard";
    sid.Copyright = "1985 Elite";
    h.session.records.media.FileName = "COMMANDO";
    h.view.opts.findStr = "*";
    h.view.opts.fileName = true;
    h.view.opts.sidAuthor = true;
    h.view.opts.sidCopyright = true;
    EXPECT_EQ(AnalyzeSid(h.session, "/c/Commando.sid", ""), 4);
    EXPECT_EQ(h.view.results, "\r\n/c/Commando.sid\r\n[4] entries found:"
                              "\r\n[Filename match] COMMANDO\r\n[SID Name match] Commando\r\n"
                              "[SID Author match] R\u00F6b Hubbard\r\n"
                              "[SID Copyright match] 1985 Elite\r\n"
                              "\r\n-------------------------");
    h.view.results.clear();
    EXPECT_EQ(AnalyzeSid(h.session, "/w/Commando.sid", "/c/tunes.zip"), 4);
    EXPECT_EQ(h.view.results.rfind("\r\nCOMMANDO in /c/tunes.zip\r\n[4] entries found:\r\n", 0),
              0u);
}
