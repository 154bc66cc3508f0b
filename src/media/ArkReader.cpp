#include "media/ArkReader.h"

#include "media/ArchiveEntries.h"

namespace qs {

namespace {

constexpr std::size_t kEntryBytes = 29;
constexpr std::uint64_t kTransferPadding = 256;

// The directory: the count and its entries.
std::string directoryBytes(const ByteSource& bytes) {
    const std::string count = bytes.read(0, 1);
    return count.empty() ? count
                         : bytes.read(0, 1 + kEntryBytes * static_cast<std::uint8_t>(count[0]));
}

ByteView entryAt(const ByteView& dir, std::size_t index) {
    return dir.sub(1 + kEntryBytes * index, kEntryBytes);
}

bool printable(std::uint8_t b) {
    return (b >= 0x20 && b <= 0x7F) || b >= 0xA0;
}

bool plausible(const ByteView& entry) {
    if ((entry.u8(0) & 7) > 4)
        return false;
    for (std::size_t i = 2; i < 2 + 16; ++i)
        if (!printable(entry.u8(i)))
            return false;
    return true;
}

} // namespace

Bid bidArk(const ByteSource& bytes) {
    const std::string dirBytes = directoryBytes(bytes);
    const ByteView dir(dirBytes);
    const std::size_t count = dir.empty() ? 0 : dir.u8(0);
    if (count == 0 || dir.size() < 1 + kEntryBytes * count)
        return Bid::NotMine;
    std::uint64_t blocks = 0, sideSectors = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const ByteView entry = entryAt(dir, i);
        if (!plausible(entry))
            return Bid::NotMine;
        blocks += entry.u16le(0x1B);
        // Whether a REL file's blocks count its side sectors is not known: allow both.
        if ((entry.u8(0) & 7) == 4)
            sideSectors += entry.u8(0x19);
    }
    const std::uint64_t dataStart = (1 + kEntryBytes * count + 253) / 254 * 254;
    const std::uint64_t size = bytes.size();
    const bool fits = (blocks == 0 || size > dataStart + 254 * (blocks - 1)) &&
                      size <= dataStart + 254 * (blocks + sideSectors) + kTransferPadding;
    return fits ? Bid::Mine : Bid::NotMine;
}

void readArk(ReadInput& in) {
    AnalysisRecords& rec = in.records;
    StartArchiveListing(rec.media, in.path);
    const std::string dirBytes = directoryBytes(in.bytes);
    const ByteView dir(dirBytes);
    const std::size_t count = dir.u8(0);
    for (std::size_t i = 0; i < count; ++i) {
        const ByteView entry = entryAt(dir, i);
        const std::uint8_t type = entry.u8(0);
        const std::uint16_t blocks = entry.u16le(0x1B);
        CbmEntry& e =
            AddArchiveEntry(rec, CutAtPadding(entry.text(2, 16)),
                            TypeText(static_cast<std::uint8_t>(0x80 | (type & 7))), blocks);
        e.Locked = (type & 0x40) != 0;
    }
}

} // namespace qs
