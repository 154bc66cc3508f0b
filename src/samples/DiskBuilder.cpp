#include "samples/DiskBuilder.h"

#include <fstream>

namespace qs::samples {

int sectorsOnTrack1541(int track) {
    const int t = track > 35 ? track - 35 : track;
    if (t <= 17)
        return 21;
    if (t <= 24)
        return 19;
    if (t <= 30)
        return 18;
    return 17;
}

std::size_t sectorOffset1541(int track, int sector) {
    std::size_t offset = 0;
    for (int t = 1; t < track; ++t)
        offset += static_cast<std::size_t>(sectorsOnTrack1541(t)) * 256;
    return offset + static_cast<std::size_t>(sector) * 256;
}

std::string toPetscii(const std::string& ascii) {
    std::string out = ascii;
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 193);
        else if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 65);
    }
    return out;
}

DiskBuilder::DiskBuilder(std::size_t imageSize) : image_(imageSize, '\0') {
    const std::size_t header = offset(18, 0);
    if (header + 256 <= image_.size()) {
        image_[header] = 18;
        image_[header + 1] = 1;
        image_[header + 2] = 'A';
    }
    name("");
}

DiskBuilder& DiskBuilder::name(const std::string& bytes, const std::string& idField) {
    const std::size_t header = offset(18, 0);
    if (header + 256 > image_.size())
        return *this;
    for (std::size_t i = 0; i < 16; ++i)
        image_[header + 144 + i] = i < bytes.size() ? bytes[i] : '\xA0';
    image_[header + 160] = '\xA0';
    image_[header + 161] = '\xA0';
    for (std::size_t i = 0; i < 5; ++i)
        image_[header + 162 + i] = i < idField.size() ? idField[i] : '\xA0';
    return *this;
}

DiskBuilder& DiskBuilder::freeSectors(int track, std::uint8_t count) {
    const std::size_t header = offset(18, 0);
    if (track <= 35)
        image_[header + 4 + 4 * static_cast<std::size_t>(track - 1)] = static_cast<char>(count);
    else
        image_[header + 221 + static_cast<std::size_t>(track - 36)] = static_cast<char>(count);
    return *this;
}

DiskBuilder& DiskBuilder::formatBam() {
    const int tracks = image_.size() >= kD71Size ? 70 : 35;
    for (int t = 1; t <= tracks; ++t)
        freeSectors(t, static_cast<std::uint8_t>(t == 18 || t == 53 ? 0 : sectorsOnTrack1541(t)));
    return *this;
}

DiskBuilder& DiskBuilder::add(const DirEntryPlan& entry) {
    const int slot = entries_ % 8;
    if (slot == 0) {
        // The order in which the 1541 DOS takes directory sectors.
        static constexpr int kOrder[18] = {1,  4,  7,  10, 13, 16, 2,  5,  8,
                                           11, 14, 17, 3,  6,  9,  12, 15, 18};
        if (chain_.size() >= 18)
            return *this;
        const int sector = kOrder[chain_.size()];
        if (!chain_.empty())
            link(chain_.back(), 18, static_cast<std::uint8_t>(sector));
        chain_.push_back(sector);
        link(sector, 0, 255);
    }
    const std::size_t at = offset(18, chain_.back()) + 32 * static_cast<std::size_t>(slot);
    image_[at + 2] = static_cast<char>(entry.type);
    image_[at + 3] = static_cast<char>(entry.track);
    image_[at + 4] = static_cast<char>(entry.sector);
    for (std::size_t i = 0; i < 16; ++i)
        image_[at + 5 + i] = i < entry.name.size() ? entry.name[i] : '\xA0';
    image_[at + 30] = static_cast<char>(entry.blocks & 0xFF);
    image_[at + 31] = static_cast<char>(entry.blocks >> 8);
    ++entries_;
    return *this;
}

DiskBuilder& DiskBuilder::link(int sector, std::uint8_t nextTrack, std::uint8_t nextSector) {
    const std::size_t at = offset(18, sector);
    image_[at] = static_cast<char>(nextTrack);
    image_[at + 1] = static_cast<char>(nextSector);
    return *this;
}

bool DiskBuilder::save(const std::string& path) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(image_.data(), static_cast<std::streamsize>(image_.size()));
    return static_cast<bool>(out);
}

} // namespace qs::samples
