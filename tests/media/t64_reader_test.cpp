// The T64 reader: record counts, block rounding, lying headers, and the
// builder's archives read back by cbmconvert.
#include "ReaderHarness.h"
#include "TempDir.h"
#include "media/mod_T64.h"
#include "samples/DiskBuilder.h"
#include "samples/T64Builder.h"

#include <gtest/gtest.h>

using namespace qs;
using namespace qs::test;
using qs::samples::T64Builder;
using qs::samples::TapeFileSpec;
using qs::samples::toPetscii;

namespace {

void setMaxEntries(std::string& tape, std::uint16_t n) {
    tape[34] = static_cast<char>(n & 0xFF);
    tape[35] = static_cast<char>(n >> 8);
}

} // namespace

TEST(T64Reader, EveryRecordUpToMaxEntriesBecomesAnEntry) {
    T64Builder tape("MY TAPE", 30);
    tape.add({"GAME            ", std::string(381, 'x'), 0x0801})
        .add({"  SHORT", std::string(127, 'x'), 0x0801})
        .add({"HIGH", std::string(254, 'x'), 0xC000, 0x81});
    ReaderHarness h;
    h.run(analizzaT64, "/x/My Tape.t64", tape.bytes());
    const MediaInfo& m = h.records.media;
    EXPECT_EQ(m.FileName, "MY TAPE");
    EXPECT_EQ(m.MediaType, "T64");
    EXPECT_EQ(m.MediaName, "MY TAPE" + std::string(17, ' ')); // as stored, 24 bytes
    EXPECT_EQ(m.HeaderLine, "\"" + m.MediaName + "\"");
    EXPECT_EQ(m.BlocksFree, 27);
    ASSERT_EQ(h.count(), 30u);
    EXPECT_EQ(h.entry(1).Name, "GAME");
    EXPECT_EQ(h.entry(1).Blocks, 2); // 381 bytes: 1.5 rounds to even
    EXPECT_EQ(h.entry(2).Name, "SHORT");
    EXPECT_EQ(h.entry(2).Blocks, 0);           // 127 bytes: 0.5 rounds to even
    EXPECT_EQ(h.entry(3).LoadAddress, 0xC000); // unsigned
    EXPECT_EQ(h.entry(3).EndAddress, 0xC0FE);
    EXPECT_EQ(h.entry(3).Blocks, 1);
    EXPECT_EQ(h.entry(3).FileType, "seq");
    EXPECT_EQ(h.entry(3).EntryNo, 3);
    std::size_t invalid = 0;
    for (std::size_t i = 1; i <= 30; ++i)
        invalid += !h.entry(i).Valid;
    EXPECT_EQ(invalid, 27u);
    EXPECT_TRUE(h.view.messages.empty());
}

TEST(T64Reader, BlocksRoundHalfToEvenAndMayBeNegative) {
    EXPECT_EQ(T64Blocks(0x0801, 0x0801 + 3 * 127), 2);
    EXPECT_EQ(T64Blocks(0x0801, 0x0801 + 5 * 127), 2);
    EXPECT_EQ(T64Blocks(0x0801, 0x0801 + 7 * 127), 4);
    EXPECT_EQ(T64Blocks(0xFFFF, 0x0000), -258);
    EXPECT_EQ(T64Blocks(0x0900, 0x0801), -1);
    EXPECT_EQ(T64Blocks(0x0801 + 127, 0x0801), 0);
}

