#pragma once
// Reading a G64 image: the GCR bit stream of a 1541 track turned back into
// sectors (sync marks, header and data blocks, 5-to-4 decoding, checksums).
// Damaged data yields fewer sectors, never an error; the work per track is
// bounded by its length.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace qs {

// The 5-bit GCR code of each 4-bit value.
inline constexpr std::uint8_t kGcrCodes[16] = {0x0A, 0x0B, 0x12, 0x13, 0x0E, 0x0F, 0x16, 0x17,
                                               0x09, 0x19, 0x1A, 0x1B, 0x0D, 0x1D, 0x1E, 0x15};

// The raw GCR bytes of full track `track` (1-42) of a G64 image; empty when
// the image has no such track or is not a G64.
std::string_view G64TrackData(std::string_view image, int track);

// The 256-byte sectors of a track whose header block names `track`, carries a
// right checksum, and is followed by a data block with a right checksum.
std::map<int, std::string> DecodeGcrTrack(std::string_view gcr, int track);

// A D64 image holding the sectors of track 18 read from the G64 (everything
// else zero), for the disk readers; empty when the header sector 18/0 could
// not be read.
std::string G64DirectoryAsD64(std::string_view image);

} // namespace qs
