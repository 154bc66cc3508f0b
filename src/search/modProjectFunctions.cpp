#include "search/modProjectFunctions.h"

#include "common/Text.h"

#include <array>
#include <cstdint>

namespace qs {

namespace {

struct Signature {
    const char* displayName;
    std::string_view bytes;
};

Signature signatureOf(HeaderKind kind) {
    switch (kind) {
    case HeaderKind::G64:
        return {"G64 IMAGE", "GCR-1541"};
    case HeaderKind::PC64:
        return {"PC64", "C64FILE"};
    case HeaderKind::TapeRaw:
        return {"TAPE RAW IMAGE", "C64-TAPE-RAW"};
    case HeaderKind::Cartridge:
        return {"CARTRIDGE", "C64 CARTRIDGE"};
    case HeaderKind::T64:
        return {"T64", "C64"};
    }
    return {"", ""};
}

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

bool HeaderCheck(ReaderContext& ctx, const std::string& path, HeaderKind kind) {
    const Signature sig = signatureOf(kind);
    const std::string head = ctx.open(path)->read(0, sig.bytes.size());
    if (head.size() == sig.bytes.size() && upperAscii(head) == sig.bytes)
        return true;

    MediaInfo& m = ctx.records.media;
    m.MediaName = std::string("NOT A ") + sig.displayName + " FILE";
    m.HeaderLine.clear();
    m.FileName = FileNameField(path);
    m.MediaType.clear();
    m.BlocksFree = 0;
    m.Tracks40 = m.ErrorInfo = false;
    m.Status = status::InvalidFile;
    ctx.records.restartEntries();
    return false;
}

std::string ShiftListingLetters(std::string text) {
    for (char& c : text) {
        const auto b = static_cast<std::uint8_t>(c);
        if (b >= 65 && b <= 90)
            c = static_cast<char>(b + 128);
    }
    return text;
}

std::string SwapPetsciiCase(std::string text) {
    for (char& c : text) {
        const auto b = static_cast<std::uint8_t>(c);
        if (b >= 65 && b <= 90)
            c = static_cast<char>(b + 32);
        else if (b >= 97 && b <= 122)
            c = static_cast<char>(b - 32);
        else if (b >= 193 && b <= 225)
            c = static_cast<char>(b - 128);
    }
    return text;
}

std::string PetsciiToDisplay(std::string text) {
    static const std::array<std::uint8_t, 256> table = displayTable();
    for (char& c : text)
        c = static_cast<char>(table[static_cast<std::uint8_t>(c)]);
    return text;
}

} // namespace qs
