// The readers of the C64's own archives (Lynx, ARK, ARC and SDA, SFX) over
// layouts made by the archive builders, one thing changed per row. (Files cut
// short and unreadable ones are in the readers' failure table; the oracle
// tools read the same builders' files in the command line's --list tests.)
#include "ReaderHarness.h"
#include "samples/ArchiveBuilders.h"

#include <algorithm>

using namespace qs;
using namespace qs::test;
using namespace qs::samples;

namespace {

const std::string kCutShort = "ARCHIVE CUT SHORT, MAY BE CORRUPTED";
const std::string kTrapped = "Invalid procedure call or argument (";

// A program of 12 blocks (254 x 12 = 3048 bytes and more than 254 x 11), a
// one-block SEQ file, a REL file of 3 blocks and a USR file of exactly one.
std::vector<ArchiveFilePlan> files(std::size_t firstSize = 3002) {
    return {{"GAME", 'P', std::string(firstSize, 'g')},
            {"NOTES", 'S', "text"},
            {"TABLE", 'R', std::string(600, 'r')},
            {"USER FILE", 'U', std::string(254, 'u')}};
}

// What every row that reads all four entries finds.
const Expect kAll{{"count", "4"},
                  {"names", "GAME|NOTES|TABLE|USER FILE"},
                  {"types", "prg seq rel usr"},
                  {"e1.blocks", "12"},
                  {"e2.blocks", "1"},
                  {"e3.blocks", "3"},
                  {"e4.blocks", "1"},
                  {"e4.no", "4"},
                  {"msgs", "0"}};

// kAll, with the keys of `more` taking their values from there.
Expect all(const Expect& more = {}) {
    Expect out = more;
    for (const auto& pair : kAll)
        if (std::none_of(more.begin(), more.end(),
                         [&](const auto& p) { return p.first == pair.first; }))
            out.push_back(pair);
    return out;
}

Expect invalid(const std::string& what) {
    return {{"status", "INVALID FILE"},
            {"name", "NOT A " + what + " FILE"},
            {"count", "0"},
            {"msgs", "0"}};
}

// The message of a damaged directory or header in `path`.
std::string trapped(const std::string& procedure, const std::string& detail,
                    const std::string& path) {
    return "[" + procedure + "] - 5 - " + kTrapped + detail + ")\r\nFile: " + path;
}

std::string patched(std::string bytes, std::size_t at, const std::string& with) {
    return bytes.replace(at, with.size(), with);
}

// The first `from` replaced by `to`.
std::string replaced(std::string bytes, const std::string& from, const std::string& to) {
    return bytes.replace(bytes.find(from), from.size(), to);
}

// The byte at `at` one higher: a checksum made wrong, or right again.
std::string bumped(std::string bytes, std::size_t at) {
    bytes[at] = static_cast<char>(bytes[at] + 1);
    return bytes;
}

std::string grown(std::string bytes, std::size_t size, char filler = '\0') {
    bytes.resize(size, filler);
    return bytes;
}

std::string lynx(const LynxLayout& layout = {}) {
    return makeLynx(files(), layout);
}

struct Layout {
    std::string path; // names the row and picks the reader by its extension
    std::string bytes;
    Expect expect;
};

std::vector<Layout> lynxLayouts() {
    const std::string plain = lynx();
    // The files' data starts with the directory's second block (stub,
    // header and four entries fill one), and the USR file ends the archive.
    const std::size_t dataStart = 254, lastFile = dataStart + 254 * 16;
    const std::string notesBlocks = "\r 1 \rS";
    const std::size_t notesType = plain.find(notesBlocks) + 5;
    const std::size_t notesName = plain.find("NOTES");
    std::vector<ArchiveFilePlan> many;
    for (int i = 0; i < 10; ++i)
        many.push_back({"FILE" + std::to_string(i), 'P', "x"});
    // clang-format off
    return {
    {"/l/Pack.lnx", plain,
     all({{"file", "PACK"}, {"type", "LNX"}, {"header", "\"PACK\""}, {"free", "0"},
          {"status", ""}, {"e1.valid", "1"}, {"e1.locked", "0"}})},
    {"/l/no stub.lnx", lynx({.stub = false}), all()},
    {"/l/no blank after numbers.lnx", lynx({.numberEnd = ""}), all()},
    {"/l/blanks after numbers.lnx", lynx({.numberEnd = "    "}), all()},
    {"/l/unpadded names.lnx", lynx({.padNames = false}), all()},
    {"/l/no last usage.lnx", lynx({.lastUsage = false}), all({{"status", ""}})},
    {"/l/directory overestimated.lnx", lynx({.extraDirBlocks = 1}), all({{"status", ""}})},
    {"/l/lower-case signature.lnx", lynx({.signature = "*lynx xv  by will corley"}), all()},
    {"/l/count too large.lnx", lynx({.extraCount = 2}),
     all({{"status", "[WARNING] - The Lynx directory ends after 4 of its 6 entries"}})},
    {"/l/last file cut.lnx", plain.substr(0, lastFile), all({{"status", kCutShort}})},
    {"/l/last file one byte.lnx", plain.substr(0, lastFile + 1), all({{"status", ""}})},
    {"/l/foreign signature.lnx", lynx({.signature = "*ARCHIVE BY SOMEONE ELSE"}), invalid("LYNX")},
    {"/l/no blocks.lnx", replaced(plain, " 1  *LYNX", " 0  *LYNX"), invalid("LYNX")},
    {"/l/type X.lnx", patched(plain, notesType, "X"),
     {{"names", "GAME"}, {"msgs", "1"},
      {"msg", trapped("analizzaLNX", "entry 2: type not P, S, U, R or D at offset " +
                                         std::to_string(notesType), "/l/type X.lnx")}}},
    {"/l/blocks not a number.lnx", replaced(plain, notesBlocks, "\r 1x\rS"),
     {{"names", "GAME"}, {"msgs", "1"},
      {"msg", trapped("analizzaLNX", "entry 2: block count not a number at offset " +
                                         std::to_string(notesType - 4), "/l/blocks not a number.lnx")}}},
    {"/l/long name.lnx", patched(plain, notesName + 16, "\xA0"),
     {{"names", "GAME"},
      {"msg", trapped("analizzaLNX", "entry 2: name longer than 16 bytes at offset " +
                                         std::to_string(notesName), "/l/long name.lnx")}}},
    {"/l/cut in directory.lnx", plain.substr(0, notesType),
     {{"names", "GAME"}, {"msgs", "1"}, {"msg", "[analizzaLNX] - 9 - *"}}},
    // Ten entries take a second block: a header that says one has them run into the data.
    {"/l/directory too small.lnx", replaced(makeLynx(many), " 2  *LYNX", " 1  *LYNX"),
     {{"msgs", "1"}, {"msg", "[analizzaLNX] - 5 - " + kTrapped + "entry *"}}},
    };
    // clang-format on
}

std::vector<Layout> arkLayouts() {
    std::vector<ArchiveFilePlan> locked = files();
    locked[3].locked = true;
    const std::string plain = makeArk(locked);
    const std::size_t second = 1 + 29; // the second entry
    // Four entries fill the first block; the files take 17 blocks, the last one unpadded.
    const std::size_t lastFile = 254 + 254 * 16, padded = 254 + 254 * 17;
    // clang-format off
    return {
    {"/a/Tools.ark", plain,
     all({{"file", "TOOLS"}, {"type", "ARK"}, {"header", "\"TOOLS\""}, {"status", ""},
          {"e4.locked", "1"}, {"e3.locked", "0"}})},
    {"/a/locked DEL.ark", patched(plain, second, "\xC0"),
     {{"types", "prg del rel usr"}, {"e2.locked", "1"}}},
    {"/a/last file one byte.ark", plain.substr(0, lastFile + 1), all()},
    {"/a/transfer padding.ark", grown(plain, padded + 256), all()},
    {"/a/side sectors.ark", grown(patched(plain, 1 + 2 * 29 + 0x19, "\x02"), padded + 508 + 256),
     all()},
    {"/a/no entries.ark", patched(plain, 0, std::string(1, '\0')), invalid("C64 ARK")},
    {"/a/type 5.ark", patched(plain, second, "\x85"), invalid("C64 ARK")},
    {"/a/control code in name.ark", patched(plain, second + 2, "\x0D"), invalid("C64 ARK")},
    {"/a/last file cut.ark", plain.substr(0, lastFile), invalid("C64 ARK")},
    {"/a/too long.ark", grown(plain, padded + 257), invalid("C64 ARK")},
    };
    // clang-format on
}

std::vector<Layout> arcLayouts() {
    // 3040 bytes are 12 blocks; with the header the entry spans 13.
    const std::string plain = makeArc(files(3040), {.padding = 100});
    const std::size_t second = 13 * 254, last = second + 254 + 254 * 3;
    const std::string c128 = makeArc(files(3040), {.sdaLine = 14, .sysAddress = "7183"});
    const std::string c64 = makeArc(files(3040), {.sdaLine = 12});
    // clang-format off
    return {
    {"/r/Pack.arc", plain,
     all({{"file", "PACK"}, {"type", "ARC"}, {"header", "\"PACK\""}, {"status", ""}})},
    {"/r/version 1.arc", makeArc(files(3040), {.version = 1}), all({{"status", ""}})},
    {"/r/Pack.sda", makeArc(files(3040), {.sdaLine = 10}), all({{"type", "SDA"}})},
    {"/r/line 7.sda", makeArc(files(3040), {.sdaLine = 7}), all()},
    {"/r/C128, line 15.sda", patched(c128, 4, "\x0F"), all()},
    {"/r/C128, wrong line.sda", patched(c128, 4, "\x1E"), all()},
    {"/r/wrong line.sda", patched(c64, 4, "\x1E"), invalid("C64 ARC")},
    {"/r/version 3.arc", patched(plain, 0, "\x03"), invalid("C64 ARC")},
    {"/r/type D.arc", patched(plain, 9, "D"), invalid("C64 ARC")},
    {"/r/mode 3 in version 1.arc", patched(makeArc(files(), {.version = 1}), 1, "\x03"),
     invalid("C64 ARC")},
    {"/r/one pass.arc", patched(plain, 1, "\x05"),
     all({{"e1.blocks", "13"},
          {"status", "[WARNING] - Entries crunched in one pass show their packed size"}})},
    {"/r/one pass, last.arc", patched(plain, last + 1, "\x05"),
     all({{"e4.blocks", "2"}, // to the file's end, padding and all
          {"status", "[WARNING] - Entries crunched in one pass show their packed size"}})},
    {"/r/long name.arc", patched(plain, second + 10, "\x11"),
     {{"names", "GAME"}, {"msgs", "0"}, {"status", "[WARNING] - The entries end at a damaged "
                                                   "header at offset " + std::to_string(second)}}},
    {"/r/no blocks.arc", patched(plain, second + 7, std::string(2, '\0')),
     {{"names", "GAME"}, {"msgs", "1"},
      {"msg", trapped("analizzaARC", "entry 2 spans no block at offset " +
                                         std::to_string(second), "/r/no blocks.arc")}}},
    {"/r/transfer padding.arc", grown(plain, plain.size() + 127, '\x1A'), all({{"status", ""}})},
    {"/r/last entry cut.arc", plain.substr(0, last + 254), all({{"status", kCutShort}})},
    {"/r/last entry one byte.arc", plain.substr(0, last + 255), all({{"status", ""}})},
    };
    // clang-format on
}

std::vector<Layout> sfxLayouts() {
    // Names as stored, ASCII-cased.
    std::vector<ArchiveFilePlan> mixed = files();
    mixed[1].name = "notes";
    mixed[2].name = "Table";
    const std::string plain = makeSfx(mixed);
    const std::size_t first = plain.find("-lh0-") - 2;
    const std::size_t second = plain.find("-lh0-", first + 3) - 2;
    const std::size_t end = plain.size() - 1; // the closing byte 0
    const std::pair<std::string, std::string> mixedNames{"names", "GAME|notes|Table|USER FILE"};
    std::vector<ArchiveFilePlan> unknown = files();
    unknown[0].type = '?';
    // clang-format off
    return {
    {"/s/Self.sfx", plain,
     all({{"file", "SELF"}, {"type", "SFX"}, {"header", "\"SELF\""}, {"status", ""},
          mixedNames})},
    {"/s/no end mark.sfx", plain.substr(0, end), all({mixedNames})},
    {"/s/transfer padding.sfx", grown(plain.substr(0, end), 128 * (end / 128 + 1), '\x1A'),
     all({{"status", ""}, mixedNames})},
    {"/s/no type letter.sfx", makeSfx(unknown), {{"types", "ukw seq rel usr"}}},
    {"/s/not at 1C01.sfx", patched(plain, 1, "\x08"), invalid("C64 SFX")},
    // Its checksum made right for the level.
    {"/s/level 1.sfx", bumped(bumped(makeSfx({mixed[0]}), first + 0x14), first + 1),
     invalid("C64 SFX")},
    {"/s/damaged second header.sfx", bumped(plain, second + 1),
     {{"names", "GAME"}, {"msgs", "0"}, {"status", "[WARNING] - The entries end at a damaged "
                                                   "header at offset " + std::to_string(second)}}},
    {"/s/last entry cut.sfx", plain.substr(0, end - 1), all({{"status", kCutShort}, mixedNames})},
    };
    // clang-format on
}

} // namespace

TEST(ArchiveReaders, Layouts) {
    for (const auto& rows : {lynxLayouts(), arkLayouts(), arcLayouts(), sfxLayouts()})
        for (const Layout& row : rows) {
            SCOPED_TRACE(row.path);
            ReaderHarness h;
            h.run(*FormatOfFileName(row.path), row.path, row.bytes);
            h.expect(row.expect);
        }
}
