#include "media/NibReader.h"

#include "common/Error.h"
#include "common/Text.h"
#include "media/D64Reader.h"
#include "media/Gcr.h"
#include "media/Signature.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace qs {

namespace {

constexpr int kTrack18 = 18;
constexpr std::uint8_t kHalftrack18 = 36; // halftracks count from 2 for track 1
constexpr std::size_t kTablePairs = 120;
constexpr std::size_t kTableAt = 0x10;
constexpr std::uint8_t kKillerTrack = 0x80; // a density flag: all sync
constexpr std::size_t kChunk = 65536;
constexpr std::uint64_t kSaturated = std::uint64_t{1} << 40; // beyond any length or offset

// The packed bytes, one at a time, read a chunk at a time.
class PackedBytes {
  public:
    explicit PackedBytes(const ByteSource& source) : source_(source) {}
    std::optional<std::uint8_t> next() {
        if (at_ == chunk_.size()) {
            chunkStart_ += chunk_.size();
            chunk_ = source_.read(chunkStart_, kChunk);
            at_ = 0;
            if (chunk_.empty())
                return std::nullopt;
        }
        return static_cast<std::uint8_t>(chunk_[at_++]);
    }
    std::uint64_t offset() const { return chunkStart_ + at_; }

  private:
    const ByteSource& source_;
    std::string chunk_;
    std::uint64_t chunkStart_ = 0;
    std::size_t at_ = 0;
};

// A number of 7-bit groups, the highest first, each but the last with bit 7
// set; a value past any length or offset stays at kSaturated. None when the
// bytes end inside it.
std::optional<std::uint64_t> readNumber(PackedBytes& in, std::uint8_t b) {
    std::uint64_t value = 0;
    while (true) {
        value = std::min(value << 7 | (b & 0x7FU), kSaturated);
        if ((b & 0x80) == 0)
            return value;
        const auto next = in.next();
        if (!next)
            return std::nullopt;
        b = *next;
    }
}

// The sector numbers as a list: "3, 7".
std::string sectorList(const std::vector<int>& sectors) {
    std::string list;
    for (const int s : sectors)
        list += (list.empty() ? "" : ", ") + std::to_string(s);
    return list;
}

// Why track 18 gave no header sector.
std::string unreadable(const GcrTrack& track, std::uint8_t density, std::string_view slot) {
    if (track.synced)
        return "sector 0 of track 18, the disk's header, could not be read";
    if ((density & kKillerTrack) != 0 || slot.find_first_not_of('\xFF') == std::string_view::npos)
        return "track 18 is a killer track, nothing but sync: no directory";
    return "track 18 has no sync marks: no directory";
}

} // namespace

NbzInflated InflateNbz(const ByteSource& packed, std::size_t limit) {
    NbzInflated out;
    PackedBytes in(packed);
    const std::optional<std::uint8_t> marker = in.next();
    if (!marker)
        return out;
    // Written in place and cut to size at the end: a NIB is hundreds of
    // kilobytes, mostly back-references.
    std::string& bytes = out.bytes;
    bytes.resize(limit);
    char* const data = bytes.data();
    std::size_t size = 0;
    while (const std::optional<std::uint8_t> b = in.next()) {
        std::uint64_t length = 1;
        std::uint64_t offset = 0;
        if (*b == *marker) {
            const std::uint64_t token = in.offset() - 1;
            const std::optional<std::uint8_t> first = in.next();
            if (!first)
                break; // cut short
            if (*first != 0) {
                const std::optional<std::uint64_t> l = readNumber(in, *first);
                const std::optional<std::uint8_t> o = l ? in.next() : std::nullopt;
                const std::optional<std::uint64_t> back = o ? readNumber(in, *o) : std::nullopt;
                if (!back)
                    break;
                length = *l;
                offset = *back;
                if (offset == 0 || offset > size) {
                    out.end = NbzInflated::Damaged;
                    out.at = token;
                    break;
                }
            }
        }
        if (length > limit - size) {
            out.end = NbzInflated::TooLarge;
            break;
        }
        if (offset == 0) {
            data[size++] = static_cast<char>(*b);
            continue;
        }
        // A copy that overlaps what it writes repeats its first `offset`
        // bytes: copied in pieces that never overlap, each twice the last.
        const char* const from = data + (size - offset);
        char* to = data + size;
        for (std::size_t left = static_cast<std::size_t>(length); left > 0;) {
            const std::size_t piece = std::min(left, static_cast<std::size_t>(to - from));
            std::copy_n(from, piece, to);
            to += piece;
            left -= piece;
        }
        size += static_cast<std::size_t>(length);
    }
    bytes.resize(size);
    return out;
}

