// The native readers over layouts made by the sample builders, one thing
// changed per row. (Files too short for their kind, and unreadable ones, are
// in the readers' failure table.)
#include "ReaderHarness.h"
#include "common/Text.h"
#include "media/CrtReader.h"
#include "media/D64Reader.h"
#include "media/D71Reader.h"
#include "media/D81Reader.h"
#include "media/Pc64Reader.h"
#include "media/PrgReader.h"
#include "media/SidReader.h"
#include "media/T64Reader.h"
#include "samples/CrtBuilder.h"
#include "samples/D80Builder.h"
#include "samples/D81Builder.h"
#include "samples/Pc64Builder.h"
#include "samples/SidBuilder.h"
#include "samples/T64Builder.h"
#include "samples/X64Builder.h"

#include <functional>
#include <limits>
#include <map>

using namespace qs;
using namespace qs::test;
using namespace qs::samples;

namespace {

const std::string kMore144 =
    "[WARNING] - More than 144 entries. Only first 144 are analyzed (probably recursive directory)";
const std::string kMore296 =
    "[WARNING] - More than 296 entries. Only first 296 are analyzed (probably recursive directory)";
const std::string kCross18 =
    "[WARNING] - Directory entries crossover track 18. Only Track 18 entries are analyzed";
const std::string kOddSize = "NON-STANDARD FILE SIZE, MAY BE CORRUPTED";
const std::string kMore224 =
    "[WARNING] - More than 224 entries. Only first 224 are analyzed (probably recursive directory)";
const std::string crossover39 =
    "[WARNING] - Directory entries crossover track 39. Only Track 39 entries are analyzed";

// The path names the row and picks the reader by its extension.
struct Layout {
    const char* path;
    std::string bytes;
    Expect expect;
};

// The format its name says; a PC64 file for a letter no format takes (the
// reader's own view of such a name).
const ContainerFormat& formatFor(const std::string& path) {
    const ContainerFormat* format = FormatOfFileName(path);
    return format != nullptr ? *format : *FormatByTag("PC64");
}

// A formatted disk of the given size whose directory 18/1 ends at once (0/255).
std::string d64(const std::function<void(DiskBuilder&)>& change = {},
                std::size_t size = DiskBuilder::kD64Size) {
    DiskBuilder d(size);
    d.name("EMPTY").formatBam().link(1, 0, 255);
    if (change)
        change(d);
    return d.bytes();
}

std::string d71(const std::function<void(DiskBuilder&)>& change = {}) {
    return d64(change, DiskBuilder::kD71Size);
}

std::string d81(const std::function<void(D81Builder&)>& change = {},
                std::size_t size = D81Builder::kSize) {
    D81Builder d(size);
    d.name("DATA").formatBam();
    if (change)
        change(d);
    return d.bytes();
}

// An 8050 disk (8250 at that size) named OFFICE whose directory 39/1 ends at once.
std::string d80(const std::function<void(D80Builder&)>& change = {},
                std::size_t size = D80Builder::kD80Size) {
    D80Builder d(size);
    d.name("OFFICE").formatBam();
    if (change)
        change(d);
    return d.bytes();
}

std::string patched(std::string bytes, std::size_t at, const std::string& with) {
    return bytes.replace(at, with.size(), with);
}

std::string grown(std::string bytes, std::size_t size) {
    bytes.resize(size, '\0');
    return bytes;
}

std::string sid(const char* released) {
    return makeSid({"T", "A", released});
}

std::string crossover(int track) {
    const std::string t = std::to_string(track);
    return "[WARNING] - Directory entries crossover track " + t + ".  Only Track " + t +
           " entries are analyzed";
}

// Built on first use, after the builders' own constants.
std::vector<Layout> layouts() {
    const std::string longCrt = makeCrt("LONG NAME HERE", 3);
    const std::string sidHead = makeSid({"Long", "A", "1990"});
    const std::string liar =
        patched(T64Builder("LIAR", 3).add({"ONE", ""}).add({"TWO", ""}).bytes(), 34, "\xFF\xFF");
    const std::string pc64 = makePc64("X", 0x1000, "");
    // clang-format off
    return {
    {"/c/Empty Disk.d64", d64(),
     {{"file", "EMPTY DISK"}, {"type", "D64"}, {"name", "EMPTY           "},
      {"header", "\"EMPTY           \" 01 2A"}, {"status", ""}, {"free", "664"}, {"count", "8"},
      {"names", "|||||||"}, {"#scr", "8"}, {"#valid", "0"}, {"e8.no", "8"}, {"msgs", "0"}}},
    {"/c/fields.d64", d64([](DiskBuilder& d) {
         d.add({"ABC", 0xC2, 12, 17, 3}).add({"SIXTEEN CHARS!!!", 0x81}).add({"HUGE", 0x82, 0x8001})
             .add({"OPEN", 0x42}).add({"DELETED", 0x00}).add({"GONE", 0x80}).add({"REL", 0x84})
             .add({"USR", 0xC3}); }),
     {{"names", "ABC|SIXTEEN CHARS!!!|HUGE|OPEN|DELETED|GONE|REL|USR"},
      {"types", "prg seq prg ukw scr del rel usr"}, {"#valid", "7"}, {"e1.blocks", "12"},
      {"e1.track", "17"}, {"e1.sector", "3"}, {"e1.locked", "1"}, {"e2.locked", "0"},
      {"e3.blocks", "0"}, {"e8.locked", "1"}}},
    {"/c/two sectors.d64", d64([](DiskBuilder& d) {
         for (int i = 0; i < 16; ++i) d.add({"F" + std::to_string(i)}); }),
     {{"count", "16"}, {"e9.name", "F8"}, {"e16.no", "16"}, {"status", ""}}},
    {"/c/loop.d64", d64([](DiskBuilder& d) { d.link(1, 18, 2).link(2, 18, 1); }),
     {{"count", "144"}, {"status", kMore144}}},
    {"/c/crossover, odd size.d64", d64([](DiskBuilder& d) { d.link(1, 19, 0); }, 180000),
     {{"count", "8"}, {"status", kCross18}}},
    {"/c/link 18-0.d64", d64([](DiskBuilder& d) { d.link(1, 18, 0); }),
     {{"count", "8"}, {"status", ""}}},
    {"/c/link 18-19.d64", d64([](DiskBuilder& d) { d.link(1, 18, 19); }),
     {{"count", "8"}, {"status", ""}}},
    {"/c/35 tracks, errors.d64", d64({}, 175531), {{"40", "0"}, {"err", "1"}, {"status", ""}}},
    {"/c/40 tracks.d64", d64({}, 196608), {{"40", "1"}, {"err", "0"}}},
    {"/c/40 tracks, errors.d64", d64({}, 197376), {{"40", "1"}, {"err", "1"}}},
    {"/c/odd size.d64", d64({}, 180000),
     {{"40", "0"}, {"err", "0"}, {"status", kOddSize}, {"count", "8"}}},
    {"/c/cut in directory.d64",
     d64([](DiskBuilder& d) { d.add({"KEPT"}); }).substr(0, sectorOffset1541(18, 1) + 40),
     {{"msgs", "1"}, {"free", "664"}, {"e1.name", "KEPT"}}},

    {"/x/twin.d71", d71(), {{"free", "1328"}, {"type", "D71"}, {"err", "0"}, {"status", ""}}},
    {"/x/tracks 18 and 53 not free.d71",
     d71([](DiskBuilder& d) { d.freeSectors(18, 19).freeSectors(53, 19); }), {{"free", "1328"}}},
    {"/x/errors.D71", d64({}, 351062), {{"err", "1"}, {"status", ""}}},
    {"/x/a d64.d71", d64([](DiskBuilder& d) { d.add({"GAME"}); }),
     {{"status", kOddSize}, {"40", "0"}, {"count", "8"}, {"e1.name", "GAME"}, {"msgs", "0"}}},
    {"/x/programs on 53-1.d71", d71([](DiskBuilder& d) {
         d.add({"ONLY"});
         for (std::size_t slot = 0; slot < 8; ++slot)
             d.bytes().replace(d.offset(53, 1) + 32 * slot + 2, 4, "\x82\x11\x00X", 4); }),
     {{"names", "ONLY|||||||"}}},

    {"/x/Data Disk.d81", d81([](D81Builder& d) {
         for (int i = 0; i < 10; ++i) d.add({"FILE" + std::to_string(i)});
         d.add({"GAME", 0xC2, 300, 2, 0}); }),
     {{"file", "DATA DISK"}, {"type", "D81"}, {"name", "DATA            "},
      {"header", "\"DATA            \" 01 3D"}, {"free", "3160"}, {"status", ""}, {"err", "0"},
      {"count", "16"}, {"e11.name", "GAME"}, {"e11.blocks", "300"}, {"e11.locked", "1"},
      {"e11.no", "11"}, {"e12.type", "scr"}, {"e12.valid", "0"}}},
    {"/x/errors.d81", d81({}, 822400), {{"err", "1"}, {"status", ""}}},
    {"/x/odd size.d81", d81({}, 819199), {{"err", "0"}, {"status", kOddSize}, {"count", "8"}}},
    {"/x/partition.d81", d81([](D81Builder& d) {
         d.add({"FIRST"}).partition("PART", 60, 5);
         for (int i = 3; i <= 8; ++i) d.add({"ROOT" + std::to_string(i)});
         d.add({"INSIDE", 0x81, 4, 61, 0}, 60); }),
     {{"names", "FIRST|PART|INSIDE||||||||END OF PART|ROOT3|ROOT4|ROOT5|ROOT6|ROOT7|ROOT8"},
      {"e2.type", "cbm"}, {"e2.blocks", "200"}, {"e3.no", "3"}, {"e11.type", "inf"},
      {"e11.valid", "1"}, {"e11.no", "0"}, {"status", ""}}},
    {"/x/loop.d81", d81([](D81Builder& d) { d.link(40, 3, 40, 3); }),
     {{"count", "304"}, {"status", kMore296}}},
    // Each level lists MENU and AGAIN, then its marker and six empty slots.
    {"/x/partition holding the root.d81",
     d81([](D81Builder& d) { d.add({"MENU"}).partition("AGAIN", 40, 1); }),
     {{"status", kMore296}, {"count", "1341"}, {"#cbm", "149"}, {"#inf", "149"}, {"msgs", "0"}}},
    // Cut inside the root: every level fails past the limit, none of them with a message.
    {"/x/partition holding the root, cut.d81",
     d81([](D81Builder& d) { d.add({"MENU"}).partition("AGAIN", 40, 1); },
         D81Builder::offset(40, 3) + 100),
     {{"status", kMore296}, {"msgs", "0"}, {"#inf", "149"}}},
    {"/x/crossover.d81", d81([](D81Builder& d) { d.link(40, 3, 39, 5); }),
     {{"count", "8"}, {"status", crossover(40)}}},
    {"/x/crossover in partition.d81",
     d81([](D81Builder& d) { d.partition("P", 60, 2).link(60, 3, 61, 3); }),
     {{"count", "17"}, {"status", crossover(60)}}},
    {"/x/partition past the end.d81",
     d81([](D81Builder& d) { d.partition("GONE", 70, 5).add({"AFTER"}); },
         D81Builder::offset(65, 0)),
     {{"msgs", "1"}, {"msg", "[AnalizzaTracciaDirD81] - 9 - *"}, {"msgfile", "CRLF"},
      {"status", kOddSize}, {"names", "GONE||END OF GONE|AFTER||||||"}}},
    {"/x/partition on track 0, count overflow.d81",
     d81([](D81Builder& d) { d.add({"ZERO", 0x85, 1, 0, 0}).add({"HUGE", 0x82, 0x8000, 1, 0}); }),
     {{"msgs", "2"}, {"msg", "[AnalizzaTracciaDirD81] - 5 - *"},
      {"msg2", "[AnalizzaTracciaDirD81] - 6 - *"}, {"names", "ZERO|END OF ZERO|HUGE"}}},

    // Blocks round half to even (381, 127, 635, 889 bytes); WRAP ends below its start.
    {"/x/My Tape.t64", T64Builder("MY TAPE", 30)
         .add({"GAME            ", std::string(381, 'x')}).add({"  SHORT", std::string(127, 'x')})
         .add({"HIGH", std::string(254, 'x'), 0xC000, 0x81}).add({"E", std::string(635, 'x')})
         .add({"F", std::string(889, 'x')}).add({"WRAP", "x", 0xFFFF}).bytes(),
     {{"file", "MY TAPE"}, {"type", "T64"}, {"name", "MY TAPE" + std::string(17, ' ')},
      {"header", "\"MY TAPE" + std::string(17, ' ') + "\""}, {"free", "24"}, {"count", "30"},
      {"names", "GAME|SHORT|HIGH|E|F|WRAP" + std::string(24, '|')}, {"#valid", "6"},
      {"e1.blocks", "2"}, {"e2.blocks", "0"}, {"e3.load", "49152"}, {"e3.end", "49406"},
      {"e3.blocks", "1"}, {"e3.type", "seq"}, {"e3.no", "3"}, {"e4.blocks", "2"},
      {"e5.blocks", "4"}, {"e6.blocks", "-258"}, {"msgs", "0"}}},
    {"/x/no records.t64", T64Builder("EMPTY", 0).bytes(), {{"count", "0"}, {"free", "0"}}},
    {"/x/past 1022 records.t64", T64Builder("HUGE", 1100).bytes(),
     {{"count", "1100"}, {"free", "1100"}, {"msgs", "0"}}},
    {"/x/liar.t64", liar,
     {{"msgs", "1"}, {"msg", "[analizzaT64] - 9 - *"}, {"msgfile", "/x/liar.t64"},
      {"names", "ONE|TWO||"}}},
    {"/x/lower case.t64", patched(T64Builder("T", 1).bytes(), 0, "c64"),
     {{"status", ""}, {"count", "1"}}},
    {"/x/Bad.Old.t64", "C6",
     {{"status", "INVALID FILE"}, {"name", "NOT A T64 FILE"}, {"file", "BAD.OLD"}, {"msgs", "0"}}},

    {"/x/GAME.P00", makePc64("GAME", 0x0801, std::string(2048, 'x')),
     {{"file", "GAME"}, {"type", "PC64"}, {"name", "C64File"}, {"header", "\"C64File\" PC64"},
      {"free", "0"}, {"count", "1"}, {"e1.name", "GAME"}, {"e1.type", "prg"}, {"e1.blocks", "8"},
      {"e1.load", "2049"}, {"e1.end", "4099"}, {"e1.valid", "1"}, {"e1.locked", "0"}}},
    {"/x/NOTES.S01", pc64, {{"e1.type", "seq"}, {"e1.blocks", "0"}}},
    {"/x/DATA.R00", pc64, {{"e1.type", "rel"}}},
    {"/x/tool.u12", pc64, {{"e1.type", "usr"}}},
    {"/x/a.b.p99", pc64, {{"e1.type", "prg"}}},
    {"/x/ODD.Q00", pc64, {{"e1.type", ""}, {"type", "PC64"}}},
    {"/x/LOW.P00", patched(makePc64("LOW", 0x0801, "abc"), 0, "c64file"),
     {{"status", ""}, {"e1.name", "LOW"}}},
    {"/x/Huge.P00", makePc64("HUGE", 0, std::string(1000000 - 28, 'x')),
     {{"status", "INVALID FILE"}, {"name", "NOT A PC64 FILE"}, {"file", "HUGE"}, {"count", "0"}}},
    {"/x/big.P00", makePc64("BIG", 0, std::string(1000000 - 29, 'x')),
     {{"status", ""}, {"e1.name", "BIG"}}},
    {"/x/CUT.P00", makePc64("CUT", 0x0801, "").substr(0, 27),
     {{"msgs", "1"}, {"msg", "[analizzaPC64] - 9 - *"}, {"msgfile", "/x/CUT.P00"},
      {"e1.name", "CUT"}, {"e1.type", "prg"}, {"e1.load", "0"}}},

    // Blocks free as VICE counts an empty 8050 (2052) and 8250 (4133): track 39 left out.
    {"/x/Office.d80", d80([](D80Builder& d) {
         d.add({"LETTER", 0xC2, 12, 1, 0}).add({"INVOICE", 0x81, 300, 2, 0}); }),
     {{"file", "OFFICE"}, {"type", "D80"}, {"name", "OFFICE          "},
      {"header", "\"OFFICE          \" 01 2C"}, {"free", "2052"}, {"status", ""}, {"count", "8"},
      {"names", "LETTER|INVOICE||||||"}, {"e1.locked", "1"}, {"e1.blocks", "12"},
      {"e2.type", "seq"}, {"e2.blocks", "300"}, {"e2.no", "2"}, {"msgs", "0"}}},
    {"/x/track 39 free.d80", d80([](D80Builder& d) { d.freeSectors(39, 29); }), {{"free", "2052"}}},
    {"/x/track 77 full.d80", d80([](D80Builder& d) { d.freeSectors(77, 0); }), {{"free", "2029"}}},
    {"/x/Archive.d82", d80({}, D80Builder::kD82Size),
     {{"type", "D82"}, {"free", "4133"}, {"status", ""}, {"count", "8"}}},
    {"/x/track 154 full.d82", d80([](D80Builder& d) { d.freeSectors(154, 0); }, D80Builder::kD82Size),
     {{"free", "4110"}}},
    {"/x/28 sectors.d80", d80([](D80Builder& d) {
         for (int i = 0; i < 224; ++i) d.add({"F" + std::to_string(i)}); }),
     {{"count", "224"}, {"e224.name", "F223"}, {"e224.no", "224"}, {"status", ""}}},
    {"/x/loop.d80", d80([](D80Builder& d) { d.add({"A"}).link(1, 39, 2).link(2, 39, 1); }),
     {{"count", "224"}, {"status", kMore224}}},
    {"/x/crossover.d80", d80([](D80Builder& d) { d.link(1, 40, 0); }),
     {{"count", "8"}, {"status", crossover39}}},
    {"/x/link 39-29.d80", d80([](D80Builder& d) { d.link(1, 39, 29); }),
     {{"count", "8"}, {"status", ""}}},
    {"/x/odd size.d80", grown(d80(), D80Builder::kD80Size + 1), {{"status", kOddSize}, {"free", "2052"}}},
    {"/x/cut in BAM.d80", d80().substr(0, D80Builder::offset(38, 3) + 6),
     {{"msgs", "1"}, {"msg", "[analizzaD80] - 9 - *"}, {"msgfile", "/x/cut in BAM.d80"},
      {"error offset", std::to_string(D80Builder::offset(38, 3) + 6)}, {"status", kOddSize}}},

    // The image behind the header is read by its own reader, chosen by its
    // size; the header's drive decides only for an image of no standard size.
    {"/x/Wrapped.x64", makeX64(d64([](DiskBuilder& d) { d.add({"GAME", 0xC2, 12}); })),
     {{"file", "WRAPPED"}, {"type", "X64"}, {"name", "EMPTY           "},
      {"header", "\"EMPTY           \" 01 2A"}, {"free", "664"}, {"status", ""}, {"count", "8"},
      {"e1.name", "GAME"}, {"e1.blocks", "12"}, {"e1.locked", "1"}, {"e1.no", "1"}}},
    {"/x/forty, errors.x64", makeX64(d64({}, 197376)), {{"40", "1"}, {"err", "1"}, {"status", ""}}},
    {"/x/twin.x64", makeX64(d71(), kX64Drive1571), {{"free", "1328"}, {"status", ""}}},
    {"/x/1581.x64", makeX64(d81([](D81Builder& d) { d.partition("PART", 60, 5); })),
     {{"free", "3160"}, {"e1.type", "cbm"}, {"#inf", "1"}, {"status", ""}}},
    {"/x/1581 drive, odd size.x64", makeX64(d81({}, 819199), kX64Drive1581),
     {{"free", "3160"}, {"status", kOddSize}}},
    {"/x/1541 drive, odd size.x64", makeX64(d64({}, 180000)), {{"free", "664"}, {"status", kOddSize}}},
    {"/x/magic in lower case.x64", patched(makeX64(d64()), 2, "a"),
     {{"status", "INVALID FILE"}, {"name", "NOT A X64 FILE"}, {"count", "0"}, {"msgs", "0"}}},
    // Errors name offsets in the file, past the header.
    {"/x/header alone.x64", makeX64(""),
     {{"msgs", "1"}, {"msg", "[analizzaX64] - 9 - *"}, {"msgfile", "/x/header alone.x64"},
      {"status", kOddSize}, {"error offset", "91460"}}},
    {"/x/cut header.x64", makeX64("").substr(0, 6),
     {{"msgs", "1"}, {"error offset", "6"}, {"count", "0"}}},

    // Named after the host file, case and UTF-8 kept; an empty file takes no block.
    {"/x/Game.prg", "\x01",
     {{"file", "GAME"}, {"type", "PRG"}, {"name", ""}, {"header", "\"Game\""}, {"free", "0"},
      {"status", ""}, {"count", "1"}, {"e1.name", "Game"}, {"e1.type", "prg"}, {"e1.blocks", "1"},
      {"e1.no", "1"}, {"e1.valid", "1"}, {"e1.locked", "0"}, {"msgs", "0"}}},
    {"/x/empty.prg", "", {{"e1.blocks", "0"}, {"status", ""}, {"msgs", "0"}}},
    {"/x/full.prg", std::string(254, 'x'), {{"e1.blocks", "1"}}},
    {"/x/one more.prg", std::string(255, 'x'), {{"e1.blocks", "2"}}},
    {"/x/a.b.PRG", "x", {{"e1.name", "a.b"}, {"type", "PRG"}}},
    {"Disks/J\xC3\xB6rg's Game Of Long Name.prg", "x",
     {{"e1.name", "J\xC3\xB6rg's Game Of Long Name"}, {"file", "J\xC3\xB6RG'S GAME OF LONG NAME"}}},

    {"/x/My Game.crt", makeCrt("MY GAME", 0),
     {{"name", "Normal cartridge"}, {"header", "\"Normal cartridge\" type"}, {"file", "MY GAME"},
      {"type", "CRT"}, {"free", "0"}, {"count", "1"}, {"e1.name", "MY GAME"}, {"e1.type", "prg"},
      {"e1.blocks", "32"}, {"e1.valid", "1"}}},
    {"/x/ultimax.crt", makeCrt("U", 0, {{}}, 1, 0), {{"name", "Normal cartridge"}}},
    {"/x/no name.crt", makeCrt("", 0), {{"e1.name", ""}}},
    {"/x/type 256.crt", makeCrt("W", 0x0100), {{"name", "Unknown HW Type"}}},
    {"/x/type 27.crt", makeCrt("R", 27), {{"header", "\"Rex EP256\" type"}}},
    {"/x/cut in name.crt", longCrt.substr(0, 40),
     {{"msgs", "1"}, {"msg", "[analizzaCRT] - 9 - *"}, {"msgfile", "/x/cut in name.crt"},
      {"name", "Final Cartridge III"}, {"count", "1"}, {"e1.name", ""}}},
    {"/x/header alone.crt", longCrt.substr(0, 64),
     {{"msgs", "0"}, {"e1.name", "LONG NAME HERE"}, {"e1.blocks", "0"}}},
    {"/x/foreign.crt", patched(longCrt, 12, "X"),
     {{"status", "INVALID FILE"}, {"name", "NOT A CARTRIDGE FILE"}, {"msgs", "0"}}},

    {"/x/year.sid", sid("1985 Ocean"), {{"sid.year", "1985"}}},
    {"/x/year unknown digit.sid", sid("198? Ocean"), {{"sid.year", "198?"}}},
    {"/x/year decade.sid", sid("19xx"), {{"sid.year", "19??"}}},
    {"/x/year empty.sid", sid(""), {{"sid.year", "0???"}}},
    {"/x/year text.sid", sid("Ocean"), {{"sid.year", "0???"}}},
    {"/x/year range.sid", sid("2003-2004 Group"), {{"sid.year", "2003"}}},
    {"/x/at limit.sid", grown(sidHead, 130000), {{"sid.status", ""}, {"sid.name", "Long"}}},
    {"/x/Over.sid", grown(sidHead, 130001),
     {{"sid.status", "NOT A VALID FILE"}, {"sid.file", "OVER"}, {"sid.name", ""},
      {"sid.load", ""}, {"sid.year", ""}}},
    {"/x/cut.sid", sidHead.substr(0, 125),
     {{"msgs", "1"}, {"msg", "[analizzaSID] - 9 - *"}, {"msgfile", "/x/cut.sid"},
      {"sid.play", "1003"}, {"sid.init", "1000"}, {"sid.load", ""}, {"sid.name", ""}}},
    {"/x/four bytes.sid", "PSID", {{"msgs", "1"}, {"sid.play", ""}}},
    };
    // clang-format on
}

} // namespace

