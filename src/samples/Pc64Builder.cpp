#include "samples/Pc64Builder.h"

namespace qs::samples {

std::string makePc64(const std::string& c64Name, std::uint16_t loadAddress,
                     const std::string& program, std::uint8_t recordLength) {
    std::string out("C64File\0", 8);
    std::string name = c64Name.substr(0, 16);
    name.resize(16, '\0');
    out += name;
    out += '\0';
    out += static_cast<char>(recordLength);
    out += static_cast<char>(loadAddress & 0xFF);
    out += static_cast<char>(loadAddress >> 8);
    return out + program;
}

} // namespace qs::samples
