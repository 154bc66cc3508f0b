#pragma once
// What the benchmark's collection writers share: the disk every kind of
// file is made from, and writing files whole or sparse.
#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace qs::bench {

// Where a D64's directory track lies, and its size.
inline constexpr std::size_t kTrack18 = 91392;
inline constexpr std::size_t kTrack18Bytes = 19 * 256;

// A D64 with a few programs; one in fifty holds a BLAST entry, so that a
// search for it finds a few.
std::string Disk(int n);

// A part of a file that is written: the rest reads as zeros.
struct Extent {
    std::size_t offset;
    std::size_t length;
};

// Only `extents` of `image` are written, the file still `image`'s size: a
// collection of thousands of images stays small on the disk.
bool WriteSparse(const std::filesystem::path& path, const std::string& image,
                 const std::vector<Extent>& extents);
// A D64's directory track only.
bool WriteSparseDisk(const std::filesystem::path& path, const std::string& image);
bool WriteFile(const std::filesystem::path& path, const std::string& bytes);

} // namespace qs::bench