TEST(MediaReaders, Layouts) {
    for (const Layout& row : layouts()) {
        SCOPED_TRACE(row.path);
        ReaderHarness h;
        h.run(formatFor(row.path), row.path, row.bytes);
        h.expect(row.expect);
    }
}

// A file past 2^31 blocks keeps the largest count there is.
TEST(MediaReaders, PrgBlocksStopAtTheLargestCount) {
    EXPECT_EQ(PrgBlocks(254ULL << 31), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(PrgBlocks(254ULL * 0x7FFFFFFF - 253), 0x7FFFFFFF);
}

// The 8050 geometry of the builder, against the offsets and sizes the disks
// are known by.
TEST(MediaReaders, D80BuilderGeometry) {
    EXPECT_EQ(D80Builder::offset(38, 0), 0x43100u);
    EXPECT_EQ(D80Builder::offset(39, 0), 0x44E00u);
    EXPECT_EQ(D80Builder::offset(39, 1), 0x44F00u);
    EXPECT_EQ(D80Builder::offset(77, 23), D80Builder::kD80Size); // past the last sector, 77/22
    EXPECT_EQ(D80Builder::offset(78, 0), D80Builder::kD80Size);  // an 8250's second side
    EXPECT_EQ(D80Builder::offset(154, 23), D80Builder::kD82Size);
}
