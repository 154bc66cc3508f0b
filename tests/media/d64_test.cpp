#include "ReaderHarness.h"
#include "TempDir.h"
#include "media/mod_D64.h"
#include "samples/DiskBuilder.h"

#include <gtest/gtest.h>

using namespace qs;
using namespace qs::test;
using qs::samples::DiskBuilder;

namespace {

const std::string kMoreThan144 =
    "[WARNING] - More than 144 entries. Only first 144 are analyzed (probably recursive directory)";
const std::string kCrossover =
    "[WARNING] - Directory entries crossover track 18. Only Track 18 entries are analyzed";

// A formatted, empty 35-track disk: the link of 18/1 is 0/255.
DiskBuilder emptyDisk(std::size_t size = DiskBuilder::kD64Size) {
    DiskBuilder d(size);
    d.name("EMPTY").formatBam().link(1, 0, 255);
    return d;
}

} // namespace

TEST(D64Reader, EmptyDirectoryGivesEightEmptyScratchedSlots) {
    ReaderHarness h;
    h.run(analizzaD64, "/c/Empty Disk.d64", emptyDisk().bytes());
    EXPECT_EQ(h.media().FileName, "EMPTY DISK");
    EXPECT_EQ(h.media().MediaType, "D64");
    EXPECT_EQ(h.media().MediaName, "EMPTY           ");
    EXPECT_EQ(h.media().HeaderLine, "\"EMPTY           \" 01 2A");
    EXPECT_EQ(h.media().Status, "");
    EXPECT_EQ(h.media().BlocksFree, 664);
    ASSERT_EQ(h.count(), 8u);
    for (std::size_t i = 1; i <= 8; ++i) {
        EXPECT_EQ(h.entry(i).FileType, "scr");
        EXPECT_FALSE(h.entry(i).Valid);
        EXPECT_EQ(h.entry(i).EntryNo, static_cast<int>(i));
        EXPECT_EQ(h.entry(i).Name, std::string(16, '\0'));
    }
    EXPECT_TRUE(h.view.messages.empty());
}

TEST(D64Reader, EntryFields) {
    DiskBuilder d = emptyDisk();
    d.add({"ABC", 0xC2, 12, 17, 3})                // locked PRG
        .add({"SIXTEEN CHARS!!!", 0x81, 2, 19, 0}) // no filler at all
        .add({"HUGE", 0x82, 0x8001, 17, 1})        // count beyond a signed 16-bit value
        .add({"OPEN", 0x42, 5, 17, 2})             // unclosed, locked: unknown
        .add({"DELETED", 0x00, 3, 17, 4});         // scratched, name kept
    ReaderHarness h;
    h.run(analizzaD64, "/c/x.d64", d.bytes());
    ASSERT_EQ(h.count(), 8u);
    const CbmEntry& abc = h.entry(1);
    EXPECT_EQ(abc.Name, "ABC");
    EXPECT_EQ(abc.FileType, "prg");
    EXPECT_TRUE(abc.Locked);
    EXPECT_TRUE(abc.Valid);
    EXPECT_EQ(abc.Blocks, 12);
    EXPECT_EQ(abc.Track, 17);
    EXPECT_EQ(abc.Sector, 3);
    EXPECT_EQ(h.entry(2).Name, "SIXTEEN CHARS!!!");
    EXPECT_EQ(h.entry(2).FileType, "seq");
    EXPECT_FALSE(h.entry(2).Locked);
    EXPECT_EQ(h.entry(3).Blocks, 0);
    EXPECT_EQ(h.entry(4).FileType, "ukw");
    EXPECT_EQ(h.entry(5).FileType, "scr");
    EXPECT_EQ(h.entry(5).Name, "DELETED");
    EXPECT_FALSE(h.entry(5).Valid);
}