NibKind NibKindOf(const ByteSource& bytes) {
    if (HasSignature(bytes, kNibMagic))
        return NibKind::Plain;
    // The magic holds no repeat a back-reference could stand for, so its 13
    // bytes come from at most 26 packed ones.
    const MemoryByteSource head(bytes.read(0, 2 * kNibMagic.size() + 1));
    const NbzInflated z = InflateNbz(head, kNibMagic.size());
    return z.bytes.size() == kNibMagic.size() && upperAscii(z.bytes) == kNibMagic ? NibKind::Packed
                                                                                  : NibKind::None;
}

void readNib(ReadInput& in) {
    std::optional<MemoryByteSource> inflated;
    if (NibKindOf(in.bytes) == NibKind::Packed) {
        NbzInflated z = InflateNbz(in.bytes, kNibMaxBytes);
        if (z.end == NbzInflated::TooLarge)
            raise(err::Overflow,
                  "NBZ data inflates to more than " + std::to_string(kNibMaxBytes) + " bytes");
        if (z.end == NbzInflated::Damaged)
            raise(err::InvalidCall, "NBZ data damaged: a back-reference at offset " +
                                        std::to_string(z.at) + " reaches before the start");
        inflated.emplace(std::move(z.bytes));
    }
    const ByteSource& nib = inflated ? *inflated : in.bytes;

    // The slot of halftrack 36, as the table says: tables with halftracks
    // and tables without place it differently.
    const std::string head = nib.read(0, kNibHeaderBytes);
    const ByteView header(head);
    std::optional<std::size_t> slot;
    std::uint8_t density = 0;
    for (std::size_t i = 0; i < kTablePairs && header.u8(kTableAt + 2 * i) != 0; ++i)
        if (header.u8(kTableAt + 2 * i) == kHalftrack18) {
            slot = i;
            density = header.u8(kTableAt + 2 * i + 1);
            break;
        }
    if (!slot)
        raise(err::InvalidCall, "the track table names no track 18");
    const std::uint64_t at = kNibHeaderBytes + *slot * kNibSlotBytes;
    if (at >= nib.size())
        raise(err::SubscriptOutOfRange,
              "track 18 lies past the end of the file, at offset " + std::to_string(at));
    const std::string gcr = nib.read(at, kNibSlotBytes);
    const GcrTrack track = DecodeGcrTrack(gcr, kTrack18, TrackShape::Capture);
    if (!track.sectors.contains(0))
        raise(err::InvalidCall, unreadable(track, density, gcr));

    // What decodes is read as a D64's directory track would be.
    const MemoryByteSource image(D64WithTrack18(track, false));
    ReadInput asD64{in.records, image, in.path, in.listings, in.trap};
    readD64(asD64);

    std::vector<int> damaged;
    for (int s = 0; s < 19; ++s) {
        const auto copy = track.sectors.find(s);
        if (copy == track.sectors.end() || !copy->second.good)
            damaged.push_back(s);
    }
    if (!damaged.empty())
        in.records.media.Status =
            "[WARNING] - Track 18 sectors not read cleanly: " + sectorList(damaged) +
            ". The listing may miss entries or show them wrong";
}

} // namespace qs
