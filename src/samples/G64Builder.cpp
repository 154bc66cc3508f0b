#include "samples/G64Builder.h"

#include "media/Gcr.h"
#include "samples/DiskBuilder.h"

#include <cstdint>
#include <vector>

namespace qs::samples {

namespace {

constexpr int kTracks = 35;
constexpr int kHalfTracks = 84;
constexpr std::size_t kMaxTrackSize = 7928;

std::size_t trackLength(int track) {
    if (track <= 17)
        return 7692;
    if (track <= 24)
        return 7142;
    if (track <= 30)
        return 6666;
    return 6250;
}

std::uint32_t speedZone(int track) {
    return track <= 17 ? 3 : track <= 24 ? 2 : track <= 30 ? 1 : 0;
}

// The GCR bytes of `bytes`, 4 bytes as 5, the last ones padded with zero bits.
std::string EncodeGcr(const std::vector<std::uint8_t>& bytes) {
    std::string out;
    std::uint64_t acc = 0;
    int bits = 0;
    for (std::uint8_t b : bytes) {
        acc = acc << 10 | std::uint64_t{kGcrCodes[b >> 4]} << 5 | kGcrCodes[b & 0x0F];
        bits += 10;
        while (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<char>(acc >> bits & 0xFF));
        }
    }
    if (bits > 0)
        out.push_back(static_cast<char>(acc << (8 - bits) & 0xFF));
    return out;
}

void putU32(std::string& out, std::size_t at, std::uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i)
        out[at + i] = static_cast<char>(v >> (8 * i) & 0xFF);
}

std::string encodeTrack(const std::string& d64, int track) {
    const std::size_t header = sectorOffset1541(18, 0);
    const auto id1 = static_cast<std::uint8_t>(d64[header + 162]);
    const auto id2 = static_cast<std::uint8_t>(d64[header + 163]);
    std::string gcr;
    for (int sector = 0; sector < sectorsOnTrack1541(track); ++sector) {
        const auto s = static_cast<std::uint8_t>(sector), t = static_cast<std::uint8_t>(track);
        gcr.append(5, '\xFF');
        gcr += EncodeGcr(
            {0x08, static_cast<std::uint8_t>(s ^ t ^ id2 ^ id1), s, t, id2, id1, 0x0F, 0x0F});
        gcr.append(9, '\x55');
        gcr.append(5, '\xFF');
        gcr += GcrDataBlock(d64.substr(sectorOffset1541(track, sector), 256));
        gcr.append(8, '\x55');
    }
    gcr.resize(trackLength(track), '\x55');
    return gcr;
}

} // namespace

std::string GcrDataBlock(std::string_view sector, std::optional<std::uint8_t> checksum) {
    std::vector<std::uint8_t> data{0x07};
    std::uint8_t sum = 0;
    for (const char c : sector) {
        data.push_back(static_cast<std::uint8_t>(c));
        sum ^= static_cast<std::uint8_t>(c);
    }
    data.insert(data.end(), {checksum.value_or(sum), 0, 0});
    return EncodeGcr(data);
}

std::string D64ToG64(const std::string& d64) {
    if (d64.size() < DiskBuilder::kD64Size)
        return {};
    const std::size_t table = 12;
    std::string g64 = "GCR-1541";
    g64 += '\0';
    g64 += static_cast<char>(kHalfTracks);
    g64 += static_cast<char>(kMaxTrackSize & 0xFF);
    g64 += static_cast<char>(kMaxTrackSize >> 8);
    g64.resize(table + 8 * kHalfTracks, '\0');
    for (int track = 1; track <= kTracks; ++track) {
        const auto index = static_cast<std::size_t>(track - 1) * 2;
        const std::string gcr = encodeTrack(d64, track);
        putU32(g64, table + 4 * index, static_cast<std::uint32_t>(g64.size()));
        putU32(g64, table + 4 * (kHalfTracks + index), speedZone(track));
        g64 += static_cast<char>(gcr.size() & 0xFF);
        g64 += static_cast<char>(gcr.size() >> 8);
        std::string slot = gcr;
        slot.resize(kMaxTrackSize, '\0');
        g64 += slot;
    }
    return g64;
}

std::size_t G64TrackOffset(const std::string& g64, int track) {
    const std::size_t at = 12 + 4 * static_cast<std::size_t>(track - 1) * 2;
    std::uint32_t v = 0;
    for (std::size_t i = 4; i-- > 0;)
        v = v << 8 | static_cast<std::uint8_t>(g64[at + i]);
    return std::size_t{v} + 2;
}

} // namespace qs::samples
