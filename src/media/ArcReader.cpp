#include "media/ArcReader.h"

#include "common/Error.h"
#include "media/ArchiveEntries.h"

#include <vector>

namespace qs {

namespace {

constexpr std::size_t kLongestHeader = 11 + 16 + 3 + 1;
constexpr std::uint8_t kOnePass = 5; // crunched in one pass: no size in the header

struct EntryHeader {
    std::uint8_t mode;
    std::uint32_t size;   // the unpacked bytes (not for mode 5)
    std::uint16_t blocks; // the whole entry, header and packed data
    std::string type;
    std::string name;
};

// The header at `at`, when one stands there: version 1 or 2, a mode the
// version knows, a name of up to 16 bytes, type P, S, U or R, all of it
// inside the file.
std::optional<EntryHeader> headerAt(const ByteSource& bytes, std::uint64_t at) {
    const std::string raw = bytes.read(at, kLongestHeader);
    const ByteView h(raw, at);
    if (raw.size() < 11)
        return std::nullopt;
    const std::uint8_t version = h.u8(0), mode = h.u8(1), nameLength = h.u8(10);
    const std::string type = TypeOfLetter(static_cast<char>(h.u8(9)));
    if ((version != 1 && version != 2) || mode > (version == 1 ? 2 : kOnePass) || nameLength > 16 ||
        type.empty() || type == "del")
        return std::nullopt;
    // Version 2 adds the record length and a date; mode 1 its RLE marker.
    const std::size_t length = 11u + nameLength + (version == 2 ? 3 : 0) + (mode == 1 ? 1 : 0);
    if (raw.size() < length)
        return std::nullopt;
    const std::uint32_t size = h.u16le(4) | static_cast<std::uint32_t>(h.u8(6)) << 16;
    return EntryHeader{mode, size, h.u16le(7), type, h.text(11, nameLength)};
}

// The SDA's BASIC line: its number, and whether its SYS address starts with 7.
struct SdaLine {
    std::uint16_t number;
    bool c128;
};

std::optional<SdaLine> sdaLine(const ByteSource& bytes) {
    const std::string head = bytes.read(0, 16);
    const ByteView h(head);
    if (head.size() < 7 || h.u8(0) != 0x01 || h.u8(1) != 0x08 || h.u8(6) != 0x9E)
        return std::nullopt;
    std::size_t at = 7;
    while (at < head.size() && head[at] == ' ')
        ++at;
    return SdaLine{h.u16le(4), at < head.size() && head[at] == '7'};
}

} // namespace

std::optional<std::uint64_t> ArcStreamStart(const ByteSource& bytes) {
    std::vector<std::uint64_t> starts;
    const std::optional<SdaLine> sda = sdaLine(bytes);
    if (!sda) {
        starts.push_back(0);
    } else {
        constexpr std::uint16_t kC128Line = 15;
        const std::uint16_t line =
            sda->c128 && sda->number == kC128Line ? kC128Line - 1 : sda->number;
        if (line >= 6)
            starts.push_back(std::uint64_t{line - 6u} * 254);
        if (sda->c128)
            starts.push_back((kC128Line - 1 - 6) * 254);
    }
    for (const std::uint64_t start : starts)
        if (headerAt(bytes, start))
            return start;
    return std::nullopt;
}

Bid bidArc(const ByteSource& bytes) {
    return ArcStreamStart(bytes) ? Bid::Mine : Bid::NotMine;
}

void readArc(ReadInput& in) {
    AnalysisRecords& rec = in.records;
    StartArchiveListing(rec.media, in.path);
    const std::optional<std::uint64_t> start = ArcStreamStart(in.bytes);
    if (!start)
        raise(err::InvalidCall, "no ARC entry header");
    const std::uint64_t size = in.bytes.size();
    std::uint64_t at = *start;
    for (;;) {
        const std::optional<EntryHeader> h = headerAt(in.bytes, at);
        if (!h) {
            if (!OnlyPaddingFrom(in.bytes, at))
                rec.media.Status = DamagedHeaderStatus(at);
            return;
        }
        std::uint64_t next = at + 254 * std::uint64_t{h->blocks};
        std::int32_t blocks = BlocksOfBytes(h->size);
        if (h->mode == kOnePass) {
            for (next = at + 254; next < size && !headerAt(in.bytes, next); next += 254) {
            }
            blocks = BlocksOfBytes(std::min(next, size) - at);
            rec.media.Status = "[WARNING] - Entries crunched in one pass show their packed size";
        } else if (h->blocks == 0) {
            raise(err::InvalidCall, "entry " + std::to_string(rec.entryCount() + 1) +
                                        " spans no block at offset " + std::to_string(at));
        } else if (next - 254 >= size) {
            rec.media.Status = kArchiveCutShort;
        }
        AddArchiveEntry(rec, h->name, h->type, blocks);
        at = next;
    }
}

} // namespace qs
