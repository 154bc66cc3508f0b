#include "media/Gcr.h"

#include "media/D64Reader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <optional>
#include <vector>

namespace qs {

namespace {

constexpr int kSectorsTrack18 = 19;
constexpr std::size_t kHeaderBytes = 8; // 0x08, checksum, sector, track, id2, id1, 0x0F, 0x0F
constexpr std::size_t kDataBytes = 258; // 0x07, 256 data bytes, checksum
// The drive sees a sync mark in 10 one bits. A capture may show fewer: the
// drive's byte stream restarts at a sync, and nibtools takes a byte ending
// in a one bit before a $FF byte, 9 ones, as one. Valid GCR never holds more
// than 8 ones in a row, so neither finds a sync mark inside a block.
constexpr int kSyncBits = 10;
constexpr int kCaptureSyncBits = 9;
// The first GCR byte (10 bits) of a header block (0x08) and of a data block (0x07).
constexpr unsigned kHeaderMark = unsigned{kGcrCodes[0]} << 5 | kGcrCodes[8];
constexpr unsigned kDataMark = unsigned{kGcrCodes[0]} << 5 | kGcrCodes[7];

// The byte of each 10-bit GCR pair of codes; kInvalid where either code is
// not one.
constexpr std::uint16_t kInvalid = 0x100;
std::array<std::uint16_t, 1024> decodeTable() {
    std::array<std::uint8_t, 32> nibble{};
    nibble.fill(0xFF);
    for (std::uint8_t v = 0; v < 16; ++v)
        nibble[kGcrCodes[v]] = v;
    std::array<std::uint16_t, 1024> t{};
    for (std::size_t code = 0; code < t.size(); ++code) {
        const std::uint8_t hi = nibble[code >> 5], lo = nibble[code & 0x1F];
        t[code] = hi == 0xFF || lo == 0xFF ? kInvalid : static_cast<std::uint16_t>(hi << 4 | lo);
    }
    return t;
}

// The track's bits, most significant first; a ring wraps past its end, a
// capture ends there.
class BitStream {
  public:
    BitStream(std::string_view bytes, TrackShape shape)
        : bytes_(bytes), bits_(bytes.size() * 8), ring_(shape == TrackShape::Ring) {}
    std::size_t size() const { return bits_; }
    // Whether `count` bits from `pos` are there to read.
    bool holds(std::size_t pos, std::size_t count) const {
        return ring_ ? bits_ > 0 : pos <= bits_ && count <= bits_ - pos;
    }
    unsigned bit(std::size_t pos) const {
        if (pos >= bits_)
            pos %= bits_;
        const unsigned byte = static_cast<std::uint8_t>(bytes_[pos / 8]);
        return byte >> (7 - pos % 8) & 1U;
    }
    // The byte that starts at bit `pos`, a multiple of 8.
    std::uint8_t byteAt(std::size_t pos) const {
        return static_cast<std::uint8_t>(bytes_[(pos >= bits_ ? pos % bits_ : pos) / 8]);
    }
    // Up to 24 bits; four bytes at a time where they do not wrap.
    unsigned bits(std::size_t pos, int count) const {
        if (pos >= bits_)
            pos %= bits_;
        const std::size_t first = pos / 8;
        if (first + 4 <= bytes_.size()) {
            std::uint32_t window = 0;
            for (std::size_t i = 0; i < 4; ++i)
                window = window << 8 | static_cast<std::uint8_t>(bytes_[first + i]);
            return (window << (pos % 8)) >> (32 - count);
        }
        unsigned v = 0;
        for (int i = 0; i < count; ++i)
            v = (v << 1) | bit(pos + static_cast<std::size_t>(i));
        return v;
    }
    // `count` bytes of GCR data from bit `pos`; none when a code is invalid
    // or the data runs past the end of a capture.
    std::optional<std::vector<std::uint8_t>> decode(std::size_t pos, std::size_t count) const {
        static const std::array<std::uint16_t, 1024> table = decodeTable();
        if (!holds(pos, 10 * count))
            return std::nullopt;
        std::vector<std::uint8_t> out(count);
        for (std::size_t i = 0; i < count; ++i, pos += 10) {
            const std::uint16_t byte = table[bits(pos, 10)];
            if (byte == kInvalid)
                return std::nullopt;
            out[i] = static_cast<std::uint8_t>(byte);
        }
        return out;
    }

