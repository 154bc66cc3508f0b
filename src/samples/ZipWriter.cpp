#include "samples/ZipWriter.h"

#include <array>
#include <cstdint>

namespace qs::samples {

namespace {

std::uint32_t crc32(const std::string& data) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1U) != 0 ? 0xEDB88320U ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFU;
    for (char ch : data)
        c = table[(c ^ static_cast<std::uint8_t>(ch)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFU;
}

void put16(std::string& out, std::size_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8 & 0xFF);
}
void put32(std::string& out, std::size_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16 & 0xFFFF);
}

// Version, flags, method (stored), time and date (1 January 2000).
void common(std::string& out, std::uint32_t crc, std::size_t size, std::size_t nameLength) {
    put16(out, 10);
    put16(out, 0);
    put16(out, 0);
    put16(out, 0);
    put16(out, (20 << 9) | (1 << 5) | 1);
    put32(out, crc);
    put32(out, size);
    put32(out, size);
    put16(out, nameLength);
    put16(out, 0);
}

} // namespace

std::string StoredZip(const std::vector<std::pair<std::string, std::string>>& members) {
    std::string zip, central;
    for (const auto& [name, data] : members) {
        const std::uint32_t crc = crc32(data);
        const std::size_t offset = zip.size();
        put32(zip, 0x04034b50);
        common(zip, crc, data.size(), name.size());
        zip += name + data;

        put32(central, 0x02014b50);
        put16(central, 20);
        common(central, crc, data.size(), name.size());
        put16(central, 0); // comment length
        put16(central, 0); // disk
        put16(central, 0); // internal attributes
        put32(central, 0); // external attributes
        put32(central, offset);
        central += name;
    }
    const std::size_t centralOffset = zip.size();
    zip += central;
    put32(zip, 0x06054b50);
    put16(zip, 0);
    put16(zip, 0);
    put16(zip, members.size());
    put16(zip, members.size());
    put32(zip, central.size());
    put32(zip, centralOffset);
    put16(zip, 0);
    return zip;
}

} // namespace qs::samples
