#pragma once
// Zipcode sets: a 1541 disk packed into the files 1!NAME to 4!NAME (and
// 5!NAME for tracks 36 to 40), each a stream of sector records. The set is
// unpacked into a disk image in memory and read as a D64.
#include "media/Reader.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qs {

inline constexpr int kZipcodeParts = 5;
// The part that holds track 18: the directory.
inline constexpr int kZipcodeDirectoryPart = 3;

// The tracks a part holds.
struct ZipcodeTracks {
    int first, last;
};
ZipcodeTracks ZipcodeTracksOf(int part);

// A 1541 disk of 40 tracks: where the parts unpack to, and which of its
// sectors they gave.
struct ZipcodeImage {
    ZipcodeImage();
    std::string bytes;
    std::vector<bool> unpacked; // by sector, in image order
    bool whole(int firstTrack, int lastTrack) const;
};

// What one part's stream gave.
struct ZipcodePartRead {
    int sectors = 0; // distinct sectors of its tracks unpacked
    // Why the stream ended before all of its tracks were unpacked, with the
    // offset of the record where it stopped; empty when they all were.
    std::string damage;
};

// Unpacks part `part` (1-5) from its file's bytes into `image`, record by
// record, each where its own track and sector say. The stream ends at its
// end, or at the first record whose track lies outside the part, whose
// sector is not on its track, whose method is 11, or which is cut short
// (padding after the last record ends it so).
ZipcodePartRead UnpackZipcodePart(std::string_view bytes, int part, ZipcodeImage& image);

// "1!NAME", "5!NAME.Z64"; not a six-pack's "1!!NAME".
bool IsZipcodePartName(std::string_view upperName);
int ZipcodePartOf(std::string_view fileName);
// The name of part `part` of the set: the digit replaced, the rest kept.
std::string ZipcodePartName(std::string_view fileName, int part);

// Reads the set of the part it is handed (its other parts through the
// sibling opener): a set without its directory part, or whose track 18 it
// does not hold whole, cannot be read and raises; what is wrong with the
// other parts is a warning.
void readZipcode(ReadInput& in);

} // namespace qs
