#pragma once
// Reading a TAP recording (versions 0 and 1) the way the C64's ROM loader
// reads a tape: pulses sorted into short, medium and long, bytes framed by a
// long-medium marker with 8 data bits and an odd parity bit, blocks recorded
// twice behind a countdown, headers of 192 bytes naming programs and data
// files. What cannot be decoded is passed over; the work is linear in the size.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qs {

inline constexpr std::size_t kTapDataOffset = 20;
inline constexpr std::size_t kTapHeaderSize = 192;

enum class TapHeaderType : std::uint8_t {
    RelocatableProgram = 1,
    DataBlock = 2,
    Program = 3,
    DataFile = 4,
    EndOfTape = 5,
};

struct TapHeader {
    std::uint8_t type = 0;
    std::uint16_t start = 0;
    std::uint16_t end = 0;
    std::string name;        // 16 PETSCII bytes as recorded
    bool secondCopy = false; // the first copy was damaged
};

struct TapScan {
    bool isTap = false; // starts with "C64-TAPE-RAW"
    int version = -1;
    bool supported = false; // version 0 or 1
    std::vector<TapHeader> headers;
};

TapScan ScanTap(std::string_view file);

// Pulse lengths (in units of 8 cycles) of the three ROM loader pulses.
inline constexpr std::uint8_t kTapShort = 0x30;
inline constexpr std::uint8_t kTapMedium = 0x42;
inline constexpr std::uint8_t kTapLong = 0x56;

} // namespace qs
