// Zipcode sets: one part's record stream unpacked, one thing changed per
// row; then the reader over whole sets and sets with a part missing, damaged
// or too large. (disk2zip's own sets: the command line's --list tests.)
#include "ReaderHarness.h"
#include "common/Files.h"
#include "media/ZipcodeReader.h"
#include "samples/DiskBuilder.h"
#include "samples/ZipcodeBuilder.h"

using namespace qs;
using namespace qs::test;
using namespace qs::samples;

namespace {

// A disk whose directory part holds sectors of every method: empty ones
// (filled), the header and directory (runs), and one of every byte (stored).
std::string disk(std::size_t size = DiskBuilder::kD64Size) {
    DiskBuilder d(size);
    d.name("ZIPPED", "ZC\xA0"
                     "2A")
        .formatBam();
    d.add({"BLAST ONE", 0x82, 12, 17, 0}).add({"NOTES", 0x81, 2, 25, 3});
    for (int i = 0; i < 256; ++i)
        d.bytes()[sectorOffset1541(25, 3) + static_cast<std::size_t>(i)] = static_cast<char>(i);
    return d.bytes();
}

// The records of one track, in disk2zip's order.
std::string track(const std::string& image, int t, ZipMethod method = ZipMethod::Chosen) {
    std::string out;
    for (int s : ZipcodeSectorOrder(t))
        out += ZipcodeRecord(t, s, std::string_view(image).substr(sectorOffset1541(t, s), 256),
                             method);
    return out;
}

std::string tracks(const std::string& image, int first, int last) {
    std::string out;
    for (int t = first; t <= last; ++t)
        out += track(image, t);
    return out;
}

} // namespace

TEST(Zipcode, OnePartUnpacked) {
    const std::string image = disk();
    const std::string start = ZipcodePartStart(3), t17 = track(image, 17);
    const std::string rest = tracks(image, 18, 25), whole = start + t17 + rest;
    const std::string at = " at offset " + std::to_string(start.size() + t17.size());
    const std::string only17 = ", 21 of its 172 sectors unpacked";
    std::string reversed = start;
    for (int t = 25; t >= 17; --t)
        reversed += track(image, t);
    // Track 18 sector 0 as runs (method 10): three bytes, marker 0, one run
    // of 255 "x", a byte short.
    const std::string shortRun("\x92\x00\x03\x00\x00\xFF\x78", 7);
    const struct {
        const char* change;
        std::string bytes;
        int part, sectors;
        std::string damage;
    } rows[] = {
        {"chosen methods", whole, 3, 172, ""},
        {"every sector stored", ZipcodePart(image, 3, ZipMethod::Stored), 3, 172, ""},
        {"runs wherever a marker is free", ZipcodePart(image, 3, ZipMethod::Runs), 3, 172, ""},
        {"first part with the ID", ZipcodePart(image, 1), 1, 168, ""},
        {"first part without it", ZipcodePartStart(2) + tracks(image, 1, 8), 1, 168, ""},
        {"tracks in reverse", reversed, 3, 172, ""},
        {"$00 padding", whole + std::string(200, '\0'), 3, 172, ""},
        {"$1A padding", whole + std::string(128, '\x1A'), 3, 172, ""},
        {"track of another part", start + t17 + ZipcodeRecord(26, 0, "\0") + rest, 3, 21,
         "a record out of range (track 26, sector 0)" + at + only17},
        {"sector past the track", start + t17 + ZipcodeRecord(18, 19, "\0") + rest, 3, 21,
         "a record out of range (track 18, sector 19)" + at + only17},
        {"method 11", start + t17 + "\xD2" + rest.substr(1), 3, 21,
         "a record of method 11" + at + only17},
        {"runs to 255 bytes", start + t17 + shortRun + rest, 3, 21,
         "a run-length record that does not come to 256 bytes" + at + only17},
        {"records end early", start + t17, 3, 21, "its records end" + at + only17},
        {"last record cut short", whole.substr(0, whole.size() - 1), 3, 171,
         "a record cut short at offset " + std::to_string(whole.size() - 3) +
             ", 171 of its 172 sectors unpacked"},
        {"load address of a program", "\x01\x08" + whole.substr(2), 3, 0,
         "no Zipcode load address at offset 0, 0 of its 172 sectors unpacked"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.change);
        ZipcodeImage unpacked;
        const ZipcodePartRead read = UnpackZipcodePart(row.bytes, row.part, unpacked);
        EXPECT_EQ(read.sectors, row.sectors);
        EXPECT_EQ(read.damage, row.damage);
        // What was unpacked is the disk's.
        for (std::size_t s = 0; s < unpacked.unpacked.size(); ++s) {
            if (unpacked.unpacked[s]) {
                ASSERT_EQ(unpacked.bytes.substr(256 * s, 256), image.substr(256 * s, 256)) << s;
            }
        }
    }
}

