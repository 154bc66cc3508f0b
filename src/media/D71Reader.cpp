#include "media/D71Reader.h"

#include "media/D64Reader.h"

namespace qs {

namespace {

// Tracks 1-35 count at 4 + 4(t-1), tracks 36-70 at 221 + (t-36); the two
// directory/BAM tracks 18 and 53 are not free space.
std::int32_t d71BlocksFree(const ByteView& header, const ByteSource&) {
    std::int32_t sum = 0;
    for (std::size_t t = 1; t <= 35; ++t)
        if (t != 18)
            sum += header.u8(4 + 4 * (t - 1));
    for (std::size_t t = 36; t <= 70; ++t)
        if (t != 53)
            sum += header.u8(221 + (t - 36));
    return sum;
}

const DirectoryTrackFormat kD71{
    .sizes = {{kD71Size, false, false}, {kD71SizeWithErrors, false, true}},
    .track = 18,
    .trackOffset = kTrack18Offset,
    .sectors = 19,
    .nameAt = 144,
    .idAt = 162,
    .blocksFree = d71BlocksFree};

} // namespace

void readD71(ReadInput& in) {
    readDirectoryTrackImage(in, kD71);
}

} // namespace qs
