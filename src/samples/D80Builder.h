#pragma once
// Builds 8050 and 8250 disk images (D80, D82) byte by byte: the header 39/0,
// the BAM sectors on track 38 and a directory chain from 39/1. Used by the
// sample collection and by the tests, which then change single fields.
#include "samples/DiskBuilder.h"

namespace qs::samples {

// Sectors of a track: 29 on tracks 1-39, 27 on 40-53, 25 on 54-64, 23 on
// 65-77; an 8250's second side (78-154) repeats the first.
int sectorsOnTrack8050(int track);
// Byte offset of a track/sector, sectors counted from 1/0 on.
std::size_t sectorOffset8050(int track, int sector);

class D80Builder {
  public:
    static constexpr std::size_t kD80Size = 533248;
    static constexpr std::size_t kD82Size = 1066496;
    static constexpr int kDirTrack = 39;
    static constexpr int kBamTrack = 38;

    explicit D80Builder(std::size_t imageSize = kD80Size);

    // Disk name (16 bytes, padded with 160) and the 5-byte field of ID and DOS type.
    D80Builder& name(const std::string& bytes, const std::string& idField = "01\xA0"
                                                                            "2C");
    // The free-sector count of a track in its BAM sector.
    D80Builder& freeSectors(int track, std::uint8_t count);
    // Every sector free but the header, the first directory sector and the
    // BAM's own, as on a freshly formatted disk.
    D80Builder& formatBam();
    // Adds entries to the directory, 8 per sector along 39/1, 39/2, ...
    D80Builder& add(const DirEntryPlan& entry);
    // Overrides a directory sector's link.
    D80Builder& link(int sector, std::uint8_t nextTrack, std::uint8_t nextSector);

    static std::size_t offset(int track, int sector) { return sectorOffset8050(track, sector); }
    std::string& bytes() { return image_; }

  private:
    int tracks() const { return image_.size() >= kD82Size ? 154 : 77; }
    int bamSectors() const { return image_.size() >= kD82Size ? 4 : 2; }
    // Where a track's five BAM bytes (count, then the bitmap) lie.
    std::size_t bamEntry(int track) const;
    void put(std::size_t at, std::uint8_t value) {
        if (at < image_.size())
            image_[at] = static_cast<char>(value);
    }
    // Marks a sector free (bit set) or used in its track's bitmap and count.
    void mark(int track, int sector, bool free);

    std::string image_;
    int entries_ = 0;
};

} // namespace qs::samples
