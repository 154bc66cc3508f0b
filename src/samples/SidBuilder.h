#pragma once
// Builds PSID version 2 tunes: the 124-byte header, then the C64 data with
// its load address in its first two bytes.
#include <cstdint>
#include <string>

namespace qs::samples {

struct SidPlan {
    std::string name; // Latin-1, padded with bytes 0 to 32
    std::string author;
    std::string released;
    std::uint16_t load = 0x1000;
    std::uint16_t init = 0x1000;
    std::uint16_t play = 0x1003;
    std::string code = std::string(16, '\x60'); // RTS
};

std::string makeSid(const SidPlan& tune);

} // namespace qs::samples
