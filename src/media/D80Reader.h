#pragma once
// D80 and D82 images (8050 and 8250 disks): header 39/0, the BAM on track
// 38, the directory chain from 39/1.
#include "media/Reader.h"

#include <cstdint>

namespace qs {

inline constexpr std::uint64_t kD80Size = 533248;
inline constexpr std::uint64_t kD82Size = 1066496;
// Tracks 38 and 39 lie in the first zone, 29 sectors a track.
inline constexpr std::uint64_t kD80Track38Offset = 37 * 29 * 256;
inline constexpr std::uint64_t kD80Track39Offset = 38 * 29 * 256;

void readD80(ReadInput& in);
void readD82(ReadInput& in);

} // namespace qs
