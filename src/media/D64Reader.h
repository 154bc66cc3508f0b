#pragma once
// D64 images (and, through Track18Format, every image whose header and
// directory sit on track 18 of a 1541 layout).
#include "media/Reader.h"

#include <cstdint>
#include <vector>

namespace qs {

struct ImageSizeClass {
    std::uint64_t size;
    bool tracks40;
    bool errorInfo;
};

struct Track18Format {
    std::vector<ImageSizeClass> sizes; // any other size is non-standard
    // Free blocks from the header sector 18/0 (checked byte reads).
    std::int32_t (*blocksFree)(const ByteView& header);
};

// Reads an image laid out like a 1541 disk: name, ID and BAM from 18/0,
// the directory chain from 18/1 (at most 18 sectors, 144 entries).
void readTrack18Image(ReadInput& in, const Track18Format& format);

void readD64(ReadInput& in);

// The standard image sizes: 35 and 40 tracks, each without and with error bytes.
inline constexpr std::uint64_t kD64Size = 174848;
inline constexpr std::uint64_t kD64SizeWithErrors = 175531;
inline constexpr std::uint64_t kD64Size40 = 196608;
inline constexpr std::uint64_t kD64Size40WithErrors = 197376;

// Byte offset of track 18 in a 1541 layout and the span read from there.
inline constexpr std::uint64_t kTrack18Offset = 91392;
inline constexpr std::size_t kTrack18Length = 19 * 256;
inline constexpr int kMaxDirEntries = 144;

} // namespace qs
