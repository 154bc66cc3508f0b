#pragma once
// Builds files of the P00 family: "C64File", the C64 name padded with bytes 0,
// the REL record length, then the C64 file itself (load address first).
#include <cstdint>
#include <string>

namespace qs::samples {

std::string makePc64(const std::string& c64Name, std::uint16_t loadAddress,
                     const std::string& program, std::uint8_t recordLength = 0);

} // namespace qs::samples
