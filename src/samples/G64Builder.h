#pragma once
// Writes a G64 image from a D64 image: every sector of tracks 1-35 GCR-encoded
// behind sync marks as a 1541 writes it (header block, gap, data block, gap),
// at the track lengths of the four speed zones.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qs::samples {

// The GCR data block of a 256-byte sector, as tests find it on a track:
// 0x07, the data, its checksum (or `checksum`, to write a damaged one) and
// two zero bytes.
std::string GcrDataBlock(std::string_view sector, std::optional<std::uint8_t> checksum = {});

// The G64 bytes of a D64 image of 174848 bytes (35 tracks).
std::string D64ToG64(const std::string& d64);

// Byte offset of the raw GCR data of full track `track` inside a G64 written
// by D64ToG64 (for tests that damage a track).
std::size_t G64TrackOffset(const std::string& g64, int track);

} // namespace qs::samples
