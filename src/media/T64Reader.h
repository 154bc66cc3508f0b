#pragma once
// T64 tape archives: the tape name and one entry per directory record.
#include "media/Reader.h"

#include <cstdint>

namespace qs {

void readT64(ReadInput& in);

// Bytes between start and end address in blocks of 254, halves going to the
// even neighbour (127 -> 0, 381 -> 2); negative when the end lies below the start.
std::int32_t T64Blocks(std::int32_t loadAddress, std::int32_t endAddress);

} // namespace qs