  private:
    std::string_view bytes_;
    std::size_t bits_;
    bool ring_;
};

std::uint8_t xorOf(const std::vector<std::uint8_t>& v, std::size_t from, std::size_t to) {
    std::uint8_t x = 0;
    for (std::size_t i = from; i < to; ++i)
        x ^= v[i];
    return x;
}

} // namespace

GcrTrack DecodeGcrTrack(std::string_view gcr, int track, TrackShape shape) {
    GcrTrack out;
    const BitStream stream(gcr, shape);
    const std::size_t n = stream.size();
    std::size_t start = 0;
    int ones = 0;
    if (shape == TrackShape::Ring) {
        // Start at a zero bit, so that no sync mark is cut in two; the ones
        // just before it (at the end of the ring) count towards its sync.
        while (start < n && stream.bit(start) == 1)
            ++start;
        if (start == n)
            return out; // nothing but sync
        ones = static_cast<int>(std::min<std::size_t>(start, kSyncBits));
        for (std::size_t back = n; back > start && ones < kSyncBits && stream.bit(back - 1) == 1;
             --back)
            ++ones;
    }

    const int syncBits = shape == TrackShape::Ring ? kSyncBits : kCaptureSyncBits;
    int pendingSector = -1; // sector named by the last good header block
    // A block starts at `pos`, just after a sync mark.
    auto block = [&](std::size_t pos) {
        const unsigned first = stream.bits(pos, 10);
        if (first == kHeaderMark) {
            const auto h = stream.decode(pos, kHeaderBytes);
            pendingSector = -1;
            if (h && (*h)[1] == xorOf(*h, 2, 6) && (*h)[3] == track)
                pendingSector = (*h)[2];
        } else if (first == kDataMark && pendingSector >= 0) {
            const int sector = pendingSector;
            pendingSector = -1;
            const auto known = out.sectors.find(sector);
            if (known != out.sectors.end() && known->second.good)
                return;
            const auto d = stream.decode(pos, kDataBytes);
            if (!d)
                return;
            const bool good = (*d)[257] == xorOf(*d, 1, 257);
            if (known == out.sectors.end() || good)
                out.sectors[sector] = {std::string(d->begin() + 1, d->begin() + 257), good};
        }
    };
    // A sync mark ends at the first zero bit after at least `syncBits` ones.
    // Whole bytes go at once: one holds at most one such zero, its first.
    std::optional<std::size_t> syncEnd;
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t pos = start + k;
        syncEnd.reset();
        if (pos % 8 == 0 && k + 8 <= n) {
            const std::uint8_t byte = stream.byteAt(pos);
            k += 7;
            if (byte == 0xFF) {
                ones += 8;
                continue;
            }
            const int lead = std::countl_one(byte);
            if (ones + lead >= syncBits)
                syncEnd = pos + static_cast<std::size_t>(lead);
            ones = std::countr_one(byte);
        } else if (stream.bit(pos) == 1) {
            ++ones;
        } else {
            if (ones >= syncBits)
                syncEnd = pos;
            ones = 0;
        }
        if (!syncEnd)
            continue;
        out.synced = true;
        if (!stream.holds(*syncEnd, 10))
            break;
        block(*syncEnd);
    }
    return out;
}

std::string D64WithTrack18(const GcrTrack& track18, bool goodOnly) {
    std::string d64(kD64Size, '\0');
    for (const auto& [sector, copy] : track18.sectors)
        if (sector < kSectorsTrack18 && (copy.good || !goodOnly))
            d64.replace(kTrack18Offset + 256 * static_cast<std::size_t>(sector), 256, copy.bytes);
    return d64;
}

} // namespace qs
