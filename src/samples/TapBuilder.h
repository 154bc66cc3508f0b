#pragma once
// Writes TAP recordings in the format of the C64's ROM loader: leader of short
// pulses, each block twice (countdown $89..$81, then $09..$01), bytes framed
// by a long-medium marker with 8 bits low bit first and an odd parity bit
// (short-medium for 0, medium-short for 1), an end-of-data marker
// (long-short), and pauses between header and data.
#include <cstdint>
#include <string>
#include <vector>

namespace qs::samples {

class TapBuilder {
  public:
    // A program: header (type 1 relocatable, 3 absolute) and its data block.
    // The name is PETSCII, padded with blanks to 16.
    TapBuilder& program(const std::string& name, std::uint16_t start, const std::string& data,
                        std::uint8_t type = 3);
    // A data file header followed by one data block.
    TapBuilder& dataFile(const std::string& name, const std::string& data);
    // One 192-byte header block with its two copies.
    TapBuilder& header(std::uint8_t type, const std::string& name, std::uint16_t start,
                       std::uint16_t end);
    // One block of the ROM format with its two copies.
    TapBuilder& block(const std::string& payload, std::size_t leaderPulses);
    // Pulses that are not the ROM format (as a turbo loader writes them).
    TapBuilder& raw(const std::vector<std::uint8_t>& pulses);
    TapBuilder& pause();

    // The TAP file, version 0 or 1.
    std::string bytes(int version = 1) const;

  private:
    void pulse(std::uint8_t length) { pulses_.push_back(length); }
    void byte(std::uint8_t b);
    void copy(const std::string& payload, std::uint8_t countdown);

    std::vector<std::uint8_t> pulses_; // 0 stands for a pause
};

} // namespace qs::samples
