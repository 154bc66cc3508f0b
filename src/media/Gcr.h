#pragma once
// GCR, the 1541's recording code, read back into sectors: 4 bits written as
// 5, sync marks, header and data blocks and their checksums. One decoder for
// every image that holds a disk's bit stream (G64, NIB). Damaged data yields
// fewer sectors, never an error; the work is bounded by the data's length.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace qs {

// The 5-bit GCR code of each 4-bit value.
inline constexpr std::uint8_t kGcrCodes[16] = {0x0A, 0x0B, 0x12, 0x13, 0x0E, 0x0F, 0x16, 0x17,
                                               0x09, 0x19, 0x1A, 0x1B, 0x0D, 0x1D, 0x1E, 0x15};

// How a track's bytes were taken: a G64 track is one revolution whose end
// joins its start; a NIB slot is the drive's stream for more than one
// revolution, so that sectors show twice and its ends cut a copy in two.
enum class TrackShape { Ring, Capture };

struct GcrSector {
    std::string bytes; // the 256 data bytes
    bool good = false; // the data block's checksum fits
};

struct GcrTrack {
    // By sector number: the first copy with a right checksum, else the first
    // whose codes all decode; only sectors whose header block names the
    // track and carries a right checksum.
    std::map<int, GcrSector> sectors;
    bool synced = false; // a sync mark was seen to end, so blocks could start
};

GcrTrack DecodeGcrTrack(std::string_view gcr, int track, TrackShape shape);

// A 35-track D64 image holding the sectors 0-18 read from track 18
// (`goodOnly`: those with a right checksum) and zeros everywhere else: what
// the disk readers need to list the directory.
std::string D64WithTrack18(const GcrTrack& track18, bool goodOnly);

} // namespace qs
