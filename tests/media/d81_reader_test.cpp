// The D81 reader: header and BAM of track 40, partitions listed depth first,
// the walk's stop rules and warnings, and images made by cc1541.
#include "ReaderHarness.h"
#include "TempDir.h"
#include "media/mod_D81.h"
#include "samples/D81Builder.h"

#include <gtest/gtest.h>

using namespace qs;
using namespace qs::test;
using qs::samples::D81Builder;
using qs::samples::toPetscii;

namespace {

const std::string kMore296 =
    "[WARNING] - More than 296 entries. Only first 296 are analyzed (probably recursive directory)";

std::size_t countType(const ReaderHarness& h, const std::string& type) {
    std::size_t n = 0;
    for (std::size_t i = 1; i <= h.count(); ++i)
        n += h.entry(i).FileType == type;
    return n;
}

} // namespace

TEST(D81Reader, PlainDirectoryHeaderAndSizes) {
    D81Builder disk;
    disk.name(toPetscii("DATA")).formatBam();
    for (int i = 0; i < 10; ++i)
        disk.add(
            {toPetscii("FILE" + std::to_string(i)), 0x82, static_cast<std::uint16_t>(i), 1, 0});
    disk.add({toPetscii("GAME"), 0xC2, 300, 2, 0});

    ReaderHarness h;
    h.run(analizzaD81, "/x/Data Disk.d81", disk.bytes());
    const MediaInfo& m = h.records.media;
    EXPECT_EQ(m.FileName, "DATA DISK");
    EXPECT_EQ(m.MediaType, "D81");
    EXPECT_EQ(m.MediaName, toPetscii("DATA") + std::string(12, ' '));
    EXPECT_EQ(m.HeaderLine, "\"" + m.MediaName + "\" 01 3D");
    EXPECT_EQ(m.BlocksFree, 79 * 40);
    EXPECT_EQ(m.Status, "");
    EXPECT_FALSE(m.ErrorInfo);
    ASSERT_EQ(h.count(), 16u); // two directory sectors, empty slots included
    EXPECT_EQ(h.entry(11).Name, toPetscii("GAME"));
    EXPECT_EQ(h.entry(11).Blocks, 300);
    EXPECT_TRUE(h.entry(11).Locked);
    EXPECT_EQ(h.entry(11).EntryNo, 11);
    EXPECT_EQ(h.entry(12).FileType, "scr");
    EXPECT_FALSE(h.entry(12).Valid);
    EXPECT_EQ(h.entry(12).Name, std::string(16, '\0'));

    std::string withErrors = disk.bytes() + std::string(3200, '\0');
    ReaderHarness e;
    e.run(analizzaD81, "/x/e.d81", withErrors);
    EXPECT_TRUE(e.records.media.ErrorInfo);
    EXPECT_EQ(e.records.media.Status, "");

    ReaderHarness odd;
    odd.run(analizzaD81, "/x/odd.d81", disk.bytes().substr(0, 819199));
    EXPECT_EQ(odd.records.media.Status, "NON-STANDARD FILE SIZE, MAY BE CORRUPTED");
    EXPECT_EQ(odd.count(), 16u);
}

TEST(D81Reader, PartitionIsListedRightAfterItsEntryAndClosedByMarker) {
    D81Builder disk;
    disk.formatBam();
    disk.add({toPetscii("FIRST"), 0x82, 1, 1, 0}).partition(toPetscii("PART"), 60, 5);
    for (int i = 3; i <= 8; ++i)
        disk.add({toPetscii("ROOT" + std::to_string(i)), 0x82, 1, 2, 0});
    disk.add({toPetscii("INSIDE"), 0x81, 4, 61, 0}, 60);

    ReaderHarness h;
    h.run(analizzaD81, "/x/p.d81", disk.bytes());
    EXPECT_EQ(h.records.media.Status, "");
    // slot 1, the partition entry, its 8 slots, its marker, then slots 3-8
    ASSERT_EQ(h.count(), 1u + 1 + 8 + 1 + 6);
    EXPECT_EQ(h.entry(1).Name, toPetscii("FIRST"));
    EXPECT_EQ(h.entry(2).Name, toPetscii("PART"));
    EXPECT_EQ(h.entry(2).FileType, "cbm");
    EXPECT_EQ(h.entry(2).Blocks, 200);
    EXPECT_EQ(h.entry(3).Name, toPetscii("INSIDE"));
    EXPECT_EQ(h.entry(3).EntryNo, 3);
    const CbmEntry& marker = h.entry(11);
    EXPECT_EQ(marker.Name, "END OF " + toPetscii("PART"));
    EXPECT_EQ(marker.FileType, "inf");
    EXPECT_TRUE(marker.Valid);
    EXPECT_FALSE(marker.Locked);
    EXPECT_EQ(marker.EntryNo, 0);
    EXPECT_EQ(marker.Blocks, 0);
    EXPECT_EQ(h.entry(12).Name, toPetscii("ROOT3"));
    EXPECT_EQ(h.entry(17).Name, toPetscii("ROOT8"));
}

