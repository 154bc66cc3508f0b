#pragma once
// Builds X64 files: the 64-byte header VICE writes (magic 43 15 41 64,
// version 1.2, the drive, tracks, error-byte flag, a description) in front of
// a disk image.
#include <cstdint>
#include <string>

namespace qs::samples {

// The drive byte of a 1541 (as VICE writes it), a 1571 and a 1581.
inline constexpr std::uint8_t kX64Drive1541 = 1;
inline constexpr std::uint8_t kX64Drive1571 = 4;
inline constexpr std::uint8_t kX64Drive1581 = 8;

std::string makeX64(const std::string& image, std::uint8_t drive = kX64Drive1541,
                    const std::string& description = "QUILLSIFT SAMPLE");

} // namespace qs::samples