TEST(D64Reader, DirectoryChainsAndTheirWarnings) {
    {
        // 18/1 -> 18/4 -> end, 16 slots used.
        DiskBuilder d = emptyDisk();
        for (int i = 0; i < 16; ++i)
            d.add({"F" + std::to_string(i), 0x82, 1, 17, 0});
        ReaderHarness h;
        h.run(analizzaD64, "/c/x.d64", d.bytes());
        ASSERT_EQ(h.count(), 16u);
        EXPECT_EQ(h.entry(16).EntryNo, 16);
        EXPECT_EQ(h.entry(9).Name, "F8");
        EXPECT_EQ(h.media().Status, "");
    }
    {
        // A loop 18/1 -> 18/2 -> 18/1 stops at 144 entries.
        DiskBuilder d = emptyDisk();
        d.link(1, 18, 2).link(2, 18, 1);
        ReaderHarness h;
        h.run(analizzaD64, "/c/x.d64", d.bytes());
        EXPECT_EQ(h.count(), 144u);
        EXPECT_EQ(h.media().Status, kMoreThan144);
    }
    {
        // Leaving track 18 keeps the first sector's entries, with a warning
        // that replaces the size warning.
        DiskBuilder d = emptyDisk(180000);
        d.link(1, 19, 0);
        ReaderHarness h;
        h.run(analizzaD64, "/c/x.d64", d.bytes());
        EXPECT_EQ(h.count(), 8u);
        EXPECT_EQ(h.media().Status, kCrossover);
    }
    {
        // 18/0 or a sector above 18 ends the walk silently.
        for (std::uint8_t next : {std::uint8_t{0}, std::uint8_t{19}}) {
            DiskBuilder d = emptyDisk();
            d.link(1, 18, next);
            ReaderHarness h;
            h.run(analizzaD64, "/c/x.d64", d.bytes());
            EXPECT_EQ(h.count(), 8u);
            EXPECT_EQ(h.media().Status, "");
        }
    }
}

TEST(D64Reader, SizeClasses) {
    struct Case {
        std::size_t size;
        bool tracks40, errorInfo;
        std::string status;
    };
    for (const Case& c : {Case{174848, false, false, ""}, Case{175531, false, true, ""},
                          Case{196608, true, false, ""}, Case{197376, true, true, ""},
                          Case{180000, false, false, "NON-STANDARD FILE SIZE, MAY BE CORRUPTED"}}) {
        ReaderHarness h;
        h.run(analizzaD64, "/c/x.d64", emptyDisk(c.size).bytes());
        EXPECT_EQ(h.media().Tracks40, c.tracks40) << c.size;
        EXPECT_EQ(h.media().ErrorInfo, c.errorInfo) << c.size;
        EXPECT_EQ(h.media().Status, c.status) << c.size;
        EXPECT_EQ(h.count(), 8u) << c.size;
    }
}

TEST(D64Reader, ShortImagesAreTrappedAndLeaveWhatWasRead) {
    ReaderHarness h;
    h.run(analizzaD64, "/c/short.d64", std::string(1000, '\0'));
    ASSERT_EQ(h.view.messages.size(), 1u);
    EXPECT_EQ(h.view.messages[0].title, "Error Detected");
    EXPECT_EQ(h.view.messages[0].text.rfind("[analizzaD64] - 9 - ", 0), 0u);
    EXPECT_NE(h.view.messages[0].text.find("\r\nFile: /c/short.d64"), std::string::npos);
    EXPECT_EQ(h.count(), 0u);

    // Cut inside the directory sector: the header is read, the walk stops.
    ReaderHarness cut;
    DiskBuilder d = emptyDisk();
    d.add({"KEPT", 0x82, 1, 17, 0});
    cut.run(analizzaD64, "/c/cut.d64", d.bytes().substr(0, d.offset(18, 1) + 40));
    EXPECT_EQ(cut.view.messages.size(), 1u);
    EXPECT_EQ(cut.media().BlocksFree, 664);
    ASSERT_GE(cut.count(), 1u);
    EXPECT_EQ(cut.entry(1).Name, "KEPT");
}

// Images made by Debian's cc1541 list exactly the names and block counts
// of the files written into them.
TEST(D64Reader, ImagesMadeByCc1541) {
    TempDir dir;
    dir.write("one.prg", std::string(254 * 3, 'a'));      // 3 blocks
    dir.write("two.prg", std::string(254 * 10 + 1, 'b')); // 11 blocks
    const std::string image = dir.str() + "/made.d64";
    ASSERT_EQ(runQuietly("cd '" + dir.str() +
                         "' && cc1541 -q -n 'ORACLE DISK' -i 42 -f ONE -w one.prg -f two "
                         "-w two.prg made.d64"),
              0);
    ReaderHarness h;
    h.runOnDisk(analizzaD64, image);
    EXPECT_TRUE(h.view.messages.empty());
    EXPECT_EQ(h.media().Status, "");
    EXPECT_EQ(h.media().MediaName.substr(0, 11), "\xCF\xD2\xC1\xC3\xCC\xC5 \xC4\xC9\xD3\xCB");
    std::vector<std::pair<std::string, int>> files;
    for (std::size_t i = 1; i <= h.count(); ++i)
        if (h.entry(i).Valid)
            files.emplace_back(h.entry(i).Name, h.entry(i).Blocks);
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0], std::make_pair(std::string("\xCF\xCE\xC5"), 3));
    EXPECT_EQ(files[1], std::make_pair(std::string("TWO"), 11));
    EXPECT_EQ(h.media().BlocksFree, 664 - 14);
}
