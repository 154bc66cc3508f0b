// The D71 reader: BAM of both sides, size classes, and images made by cc1541.
#include "ReaderHarness.h"
#include "TempDir.h"
#include "media/mod_D71.h"
#include "samples/DiskBuilder.h"

#include <gtest/gtest.h>

using namespace qs;
using namespace qs::test;
using qs::samples::DiskBuilder;
using qs::samples::toPetscii;

TEST(D71Reader, FreeBlocksSumBothSidesWithoutTracks18And53) {
    DiskBuilder disk(DiskBuilder::kD71Size);
    disk.name(toPetscii("TWIN")).formatBam();
    ReaderHarness h;
    h.run(analizzaD71, "/x/twin.d71", disk.bytes());
    EXPECT_EQ(h.records.media.BlocksFree, 1328);
    EXPECT_EQ(h.records.media.MediaType, "D71");

    // The directory tracks of both sides hold no free space, whatever they say.
    disk.freeSectors(18, 19).freeSectors(53, 19);
    ReaderHarness again;
    again.run(analizzaD71, "/x/twin.d71", disk.bytes());
    EXPECT_EQ(again.records.media.BlocksFree, 1328);
}

TEST(D71Reader, SizeClasses) {
    struct Case {
        std::size_t size;
        bool errorInfo;
        std::string status;
    };
    for (const Case& c : {Case{349696, false, ""}, Case{351062, true, ""},
                          Case{174848, false, "NON-STANDARD FILE SIZE, MAY BE CORRUPTED"}}) {
        DiskBuilder disk(c.size);
        disk.name(toPetscii("SIZE")).add({toPetscii("GAME"), 0x82, 7, 17, 0});
        ReaderHarness h;
        h.run(analizzaD71, "/x/size.D71", disk.bytes());
        SCOPED_TRACE(c.size);
        EXPECT_EQ(h.records.media.ErrorInfo, c.errorInfo);
        EXPECT_FALSE(h.records.media.Tracks40);
        EXPECT_EQ(h.records.media.Status, c.status);
        ASSERT_EQ(h.count(), 8u); // a D64 under a D71 name is still read
        EXPECT_EQ(h.entry(1).Name, toPetscii("GAME"));
        EXPECT_TRUE(h.view.messages.empty());
    }
}

TEST(D71Reader, SecondSideDirectoryTrackIsNotListed) {
    DiskBuilder disk(DiskBuilder::kD71Size);
    disk.formatBam().add({toPetscii("ONLY"), 0x82, 1, 17, 0});
    // Sector 53/1 looks like a directory sector full of programs.
    const std::size_t t53 = disk.offset(53, 1);
    for (std::size_t slot = 0; slot < 8; ++slot) {
        disk.bytes()[t53 + 32 * slot + 2] = '\x82';
        disk.bytes()[t53 + 32 * slot + 5] = 'X';
    }
    ReaderHarness h;
    h.run(analizzaD71, "/x/a.d71", disk.bytes());
    ASSERT_EQ(h.count(), 8u);
    EXPECT_EQ(h.entry(1).Name, toPetscii("ONLY"));
    for (std::size_t i = 2; i <= 8; ++i)
        EXPECT_EQ(h.entry(i).FileType, "scr");
}

TEST(D71Reader, TooShortImageIsTrappedUnderItsOwnName) {
    ReaderHarness h;
    h.run(analizzaD71, "/x/short.d71", std::string(1000, '\0'));
    ASSERT_EQ(h.view.messages.size(), 1u);
    EXPECT_EQ(h.lastMessage().rfind("[analizzaD71] - 9 - ", 0), 0u) << h.lastMessage();
    EXPECT_NE(h.lastMessage().find("\r\nFile: /x/short.d71"), std::string::npos);
}

// cc1541 writes the image: names, sizes and the BAM are its own, not our builder's.
TEST(D71Reader, ReadsImagesMadeByCc1541) {
    TempDir dir;
    dir.write("a.prg", std::string("\x01\x08", 2) + std::string(600, 'A')); // 3 blocks
    dir.write("b.prg", std::string("\x00\xC0", 2) + std::string(100, 'B')); // 1 block
    const std::string image = dir.str() + "/cc.d71";
    ASSERT_EQ(runQuietly("cd '" + dir.str() +
                         "' && cc1541 -q -n 'TWIN DISK' -i 'tw 2a' -f 'blast one' -w a.prg -f "
                         "'LOADER' -T SEQ -w b.prg cc.d71"),
              0);

    ReaderHarness h;
    h.runOnDisk(analizzaD71, image);
    const MediaInfo& m = h.records.media;
    EXPECT_TRUE(h.view.messages.empty());
    EXPECT_EQ(m.Status, "");
    EXPECT_EQ(m.MediaName, toPetscii("TWIN DISK") + std::string(7, ' '));
    EXPECT_EQ(m.HeaderLine, "\"" + m.MediaName + "\" TW 2A");
    // cc1541 keeps the second side's free space only in the 53/0 bitmap and
    // leaves the counts at 18/0 bytes 221-255 zero: only side one counts.
    EXPECT_EQ(m.BlocksFree, 664 - 4);
    ASSERT_EQ(h.count(), 8u);
    EXPECT_EQ(h.entry(1).Name, toPetscii("blast one"));
    EXPECT_EQ(h.entry(1).Blocks, 3);
    EXPECT_EQ(h.entry(1).FileType, "prg");
    EXPECT_EQ(h.entry(2).Name, toPetscii("LOADER"));
    EXPECT_EQ(h.entry(2).Blocks, 1);
    EXPECT_EQ(h.entry(2).FileType, "seq");
    EXPECT_FALSE(h.entry(3).Valid);
}
