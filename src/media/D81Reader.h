#pragma once
// D81 images (3.5" 1581 disks), with the 1581 partitions listed in place.
#include "media/Reader.h"

#include <cstdint>

namespace qs {

inline constexpr std::uint64_t kD81TrackBytes = 10240;
inline constexpr std::int32_t kD81DirTrack = 40;
inline constexpr std::uint64_t kD81Size = 819200;
inline constexpr std::uint64_t kD81SizeWithErrors = 822400;
// Entries gathered (nested directories included) past which the walk stops.
inline constexpr std::size_t kD81MaxEntries = 296;

void readD81(ReadInput& in);

// Lists the directory starting at (track, sector), every sector of which must
// lie on `track`; each partition ("cbm") met is listed right after its entry
// and closed by an "END OF " entry of type "inf". Traps its own errors, so a
// failing partition ends only its own walk; past kD81MaxEntries entries a
// failure ends its walk without a message.
void readD81Directory(ReadInput& in, std::int32_t track, std::int32_t sector);

} // namespace qs
