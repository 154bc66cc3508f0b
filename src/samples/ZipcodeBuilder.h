#pragma once
// Packs 1541 disk images into Zipcode sets the way disk2zip does: tracks 1-8,
// 9-16, 17-25 and 26-35 in the parts 1! to 4! (36-40 in 5!), each sector a
// record of its own, the sectors of a track taken from its two halves in
// turn (0, h, 1, h+1, ...). Tests build damaged parts from the same pieces.
#include <string>
#include <string_view>
#include <vector>

namespace qs::samples {

// How a sector is packed: as disk2zip chooses (a sector of one byte filled,
// runs of four or more packed when that is shorter, else stored), or always
// one way (filled with its first byte; packed runs, given a byte it lacks).
enum class ZipMethod { Chosen, Stored, Filled, Runs };

// One sector's record: track and method in the first byte, the sector in the
// second, then what the method needs.
std::string ZipcodeRecord(int track, int sector, std::string_view bytes,
                          ZipMethod method = ZipMethod::Chosen);

// The order disk2zip packs the sectors of a track in.
std::vector<int> ZipcodeSectorOrder(int track);

// The load address of part `part` (and, for the first, the ID of the disk
// it formats, "64" as disk2zip writes it).
std::string ZipcodePartStart(int part, std::string_view id = "64");

// Part `part` (1-5) of the set of a 35- or 40-track image.
std::string ZipcodePart(const std::string& image, int part, ZipMethod method = ZipMethod::Chosen);

// Every part of the image's set: four, or five for 40 tracks.
std::vector<std::string> ZipcodeSet(const std::string& image);

} // namespace qs::samples
