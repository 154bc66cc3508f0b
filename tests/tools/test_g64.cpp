// G64: the listing parser, and the reader through our c1541 against the D64
// reader on images of Debian's cc1541 and of our own encoder, whole and
// damaged (bad input at large is the fuzz targets').
#include "ToolSession.h"
#include "common/Text.h"
#include "media/mod_D64.h"
#include "media/mod_G64.h"
#include "samples/DiskBuilder.h"
#include "samples/G64Builder.h"

#include <gtest/gtest.h>

namespace qs::test {

namespace {

using samples::DiskBuilder;
using samples::toPetscii;

// Thirteen entries over two directory sectors, one locked, one in mixed case
// and one with a zero byte (printed byte for byte).
std::string sampleDisk() {
    DiskBuilder d;
    d.name(toPetscii("GCR TEST"), "GT\xA0"
                                  "2A")
        .formatBam();
    for (int i = 0; i < 11; ++i)
        d.add({toPetscii("FILE " + std::to_string(i)),
               static_cast<std::uint8_t>(i == 3 ? 0xC1 : 0x82), static_cast<std::uint16_t>(10 + i),
               17, 0});
    d.add({toPetscii("Mixed Case"), 0x82, 1, 17, 0});
    d.add({std::string("ZERO\0BYTE", 9), 0x82, 2, 17, 0});
    return d.bytes();
}

// Spoils the data of sector 4 (the second directory sector) of track 18.
void spoilSecondDirectorySector(std::string& g64) {
    g64[samples::G64TrackOffset(g64, 18) + 4 * 362 + 40 + 100] ^= 0x5A;
}

} // namespace

TEST(ParseG64Listing, FillsTheRecordsFromTheListingColumns) {
    AnalysisRecords r;
    ParseG64Listing(r,
                    "12 before the header\n"
                    "0 \"Disk aB         \" ab 2a\n"
                    "12    \"blaster\"           prg \n"
                    "3     \"Space\"             scr<\n"
                    "7     \"x\"                 PRG \r\n"
                    "664 BLOCKS FREE.\n",
                    "/d/My Disk.g64");
    EXPECT_EQ(r.media.HeaderLine, "\"\xC4ISK A\xC2         \" AB 2A");
    EXPECT_EQ(r.media.FileName + "|" + r.media.MediaType + "|" + std::to_string(r.media.BlocksFree),
              "MY DISK|G64|664");
    std::vector<std::string> got;
    for (std::size_t i = 1; i <= r.entryCount(); ++i) {
        const CbmEntry& e = r.entries()[i];
        got.push_back(e.Name + "|" + e.FileType + "|" + std::to_string(e.Blocks) +
                      (e.Valid ? "" : "|invalid") + (e.Locked ? "<" : ""));
    }
    // The carriage return stays in the line and reads as the lock mark.
    EXPECT_EQ(got,
              (std::vector<std::string>{"BLASTER|prg|12", "\xD3PACE|scr|3|invalid<", "X|PRG|7<"}));
    // A free-blocks line in lower case is an entry line without a closing quote.
    AnalysisRecords bad;
    EXPECT_THROW(ParseG64Listing(bad, "0 \"X\"\n664 blocks free.\n", "x.g64"), VbError);
}

TEST(G64Reader, ListsTheSameEntriesAsTheD64ReaderOnImagesMadeByCc1541) {
    if (shell("command -v cc1541 >/dev/null") != 0)
        GTEST_SKIP() << "cc1541 not installed";
    TempDir dir;
    dir.write("a.prg", std::string(3000, 'a'));
    dir.write("b.prg", std::string(600, 'b'));
    ASSERT_EQ(shell("cd " + quoted(dir.str()) +
                    " && cc1541 -q -n 'ORACLE DISK' -i 'od 2a' -f 'BLASTER' -w a.prg "
                    "-f 'Space Blaster' -P -w b.prg -f 'notes' -T SEQ -w b.prg "
                    "-f 'GAME' -w a.prg -g " +
                    quoted("we ird \"&;$ disk.g64") + " oracle.d64 >/dev/null"),
              0);
    ToolSession t;
    t.read(analizzaD64, dir.str() + "/oracle.d64");
    const auto expected = t.entryKeys();
    const MediaInfo d64 = t.session.records.media;
    t.read(analizzaG64, dir.str() + "/we ird \"&;$ disk.g64");
    EXPECT_EQ(t.entryKeys(), expected);
    EXPECT_EQ(expected.size(), 4U);
    EXPECT_EQ(t.session.records.media.MediaName, upperAscii(d64.MediaName));
    EXPECT_EQ(t.session.records.media.BlocksFree, d64.BlocksFree);
    EXPECT_TRUE(t.view.messages.empty());
    EXPECT_TRUE(t.leftovers().empty());
}

TEST(G64Reader, OurImagesWholeAndDamagedAndFilesThatAreNoG64) {
    TempDir dir;
    const std::string d64 = sampleDisk();
    dir.write("x.d64", d64);
    std::string g64 = samples::D64ToG64(d64);
    dir.write("x.g64", g64);
    ToolSession t;
    t.read(analizzaD64, dir.str() + "/x.d64");
    const auto expected = t.entryKeys();
    ASSERT_EQ(expected.size(), 13U);
    t.read(analizzaG64, dir.str() + "/x.g64");
    EXPECT_EQ(t.entryKeys(), expected);
    // c1541 lists a D64 too.
    ASSERT_EQ(ExecuteAndWait({BinFolder() + "c1541", {dir.str() + "/x.d64", "-list"}},
                             dir.str() + "/listing.txt", dir.str(), std::chrono::seconds(10)),
              RunEnd::Exited);
    AnalysisRecords fromD64;
    ParseG64Listing(fromD64, dir.read("listing.txt"), "x.d64");
    EXPECT_EQ(fromD64.entries().at(12).Name, "\xCDIXED \xC3"
                                             "ASE");

    // The second directory sector lost: the first eight entries remain.
    spoilSecondDirectorySector(g64);
    dir.write("x.g64", g64);
    t.read(analizzaG64, dir.str() + "/x.g64");
    EXPECT_EQ(t.entryKeys(), std::vector<std::string>(expected.begin(), expected.begin() + 8));

    // Not a G64: marked invalid; one c1541 cannot read: said, with why.
    t.read(analizzaG64, dir.write("bad.g64", "GCR-1540 and more"));
    EXPECT_EQ(t.session.records.media.MediaName, "NOT A G64 IMAGE FILE");
    EXPECT_EQ(t.session.records.media.Status, "INVALID FILE");
    EXPECT_TRUE(t.view.messages.empty());
    t.read(analizzaG64, dir.write("d.g64", "GCR-1541"));
    EXPECT_EQ(t.session.records.entryCount(), 0U);
    EXPECT_EQ(t.session.records.media.MediaName, "");
    ASSERT_EQ(t.view.messages.size(), 1u);
    EXPECT_EQ(t.view.messages[0].text,
              "[analizzaG64] - 75 - Path/File access error (c1541 ended with exit status 1: "
              "c1541: " +
                  dir.str() + "/d.g64: the directory track cannot be read)\r\nFile: " + dir.str() +
                  "/d.g64");
    EXPECT_TRUE(t.leftovers().empty());
}

} // namespace qs::test
