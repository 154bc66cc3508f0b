#include "samples/CrtBuilder.h"

namespace qs::samples {

namespace {

void putBe(std::string& out, std::uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

} // namespace

std::string makeCrt(const std::string& name, std::uint16_t hardwareType,
                    const std::vector<ChipPlan>& chips, std::uint8_t exrom, std::uint8_t game) {
    std::string out = "C64 CARTRIDGE   ";
    putBe(out, 0x40, 4);   // header length
    putBe(out, 0x0100, 2); // version
    putBe(out, hardwareType, 2);
    out += static_cast<char>(exrom);
    out += static_cast<char>(game);
    out.append(6, '\0');
    std::string field = name.substr(0, 32);
    field.resize(32, '\0');
    out += field;
    for (const ChipPlan& chip : chips) {
        out += "CHIP";
        putBe(out, static_cast<std::uint32_t>(16 + chip.data.size()), 4);
        putBe(out, 0, 2); // ROM
        putBe(out, chip.bank, 2);
        putBe(out, chip.loadAddress, 2);
        putBe(out, static_cast<std::uint32_t>(chip.data.size()), 2);
        out += chip.data;
    }
    return out;
}

} // namespace qs::samples
