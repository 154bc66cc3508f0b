#pragma once
// Builds cartridge images: the 64-byte "C64 CARTRIDGE" header and CHIP packets.
#include <cstdint>
#include <string>
#include <vector>

namespace qs::samples {

struct ChipPlan {
    std::uint16_t bank = 0;
    std::uint16_t loadAddress = 0x8000;
    std::string data = std::string(8192, '\0');
};

std::string makeCrt(const std::string& name, std::uint16_t hardwareType,
                    const std::vector<ChipPlan>& chips = {ChipPlan{}}, std::uint8_t exrom = 0,
                    std::uint8_t game = 1);

} // namespace qs::samples
