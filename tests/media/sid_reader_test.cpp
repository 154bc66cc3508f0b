// The SID reader and its formatters, its fields checked against what
// libsidplayfp reads from the same files, and the SID report lines.
#include "FakeView.h"
#include "ReaderHarness.h"
#include "TempDir.h"
#include "media/mod_SID.h"
#include "samples/SidBuilder.h"
#include "search/Dispatcher.h"
#include "search/Matcher.h"
#include "search/Session.h"

#include <gtest/gtest.h>
#include <sidplayfp/SidTune.h>
#include <sidplayfp/SidTuneInfo.h>

#include <cstdio>

using namespace qs;
using namespace qs::test;
using qs::samples::makeSid;
using qs::samples::SidSpec;

namespace {

std::string hex4(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value);
    return text;
}

} // namespace

TEST(SidFormatters, FieldNormalizerAndGetHexByte) {
    EXPECT_EQ(GetHexByte(10, 2), "0A");
    EXPECT_EQ(GetHexByte(74565, 4), "1234"); // 12345 cut to its first four digits
    EXPECT_EQ(GetHexByte(0, 2), "00");
    EXPECT_EQ(GetHexByte(0xBEEF, 4), "BEEF");

    EXPECT_EQ(FieldNormalizer("abc", 2, 5), "  abc");
    EXPECT_EQ(FieldNormalizer("abc", 1, 5), "abc  ");
    EXPECT_EQ(FieldNormalizer("abc", 3, 5), "00abc");
    EXPECT_EQ(FieldNormalizer("", 4, 3), "   ");
    EXPECT_EQ(FieldNormalizer("7", 4, 3), "007");
    EXPECT_EQ(FieldNormalizer("  abcdef ", 1, 4), "abcd");
    EXPECT_EQ(FieldNormalizer("abcd", 3, 4), "abcd");
    EXPECT_EQ(FieldNormalizer("12,3456", 0, 4, 2, true), "0012,34");
    EXPECT_EQ(FieldNormalizer("12,3456", 0, 4, 2, false), "001234");
    EXPECT_EQ(FieldNormalizer("12,3", 0, 4, 3, true), "0012,300");
    EXPECT_EQ(FieldNormalizer("12", 0, 3, 2, true), "012,00");
    EXPECT_EQ(FieldNormalizer("12,34", 0, 3, 0, true), "012,");
    EXPECT_EQ(FieldNormalizer("abc", 9, 5), "");
    EXPECT_EQ(FieldNormalizer(std::int64_t{42}, 3, 4), "0042");
}

TEST(SidFormatters, LeadingNumberAndTrim) {
    EXPECT_EQ(LeadingNumberText("  198?"), "198");
    EXPECT_EQ(LeadingNumberText("0042x"), "42");
    EXPECT_EQ(LeadingNumberText("-5 A"), "-5");
    EXPECT_EQ(LeadingNumberText("19.50"), "19.5");

    std::string field("  TUNE\0\0\0", 9);
    EXPECT_EQ(TrimSidField(field), "TUNE");
    EXPECT_EQ(field, "TUNE");
}

TEST(SidReader, YearFromTheCopyrightText) {
    for (auto [released, year] :
         {std::pair{"1985 Ocean", "1985"}, std::pair{"198? Ocean", "198?"},
          std::pair{"19xx", "19??"}, std::pair{"", "0???"}, std::pair{"Ocean", "0???"},
          std::pair{"2003-2004 Group", "2003"}}) {
        ReaderHarness h;
        h.run(analizzaSID, "/x/y.sid", makeSid({"T", "A", released}));
        EXPECT_EQ(h.records.sid.Year, year) << released;
    }
}

TEST(SidReader, SizeLimitAndShortFiles) {
    const std::string head = makeSid({"Long", "A", "1990"});
    ReaderHarness atLimit;
    atLimit.run(analizzaSID, "/x/a.sid", head + std::string(130000 - head.size(), '\0'));
    EXPECT_EQ(atLimit.records.sid.Status, "");
    EXPECT_EQ(atLimit.records.sid.Name, "Long");

    ReaderHarness over;
    over.run(analizzaSID, "/x/Over.sid", head + std::string(130001 - head.size(), '\0'));
    const SidInfo& s = over.records.sid;
    EXPECT_EQ(s.Status, "NOT A VALID FILE");
    EXPECT_EQ(s.FileName, "OVER"); // still named, so that its report says which file
    EXPECT_EQ(s.Name, "");
    EXPECT_EQ(s.LoadAddress, "");
    EXPECT_EQ(s.Year, "");

    // A file shorter than 126 bytes: init and play are set, then error 9.
    ReaderHarness cut;
    cut.run(analizzaSID, "/x/cut.sid", head.substr(0, 125));
    ASSERT_EQ(cut.view.messages.size(), 1u);
    EXPECT_EQ(cut.lastMessage().rfind("[analizzaSID] - 9 - ", 0), 0u) << cut.lastMessage();
    EXPECT_NE(cut.lastMessage().find("\r\nFile: /x/cut.sid"), std::string::npos);
    EXPECT_EQ(cut.records.sid.PlayAddress, "1003");
    EXPECT_EQ(cut.records.sid.InitAddress, "1000");
    EXPECT_EQ(cut.records.sid.LoadAddress, "");
    EXPECT_EQ(cut.records.sid.Name, "");

    ReaderHarness tiny;
    tiny.run(analizzaSID, "/x/tiny.sid", "PSID");
    EXPECT_EQ(tiny.view.messages.size(), 1u);
    EXPECT_EQ(tiny.records.sid.PlayAddress, "");
}

