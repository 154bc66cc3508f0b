#pragma once
// Files of the P00 family: one C64 file behind the 26-byte PC64 header.
#include "media/Reader.h"

#include <cstdint>

namespace qs {

// Files this long or longer are not read as PC64 files.
inline constexpr std::uint64_t kPc64SizeLimit = 1000000;

void readPc64(ReadInput& in);

} // namespace qs
