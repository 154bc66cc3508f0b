#include "common/Petscii.h"

#include <array>
#include <cstdint>

namespace qs {

namespace {

std::array<std::uint8_t, 256> displayTable() {
    std::array<std::uint8_t, 256> t{};
    for (unsigned i = 0; i < 256; ++i)
        t[i] = static_cast<std::uint8_t>(i);
    auto map = [&](std::initializer_list<unsigned> from, unsigned to) {
        for (unsigned f : from)
            t[f] = static_cast<std::uint8_t>(to);
    };
    map({211}, 3);
    map({218}, 4);
    map({216}, 5);
    map({193}, 6);
    map({209}, 7);
    map({95}, 27);
    map({206}, 47);
    map({205}, 92);
    map({194, 199, 200, 217, 221}, 179);
    map({201, 208, 174}, 191);
    map({202, 204, 173}, 192);
    map({195, 210, 196, 197, 198, 192}, 196);
    map({219}, 197);
    map({203, 186, 189}, 217);
    map({207, 213, 176}, 218);
    map({171}, 195);
    map({179}, 180);
    return t;
}

} // namespace

std::string ShiftListingLetters(std::string text) {
    for (char& c : text) {
        const auto b = static_cast<std::uint8_t>(c);
        if (b >= 65 && b <= 90)
            c = static_cast<char>(b + 128);
    }
    return text;
}

std::string SwapPetsciiCase(std::string text) {
    // By table: the matcher swaps every name of every file.
    static const std::array<std::uint8_t, 256> table = [] {
        std::array<std::uint8_t, 256> t{};
        for (unsigned b = 0; b < 256; ++b)
            t[b] = static_cast<std::uint8_t>(b >= 65 && b <= 90     ? b + 32
                                             : b >= 97 && b <= 122  ? b - 32
                                             : b >= 193 && b <= 225 ? b - 128
                                                                    : b);
        return t;
    }();
    for (char& c : text)
        c = static_cast<char>(table[static_cast<std::uint8_t>(c)]);
    return text;
}

std::string PetsciiToDisplay(std::string text) {
    static const std::array<std::uint8_t, 256> table = displayTable();
    for (char& c : text)
        c = static_cast<char>(table[static_cast<std::uint8_t>(c)]);
    return text;
}

} // namespace qs
