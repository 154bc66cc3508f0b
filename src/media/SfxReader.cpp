#include "media/SfxReader.h"

#include "common/Error.h"
#include "media/ArchiveEntries.h"

namespace qs {

namespace {

constexpr std::size_t kSearched = 16384; // the extractors are under 4 KiB
constexpr std::size_t kFixedFields = 22; // from the method to the CRC, the name aside

struct LhaHeader {
    std::uint64_t next; // where the next header starts
    std::uint32_t original;
    std::string name; // the field's part before its byte 0
    std::string type;
};

// The level-0 header at `at`, when one stands there whole: its length
// (counted from its third byte) and the checksum of those bytes, an LHA
// method, level 0, a name inside the header.
std::optional<LhaHeader> headerAt(const ByteSource& bytes, std::uint64_t at) {
    const std::string raw = bytes.read(at, 2 + 255);
    const ByteView h(raw, at);
    if (raw.size() < 2)
        return std::nullopt;
    const std::size_t length = h.u8(0);
    if (length < kFixedFields || raw.size() < 2 + length)
        return std::nullopt;
    std::uint8_t sum = 0;
    for (std::size_t i = 2; i < 2 + length; ++i)
        sum = static_cast<std::uint8_t>(sum + h.u8(i));
    const std::string_view method = std::string_view(raw).substr(2, 5);
    const std::size_t nameLength = h.u8(21);
    if (sum != h.u8(1) || method[0] != '-' || method[1] != 'l' ||
        (method[2] != 'h' && method[2] != 'z') || method[4] != '-' || h.u8(20) != 0 ||
        kFixedFields + nameLength > length)
        return std::nullopt;
    const std::string field = h.text(22, nameLength);
    const std::size_t zero = field.find('\0');
    const std::string type =
        zero + 1 < field.size() ? TypeOfLetter(field[zero + 1]) : std::string();
    return LhaHeader{at + 2 + length + h.u32le(7), h.u32le(11), field.substr(0, zero),
                     type.empty() ? "ukw" : type};
}

} // namespace

std::optional<std::uint64_t> SfxFirstHeader(const ByteSource& bytes) {
    const std::string head = bytes.read(0, kSearched);
    if (head.size() < 2 || head[0] != '\x01' || head[1] != '\x1C')
        return std::nullopt;
    for (std::size_t at = head.find("-l", 4); at != std::string::npos; at = head.find("-l", at + 1))
        if (at + 4 < head.size() && head[at + 4] == '-' && headerAt(bytes, at - 2))
            return at - 2;
    return std::nullopt;
}

Bid bidSfx(const ByteSource& bytes) {
    return SfxFirstHeader(bytes) ? Bid::Mine : Bid::NotMine;
}

void readSfx(ReadInput& in) {
    AnalysisRecords& rec = in.records;
    StartArchiveListing(rec.media, in.path);
    std::optional<std::uint64_t> at = SfxFirstHeader(in.bytes);
    if (!at)
        raise(err::InvalidCall, "no LHA header");
    for (;;) {
        const std::optional<LhaHeader> h = headerAt(in.bytes, *at);
        if (!h) {
            // A header length of 0 closes the archive.
            const std::string end = in.bytes.read(*at, 1);
            if (end != std::string(1, '\0') && !OnlyPaddingFrom(in.bytes, *at))
                rec.media.Status = DamagedHeaderStatus(*at);
            return;
        }
        AddArchiveEntry(rec, h->name, h->type, BlocksOfBytes(h->original));
        if (h->next > in.bytes.size())
            rec.media.Status = kArchiveCutShort;
        at = h->next;
    }
}

} // namespace qs
