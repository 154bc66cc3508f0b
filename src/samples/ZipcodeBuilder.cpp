#include "samples/ZipcodeBuilder.h"

#include <algorithm>
#include <array>

namespace qs::samples {

namespace {

constexpr std::size_t kSector = 256;
constexpr int kFirstTrack[] = {1, 9, 17, 26, 36, 41};

int sectorsOn(int track) {
    return track <= 17 ? 21 : track <= 24 ? 19 : track <= 30 ? 18 : 17;
}

std::size_t offsetOf(int track, int sector) {
    std::size_t offset = 0;
    for (int t = 1; t < track; ++t)
        offset += static_cast<std::size_t>(sectorsOn(t)) * kSector;
    return offset + static_cast<std::size_t>(sector) * kSector;
}

// Runs of four or more as marker, count, byte; the marker is the lowest
// byte the sector lacks (none: no packing).
bool packRuns(std::string_view bytes, std::string& out, char& marker) {
    std::array<bool, 256> used{};
    for (char c : bytes)
        used[static_cast<unsigned char>(c)] = true;
    const auto free = std::find(used.begin(), used.end(), false);
    if (free == used.end())
        return false;
    marker = static_cast<char>(free - used.begin());
    for (std::size_t i = 0; i < bytes.size();) {
        std::size_t run = 1;
        while (i + run < bytes.size() && bytes[i + run] == bytes[i] && run < 255)
            ++run;
        if (run >= 4)
            out += std::string{marker, static_cast<char>(run), bytes[i]};
        else
            out.append(bytes.substr(i, run));
        i += run;
    }
    return true;
}

} // namespace

std::string ZipcodeRecord(int track, int sector, std::string_view bytes, ZipMethod method) {
    const auto address = [&](int code) {
        return std::string{static_cast<char>(code << 6 | track), static_cast<char>(sector)};
    };
    const bool oneByte =
        std::all_of(bytes.begin(), bytes.end(), [&](char c) { return c == bytes[0]; });
    if (method == ZipMethod::Filled || (method == ZipMethod::Chosen && oneByte))
        return address(1) + bytes[0];
    std::string runs;
    char marker = 0;
    // disk2zip packs only what comes out shorter than 254 bytes; the length
    // takes one byte.
    if (method != ZipMethod::Stored && packRuns(bytes, runs, marker) && runs.size() <= 255 &&
        (method == ZipMethod::Runs || runs.size() < 254))
        return address(2) + static_cast<char>(runs.size()) + marker + runs;
    return address(0) + std::string(bytes);
}

std::vector<int> ZipcodeSectorOrder(int track) {
    const int n = sectorsOn(track), half = (n + 1) / 2;
    std::vector<int> order;
    for (int i = 0; i < half; ++i) {
        order.push_back(i);
        if (half + i < n)
            order.push_back(half + i);
    }
    return order;
}

std::string ZipcodePartStart(int part, std::string_view id) {
    return part == 1 ? "\xFE\x03" + std::string(id) : std::string("\x00\x04", 2);
}

std::string ZipcodePart(const std::string& image, int part, ZipMethod method) {
    std::string out = ZipcodePartStart(part);
    for (int track = kFirstTrack[part - 1]; track < kFirstTrack[part]; ++track)
        for (int sector : ZipcodeSectorOrder(track))
            out += ZipcodeRecord(track, sector,
                                 std::string_view(image).substr(offsetOf(track, sector), kSector),
                                 method);
    return out;
}

std::vector<std::string> ZipcodeSet(const std::string& image) {
    std::vector<std::string> parts;
    const int count = image.size() >= offsetOf(41, 0) ? 5 : 4;
    for (int part = 1; part <= count; ++part)
        parts.push_back(ZipcodePart(image, part));
    return parts;
}

} // namespace qs::samples
