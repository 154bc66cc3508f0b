// G64 and TAP files, read through our c1541 and tape64: the parsers of their
// listings, tape64's ROM loader decoder against our encoder, and the readers
// on our images, whole and damaged. (cc1541's G64 images are compared with
// --list; bad input at large is the fuzz targets'.)
#include "ToolSession.h"
#include "common/Text.h"
#include "media/D64Reader.h"
#include "media/G64Reader.h"
#include "media/TapReader.h"
#include "samples/DiskBuilder.h"
#include "samples/G64Builder.h"
#include "samples/TapBuilder.h"
#include "standins/codec/TapDecoder.h"

#include <gtest/gtest.h>

namespace qs::test {

namespace {

using samples::TapBuilder;
using samples::toPetscii;

// Every entry as "NAME|type|blocks", "|invalid" and "<" added where they
// apply, and with `addresses` the load and end address.
std::vector<std::string> keys(const AnalysisRecords& r, bool addresses = false) {
    std::vector<std::string> got;
    for (std::size_t i = 1; i <= r.entryCount(); ++i) {
        const CbmEntry& e = r.entries()[i];
        got.push_back(
            e.Name + "|" + e.FileType + "|" + std::to_string(e.Blocks) +
            (e.Valid ? "" : "|invalid") + (e.Locked ? "<" : "") +
            (addresses ? "|" + std::to_string(e.LoadAddress) + "-" + std::to_string(e.EndAddress)
                       : ""));
    }
    return got;
}

// A tape64 listing line: the name from column 20, the addresses at 42 and 49.
std::string line(const std::string& name, const std::string& start, const std::string& end) {
    std::string l = "searching... found(1)" + name;
    l.resize(41, ' ');
    l += start;
    l.resize(48, ' ');
    l += end;
    l.resize(75, ' ');
    return l;
}

std::string headers(const TapScan& scan) {
    std::string out;
    for (const TapHeader& h : scan.headers)
        out += std::to_string(h.type) + ":" + trimBlanks(h.name) + ":" + std::to_string(h.start) +
               "-" + std::to_string(h.end) + (h.secondCopy ? "(2)" : "") + ";";
    return out;
}

TapBuilder twoPrograms() {
    TapBuilder b;
    b.program("FIRST", 0x0801, std::string(2047, 'x'), 1)
        .program(toPetscii("Second one"), 0xC000, std::string(381, 'y'));
    return b;
}

} // namespace

TEST(ParseG64Listing, FillsTheRecordsFromTheListingColumns) {
    AnalysisRecords r;
    ParseG64Listing(r,
                    "12 before the header\n"
                    "0 \"Disk aB         \" ab 2a\n"
                    "12    \"blaster\"           prg \n"
                    "3     \"Space\"             scr<\n"
                    "7     \"x\"                 PRG \r\n"
                    "664 BLOCKS FREE.\n",
                    "/d/My Disk.g64");
    EXPECT_EQ(r.media.HeaderLine, "\"\xC4ISK A\xC2         \" AB 2A");
    EXPECT_EQ(r.media.FileName + "|" + r.media.MediaType + "|" + std::to_string(r.media.BlocksFree),
              "MY DISK|G64|664");
    // The carriage return stays in the line and reads as the lock mark.
    EXPECT_EQ(keys(r),
              (std::vector<std::string>{"BLASTER|prg|12", "\xD3PACE|scr|3|invalid<", "X|PRG|7<"}));
    // A free-blocks line in lower case is an entry line without a closing quote.
    AnalysisRecords bad;
    EXPECT_THROW(ParseG64Listing(bad, "0 \"X\"\n664 blocks free.\n", "x.g64"), Error);
}

TEST(G64Reader, OurImagesWholeAndDamagedAndOneC1541CannotRead) {
    // Thirteen entries over two directory sectors, one locked, one in mixed
    // case and one with a zero byte (printed byte for byte).
    samples::DiskBuilder d;
    d.name(toPetscii("GCR TEST"), "GT\2402A").formatBam();
    for (int i = 0; i < 11; ++i)
        d.add({toPetscii("FILE " + std::to_string(i)),
               static_cast<std::uint8_t>(i == 3 ? 0xC1 : 0x82), static_cast<std::uint16_t>(10 + i),
               17, 0});
    d.add({toPetscii("Mixed Case"), 0x82, 1, 17, 0});
    d.add({std::string("ZERO\0BYTE", 9), 0x82, 2, 17, 0});
    TempDir dir;
    ToolSession t;
    // The real entries: c1541 lists no empty slot of the second sector.
    const auto named = [&] {
        std::vector<std::string> k = keys(t.records);
        std::erase_if(k, [](const std::string& e) { return e.ends_with("|invalid"); });
        return k;
    };
    t.read("D64", dir.write("x.d64", d.bytes()));
    const auto expected = named();
    ASSERT_EQ(expected.size(), 13U);
    std::string g64 = samples::D64ToG64(d.bytes());
    t.read("G64", dir.write("x.g64", g64));
    EXPECT_EQ(named(), expected);

    // The data of the second directory sector (18/4) spoilt: the first eight entries remain.
    g64[samples::G64TrackOffset(g64, 18) + 4 * 362 + 40 + 100] ^= 0x5A;
    t.read("G64", dir.write("x.g64", g64));
    EXPECT_EQ(named(), std::vector<std::string>(expected.begin(), expected.begin() + 8));

    // One c1541 cannot read: said, with why. (Files that are no G64 at all
    // are in the readers' failure table.)
    t.read("G64", dir.write("d.g64", "GCR-1541"));
    EXPECT_EQ(t.records.entryCount(), 0U);
    EXPECT_EQ(t.records.media.MediaName, "");
    ASSERT_EQ(t.view.messages.size(), 1u);
    EXPECT_EQ(t.view.messages[0].text,
              "[analizzaG64] - 75 - Path/File access error (c1541 ended with exit status 1: "
              "c1541: " +
                  dir.str() + "/d.g64: the directory track cannot be read)\r\nFile: " + dir.str() +
                  "/d.g64");
    EXPECT_TRUE(t.leftovers().empty());
}

TEST(ParseTapListing, ReadsNamesAddressesAndBlocksFromTheColumns) {
    AnalysisRecords r;
    // Three "found(" and not 75 long: 9 characters after the 13th go, twice.
    const std::string merged =
        "searching... found(xxxfound(xxx" + line("MERGED", "  2049", "  4096").substr(13);
    ParseTapListing(
        r,
        line("a game", "  2049", "  4096") + "\r\n" + line("B", "2049", "2176") + "\r\n" +
            line("c", "2049", "2049") + "\r\n" + line("short", "1", "2").substr(0, 60) + "\r\n" +
            line("found( twice", "2049", "2430") + "\r\n" + merged + "\r\nother text\r\n",
        "/t/My Tape.tap");
    EXPECT_EQ(r.media.FileName + "|" + r.media.MediaName + "|" + r.media.HeaderLine + "|" +
                  r.media.MediaType,
              "MY TAPE|MY TAPE|\"MY TAPE\"|TAP");
    // Capitals in the listing are shifted letters; 0.5 and 1.5 blocks round to the even 0 and 2.
    EXPECT_EQ(keys(r, true),
              (std::vector<std::string>{"A GAME|prg|8|2049-4096", "\xC2|prg|0|2049-2176",
                                        "C|prg|0|2049-2049", "FOUND( TWICE|prg|2|2049-2430",
                                        "\xCD\xC5\xD2\xC7\xC5\xC4|prg|8|2049-4096"}));
    AnalysisRecords bad;
    EXPECT_THROW(ParseTapListing(bad, line("x", "  20x9", "1"), "x.tap"), Error);
    EXPECT_EQ(bad.entryCount(), 1U);
}

TEST(TapDecoder, FindsTheRomLoaderHeadersAndWhatSurvivesDamage) {
    TapBuilder b = twoPrograms();
    b.dataFile("DATA", "some data");
    for (int version : {0, 1}) {
        const TapScan scan = ScanTap(b.bytes(version));
        EXPECT_TRUE(scan.isTap);
        EXPECT_EQ(headers(scan), "1:FIRST:2049-4096;3:\323ECOND ONE:49152-49533;4:DATA:828-1020;")
            << version;
    }
    EXPECT_FALSE(ScanTap("C64-TAPE-RAX" + std::string(20, '\0')).isTap);
    std::string v2 = b.bytes(1);
    v2[12] = 2;
    EXPECT_FALSE(ScanTap(v2).supported);

    const std::string good = twoPrograms().bytes(1);
    // A pulse of the first header copy spoilt: the second copy is used.
    std::string first = good;
    first[20 + 0x6A00 + 300] = '\x10';
    EXPECT_EQ(headers(ScanTap(first)), "1:FIRST:2049-4096(2);3:\323ECOND ONE:49152-49533;");
    // Both copies spoilt: that header is lost, the other program stays.
    std::string both = first;
    both[20 + 0x6A00 + 202 * 20 + 0x4F + 300] = '\x10';
    EXPECT_EQ(headers(ScanTap(both)), "3:\323ECOND ONE:49152-49533;");
    // Cut in the middle of the second program, and a size field that claims more.
    std::string cut = good.substr(0, good.size() / 2 + 30000);
    cut[16] = '\xFF';
    EXPECT_EQ(headers(ScanTap(cut)).substr(0, 16), "1:FIRST:2049-409");
    // A turbo-loaded tape: its standard boot header, then pulses of another kind.
    TapBuilder turbo;
    turbo.program("BOOT", 0x0801, std::string(200, 'b'), 1);
    std::vector<std::uint8_t> noise;
    for (int i = 0; i < 50000; ++i)
        noise.push_back(static_cast<std::uint8_t>(i % 3 == 0 ? 0x1A : i % 5 == 0 ? 0x56 : 0x28));
    turbo.raw(noise);
    EXPECT_EQ(headers(ScanTap(turbo.bytes(0))), "1:BOOT:2049-2249;");
}

TEST(TapReader, ProgramsOnly) {
    TempDir dir;
    ToolSession t;
    t.read("TAP", dir.write("we ird \"&;$ tape.tap", twoPrograms().bytes(1)));
    EXPECT_EQ(keys(t.records, true), (std::vector<std::string>{"FIRST|prg|8|2049-4096",
                                                               "\323ECOND ONE|prg|2|49152-49533"}));
    EXPECT_EQ(t.records.media.MediaName, "WE IRD \"&;$ TAPE");
    // A tape without programs leaves no entry of the tape before.
    TapBuilder data;
    data.dataFile("DATA", "some data");
    t.read("TAP", dir.write("data.tap", data.bytes(1)));
    EXPECT_EQ(t.records.entryCount(), 0U);
    EXPECT_EQ(t.records.media.MediaName, "DATA");
    EXPECT_TRUE(t.view.messages.empty());
    EXPECT_TRUE(t.leftovers().empty());
}

// A listing program that fails, one way each: the file is named with the
// reason and counted as not searched. Our own programs fail too when their
// listing cannot be written.
TEST(ListingPrograms, AListingThatIsNotWholeFailsItsFile) {
    const std::string access = "75 - Path/File access error (";
    const struct {
        const char* tool;
        std::string body;
        std::string said;
    } cases[] = {
        // Nothing at all, as from a program that could not write and says nothing.
        {"c1541", "exit 0", access + "c1541 gave no complete listing)"},
        {"c1541", "echo '0 \"DISK\" 01 2a'; echo '12 \"GAME\" prg'",
         access + "c1541 gave no complete listing)"},
        {"tape64", "printf 'tape64: scanning\\r\\n'", access + "tape64 gave no complete listing)"},
        {"c1541", "echo 'c1541: cannot write' >&2; exit 1",
         access + "c1541 ended with exit status 1: c1541: cannot write)"},
        {"c1541", "head -c 17000000 /dev/zero",
         "7 - Out of memory (c1541 wrote more than 16 MiB, not read)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body);
        TempDir tools, dir;
        writeScript(tools, c.tool, c.body);
        // Only the signature is read before the program lists the file.
        const bool tape = std::string(c.tool) == "tape64";
        const std::string file =
            tape ? dir.write("b.tap", "C64-TAPE-RAW\1") : dir.write("a.g64", "GCR-1541");
        ToolSession t(tools.str());
        t.search(dir.str(), "*", {"G64", "TAP"});
        ASSERT_EQ(t.view.messages.size(), 1u);
        EXPECT_EQ(t.view.messages[0].text,
                  (tape ? "[analizzaTAP] - " : "[analizzaG64] - ") + c.said + "\r\nFile: " + file);
        EXPECT_EQ(t.lastOutcome.filesFailed, 1);
    }
    TempDir dir;
    dir.write("x.d64", std::string(174848, '\0'));
    dir.write("x.tap", twoPrograms().bytes(1));
    for (const char* ours : {"c1541 x.d64 -list", "tape64 -i:x.tap"})
        EXPECT_NE(shell("cd " + dir.str() + " && " + BinFolder() + ours + " >/dev/full 2>&1"), 0)
            << ours;
}

} // namespace qs::test
