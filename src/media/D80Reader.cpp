#include "media/D80Reader.h"

#include "media/D64Reader.h"

#include <algorithm>

namespace qs {

namespace {

constexpr std::uint8_t kDirTrack = 39;

// The BAM sectors 38/0, 38/3 (and 38/6, 38/9 on an 8250) cover 50 tracks
// each, five bytes a track from byte 6, the free count first. The directory
// track 39 is no free space.
template <int kTracks> std::int32_t blocksFree(const ByteView&, const ByteSource& image) {
    constexpr int kBamSectors = (kTracks + 49) / 50;
    std::int32_t sum = 0;
    for (int k = 0; k < kBamSectors; ++k) {
        const std::uint64_t at = kD80Track38Offset + 3 * 256 * static_cast<std::uint64_t>(k);
        const std::string sector = image.read(at, 256);
        const ByteView bam(sector, image.origin() + at);
        for (int t = 50 * k + 1; t <= std::min(kTracks, 50 * (k + 1)); ++t)
            if (t != kDirTrack)
                sum += bam.u8(6 + 5 * static_cast<std::size_t>((t - 1) % 50));
    }
    return sum;
}

DirectoryTrackFormat cbm8050Format(std::uint64_t size,
                                   std::int32_t (*free)(const ByteView&, const ByteSource&)) {
    return {.sizes = {{size, false, false}},
            .track = kDirTrack,
            .trackOffset = kD80Track39Offset,
            .sectors = 29,
            .nameAt = 6,
            .idAt = 24,
            .blocksFree = free};
}

const DirectoryTrackFormat kD80 = cbm8050Format(kD80Size, blocksFree<77>);
const DirectoryTrackFormat kD82 = cbm8050Format(kD82Size, blocksFree<154>);

} // namespace

void readD80(ReadInput& in) {
    readDirectoryTrackImage(in, kD80);
}

void readD82(ReadInput& in) {
    readDirectoryTrackImage(in, kD82);
}

} // namespace qs
