#pragma once
// Cartridge images: the medium is named after the hardware type, the one
// entry carries the cartridge's name.
#include "media/Reader.h"

#include <cstdint>

namespace qs {

void readCrt(ReadInput& in);

// "Normal cartridge", "Action Replay", ... for codes 0-27, else "Unknown HW Type".
std::string CrtHardwareName(std::int32_t hardwareType);

} // namespace qs
