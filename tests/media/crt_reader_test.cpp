// The CRT reader: hardware names, the cartridge name, sizes and short files.
#include "ReaderHarness.h"
#include "media/mod_CRT.h"
#include "samples/CrtBuilder.h"

#include <gtest/gtest.h>

using namespace qs;
using namespace qs::test;
using qs::samples::makeCrt;

TEST(CrtReader, NormalEightKilobyteCartridge) {
    const std::string crt = makeCrt("MY GAME", 0);
    ASSERT_EQ(crt.size(), 8272u);
    ReaderHarness h;
    h.run(analizzaCRT, "/x/My Game.crt", crt);
    const MediaInfo& m = h.records.media;
    EXPECT_EQ(m.MediaName, "Normal cartridge");
    EXPECT_EQ(m.HeaderLine, "\"Normal cartridge\" type");
    EXPECT_EQ(m.FileName, "MY GAME");
    EXPECT_EQ(m.MediaType, "CRT");
    EXPECT_EQ(m.BlocksFree, 0);
    ASSERT_EQ(h.count(), 1u);
    EXPECT_EQ(h.entry(1).Name, "MY GAME");
    EXPECT_EQ(h.entry(1).FileType, "prg");
    EXPECT_EQ(h.entry(1).Blocks, 32);
    EXPECT_TRUE(h.entry(1).Valid);

    ReaderHarness ultimax; // EXROM 1: still a normal cartridge
    ultimax.run(analizzaCRT, "/x/u.crt", makeCrt("U", 0, {{}}, 1, 0));
    EXPECT_EQ(ultimax.records.media.MediaName, "Normal cartridge");

    ReaderHarness blank;
    blank.run(analizzaCRT, "/x/b.crt", makeCrt("", 0));
    EXPECT_EQ(blank.entry(1).Name, "");
}

TEST(CrtReader, HardwareNames) {
    EXPECT_EQ(CrtHardwareName(0), "Normal cartridge");
    EXPECT_EQ(CrtHardwareName(1), "Action Replay");
    EXPECT_EQ(CrtHardwareName(18), "Zaxxon, Super Zaxxon (SEGA)");
    EXPECT_EQ(CrtHardwareName(19), "Magic Desk, Domark, HES Australia");
    EXPECT_EQ(CrtHardwareName(27), "Rex EP256");
    EXPECT_EQ(CrtHardwareName(28), "Unknown HW Type");
    EXPECT_EQ(CrtHardwareName(-1), "Unknown HW Type");

    // The type is big-endian: 0x0100 is 256, not 1.
    ReaderHarness h;
    h.run(analizzaCRT, "/x/w.crt", makeCrt("W", 0x0100));
    EXPECT_EQ(h.records.media.MediaName, "Unknown HW Type");
    ReaderHarness r;
    r.run(analizzaCRT, "/x/r.crt", makeCrt("R", 27));
    EXPECT_EQ(r.records.media.HeaderLine, "\"Rex EP256\" type");
}

TEST(CrtReader, ShortAndForeignFiles) {
    const std::string crt = makeCrt("LONG NAME HERE", 3);
    // Ends inside the name field: shorter than its header.
    ReaderHarness h;
    h.run(analizzaCRT, "/x/cut.crt", crt.substr(0, 40));
    ASSERT_EQ(h.view.messages.size(), 1u);
    EXPECT_EQ(h.lastMessage().rfind("[analizzaCRT] - 9 - ", 0), 0u) << h.lastMessage();
    EXPECT_NE(h.lastMessage().find("\r\nFile: /x/cut.crt"), std::string::npos);
    EXPECT_EQ(h.records.media.MediaName, "Final Cartridge III");
    ASSERT_EQ(h.count(), 1u);
    EXPECT_EQ(h.entry(1).Name, "");

    // A header of exactly 64 bytes and no chip: nothing is missing.
    ReaderHarness bare;
    bare.run(analizzaCRT, "/x/bare.crt", crt.substr(0, 64));
    EXPECT_TRUE(bare.view.messages.empty());
    EXPECT_EQ(bare.entry(1).Name, "LONG NAME HERE");
    EXPECT_EQ(bare.entry(1).Blocks, 0);

    ReaderHarness tiny;
    tiny.run(analizzaCRT, "/x/tiny.crt", crt.substr(0, 20));
    ASSERT_EQ(tiny.view.messages.size(), 1u);
    EXPECT_EQ(tiny.records.media.MediaName, "");

    ReaderHarness foreign;
    foreign.run(analizzaCRT, "/x/f.crt", "C64 CARTRIDGX" + crt.substr(13));
    EXPECT_EQ(foreign.records.media.Status, "INVALID FILE");
    EXPECT_EQ(foreign.records.media.MediaName, "NOT A CARTRIDGE FILE");
    EXPECT_TRUE(foreign.view.messages.empty());
}
