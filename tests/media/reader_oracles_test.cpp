// The readers on files written by independent tools (cc1541, cbmconvert), and
// the SID fields against what libsidplayfp reads from the same files: names,
// block counts and the BAM are theirs, not our builders'.
#include "ReaderHarness.h"
#include "TempDir.h"
#include "media/mod_D64.h"
#include "media/mod_D71.h"
#include "media/mod_D81.h"
#include "media/mod_PC64.h"
#include "media/mod_SID.h"
#include "media/mod_T64.h"
#include "samples/D81Builder.h"
#include "samples/SidBuilder.h"
#include "samples/T64Builder.h"

#include <sidplayfp/SidTune.h>
#include <sidplayfp/SidTuneInfo.h>

#include <cstdio>

using namespace qs;
using namespace qs::test;
using namespace qs::samples;

namespace {

std::string hex4(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value);
    return text;
}

// Runs cc1541 in `dir` on the image `image` with the given arguments.
void cc1541(const TempDir& dir, const std::string& args, const std::string& image) {
    ASSERT_EQ(runQuietly("cd '" + dir.str() + "' && cc1541 -q " + args + " " + image), 0);
}

} // namespace

TEST(ReaderOracles, Cc1541Disks) {
    TempDir dir;
    dir.write("a.prg", std::string("\x01\x08", 2) + std::string(1000, 'A')); // 4 blocks
    dir.write("b.prg", std::string("\x00\x20", 2) + std::string(10, 'B'));   // 1 block
    dir.write("c.prg", std::string(254 * 10 + 1, 'c'));                      // 11 blocks
    const std::string files = "-f 'intro' -w a.prg -f 'BLAST' -T USR -P -w b.prg -f two -w c.prg";
    struct Disk {
        Reader reader;
        const char* image;
        const char* id;
        int free;
    };
    // cc1541 keeps a D71's second-side free space only in the 53/0 bitmap
    // and leaves the counts at 18/0 bytes 221-255 zero: only side one counts.
    for (const Disk& d : {Disk{analizzaD64, "cc.d64", "AB 2A", 664 - 16},
                          Disk{analizzaD71, "cc.d71", "TW 2A", 664 - 16},
                          Disk{analizzaD81, "cc.d81", "BD 3D", 3160 - 16}}) {
        SCOPED_TRACE(d.image);
        cc1541(dir, "-n 'ORACLE' -i '" + std::string(d.id) + "' " + files, d.image);
        ReaderHarness h;
        h.run(d.reader, dir.str() + "/" + d.image, nullptr);
        const std::string name = toPetscii("ORACLE") + std::string(10, ' ');
        h.expect({{"msgs", "0"},
                  {"status", ""},
                  {"name", name},
                  {"header", "\"" + name + "\" " + toPetscii(d.id)},
                  {"free", std::to_string(d.free)},
                  {"count", "8"},
                  {"names", toPetscii("intro") + "|" + toPetscii("BLAST") + "|" + toPetscii("two") +
                                "|||||"},
                  {"types", "prg usr prg scr scr scr scr scr"},
                  {"e1.blocks", "4"},
                  {"e2.blocks", "1"},
                  {"e2.locked", "1"},
                  {"e3.blocks", "11"}});
    }

    // The same D81 with a partition in its fourth slot, added by hand (cc1541 makes none).
    std::string image = readFile(dir.str() + "/cc.d81");
    const std::size_t slot4 = D81Builder::offset(40, 3) + 96;
    image.replace(slot4 + 2, 7, "\x85\x46\x00PART", 7);
    image.replace(D81Builder::offset(70, 3), 2, "\x00\xFF", 2);
    ReaderHarness p;
    p.run(analizzaD81, "/x/cc.d81", &image);
    p.expect(
        {{"count", "17"}, {"e4.type", "cbm"}, {"e13.name", "END OF PART" + std::string(12, '\0')}});
}

// cbmconvert extracts what the T64 builder meant to store, and writes P00
// files (padding their names with $A0, not with bytes 0).
TEST(ReaderOracles, CbmconvertTapesAndPc64Files) {
    TempDir dir;
    T64Builder tape("ORACLE", 5);
    // Shifted PETSCII capitals: cbmconvert names its files after them in capitals.
    tape.add({toPetscii("ALPHA"), std::string(300, 'a'), 0x0801})
        .add({toPetscii("beta"), std::string(10, 'b'), 0xC000, 0x81});
    dir.write("o.t64", tape.bytes());
    ASSERT_EQ(runQuietly("cd '" + dir.str() + "' && cbmconvert -N -t o.t64"), 0);
    EXPECT_EQ(dir.read("ALPHA.prg"), std::string("\x01\x08", 2) + std::string(300, 'a'));
    EXPECT_EQ(dir.read("beta.seq"), std::string("\x00\xC0", 2) + std::string(10, 'b'));
    ReaderHarness t;
    t.run(analizzaT64, dir.str() + "/o.t64", nullptr);
    t.expect({{"count", "5"},
              {"free", "3"},
              {"e1.name", toPetscii("ALPHA")},
              {"e1.end", std::to_string(0x0801 + 300)},
              {"e2.type", "seq"}});

    dir.write("blast off.prg", std::string("\x01\x08", 2) + std::string(600, 'p'));
    dir.write("notes.seq", "some text");
    ASSERT_EQ(runQuietly("cd '" + dir.str() + "' && cbmconvert -P -n 'blast off.prg' notes.seq"),
              0);
    ReaderHarness h;
    h.run(analizzaPC64, dir.str() + "/blastoff.p00", nullptr);
    h.expect({{"msgs", "0"},
              {"count", "1"},
              {"e1.name", toPetscii("blast off")},
              {"e1.type", "prg"},
              {"e1.blocks", "2"},
              {"e1.load", std::to_string(0x0801)},
              {"e1.end", std::to_string(0x0801 + 602)}});
    ReaderHarness s;
    s.run(analizzaPC64, dir.str() + "/notes.s00", nullptr);
    s.expect({{"e1.name", toPetscii("notes")}, {"e1.type", "seq"}, {"file", "NOTES"}});
}

TEST(ReaderOracles, SidFieldsAgreeWithLibsidplayfp) {
    TempDir dir;
    const std::vector<SidSpec> tunes{
        {"Title", "Someone", "1985 Publisher", 0x1000, 0x1000, 0x1003, std::string(4096, '\x60')},
        {"Blast Theme", "J\xF6rg M\xFCller", "1987 Blast Soft"},
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
        h.run(analizzaSID, path, nullptr);
        SCOPED_TRACE(tunes[i].name);
        h.expect({{"sid.name", info->infoString(0)},
                  {"sid.author", info->infoString(1)},
                  {"sid.copyright", info->infoString(2)},
                  {"sid.load", hex4(info->loadAddr())},
                  {"sid.init", hex4(info->initAddr())},
                  {"sid.play", hex4(info->playAddr())},
                  {"sid.end", hex4(info->loadAddr() + info->c64dataLen())},
                  {"sid.file", "T" + std::to_string(i)},
                  {"type", "SID"},
                  {"count", "0"}});
    }
}
