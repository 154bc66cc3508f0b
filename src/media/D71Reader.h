#pragma once
// D71 images: a 1571 double-sided disk, read as a D64 whose BAM counts go on
// for the 35 tracks of the second side.
#include "media/Reader.h"

#include <cstdint>

namespace qs {

inline constexpr std::uint64_t kD71Size = 349696;
inline constexpr std::uint64_t kD71SizeWithErrors = 351062;

void readD71(ReadInput& in);

} // namespace qs
