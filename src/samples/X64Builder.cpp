#include "samples/X64Builder.h"

#include <algorithm>

namespace qs::samples {

std::string makeX64(const std::string& image, std::uint8_t drive, const std::string& description) {
    std::string header(64, '\0');
    header.replace(0, 4, "\x43\x15\x41\x64", 4);
    header[4] = 1; // version 1.2
    header[5] = 2;
    header[6] = static_cast<char>(drive);
    // Tracks of a 1541 image (40 when it is that large) and whether error
    // bytes follow, from its size; VICE writes 1 in the sides byte.
    const bool forty = image.size() == 196608 || image.size() == 197376;
    header[7] = static_cast<char>(forty ? 40 : 35);
    header[8] = 1;
    header[9] = static_cast<char>(image.size() == 175531 || image.size() == 197376);
    header.replace(32, std::min<std::size_t>(description.size(), 31), description);
    return header + image;
}

} // namespace qs::samples