// libsidplayfp parses the same files on its own: the header fields agree.
TEST(SidReader, FieldsAgreeWithLibsidplayfp) {
    TempDir dir;
    const std::vector<SidSpec> tunes{
        {"Title", "Someone", "1985 Publisher", 0x1000, 0x1000, 0x1003, std::string(4096, '\x60')},
        {"Blast Theme",
         "J\xF6rg M\xFC"
         "ller",
         "1987 Blast Soft"},
        {"Space", "Anna", "198? Unknown", 0x2000, 0x2003, 0x2010, std::string(700, '\x60')},
        {"A Very Long Title Of 32 Chars..", "Composer", "", 0xC000, 0xC000, 0xC003},
    };
    for (std::size_t i = 0; i < tunes.size(); ++i) {
        const std::string path = dir.write("t" + std::to_string(i) + ".sid", makeSid(tunes[i]));
        SidTune oracle(path.c_str());
        ASSERT_TRUE(oracle.getStatus()) << oracle.statusString();
        const SidTuneInfo* info = oracle.getInfo();
        ASSERT_GE(info->numberOfInfoStrings(), 3u);

        ReaderHarness h;
        h.runOnDisk(analizzaSID, path);
        const SidInfo& s = h.records.sid;
        SCOPED_TRACE(s.Name);
        EXPECT_EQ(s.Name, info->infoString(0));
        EXPECT_EQ(s.Author, info->infoString(1));
        EXPECT_EQ(s.Copyright, info->infoString(2));
        EXPECT_EQ(s.LoadAddress, hex4(info->loadAddr()));
        EXPECT_EQ(s.InitAddress, hex4(info->initAddr()));
        EXPECT_EQ(s.PlayAddress, hex4(info->playAddr()));
        EXPECT_EQ(s.EndAddress, hex4(info->loadAddr() + info->c64dataLen()));
        EXPECT_EQ(h.records.media.MediaType, "SID");
        EXPECT_EQ(h.count(), 0u);
    }
    // The first tune: 4222 bytes loading at $1000 end at $2000.
    ReaderHarness h;
    h.runOnDisk(analizzaSID, dir.str() + "/t0.sid");
    EXPECT_EQ(h.records.sid.EndAddress, "2000");
    EXPECT_EQ(h.records.sid.FileName, "T0");
}

// The search's view of a tune: dispatch, then the SID report lines.
TEST(SidReport, HeadingTextsAndWarning) {
    TempDir dir;
    dir.write("J\xC3\xB6rg.sid", makeSid({"Blast", "J\xF6rg", "1987"})); // a UTF-8 file name
    dir.write("big.sid", std::string(130001, 'x'));
    FakeView view;
    view.opts.findStr = "*";
    view.opts.fileName = view.opts.sidName = view.opts.sidAuthor = true;
    view.opts.showMediaWarn = true;
    for (CheckBox& box : view.opts.fileTypes)
        box.value = box.tag == "SID";
    Session session(view, ToolEnv{}, "");
    ReaderContext ctx = session.readerContext();

    ASSERT_TRUE(DispatchFile(ctx, view.opts.fileTypes, dir.str(), "J\xC3\xB6rg.sid"));
    EXPECT_EQ(session.records.media.MediaType, "SID");
    EXPECT_EQ(session.records.media.FileName, "J\xC3\xB6RG");
    const std::string path = dir.str() + "/J\xC3\xB6rg.sid";
    EXPECT_EQ(AnalyzeSid(session, path, ""), 3);
    EXPECT_EQ(view.results, "\r\n" + path + "\r\n[3] entries found:" +
                                "\r\n[Filename match] J\xC3\xB6RG\r\n[SID Name match] Blast\r\n"
                                "[SID Author match] J\xC3\xB6rg\r\n"
                                "\r\n-------------------------");

    view.results.clear();
    ASSERT_TRUE(DispatchFile(ctx, view.opts.fileTypes, "", dir.str() + "/big.sid"));
    view.opts.findStr = "Blast";
    EXPECT_EQ(AnalyzeSid(session, "/tmp/x/big.sid", "/a/tunes.zip"), 0);
    EXPECT_EQ(view.results, "\r\nBIG in /a/tunes.zip\r\n[0] entries found:"
                            "\r\nNOT A VALID FILE\r\n\r\n-------------------------");
}
