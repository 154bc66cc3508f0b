// TAP: the ROM loader decoder of our tape64 against our encoder, the listing
// parser, and the reader with tape64 (a tape's listing in a search is checked
// with the command line).
#include "ToolSession.h"
#include "common/Text.h"
#include "media/mod_TAP.h"
#include "samples/DiskBuilder.h"
#include "samples/TapBuilder.h"
#include "standins/codec/TapDecoder.h"

#include <gtest/gtest.h>

namespace qs::test {

namespace {

using samples::TapBuilder;
using samples::toPetscii;

std::string line(const std::string& name, const std::string& start, const std::string& end) {
    std::string l = "searching... found(1)" + name;
    l.resize(41, ' ');
    l += start;
    l.resize(48, ' ');
    l += end;
    l.resize(75, ' ');
    return l;
}

std::string headers(const TapScan& scan) {
    std::string out;
    for (const TapHeader& h : scan.headers)
        out += std::to_string(h.type) + ":" + trimBlanks(h.name) + ":" + std::to_string(h.start) +
               "-" + std::to_string(h.end) + (h.secondCopy ? "(2)" : "") + ";";
    return out;
}

TapBuilder twoPrograms() {
    TapBuilder b;
    b.program("FIRST", 0x0801, std::string(2047, 'x'), 1)
        .program(toPetscii("Second one"), 0xC000, std::string(381, 'y'));
    return b;
}

} // namespace

TEST(ParseTapListing, ReadsNamesAddressesAndBlocksFromTheColumns) {
    AnalysisRecords r;
    std::string twice = line("found( twice", "2049", "2430");
    // Three "found(" and not 75 long: 9 characters after the 13th go, twice.
    const std::string merged =
        "searching... found(xxxfound(xxx" + line("MERGED", "  2049", "  4096").substr(13);
    ParseTapListing(r,
                    line("a game", "  2049", "  4096") + "\r\n" + line("B", "2049", "2176") +
                        "\r\n" + line("c", "2049", "2049") + "\r\n" +
                        line("short", "1", "2").substr(0, 60) + "\r\n" + twice + "\r\n" + merged +
                        "\r\nother text\r\n",
                    "/t/My Tape.tap");
    EXPECT_EQ(r.media.FileName + "|" + r.media.MediaName + "|" + r.media.HeaderLine + "|" +
                  r.media.MediaType,
              "MY TAPE|MY TAPE|\"MY TAPE\"|TAP");
    std::vector<std::string> got;
    for (std::size_t i = 1; i <= r.entryCount(); ++i) {
        const CbmEntry& e = r.entries()[i];
        got.push_back(e.Name + "|" + e.FileType + "|" + std::to_string(e.LoadAddress) + "-" +
                      std::to_string(e.EndAddress) + "|" + std::to_string(e.Blocks));
    }
    // Capitals in the listing are shifted letters; 0.5 and 1.5 blocks round to the even 0 and 2.
    EXPECT_EQ(got, (std::vector<std::string>{"A GAME|prg|2049-4096|8", "\xC2|prg|2049-2176|0",
                                             "C|prg|2049-2049|0", "FOUND( TWICE|prg|2049-2430|2",
                                             "\xCD\xC5\xD2\xC7\xC5\xC4|prg|2049-4096|8"}));
    AnalysisRecords bad;
    EXPECT_THROW(ParseTapListing(bad, line("x", "  20x9", "1"), "x.tap"), VbError);
    EXPECT_EQ(bad.entryCount(), 1U);
}

TEST(TapDecoder, FindsTheRomLoaderHeadersAndWhatSurvivesDamage) {
    TapBuilder b = twoPrograms();
    b.dataFile("DATA", "some data");
    for (int version : {0, 1}) {
        const TapScan scan = ScanTap(b.bytes(version));
        EXPECT_TRUE(scan.isTap);
        EXPECT_EQ(headers(scan), "1:FIRST:2049-4096;3:\xD3"
                                 "ECOND ONE:49152-49533;4:DATA:828-1020;")
            << version;
    }
    EXPECT_FALSE(ScanTap("C64-TAPE-RAX" + std::string(20, '\0')).isTap);
    std::string v2 = b.bytes(1);
    v2[12] = 2;
    EXPECT_FALSE(ScanTap(v2).supported);

    const std::string good = twoPrograms().bytes(1);
    // A pulse of the first header copy spoilt: the second copy is used.
    std::string first = good;
    first[20 + 0x6A00 + 300] = '\x10';
    EXPECT_EQ(headers(ScanTap(first)), "1:FIRST:2049-4096(2);3:\xD3"
                                       "ECOND ONE:49152-49533;");
    // Both copies spoilt: that header is lost, the other program stays.
    std::string both = first;
    both[20 + 0x6A00 + 202 * 20 + 0x4F + 300] = '\x10';
    EXPECT_EQ(headers(ScanTap(both)), "3:\xD3"
                                      "ECOND ONE:49152-49533;");
    // Cut in the middle of the second program, and a size field that claims more.
    std::string cut = good.substr(0, good.size() / 2 + 30000);
    cut[16] = '\xFF';
    EXPECT_EQ(headers(ScanTap(cut)).substr(0, 16), "1:FIRST:2049-409");
    // A turbo-loaded tape: its standard boot header, then pulses of another kind.
    TapBuilder turbo;
    turbo.program("BOOT", 0x0801, std::string(200, 'b'), 1);
    std::vector<std::uint8_t> noise;
    for (int i = 0; i < 50000; ++i)
        noise.push_back(static_cast<std::uint8_t>(i % 3 == 0 ? 0x1A : i % 5 == 0 ? 0x56 : 0x28));
    turbo.raw(noise);
    EXPECT_EQ(headers(ScanTap(turbo.bytes(0))), "1:BOOT:2049-2249;");
}

TEST(TapReader, ProgramsOnlyAndFilesThatAreNoTape) {
    TempDir dir;
    ToolSession t;
    t.read(analizzaTAP, dir.write("we ird \"&;$ tape.tap", twoPrograms().bytes(1)));
    EXPECT_EQ(t.entryKeys(), (std::vector<std::string>{"FIRST|prg|8", "\xD3"
                                                                      "ECOND ONE|prg|2"}));
    EXPECT_EQ(t.session.records.entries()[2].LoadAddress, 49152);
    EXPECT_EQ(t.session.records.entries()[2].EndAddress, 49533);
    EXPECT_EQ(t.session.records.media.MediaName, "WE IRD \"&;$ TAPE");
    // A tape without programs leaves no entry of the tape before.
    TapBuilder data;
    data.dataFile("DATA", "some data");
    t.read(analizzaTAP, dir.write("data.tap", data.bytes(1)));
    EXPECT_EQ(t.session.records.entryCount(), 0U);
    EXPECT_EQ(t.session.records.media.MediaName, "DATA");
    t.read(analizzaTAP, dir.write("not.tap", "C64-TAPE-RAX and so on"));
    EXPECT_EQ(t.session.records.media.MediaName, "NOT A TAPE RAW IMAGE FILE");
    EXPECT_EQ(t.session.records.media.Status, "INVALID FILE");
    EXPECT_EQ(t.session.records.entryCount(), 0U);
    EXPECT_TRUE(t.view.messages.empty());
    EXPECT_TRUE(t.leftovers().empty());
}

} // namespace qs::test