TEST(D81Reader, LoopsAndSelfContainingPartitionsStopAfter296Entries) {
    D81Builder loop;
    loop.add({toPetscii("A"), 0x82, 1, 1, 0}).link(40, 3, 40, 3);
    ReaderHarness h;
    h.run(analizzaD81, "/x/loop.d81", loop.bytes());
    EXPECT_EQ(h.count(), 304u); // 38 sectors of 8: the first test past 296
    EXPECT_EQ(h.records.media.Status, kMore296);

    // A partition that starts on the directory track lists the root again,
    // inside itself, until the limit; every level still closes with its marker.
    D81Builder self;
    self.add({toPetscii("MENU"), 0x82, 1, 1, 0}).partition(toPetscii("AGAIN"), 40, 1);
    ReaderHarness s;
    s.run(analizzaD81, "/x/self.d81", self.bytes());
    EXPECT_GT(s.count(), 296u);
    EXPECT_LT(s.count(), 5000u);
    EXPECT_EQ(s.records.media.Status, kMore296);
    EXPECT_EQ(countType(s, "cbm"), countType(s, "inf"));
    EXPECT_EQ(s.entry(s.count() - 6).FileType, "inf"); // the root's marker, then its slots 3-8
    EXPECT_TRUE(s.view.messages.empty());
}

TEST(D81Reader, CrossoverNamesTheWalkedTrackWithTwoBlanks) {
    D81Builder disk;
    disk.add({toPetscii("A"), 0x82, 1, 1, 0}).link(40, 3, 39, 5);
    ReaderHarness h;
    h.run(analizzaD81, "/x/c.d81", disk.bytes());
    EXPECT_EQ(h.count(), 8u);
    EXPECT_EQ(h.records.media.Status, "[WARNING] - Directory entries crossover track 40.  Only "
                                      "Track 40 entries are analyzed");

    // Inside a partition the partition's own track is named.
    D81Builder part;
    part.partition(toPetscii("P"), 60, 2).link(60, 3, 61, 3);
    ReaderHarness p;
    p.run(analizzaD81, "/x/p.d81", part.bytes());
    EXPECT_EQ(p.records.media.Status, "[WARNING] - Directory entries crossover track 60.  Only "
                                      "Track 60 entries are analyzed");
    EXPECT_EQ(p.count(), 1u + 8 + 1 + 7);
}

