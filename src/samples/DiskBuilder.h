#pragma once
// Builds 1541-layout disk images (D64, D71) byte by byte: the header sector
// 18/0, the BAM counts and a directory chain from 18/1. Used by the sample
// collection and by the tests, which then change single fields.
#include <cstdint>
#include <string>
#include <vector>

namespace qs::samples {

struct DirEntryPlan {
    std::string name;         // stored as given, padded with 160
    std::uint8_t type = 0x82; // closed PRG
    std::uint16_t blocks = 1;
    std::uint8_t track = 17; // first data block
    std::uint8_t sector = 0;
};

// Byte offset of a track/sector in a 1541 layout (tracks 36-70: second side of a 1571).
std::size_t sectorOffset1541(int track, int sector);
int sectorsOnTrack1541(int track);

// PETSCII as the 1541 shows it: ASCII upper case becomes the shifted letters
// (193-218), ASCII lower case the unshifted ones (65-90).
std::string toPetscii(const std::string& ascii);

class DiskBuilder {
  public:
    static constexpr std::size_t kD64Size = 174848;
    static constexpr std::size_t kD71Size = 349696;

    explicit DiskBuilder(std::size_t imageSize = kD64Size);

    // Disk name (16 bytes, padded with 160) and the 5-byte ID field "AB 2A".
    DiskBuilder& name(const std::string& bytes, const std::string& idField = "01\xA0"
                                                                             "2A");
    // Free-sector count of one track in the header sector.
    DiskBuilder& freeSectors(int track, std::uint8_t count);
    // Fills the BAM counts as a freshly formatted disk would.
    DiskBuilder& formatBam();
    // Adds entries to the directory, 8 per sector along 18/1, 18/4, 18/7, ...
    DiskBuilder& add(const DirEntryPlan& entry);
    // Overrides a directory sector's link.
    DiskBuilder& link(int sector, std::uint8_t nextTrack, std::uint8_t nextSector);

    std::size_t offset(int track, int sector) const { return sectorOffset1541(track, sector); }
    std::string& bytes() { return image_; }
    // Writes the image; answers false on failure.
    bool save(const std::string& path) const;

  private:
    std::string image_;
    std::vector<int> chain_; // directory sectors in use
    int entries_ = 0;
};

} // namespace qs::samples
