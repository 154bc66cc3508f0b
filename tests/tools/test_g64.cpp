// G64: the GCR decoder against our encoder and Debian's cc1541, the listing
// parser, and the reader with our c1541 end to end.
#include "ToolTestSupport.h"
#include "common/Text.h"
#include "media/mod_D64.h"
#include "media/mod_G64.h"
#include "samples/DiskBuilder.h"
#include "samples/G64Builder.h"
#include "standins/codec/GcrDecoder.h"
#include "tools/modShell.h"

#include <gtest/gtest.h>

namespace qs::test {

namespace {

using samples::DiskBuilder;
using samples::toPetscii;

DiskBuilder sampleDisk() {
    DiskBuilder d;
    d.name(toPetscii("GCR TEST"), "GT\xA0"
                                  "2A")
        .formatBam();
    for (int i = 0; i < 11; ++i) // two directory sectors
        d.add({toPetscii("FILE " + std::to_string(i)),
               static_cast<std::uint8_t>(i == 3 ? 0xC1 : 0x82), static_cast<std::uint16_t>(10 + i),
               17, 0});
    d.add({toPetscii("Mixed Case"), 0x82, 1, 17, 0});
    d.add({std::string("ZERO\0BYTE", 9), 0x82, 2, 17, 0}); // printed byte for byte
    return d;
}

std::string track18(const std::string& d64) {
    return d64.substr(kTrack18Offset, kTrack18Length);
}

} // namespace

TEST(GcrDecoder, ReadsBackTheDirectoryTrackOfAnEncodedImage) {
    DiskBuilder d = sampleDisk();
    const std::string g64 = samples::D64ToG64(d.bytes());
    EXPECT_EQ(track18(G64DirectoryAsD64(g64)), track18(d.bytes()));
    // Every sector of another track too, with the track number checked.
    const auto sectors = DecodeGcrTrack(G64TrackData(g64, 31), 31);
    EXPECT_EQ(sectors.size(), 17U);
    EXPECT_TRUE(DecodeGcrTrack(G64TrackData(g64, 31), 30).empty());
}

TEST(GcrDecoder, ADamagedTrackGivesWhatCanBeRead) {
    DiskBuilder d = sampleDisk();
    std::string g64 = samples::D64ToG64(d.bytes());
    const std::size_t at = samples::G64TrackOffset(g64, 18);
    // Sector 4 (the second directory sector) is the 5th of 362 bytes each: spoil its data.
    g64[at + 4 * 362 + 40 + 100] ^= 0x5A;
    const auto sectors = DecodeGcrTrack(G64TrackData(g64, 18), 18);
    EXPECT_EQ(sectors.count(4), 0U);
    EXPECT_EQ(sectors.size(), 18U);

    // All sync, all zero, random noise, a cut-off track table: nothing, quickly.
    std::string noise = g64;
    unsigned x = 12345;
    for (std::size_t i = at; i < at + 7000; ++i)
        noise[i] = static_cast<char>((x = x * 1103515245 + 12345) >> 16);
    EXPECT_TRUE(G64DirectoryAsD64(noise).empty());
    std::string sync = g64;
    std::fill(sync.begin() + static_cast<long>(at), sync.begin() + static_cast<long>(at + 7142),
              '\xFF');
    EXPECT_TRUE(G64DirectoryAsD64(sync).empty());
    EXPECT_TRUE(G64DirectoryAsD64(g64.substr(0, 100)).empty());
    EXPECT_TRUE(G64DirectoryAsD64("GCR-1541").empty());
}

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
    EXPECT_EQ(r.media.MediaName, "\xC4ISK A\xC2         ");
    EXPECT_EQ(r.media.HeaderLine, "\"\xC4ISK A\xC2         \" AB 2A");
    EXPECT_EQ(r.media.FileName, "MY DISK");
    EXPECT_EQ(r.media.MediaType, "G64");
    EXPECT_EQ(r.media.BlocksFree, 664);
    ASSERT_EQ(r.entryCount(), 3U);
    const auto& e = r.entries();
    EXPECT_EQ(e[1].Name, "BLASTER");
    EXPECT_EQ(e[1].Blocks, 12);
    EXPECT_EQ(e[1].FileType, "prg");
    EXPECT_TRUE(e[1].Valid);
    EXPECT_FALSE(e[1].Locked);
    EXPECT_EQ(e[2].Name, "\xD3PACE");
    EXPECT_FALSE(e[2].Valid);
    EXPECT_TRUE(e[2].Locked);
    EXPECT_EQ(e[3].FileType, "PRG");
    EXPECT_TRUE(e[3].Valid);
    EXPECT_TRUE(e[3].Locked); // the carriage return stays in the line
    EXPECT_EQ(e[3].EntryNo, 3);

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
    const std::string in = "cd " + quoted(dir.str()) + " && ";
    ASSERT_EQ(shell(in +
                    "cc1541 -q -n 'ORACLE DISK' -i 'od 2a' -f 'BLASTER' -w a.prg "
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

TEST(G64Reader, ReadsOurEncodedImagesAndSurvivesDamage) {
    TempDir dir;
    DiskBuilder d = sampleDisk();
    d.save(dir.str() + "/x.d64");
    std::string g64 = samples::D64ToG64(d.bytes());
    dir.write("x.g64", g64);
    ToolSession t;
    t.read(analizzaD64, dir.str() + "/x.d64");
    const auto expected = t.entryKeys();
    t.read(analizzaG64, dir.str() + "/x.g64");
    EXPECT_EQ(t.entryKeys(), expected);

    // The second directory sector lost: the first eight entries remain.
    g64[samples::G64TrackOffset(g64, 18) + 4 * 362 + 40 + 100] ^= 0x5A;
    dir.write("x.g64", g64);
    t.read(analizzaG64, dir.str() + "/x.g64");
    EXPECT_EQ(t.entryKeys(), std::vector<std::string>(expected.begin(), expected.begin() + 8));

    // c1541 lists a D64 through the D64 reader, the same entries again.
    dir.write("d.g64", "GCR-1541");
    const std::string listing = dir.str() + "/listing.txt";
    ASSERT_EQ(ExecuteAndWait({BinFolder() + "c1541", {dir.str() + "/x.d64", "-list"}}, listing,
                             dir.str(), std::chrono::seconds(10)),
              RunEnd::Exited);
    AnalysisRecords fromD64;
    ParseG64Listing(fromD64, readFile(listing), "x.d64");
    ASSERT_EQ(fromD64.entryCount(), expected.size());
    EXPECT_EQ(fromD64.entries()[12].Name, "\xCDIXED \xC3"
                                          "ASE");

    // Not a G64: the header check marks it invalid; an unreadable one lists nothing.
    dir.write("bad.g64", "GCR-1540 and more");
    t.read(analizzaG64, dir.str() + "/bad.g64");
    EXPECT_EQ(t.session.records.media.MediaName, "NOT A G64 IMAGE FILE");
    EXPECT_EQ(t.session.records.media.Status, "INVALID FILE");
    t.read(analizzaG64, dir.str() + "/d.g64");
    EXPECT_EQ(t.session.records.entryCount(), 0U);
    EXPECT_EQ(t.session.records.media.MediaName, "");
    EXPECT_TRUE(t.view.messages.empty());
}

} // namespace qs::test
