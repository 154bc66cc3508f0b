#include "standins/codec/GcrDecoder.h"

#include "media/D64Reader.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace qs {

namespace {

constexpr int kSectorsTrack18 = 19;
constexpr std::size_t kHeaderBytes = 8; // 0x08, checksum, sector, track, id2, id1, 0x0F, 0x0F
constexpr std::size_t kDataBytes = 258; // 0x07, 256 data bytes, checksum
constexpr int kSyncBits = 10;
// The first GCR byte (10 bits) of a header block (0x08) and of a data block (0x07).
constexpr unsigned kHeaderMark = unsigned{kGcrCodes[0]} << 5 | kGcrCodes[8];
constexpr unsigned kDataMark = unsigned{kGcrCodes[0]} << 5 | kGcrCodes[7];

std::array<std::uint8_t, 32> decodeTable() {
    std::array<std::uint8_t, 32> t{};
    t.fill(0xFF);
    for (std::uint8_t v = 0; v < 16; ++v)
        t[kGcrCodes[v]] = v;
    return t;
}

// The track as a ring of bits.
class BitRing {
  public:
    explicit BitRing(std::string_view bytes) : bytes_(bytes), bits_(bytes.size() * 8) {}
    std::size_t size() const { return bits_; }
    unsigned bit(std::size_t pos) const {
        pos %= bits_;
        const unsigned byte = static_cast<std::uint8_t>(bytes_[pos / 8]);
        return byte >> (7 - pos % 8) & 1U;
    }
    unsigned bits(std::size_t pos, int count) const {
        unsigned v = 0;
        for (int i = 0; i < count; ++i)
            v = (v << 1) | bit(pos + static_cast<std::size_t>(i));
        return v;
    }
    // `count` bytes of GCR data from bit `pos`; none when a code is invalid.
    std::optional<std::vector<std::uint8_t>> decode(std::size_t pos, std::size_t count) const {
        static const std::array<std::uint8_t, 32> table = decodeTable();
        std::vector<std::uint8_t> out;
        out.reserve(count);
        for (std::size_t i = 0; i < count; ++i, pos += 10) {
            const std::uint8_t hi = table[bits(pos, 5)];
            const std::uint8_t lo = table[bits(pos + 5, 5)];
            if (hi == 0xFF || lo == 0xFF)
                return std::nullopt;
            out.push_back(static_cast<std::uint8_t>(hi << 4 | lo));
        }
        return out;
    }

  private:
    std::string_view bytes_;
    std::size_t bits_;
};

std::uint8_t xorOf(const std::vector<std::uint8_t>& v, std::size_t from, std::size_t to) {
    std::uint8_t x = 0;
    for (std::size_t i = from; i < to; ++i)
        x ^= v[i];
    return x;
}

std::uint32_t u32At(std::string_view b, std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t i = 4; i-- > 0;)
        v = v << 8 | static_cast<std::uint8_t>(b[at + i]);
    return v;
}

} // namespace

std::string_view G64TrackData(std::string_view image, int track) {
    constexpr std::size_t kTable = 12;
    if (image.size() < kTable || image.substr(0, 8) != "GCR-1541" || track < 1 || track > 42)
        return {};
    const std::size_t halfTracks = static_cast<std::uint8_t>(image[9]);
    const auto index = static_cast<std::size_t>(track - 1) * 2;
    if (index >= halfTracks || kTable + 4 * index + 4 > image.size())
        return {};
    const std::uint32_t offset = u32At(image, kTable + 4 * index);
    if (offset == 0 || std::size_t{offset} + 2 > image.size())
        return {};
    const std::size_t length =
        static_cast<std::uint8_t>(image[offset]) |
        static_cast<std::size_t>(static_cast<std::uint8_t>(image[offset + 1])) << 8;
    return image.substr(offset + 2, length);
}

std::map<int, std::string> DecodeGcrTrack(std::string_view gcr, int track) {
    std::map<int, std::string> sectors;
    const BitRing ring(gcr);
    const std::size_t n = ring.size();
    // Start at a zero bit, so that no sync mark is cut in two; the ones just
    // before it (at the end of the ring) count towards its sync.
    std::size_t zero = 0;
    while (zero < n && ring.bit(zero) == 1)
        ++zero;
    if (zero == n)
        return sectors; // nothing but sync
    int ones = static_cast<int>(std::min<std::size_t>(zero, kSyncBits));
    for (std::size_t back = n; back > zero && ones < kSyncBits && ring.bit(back - 1) == 1; --back)
        ++ones;

    int pendingSector = -1; // sector named by the last good header block
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t pos = zero + k;
        if (ring.bit(pos) == 1) {
            ++ones;
            continue;
        }
        const bool syncEnds = ones >= kSyncBits;
        ones = 0;
        if (!syncEnds)
            continue;
        const unsigned first = ring.bits(pos, 10);
        if (first == kHeaderMark) {
            const auto h = ring.decode(pos, kHeaderBytes);
            pendingSector = -1;
            if (h && (*h)[1] == xorOf(*h, 2, 6) && (*h)[3] == track)
                pendingSector = (*h)[2];
        } else if (first == kDataMark && pendingSector >= 0) {
            const int sector = pendingSector;
            pendingSector = -1;
            if (sectors.count(sector) != 0)
                continue;
            const auto d = ring.decode(pos, kDataBytes);
            if (d && (*d)[257] == xorOf(*d, 1, 257))
                sectors.emplace(sector, std::string(d->begin() + 1, d->begin() + 257));
        }
    }
    return sectors;
}

std::string G64DirectoryAsD64(std::string_view image) {
    const std::map<int, std::string> sectors = DecodeGcrTrack(G64TrackData(image, 18), 18);
    if (sectors.count(0) == 0)
        return {};
    std::string d64(kD64Size, '\0');
    for (const auto& [sector, bytes] : sectors)
        if (sector < kSectorsTrack18)
            d64.replace(kTrack18Offset + 256 * static_cast<std::size_t>(sector), 256, bytes);
    return d64;
}

} // namespace qs
