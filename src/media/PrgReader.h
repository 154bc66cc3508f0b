#pragma once
// Bare C64 program files (.prg): the host file is the C64 file, load address
// first. Its one entry is named after the host file.
#include "media/Reader.h"

#include <cstdint>

namespace qs {

// The blocks a file of `bytes` bytes takes on a CBM disk: 254 bytes each,
// the last one partly filled; an empty file takes none.
std::int32_t PrgBlocks(std::uint64_t bytes);

void readPrg(ReadInput& in);

} // namespace qs
