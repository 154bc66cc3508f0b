#include "standins/codec/GcrDecoder.h"

#include <cstdint>

namespace qs {

namespace {

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

std::string G64DirectoryAsD64(std::string_view image) {
    const GcrTrack track18 = DecodeGcrTrack(G64TrackData(image, 18), 18, TrackShape::Ring);
    const auto header = track18.sectors.find(0);
    if (header == track18.sectors.end() || !header->second.good)
        return {};
    return D64WithTrack18(track18, true);
}

} // namespace qs