TEST(Zipcode, SetsRead) {
    const std::vector<std::string> set = ZipcodeSet(disk()), forty = ZipcodeSet(disk(196608));
    const std::string big(kMaxSetPartBytes + 1, '\0');
    const std::string dirPart = "3!game.z64";
    const std::string names = "BLAST ONE|NOTES||||||";
    // The parts given (1-5; 0 for none), and the part read first.
    const struct {
        const char* change;
        std::vector<std::string> parts;
        std::string path;
        Expect expect;
    } rows[] = {
        {"whole",
         set,
         "/z/1!game.z64",
         {{"names", names},
          {"name", "ZIPPED          "},
          {"header", "\"ZIPPED          \" ZC 2A"},
          {"free", "664"},
          {"40", "0"},
          {"status", ""},
          {"file", "1!GAME"},
          {"type", "Z64"},
          {"msgs", "0"}}},
        {"read from its third part", set, "/z/3!game.z64", {{"names", names}, {"status", ""}}},
        {"no extension", set, "/z/1!game", {{"file", "1!GAME"}, {"type", ""}, {"names", names}}},
        {"40 tracks", forty, "/z/1!game.z64", {{"40", "1"}, {"names", names}, {"status", ""}}},
        {"no first part",
         {"", set[1], set[2], set[3]},
         "/z/2!game.z64",
         {{"names", names},
          {"status", "[WARNING] - Zipcode set incomplete: 1!game.z64 is missing"}}},
        {"fourth too large",
         {set[0], set[1], set[2], big},
         "/z/1!game.z64",
         {{"names", names},
          {"status", "[WARNING] - Zipcode set incomplete: 4!game.z64 is larger than 1 MiB"}}},
        {"fifth cut short",
         {forty[0], forty[1], forty[2], forty[3], forty[4].substr(0, 30)},
         "/z/1!game.z64",
         {{"40", "1"},
          {"names", names},
          {"status", "[WARNING] - Zipcode set incomplete: 5!game.z64 is damaged: a record cut "
                     "short at offset 29, 9 of its 85 sectors unpacked"}}},
        {"directory part past track 18 cut",
         {set[0], set[1], set[2].substr(0, 501), set[3]},
         "/z/1!game.z64",
         {{"names", names},
          {"status", "[WARNING] - Zipcode set incomplete: 3!game.z64 is damaged: a record cut "
                     "short at offset *"}}},
        {"no directory part",
         {set[0], set[1], "", set[3]},
         "/z/1!game.z64",
         {{"msgs", "1"},
          {"count", "0"},
          {"file", ""},
          {"msg", "[analizzaZIPCODE] - 53 - File not found (3!game.z64 is missing; it holds the "
                  "set's directory)\r\nFile: /z/1!game.z64"}}},
        {"directory part cut in track 18",
         {set[0], set[1], set[2].substr(0, 100), set[3]},
         "/z/1!game.z64",
         {{"msgs", "1"},
          {"count", "0"},
          {"msg", "[analizzaZIPCODE] - 9 - Subscript out of range (3!game.z64 is damaged: a "
                  "record cut short at offset *"}}},
        {"directory part too large",
         {set[0], set[1], big, set[3]},
         "/z/1!game.z64",
         {{"msgs", "1"},
          {"msg", "[analizzaZIPCODE] - 7 - Out of memory (3!game.z64 is larger than 1 MiB; it "
                  "holds the set's directory)*"}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.change);
        ReaderHarness h;
        std::string own;
        for (std::size_t i = 0; i < row.parts.size(); ++i) {
            const std::string name = ZipcodePartName(FileNameOf(row.path), static_cast<int>(i) + 1);
            if (name == FileNameOf(row.path))
                own = row.parts[i];
            else if (!row.parts[i].empty())
                h.siblings[name] = row.parts[i];
        }
        h.run(*FormatByTag("ZIPCODE"), row.path, own);
        h.expect(row.expect);
    }
}