TEST(T64Reader, MaxEntriesCounts) {
    ReaderHarness h;
    T64Builder full("FULL", 3);
    full.add({"A", "x"}).add({"B", "x"}).add({"C", "x"});
    h.run(analizzaT64, "/x/a.t64", full.bytes());
    ASSERT_EQ(h.count(), 3u);

    // MaxEntries 0: nothing, and nothing of the previous tape survives.
    h.run(analizzaT64, "/x/b.t64", T64Builder("EMPTY", 0).bytes());
    EXPECT_EQ(h.count(), 0u);
    EXPECT_EQ(h.records.media.BlocksFree, 0);

    ReaderHarness big;
    big.run(analizzaT64, "/x/c.t64", T64Builder("BIG", 256).bytes());
    EXPECT_EQ(big.count(), 256u);
    EXPECT_EQ(big.records.media.BlocksFree, 256);

    // Past the 1022 records that 16-bit offsets would allow.
    ReaderHarness huge;
    huge.run(analizzaT64, "/x/d.t64", T64Builder("HUGE", 1100).bytes());
    EXPECT_EQ(huge.count(), 1100u);
    EXPECT_TRUE(huge.view.messages.empty());
}

TEST(T64Reader, LyingHeadersStopAtTheEndOfTheData) {
    T64Builder tape("LIAR", 3);
    tape.add({"ONE", ""}).add({"TWO", ""});
    std::string bytes = tape.bytes(); // 64 + 3 records, no data
    setMaxEntries(bytes, 65535);
    ReaderHarness h;
    h.run(analizzaT64, "/x/liar.t64", bytes);
    ASSERT_EQ(h.view.messages.size(), 1u);
    EXPECT_EQ(h.lastMessage().rfind("[analizzaT64] - 9 - ", 0), 0u) << h.lastMessage();
    EXPECT_NE(h.lastMessage().find("\r\nFile: /x/liar.t64"), std::string::npos);
    ASSERT_EQ(h.count(), 4u); // the first record past the end, with an empty name
    EXPECT_EQ(h.entry(2).Name, "TWO");
    EXPECT_EQ(h.entry(4).Name, "");

    ReaderHarness cut;
    cut.run(analizzaT64, "/x/cut.t64", bytes.substr(0, 35));
    ASSERT_EQ(cut.view.messages.size(), 1u);
    EXPECT_EQ(cut.count(), 0u);
}

TEST(T64Reader, SignatureCheck) {
    std::string lower = T64Builder("T", 1).bytes();
    lower.replace(0, 3, "c64");
    ReaderHarness h;
    h.run(analizzaT64, "/x/l.t64", lower);
    EXPECT_EQ(h.records.media.Status, "");
    EXPECT_EQ(h.count(), 1u);

    ReaderHarness bad;
    bad.run(analizzaT64, "/x/bad.t64", "C6");
    EXPECT_EQ(bad.records.media.Status, "INVALID FILE");
    EXPECT_EQ(bad.records.media.MediaName, "NOT A T64 FILE");
    EXPECT_EQ(bad.records.media.FileName, "BAD");
    EXPECT_TRUE(bad.view.messages.empty());
}

// cbmconvert reads the builder's archives: what it extracts is what the
// builder meant to store, so the reader's tests rest on a true layout.
TEST(T64Reader, BuilderArchivesReadBackByCbmconvert) {
    TempDir dir;
    T64Builder tape("ORACLE", 5);
    // Shifted PETSCII capitals: cbmconvert names its files after them in capitals.
    tape.add({toPetscii("ALPHA"), std::string(300, 'a'), 0x0801})
        .add({toPetscii("beta"), std::string(10, 'b'), 0xC000, 0x81});
    dir.write("o.t64", tape.bytes());
    ASSERT_EQ(runQuietly("cd '" + dir.str() + "' && cbmconvert -N -t o.t64"), 0);
    EXPECT_EQ(dir.read("ALPHA.prg"), std::string("\x01\x08", 2) + std::string(300, 'a'));
    EXPECT_EQ(dir.read("beta.seq"), std::string("\x00\xC0", 2) + std::string(10, 'b'));

    ReaderHarness h;
    h.runOnDisk(analizzaT64, dir.str() + "/o.t64");
    ASSERT_EQ(h.count(), 5u);
    EXPECT_EQ(h.entry(1).Name, toPetscii("ALPHA"));
    EXPECT_EQ(h.entry(1).EndAddress, 0x0801 + 300);
    EXPECT_EQ(h.entry(2).FileType, "seq");
    EXPECT_EQ(h.records.media.BlocksFree, 3);
}
