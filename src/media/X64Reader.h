#pragma once
// X64 files: a 64-byte header (magic 43 15 41 64) in front of a D64, D71 or
// D81 image, which is read by that image's reader.
#include "media/Reader.h"

#include <cstdint>
#include <string_view>

namespace qs {

inline constexpr std::string_view kX64Magic{"\x43\x15\x41\x64", 4};
inline constexpr std::uint64_t kX64HeaderBytes = 64;

void readX64(ReadInput& in);

} // namespace qs
