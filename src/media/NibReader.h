#pragma once
// NIB images, the raw 1541 track dumps of nibtools: "MNIB-1541-RAW", a
// 256-byte header whose track table gives each 8,192-byte slot its halftrack
// and density, then the slots, each the drive's GCR stream for a little more
// than one revolution. NBZ files are NIB files through nibtools' LZ77 coder.
// Only track 18 is decoded, and read as a D64's directory track.
#include "media/Reader.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qs {

inline constexpr std::string_view kNibMagic = "MNIB-1541-RAW";
inline constexpr std::size_t kNibHeaderBytes = 256;
inline constexpr std::size_t kNibSlotBytes = 8192;
// nibtools' own buffers hold 86 tracks: no NBZ inflates to more.
inline constexpr std::size_t kNibMaxBytes = kNibHeaderBytes + 86 * kNibSlotBytes;

enum class NibKind { None, Plain, Packed };
// Plain when the bytes start with the magic, Packed when they inflate to it.
NibKind NibKindOf(const ByteSource& bytes);

struct NbzInflated {
    enum End { Complete, Damaged, TooLarge };
    std::string bytes; // what was inflated, at most the limit
    End end = Complete;
    std::uint64_t at = 0; // Damaged: the offset of the broken back-reference
};

// Inflates NBZ bytes until they end (a token cut short ends them too), up to
// `limit` bytes: TooLarge when more would follow.
NbzInflated InflateNbz(const ByteSource& packed, std::size_t limit);

void readNib(ReadInput& in);

} // namespace qs
