#pragma once
// Writes NIB files as nibtools' capture of a disk: the header and track
// table, then each track's GCR stream as the drive read it, a revolution and
// then some, in 8,192-byte slots. And NBZ files: NIB bytes through the LZ77
// coder (a marker byte, literals, back-references as 7-bit-group numbers).
#include <cstdint>
#include <optional>
#include <string>

namespace qs::samples {

struct NibPlan {
    // An entry for every halftrack from 2 to 84, as nibconv writes them: the
    // odd ones unformatted, so that track n is entry 2n - 2, not n - 1.
    bool halftracks = false;
    // Where in each revolution the capture starts: a sector there is cut at
    // the slot's start and shows again, whole, at its end.
    std::size_t start = 0;
};

// The NIB of the tracks of a G64 image (as many as it has).
std::string G64ToNib(const std::string& g64, const NibPlan& plan = {});
// The NIB of a D64 image of 174848 bytes, through D64ToG64.
std::string D64ToNib(const std::string& d64, const NibPlan& plan = {});

// Byte offset of the slot of `halftrack` (36: track 18) in a NIB; npos for none.
std::size_t NibSlotOffset(const std::string& nib, int halftrack);

// The NBZ bytes of a file, packed as nibtools' coder packs it: the marker
// is the least frequent byte value unless `marker` is given.
std::string PackNbz(const std::string& bytes, std::optional<std::uint8_t> marker = {});

} // namespace qs::samples