TEST(D81Reader, FailuresAreTrappedWhereTheyHappen) {
    // Shorter than track 40: the reader's own trap, with the file; no entries.
    ReaderHarness shortImage;
    shortImage.run(analizzaD81, "/x/short.d81", std::string(399000, '\0'));
    ASSERT_EQ(shortImage.view.messages.size(), 1u);
    EXPECT_EQ(shortImage.lastMessage().rfind("[analizzaD81] - 9 - ", 0), 0u);
    EXPECT_NE(shortImage.lastMessage().find("\r\nFile: /x/short.d81"), std::string::npos);
    EXPECT_EQ(shortImage.count(), 0u);

    // A partition on a track the image does not hold ends only its own walk.
    D81Builder disk(D81Builder::offset(65, 0));
    disk.partition(toPetscii("GONE"), 70, 5).add({toPetscii("AFTER"), 0x82, 1, 1, 0});
    ReaderHarness h;
    h.run(analizzaD81, "/x/cut.d81", disk.bytes());
    ASSERT_EQ(h.view.messages.size(), 1u);
    EXPECT_EQ(h.lastMessage().rfind("[AnalizzaTracciaDirD81] - 9 - ", 0), 0u) << h.lastMessage();
    EXPECT_EQ(h.lastMessage().find("File:"), std::string::npos);
    EXPECT_EQ(h.lastMessage().substr(h.lastMessage().size() - 2), "\r\n"); // the line break stays
    EXPECT_EQ(h.records.media.Status, "NON-STANDARD FILE SIZE, MAY BE CORRUPTED");
    ASSERT_GE(h.count(), 4u);
    EXPECT_EQ(h.entry(1).Name, toPetscii("GONE"));
    EXPECT_EQ(h.entry(3).Name, "END OF " + toPetscii("GONE"));
    EXPECT_EQ(h.entry(4).Name, toPetscii("AFTER"));

    // A partition on track 0 and a block count that overflows 16 bits.
    D81Builder bad;
    bad.add({toPetscii("ZERO"), 0x85, 1, 0, 0}).add({toPetscii("HUGE"), 0x82, 0x8000, 1, 0});
    ReaderHarness b;
    b.run(analizzaD81, "/x/bad.d81", bad.bytes());
    ASSERT_EQ(b.view.messages.size(), 2u);
    EXPECT_EQ(b.view.messages[0].text.rfind("[AnalizzaTracciaDirD81] - 5 - ", 0), 0u);
    EXPECT_EQ(b.view.messages[1].text.rfind("[AnalizzaTracciaDirD81] - 6 - ", 0), 0u);
    ASSERT_EQ(b.count(), 3u); // ZERO, its marker, HUGE (the walk ends there)
    EXPECT_EQ(b.entry(2).FileType, "inf");
    EXPECT_EQ(b.entry(3).Name, toPetscii("HUGE"));
}

// cc1541 writes the image (it makes no partitions: one is added by our builder).
TEST(D81Reader, ReadsImagesMadeByCc1541) {
    TempDir dir;
    dir.write("a.prg", std::string("\x01\x08", 2) + std::string(1000, 'A')); // 4 blocks
    dir.write("b.prg", std::string("\x00\x20", 2) + std::string(10, 'B'));   // 1 block
    ASSERT_EQ(runQuietly("cd '" + dir.str() +
                         "' && cc1541 -q -n 'BIG DISK' -i 'bd 3d' -f 'intro' -w a.prg -f 'BLAST' "
                         "-T USR -P -w b.prg cc.d81"),
              0);
    ReaderHarness h;
    h.runOnDisk(analizzaD81, dir.str() + "/cc.d81");
    const MediaInfo& m = h.records.media;
    EXPECT_TRUE(h.view.messages.empty());
    EXPECT_EQ(m.Status, "");
    EXPECT_EQ(m.MediaName, toPetscii("BIG DISK") + std::string(8, ' '));
    EXPECT_EQ(m.HeaderLine, "\"" + m.MediaName + "\" BD 3D");
    EXPECT_EQ(m.BlocksFree, 3160 - 5);
    ASSERT_EQ(h.count(), 8u);
    EXPECT_EQ(h.entry(1).Name, toPetscii("intro"));
    EXPECT_EQ(h.entry(1).Blocks, 4);
    EXPECT_EQ(h.entry(2).Name, toPetscii("BLAST"));
    EXPECT_EQ(h.entry(2).FileType, "usr");
    EXPECT_TRUE(h.entry(2).Locked);
    EXPECT_EQ(h.entry(2).Blocks, 1);

    // The same image with a partition in its third slot.
    std::string image = readFile(dir.str() + "/cc.d81");
    const std::size_t slot3 = D81Builder::offset(40, 3) + 64;
    image[slot3 + 2] = '\x85';
    image[slot3 + 3] = 70;
    image.replace(slot3 + 5, 4, toPetscii("PART"));
    image[D81Builder::offset(70, 3)] = 0;
    image[D81Builder::offset(70, 3) + 1] = '\xFF';
    ReaderHarness p;
    p.run(analizzaD81, "/x/cc.d81", image);
    ASSERT_EQ(p.count(), 8u + 8 + 1);
    EXPECT_EQ(p.entry(3).FileType, "cbm");
    EXPECT_EQ(p.entry(12).Name, "END OF " + toPetscii("PART") + std::string(12, '\0'));
}
