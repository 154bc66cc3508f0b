#pragma once
// D64 images, and through DirectoryTrackFormat every image whose header and
// directory share one track as a 1541's do on track 18 (D71, D80, D82).
#include "media/Reader.h"

#include <cstdint>
#include <vector>

namespace qs {

struct ImageSizeClass {
    std::uint64_t size;
    bool tracks40;
    bool errorInfo;
};

// Where an image keeps its header and directory: on one track, the header
// in its sector 0 and the directory chain from its sector 1, eight 32-byte
// entries a sector, laid out as on a 1541.
struct DirectoryTrackFormat {
    std::vector<ImageSizeClass> sizes; // any other size is non-standard
    std::uint8_t track;                // the directory track
    std::uint64_t trackOffset;         // its byte offset in the image
    std::uint8_t sectors;              // the sectors on that track
    std::size_t nameAt;                // in the header: the 16-byte disk name,
    std::size_t idAt;                  // and the 5-byte field of ID and DOS type
    // Free blocks from the header sector (checked byte reads) and, where the
    // BAM lies elsewhere, from the image.
    std::int32_t (*blocksFree)(const ByteView& header, const ByteSource& image);
};

// Reads the name, ID and free blocks from the header and follows the
// directory chain along the directory track, at most 8 entries for each of
// its sectors but the header's; a chain leaving the track or longer than
// that is cut with a warning.
void readDirectoryTrackImage(ReadInput& in, const DirectoryTrackFormat& format);

void readD64(ReadInput& in);

// The standard image sizes: 35 and 40 tracks, each without and with error bytes.
inline constexpr std::uint64_t kD64Size = 174848;
inline constexpr std::uint64_t kD64SizeWithErrors = 175531;
inline constexpr std::uint64_t kD64Size40 = 196608;
inline constexpr std::uint64_t kD64Size40WithErrors = 197376;

// Byte offset of track 18 in a 1541 layout and the span read from there.
inline constexpr std::uint64_t kTrack18Offset = 91392;
inline constexpr std::size_t kTrack18Length = 19 * 256;

} // namespace qs
