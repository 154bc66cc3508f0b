#include "samples/NibBuilder.h"

#include "media/NibReader.h"
#include "samples/G64Builder.h"
#include "standins/codec/GcrDecoder.h"

#include <array>
#include <vector>

namespace qs::samples {

namespace {

constexpr int kMaxTrack = 42;
constexpr std::uint8_t kNoSync = 0x40;

std::uint8_t speedZone(int track) {
    return track <= 17 ? 3 : track <= 24 ? 2 : track <= 30 ? 1 : 0;
}

// The drive's stream from `start` on, round and round the track.
std::string capture(std::string_view revolution, std::size_t start) {
    std::string slot(kNibSlotBytes, '\0');
    for (std::size_t i = 0; i < slot.size(); ++i)
        slot[i] = revolution[(start + i) % revolution.size()];
    return slot;
}

// Groups of 7 bits, the highest first, bit 7 set on all but the last.
std::string number(std::uint64_t value) {
    std::string groups;
    do {
        const std::uint64_t group = (value & 0x7F) | (groups.empty() ? 0 : 0x80);
        groups.insert(groups.begin(), static_cast<char>(group));
        value >>= 7;
    } while (value != 0);
    return groups;
}

std::uint8_t leastFrequent(const std::string& bytes) {
    std::array<std::size_t, 256> counts{};
    for (const char c : bytes)
        ++counts[static_cast<std::uint8_t>(c)];
    std::size_t best = 0;
    for (std::size_t v = 1; v < counts.size(); ++v)
        if (counts[v] < counts[best])
            best = v;
    return static_cast<std::uint8_t>(best);
}

} // namespace

std::string G64ToNib(const std::string& g64, const NibPlan& plan) {
    std::string header(kNibHeaderBytes, '\0');
    header.replace(0, kNibMagic.size(), kNibMagic);
    header[0x0D] = 3; // nibtools' current version
    header[0x0F] = plan.halftracks ? 1 : 0;
    std::string slots;
    std::size_t entry = 0;
    auto add = [&](int halftrack, std::uint8_t density, const std::string& slot) {
        header[0x10 + 2 * entry] = static_cast<char>(halftrack);
        header[0x11 + 2 * entry] = static_cast<char>(density);
        ++entry;
        slots += slot;
    };
    for (int track = 1; track <= kMaxTrack; ++track) {
        const std::string_view gcr = G64TrackData(g64, track);
        if (gcr.empty())
            continue;
        add(2 * track, speedZone(track), capture(gcr, plan.start));
        if (plan.halftracks)
            add(2 * track + 1, kNoSync | speedZone(track), std::string(kNibSlotBytes, '\0'));
    }
    return header + slots;
}

std::string D64ToNib(const std::string& d64, const NibPlan& plan) {
    return G64ToNib(D64ToG64(d64), plan);
}

std::size_t NibSlotOffset(const std::string& nib, int halftrack) {
    for (std::size_t i = 0; 0x10 + 2 * i < kNibHeaderBytes && 0x10 + 2 * i < nib.size(); ++i)
        if (static_cast<std::uint8_t>(nib[0x10 + 2 * i]) == halftrack)
            return kNibHeaderBytes + i * kNibSlotBytes;
    return std::string::npos;
}

std::string PackNbz(const std::string& bytes, std::optional<std::uint8_t> marker) {
    // Offsets below 100,000, as nibtools' coder keeps them; a few candidates
    // of the same four bytes are tried, newest first.
    constexpr std::size_t kWindow = 100000;
    constexpr int kTries = 32;
    constexpr std::size_t kLongEnough = 1024;
    constexpr unsigned kHashBits = 16;
    const std::uint8_t mark = marker.value_or(leastFrequent(bytes));
    const std::size_t n = bytes.size();
    auto at = [&](std::size_t i) { return std::uint32_t{static_cast<std::uint8_t>(bytes[i])}; };
    auto hash = [&](std::size_t i) {
        const std::uint32_t four = at(i) | at(i + 1) << 8 | at(i + 2) << 16 | at(i + 3) << 24;
        return (four * 2654435761U) >> (32 - kHashBits);
    };
    std::vector<std::ptrdiff_t> head(std::size_t{1} << kHashBits, -1), previous(n, -1);
    auto remember = [&](std::size_t i) {
        if (i + 4 <= n) {
            const std::uint32_t h = hash(i);
            previous[i] = head[h];
            head[h] = static_cast<std::ptrdiff_t>(i);
        }
    };

    std::string out(1, static_cast<char>(mark));
    std::size_t i = 0;
    while (i < n) {
        std::size_t best = 0, offset = 0;
        if (i + 4 <= n) {
            std::ptrdiff_t candidate = head[hash(i)];
            for (int t = 0; t < kTries && candidate >= 0 &&
                            i - static_cast<std::size_t>(candidate) < kWindow && best < kLongEnough;
                 ++t, candidate = previous[static_cast<std::size_t>(candidate)]) {
                const auto from = static_cast<std::size_t>(candidate);
                std::size_t length = 0;
                while (i + length < n && bytes[from + length] == bytes[i + length])
                    ++length;
                if (length > best) {
                    best = length;
                    offset = i - from;
                }
            }
        }
        // A reference only where it is shorter than the bytes it stands for.
        const std::string reference = number(best) + number(offset);
        if (best >= 4 && 1 + reference.size() < best) {
            out += static_cast<char>(mark);
            out += reference;
            for (std::size_t j = i; j < i + best; ++j)
                remember(j);
            i += best;
            continue;
        }
        out += bytes[i];
        if (at(i) == mark)
            out += '\0';
        remember(i);
        ++i;
    }
    return out;
}

} // namespace qs::samples
