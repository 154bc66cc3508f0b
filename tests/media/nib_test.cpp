// NIB and NBZ images over captures written by our NIB writer from a D64, one
// thing changed per row: where the capture starts, the table's halftracks,
// packing, and damage to track 18's slot. (cc1541's own G64 tracks, taken
// into a NIB, are listed against cc1541 with the command line's tests.)
#include "ReaderHarness.h"
#include "media/NibReader.h"
#include "samples/DiskBuilder.h"
#include "samples/G64Builder.h"
#include "samples/NibBuilder.h"

#include <functional>

using namespace qs;
using namespace qs::test;
using namespace qs::samples;

namespace {

// Ten entries: the directory takes 18/1 and then 18/4.
std::string disk() {
    DiskBuilder d;
    d.name("NIBBLED").formatBam();
    for (int i = 0; i < 10; ++i)
        d.add({"F" + std::to_string(i), 0x82, 2, 17, 0});
    return d.bytes();
}

std::string sector(int s) {
    return disk().substr(sectorOffset1541(18, s), 256);
}

// The NIB of disk() whose track 18 slot (and its density byte) `change` alters.
std::string nib(const std::function<void(std::string& slot, char& density)>& change = {},
                const NibPlan& plan = {}) {
    std::string image = D64ToNib(disk(), plan);
    const std::size_t at = NibSlotOffset(image, 36);
    std::string slot = image.substr(at, kNibSlotBytes);
    char& density = image[0x11 + 2 * ((at - kNibHeaderBytes) / kNibSlotBytes)];
    if (change)
        change(slot, density);
    return image.replace(at, slot.size(), slot);
}

// Replaces the first `copies` copies of `block` in the slot by `with`.
std::function<void(std::string&, char&)> replaced(const std::string& block, const std::string& with,
                                                  int copies) {
    return [=](std::string& slot, char&) {
        std::size_t at = 0;
        for (int i = 0; i < copies && (at = slot.find(block, at)) != std::string::npos; ++i)
            slot.replace(at, with.size(), with);
    };
}

std::uint8_t checksum(const std::string& bytes) {
    std::uint8_t sum = 0;
    for (const char c : bytes)
        sum ^= static_cast<std::uint8_t>(c);
    return sum;
}

// Sector 4 with entry 9 renamed X8, under the checksum of F8.
std::string renamedUnderOldSum() {
    std::string renamed = sector(4);
    renamed[5] = 'X';
    return GcrDataBlock(renamed, checksum(sector(4)));
}

std::string patched(std::string bytes, std::size_t at, const std::string& with) {
    return bytes.replace(at, with.size(), with);
}

const std::string kNames = "F0|F1|F2|F3|F4|F5|F6|F7|F8|F9||||||";
const std::string kNamesOf18_1 = "F0|F1|F2|F3|F4|F5|F6|F7||||||||"; // 18/4 zero
const std::string kWarning = "[WARNING] - Track 18 sectors not read cleanly: ";
const std::string kReadBy = "[analizzaNIB] - ";

struct Case {
    const char* path;
    std::string bytes;
    Expect expect;
};

std::vector<Case> cases() {
    const std::string plain = nib();
    const std::string halftracks = nib({}, {.halftracks = true});
    const std::string zeros(5, '\0'); // five GCR bytes of invalid codes
    // clang-format off
    return {
    {"/n/plain.nib", plain,
     {{"type", "NIB"}, {"name", "NIBBLED         "}, {"header", "\"NIBBLED         \" 01 2A"},
      {"free", "664"}, {"names", kNames}, {"e3.blocks", "2"}, {"status", ""}, {"msgs", "0"}}},
    // Track 18 is the table's 34th entry, not its 17th.
    {"/n/halftracks.nib", halftracks, {{"names", kNames}, {"status", ""}}},
    // Sectors cut at both ends of the slot, and shown twice.
    {"/n/late start.nib", nib({}, {.start = 3000}), {{"names", kNames}, {"status", ""}}},
    {"/n/packed.nbz", PackNbz(halftracks), {{"type", "NBZ"}, {"names", kNames}, {"status", ""}}},
    // The content decides, not the name.
    {"/n/packed.nib", PackNbz(plain), {{"names", kNames}, {"status", ""}}},
    {"/n/plain.nbz", plain, {{"names", kNames}, {"status", ""}}},
    // The magic's own letter as the marker: "N" stored as "N 00".
    {"/n/marker N.nbz", PackNbz(plain, 'N'), {{"names", kNames}, {"status", ""}}},
    // The first copy of 18/1 with a wrong checksum, the second good.
    {"/n/good second copy.nib",
     nib(replaced(GcrDataBlock(sector(1)), GcrDataBlock(sector(1), checksum(sector(1)) ^ 1), 1)),
     {{"names", kNames}, {"status", ""}}},
    // 18/4, which shows once, under a checksum that does not fit: read as it decodes.
    {"/n/bad checksum.nib", nib(replaced(GcrDataBlock(sector(4)), renamedUnderOldSum(), 1)),
     {{"names", "F0|F1|F2|F3|F4|F5|F6|F7|X8|F9||||||"},
      {"status", kWarning + "4. The listing may miss entries or show them wrong"},
      {"msgs", "0"}}},
    // The sync before 18/4's data block down to 9 ones, as a capture may show it.
    {"/n/short sync.nib",
     nib(replaced(std::string(5, '\xFF') + GcrDataBlock(sector(4)), "\x55\x55\x55\x55\xFF", 1)),
     {{"names", kNames}, {"status", ""}}},
    // 18/4 does not decode: its entries are missing.
    {"/n/bad codes.nib", nib(replaced(GcrDataBlock(sector(4)), zeros, 1)),
     {{"names", kNamesOf18_1}, {"status", kWarning + "4. *"}}},
    {"/n/no header.nib", nib(replaced(GcrDataBlock(sector(0)), zeros, 2)),
     {{"count", "0"}, {"msg", kReadBy + "5 - Invalid procedure call or argument (sector 0 of "
                              "track 18, the disk's header, could not be read)*"}}},
    {"/n/killer.nib", nib([](std::string& slot, char& density) {
         slot.assign(slot.size(), '\xFF');
         density = '\x82'; }),
     {{"count", "0"}, {"msg", kReadBy + "5 - Invalid procedure call or argument (track 18 is a "
                              "killer track, nothing but sync: no directory)*"}}},
    {"/n/no sync.nib", nib([](std::string& slot, char& density) {
         slot.assign(slot.size(), '\x55');
         density = '\x42'; }),
     {{"count", "0"}, {"msg", kReadBy + "5 - Invalid procedure call or argument (track 18 has no "
                              "sync marks: no directory)*"}}},
    // The table names track 18, the file ends before its slot.
    {"/n/short.nib", plain.substr(0, NibSlotOffset(plain, 36)),
     {{"msg", kReadBy + "9 - Subscript out of range (track 18 lies past the end of the file, at "
                        "offset 139520)*"}}},
    {"/n/cut in track 18.nib", plain.substr(0, NibSlotOffset(plain, 36) + 1500),
     {{"names", kNamesOf18_1}, {"status", kWarning + "4, 5, *"}}},
    {"/n/no track 18.nib", patched(plain, 0x10 + 2 * 17, "\x25"),
     {{"msg", kReadBy + "5 - Invalid procedure call or argument (the track table names no track "
                        "18)*"}}},
    {"/n/header cut.nib", plain.substr(0, 40), {{"msg", kReadBy + "9 - *"}}},
    {"/n/other magic.nib", patched(plain, 12, "X"),
     {{"name", "NOT A NIB IMAGE FILE"}, {"status", "INVALID FILE"}, {"msgs", "0"}}},
    {"/n/empty.nbz", "", {{"status", "INVALID FILE"}}},
    {"/n/reference too far.nbz",
     std::string("X"                  // the marker
                 "MNIB-1541-RAW"      // literal bytes
                 "X\x04\x0E", 17),    // 4 bytes from 14 back: before the start
     {{"msg", kReadBy + "5 - Invalid procedure call or argument (NBZ data damaged: a "
                        "back-reference at offset 14 reaches before the start)*"}}},
    {"/n/too large.nbz",
     std::string("X"                  // the marker
                 "MNIB-1541-RAW"      // literal bytes
                 "X\xAB\x81\x74\x01", 19), // 704756 bytes from 1 back: one too many
     {{"msg", kReadBy + "6 - Overflow (NBZ data inflates to more than 704768 bytes)*"}}},
    };
    // clang-format on
}

} // namespace

TEST(NibReader, ReadsTrack18OfTheCaptureAsAD64) {
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.path);
        ReaderHarness h;
        h.run(*FormatOfFileName(c.path), c.path, c.bytes);
        h.expect(c.expect);
    }
}

TEST(NibReader, PacksAndInflatesToTheSameBytes) {
    const std::string image = nib({}, {.halftracks = true});
    const std::string packed = PackNbz(image);
    EXPECT_LT(packed.size(), image.size() / 10);
    const NbzInflated z = InflateNbz(MemoryByteSource(packed), kNibMaxBytes);
    EXPECT_EQ(z.end, NbzInflated::Complete);
    EXPECT_TRUE(z.bytes == image);
}
