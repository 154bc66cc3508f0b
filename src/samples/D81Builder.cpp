#include "samples/D81Builder.h"

#include <fstream>

namespace qs::samples {

D81Builder::D81Builder(std::size_t imageSize) : image_(imageSize, '\0') {
    const std::size_t header = offset(kDirTrack, 0);
    put(header, kDirTrack);
    put(header + 1, 3);
    put(header + 2, 'D');
    for (int s = 1; s <= 2; ++s) { // BAM sectors: link, version, ID copy
        const std::size_t bam = offset(kDirTrack, s);
        put(bam, s == 1 ? kDirTrack : 0);
        put(bam + 1, s == 1 ? 2 : 255);
        put(bam + 2, 'D');
        put(bam + 3, 0xBB);
    }
    startDirectory(kDirTrack);
    name("");
}

void D81Builder::startDirectory(int track) {
    chains_[track] = {3};
    link(track, 3, 0, 255);
}

D81Builder& D81Builder::name(const std::string& bytes, const std::string& idField) {
    const std::size_t header = offset(kDirTrack, 0);
    for (std::size_t i = 0; i < 16; ++i)
        put(header + 4 + i, i < bytes.size() ? static_cast<std::uint8_t>(bytes[i]) : 0xA0);
    put(header + 20, 0xA0);
    put(header + 21, 0xA0);
    for (std::size_t i = 0; i < 5; ++i)
        put(header + 22 + i, i < idField.size() ? static_cast<std::uint8_t>(idField[i]) : 0xA0);
    return *this;
}

D81Builder& D81Builder::freeSectors(int track, std::uint8_t count) {
    const int bamSector = track <= 40 ? 1 : 2;
    const int n = track <= 40 ? track : track - 40;
    put(offset(kDirTrack, bamSector) + 16 + static_cast<std::size_t>(n - 1) * 6, count);
    return *this;
}

D81Builder& D81Builder::formatBam() {
    for (int t = 1; t <= 80; ++t)
        freeSectors(t, t == kDirTrack ? 0 : 40);
    return *this;
}

D81Builder& D81Builder::add(const DirEntryPlan& entry, int dirTrack) {
    if (!chains_.count(dirTrack))
        startDirectory(dirTrack);
    std::vector<int>& chain = chains_[dirTrack];
    int& count = entries_[dirTrack];
    const int slot = count % 8;
    if (slot == 0 && count > 0) {
        const int next = chain.back() + 1;
        if (next > 39)
            return *this;
        link(dirTrack, chain.back(), static_cast<std::uint8_t>(dirTrack),
             static_cast<std::uint8_t>(next));
        chain.push_back(next);
        link(dirTrack, next, 0, 255);
    }
    const std::size_t at = offset(dirTrack, chain.back()) + 32 * static_cast<std::size_t>(slot);
    put(at + 2, entry.type);
    put(at + 3, entry.track);
    put(at + 4, entry.sector);
    for (std::size_t i = 0; i < 16; ++i)
        put(at + 5 + i, i < entry.name.size() ? static_cast<std::uint8_t>(entry.name[i]) : 0xA0);
    put(at + 30, static_cast<std::uint8_t>(entry.blocks & 0xFF));
    put(at + 31, static_cast<std::uint8_t>(entry.blocks >> 8));
    ++count;
    return *this;
}

D81Builder& D81Builder::partition(const std::string& partName, int firstTrack, int tracks,
                                  int dirTrack) {
    add({partName, 0x85, static_cast<std::uint16_t>(tracks * 40),
         static_cast<std::uint8_t>(firstTrack), 0},
        dirTrack);
    // The partition's own header sector, then an empty directory at sector 3.
    const std::size_t header = offset(firstTrack, 0);
    put(header, static_cast<std::uint8_t>(firstTrack));
    put(header + 1, 3);
    put(header + 2, 'D');
    for (std::size_t i = 0; i < 16; ++i)
        put(header + 4 + i, i < partName.size() ? static_cast<std::uint8_t>(partName[i]) : 0xA0);
    if (firstTrack != dirTrack && !chains_.count(firstTrack))
        startDirectory(firstTrack);
    return *this;
}

D81Builder& D81Builder::link(int track, int sector, std::uint8_t nextTrack,
                             std::uint8_t nextSector) {
    put(offset(track, sector), nextTrack);
    put(offset(track, sector) + 1, nextSector);
    return *this;
}

bool D81Builder::save(const std::string& path) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(image_.data(), static_cast<std::streamsize>(image_.size()));
    return static_cast<bool>(out);
}

} // namespace qs::samples
