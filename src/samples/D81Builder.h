#pragma once
// Builds D81 images (1581 layout, 80 tracks of 40 sectors) byte by byte: the
// header and BAM sectors of track 40, directories of 8 slots per sector and
// 1581 partitions with their own directory on their first track.
#include "samples/DiskBuilder.h"

#include <map>

namespace qs::samples {

class D81Builder {
  public:
    static constexpr std::size_t kSize = 819200;
    static constexpr int kDirTrack = 40;

    explicit D81Builder(std::size_t imageSize = kSize);

    // Disk name (16 bytes, padded with 160) and the 5-byte ID field "ID 3D".
    D81Builder& name(const std::string& bytes, const std::string& idField = "01\xA0"
                                                                            "3D");
    // Free-sector count of a track (1-80) in the BAM sectors 40/1 and 40/2.
    D81Builder& freeSectors(int track, std::uint8_t count);
    // Every track but the directory track free, as on a fresh disk.
    D81Builder& formatBam();
    // Adds an entry to the directory that starts at dirTrack/3: 8 per sector,
    // sectors 3, 4, 5, ... of that track.
    D81Builder& add(const DirEntryPlan& entry, int dirTrack = kDirTrack);
    // Adds a partition entry (type "cbm") of `tracks` whole tracks from
    // firstTrack to the directory on dirTrack, and lays out the partition's
    // own header and empty directory (firstTrack/3, link 0/255).
    D81Builder& partition(const std::string& name, int firstTrack, int tracks,
                          int dirTrack = kDirTrack);
    // Overrides a directory sector's link.
    D81Builder& link(int track, int sector, std::uint8_t nextTrack, std::uint8_t nextSector);

    static std::size_t offset(int track, int sector) {
        return static_cast<std::size_t>(track - 1) * 10240 + static_cast<std::size_t>(sector) * 256;
    }
    std::string& bytes() { return image_; }
    bool save(const std::string& path) const;

  private:
    void put(std::size_t at, std::uint8_t value) {
        if (at < image_.size())
            image_[at] = static_cast<char>(value);
    }
    void startDirectory(int track);

    std::string image_;
    std::map<int, std::vector<int>> chains_; // directory sectors in use, per track
    std::map<int, int> entries_;             // entries per directory track
};

} // namespace qs::samples
