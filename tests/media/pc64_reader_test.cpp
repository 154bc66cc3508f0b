// The PC64 reader: type from the extension, sizes, the size limit, short
// files, and files made by cbmconvert.
#include "ReaderHarness.h"
#include "TempDir.h"
#include "media/mod_PC64.h"
#include "samples/DiskBuilder.h"
#include "samples/Pc64Builder.h"

#include <gtest/gtest.h>

using namespace qs;
using namespace qs::test;
using qs::samples::makePc64;
using qs::samples::toPetscii;

TEST(Pc64Reader, OneEntryFromTheHeader) {
    ReaderHarness h;
    h.run(analizzaPC64, "/x/GAME.P00", makePc64("GAME", 0x0801, std::string(2048, 'x')));
    const MediaInfo& m = h.records.media;
    EXPECT_EQ(m.FileName, "GAME");
    EXPECT_EQ(m.MediaType, "PC64");
    EXPECT_EQ(m.MediaName, "C64File");
    EXPECT_EQ(m.HeaderLine, "\"C64File\" PC64");
    EXPECT_EQ(m.BlocksFree, 0);
    ASSERT_EQ(h.count(), 1u);
    const CbmEntry& e = h.entry(1);
    EXPECT_EQ(e.Name, "GAME");
    EXPECT_EQ(e.FileType, "prg");
    EXPECT_EQ(e.Blocks, 8); // 2050 / 254 = 8.07
    EXPECT_EQ(e.LoadAddress, 0x0801);
    EXPECT_EQ(e.EndAddress, 0x0801 + 2050);
    EXPECT_EQ(e.EntryNo, 1);
    EXPECT_TRUE(e.Valid);
    EXPECT_FALSE(e.Locked);
}

TEST(Pc64Reader, TypeFromTheExtensionLetter) {
    const std::string file = makePc64("X", 0x1000, "");
    for (auto [path, type] : {std::pair{"/x/NOTES.S01", "seq"}, std::pair{"/x/DATA.R00", "rel"},
                              std::pair{"/x/tool.u12", "usr"}, std::pair{"/x/a.b.p99", "prg"},
                              std::pair{"/x/ODD.Q00", ""}}) {
        ReaderHarness h;
        h.run(analizzaPC64, path, file);
        SCOPED_TRACE(path);
        ASSERT_EQ(h.count(), 1u);
        EXPECT_EQ(h.entry(1).FileType, type);
        EXPECT_EQ(h.entry(1).Blocks, 0); // 26 bytes and a load address
        EXPECT_EQ(h.records.media.MediaType, "PC64");
    }
}

TEST(Pc64Reader, SignatureSizeLimitAndShortFiles) {
    std::string lower = makePc64("LOW", 0x0801, "abc");
    lower.replace(0, 7, "c64file");
    ReaderHarness h;
    h.run(analizzaPC64, "/x/LOW.P00", lower);
    EXPECT_EQ(h.records.media.Status, "");
    EXPECT_EQ(h.entry(1).Name, "LOW");

    // Too big to be one C64 file: invalid, but named.
    ReaderHarness big;
    big.run(analizzaPC64, "/x/Huge.P00", makePc64("HUGE", 0, std::string(1000000 - 28, 'x')));
    EXPECT_EQ(big.records.media.Status, "INVALID FILE");
    EXPECT_EQ(big.records.media.MediaName, "NOT A PC64 FILE");
    EXPECT_EQ(big.records.media.FileName, "HUGE");
    EXPECT_EQ(big.count(), 0u);
    ReaderHarness justBelow;
    justBelow.run(analizzaPC64, "/x/big.P00", makePc64("BIG", 0, std::string(1000000 - 29, 'x')));
    EXPECT_EQ(justBelow.records.media.Status, "");
    EXPECT_EQ(justBelow.entry(1).Name, "BIG");

    // Without its load address: the name, type and blocks are set, then error 9.
    ReaderHarness cut;
    cut.run(analizzaPC64, "/x/CUT.P00", makePc64("CUT", 0x0801, "").substr(0, 27));
    ASSERT_EQ(cut.view.messages.size(), 1u);
    EXPECT_EQ(cut.lastMessage().rfind("[analizzaPC64] - 9 - ", 0), 0u) << cut.lastMessage();
    EXPECT_NE(cut.lastMessage().find("\r\nFile: /x/CUT.P00"), std::string::npos);
    ASSERT_EQ(cut.count(), 1u);
    EXPECT_EQ(cut.entry(1).Name, "CUT");
    EXPECT_EQ(cut.entry(1).FileType, "prg");
    EXPECT_EQ(cut.entry(1).LoadAddress, 0);
}

// cbmconvert writes the P00 files (and pads names with $A0, not with bytes 0).
TEST(Pc64Reader, ReadsFilesMadeByCbmconvert) {
    TempDir dir;
    dir.write("blast off.prg", std::string("\x01\x08", 2) + std::string(600, 'p'));
    dir.write("notes.seq", "some text");
    ASSERT_EQ(runQuietly("cd '" + dir.str() + "' && cbmconvert -P -n 'blast off.prg' notes.seq"),
              0);

    ReaderHarness h;
    h.runOnDisk(analizzaPC64, dir.str() + "/blastoff.p00");
    EXPECT_TRUE(h.view.messages.empty());
    ASSERT_EQ(h.count(), 1u);
    EXPECT_EQ(h.entry(1).Name, toPetscii("blast off"));
    EXPECT_EQ(h.entry(1).FileType, "prg");
    EXPECT_EQ(h.entry(1).Blocks, 2); // 602 bytes
    EXPECT_EQ(h.entry(1).LoadAddress, 0x0801);
    EXPECT_EQ(h.entry(1).EndAddress, 0x0801 + 602);

    ReaderHarness s;
    s.runOnDisk(analizzaPC64, dir.str() + "/notes.s00");
    EXPECT_EQ(s.entry(1).Name, toPetscii("notes"));
    EXPECT_EQ(s.entry(1).FileType, "seq");
    EXPECT_EQ(s.records.media.FileName, "NOTES");
}
