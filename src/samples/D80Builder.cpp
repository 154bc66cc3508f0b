#include "samples/D80Builder.h"

#include <algorithm>

namespace qs::samples {

int sectorsOnTrack8050(int track) {
    const int t = track > 77 ? track - 77 : track;
    if (t <= 39)
        return 29;
    if (t <= 53)
        return 27;
    if (t <= 64)
        return 25;
    return 23;
}

std::size_t sectorOffset8050(int track, int sector) {
    std::size_t sectors = 0;
    for (int t = 1; t < track; ++t)
        sectors += static_cast<std::size_t>(sectorsOnTrack8050(t));
    return (sectors + static_cast<std::size_t>(sector)) * 256;
}

D80Builder::D80Builder(std::size_t imageSize) : image_(imageSize, '\0') {
    // The header leads to the BAM, whose sectors 38/0, 38/3, ... lead on to
    // the directory at 39/1.
    const std::size_t header = offset(kDirTrack, 0);
    put(header, kBamTrack);
    put(header + 1, 0);
    put(header + 2, 'C');
    for (int k = 0; k < bamSectors(); ++k) {
        const std::size_t at = offset(kBamTrack, 3 * k);
        const bool last = k + 1 == bamSectors();
        put(at, static_cast<std::uint8_t>(last ? kDirTrack : kBamTrack));
        put(at + 1, static_cast<std::uint8_t>(last ? 1 : 3 * (k + 1)));
        put(at + 2, 'C');
        put(at + 4, static_cast<std::uint8_t>(1 + 50 * k));
        put(at + 5, static_cast<std::uint8_t>(std::min(tracks(), 50 * (k + 1)) + 1));
    }
    link(1, 0, 255);
    name("");
}

D80Builder& D80Builder::name(const std::string& bytes, const std::string& idField) {
    const std::size_t header = offset(kDirTrack, 0);
    for (std::size_t i = 0; i < 16; ++i)
        put(header + 6 + i, i < bytes.size() ? static_cast<std::uint8_t>(bytes[i]) : 0xA0);
    put(header + 22, 0xA0);
    put(header + 23, 0xA0);
    for (std::size_t i = 0; i < 5; ++i)
        put(header + 24 + i, i < idField.size() ? static_cast<std::uint8_t>(idField[i]) : 0xA0);
    for (std::size_t i = 29; i < 33; ++i)
        put(header + i, 0xA0);
    return *this;
}

std::size_t D80Builder::bamEntry(int track) const {
    return offset(kBamTrack, 3 * ((track - 1) / 50)) + 6 +
           5 * static_cast<std::size_t>((track - 1) % 50);
}

D80Builder& D80Builder::freeSectors(int track, std::uint8_t count) {
    put(bamEntry(track), count);
    return *this;
}

void D80Builder::mark(int track, int sector, bool free) {
    const std::size_t count = bamEntry(track);
    const std::size_t at = count + 1 + static_cast<std::size_t>(sector / 8);
    if (at >= image_.size())
        return;
    const auto bit = static_cast<std::uint8_t>(1u << (sector % 8));
    const auto bits = static_cast<std::uint8_t>(image_[at]);
    if (((bits & bit) != 0) == free)
        return;
    put(at, static_cast<std::uint8_t>(bits ^ bit));
    put(count,
        static_cast<std::uint8_t>(static_cast<std::uint8_t>(image_[count]) + (free ? 1 : -1)));
}

D80Builder& D80Builder::formatBam() {
    for (int t = 1; t <= tracks(); ++t)
        for (int s = 0; s < sectorsOnTrack8050(t); ++s)
            mark(t, s, true);
    mark(kDirTrack, 0, false);
    mark(kDirTrack, 1, false);
    for (int k = 0; k < bamSectors(); ++k)
        mark(kBamTrack, 3 * k, false);
    return *this;
}

D80Builder& D80Builder::add(const DirEntryPlan& entry) {
    const int sector = 1 + entries_ / 8;
    const int slot = entries_ % 8;
    if (sector >= sectorsOnTrack8050(kDirTrack))
        return *this;
    if (slot == 0 && sector > 1) {
        link(sector - 1, kDirTrack, static_cast<std::uint8_t>(sector));
        link(sector, 0, 255);
    }
    const std::size_t at = offset(kDirTrack, sector) + 32 * static_cast<std::size_t>(slot);
    put(at + 2, entry.type);
    put(at + 3, entry.track);
    put(at + 4, entry.sector);
    for (std::size_t i = 0; i < 16; ++i)
        put(at + 5 + i, i < entry.name.size() ? static_cast<std::uint8_t>(entry.name[i]) : 0xA0);
    put(at + 30, static_cast<std::uint8_t>(entry.blocks & 0xFF));
    put(at + 31, static_cast<std::uint8_t>(entry.blocks >> 8));
    ++entries_;
    return *this;
}

D80Builder& D80Builder::link(int sector, std::uint8_t nextTrack, std::uint8_t nextSector) {
    const std::size_t at = offset(kDirTrack, sector);
    put(at, nextTrack);
    put(at + 1, nextSector);
    return *this;
}

} // namespace qs::samples
