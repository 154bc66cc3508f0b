#include "standins/codec/TapDecoder.h"

namespace qs {

namespace {

enum class Pulse : std::uint8_t { Short, Medium, Long, Other };

Pulse classify(std::uint8_t v) {
    if (v >= 0x20 && v < 0x3B)
        return Pulse::Short;
    if (v >= 0x3B && v < 0x4E)
        return Pulse::Medium;
    if (v >= 0x4E && v < 0x70)
        return Pulse::Long;
    return Pulse::Other;
}

std::vector<Pulse> pulsesOf(std::string_view data, int version) {
    std::vector<Pulse> pulses;
    pulses.reserve(data.size());
    for (std::size_t i = 0; i < data.size(); ++i) {
        const auto v = static_cast<std::uint8_t>(data[i]);
        if (v == 0) {
            // A pause; in version 1 its length follows in three bytes.
            pulses.push_back(Pulse::Other);
            if (version == 1)
                i += 3;
            continue;
        }
        pulses.push_back(classify(v));
    }
    return pulses;
}

class BlockReader {
  public:
    explicit BlockReader(TapScan& scan) : scan_(scan) {}

    void byte(std::uint8_t b) { block_.push_back(b); }

    // The bytes read since the last end; checks countdown and checksum.
    void end() {
        std::vector<std::uint8_t> block;
        block.swap(block_);
        if (block.size() < 11)
            return;
        const std::uint8_t lead = block[0];
        if (lead != 0x89 && lead != 0x09)
            return;
        for (std::size_t i = 1; i < 9; ++i)
            if (block[i] != lead - i)
                return;
        const std::vector<std::uint8_t> payload(block.begin() + 9, block.end() - 1);
        std::uint8_t sum = 0;
        for (std::uint8_t b : payload)
            sum ^= b;
        if (sum != block.back())
            return;
        take(payload, lead == 0x09);
    }

  private:
    void take(const std::vector<std::uint8_t>& payload, bool secondCopy) {
        if (payload == last_)
            return; // the repeated copy of a block already taken
        last_ = payload;
        // A program's data block can look like a header: its length tells it apart.
        if (payload.size() == expectedData_) {
            expectedData_ = 0;
            return;
        }
        const std::uint8_t type = payload[0];
        if (payload.size() != kTapHeaderSize || type == 0 || type > 5 ||
            type == static_cast<std::uint8_t>(TapHeaderType::DataBlock))
            return;
        TapHeader h;
        h.type = type;
        h.start = static_cast<std::uint16_t>(payload[1] | payload[2] << 8);
        h.end = static_cast<std::uint16_t>(payload[3] | payload[4] << 8);
        h.name.assign(payload.begin() + 5, payload.begin() + 21);
        h.secondCopy = secondCopy;
        const bool program = type == static_cast<std::uint8_t>(TapHeaderType::Program) ||
                             type == static_cast<std::uint8_t>(TapHeaderType::RelocatableProgram);
        expectedData_ = program && h.end > h.start ? std::size_t{h.end} - h.start : 0;
        scan_.headers.push_back(std::move(h));
    }

    TapScan& scan_;
    std::vector<std::uint8_t> block_;
    std::vector<std::uint8_t> last_;
    std::size_t expectedData_ = 0;
};

} // namespace

TapScan ScanTap(std::string_view file) {
    TapScan scan;
    if (file.size() < kTapDataOffset || file.substr(0, 12) != "C64-TAPE-RAW")
        return scan;
    scan.isTap = true;
    scan.version = static_cast<std::uint8_t>(file[12]);
    scan.supported = scan.version == 0 || scan.version == 1;
    if (!scan.supported)
        return scan;
    std::size_t size = 0;
    for (std::size_t i = 4; i-- > 0;)
        size = size << 8 | static_cast<std::uint8_t>(file[16 + i]);
    const std::string_view data = file.substr(kTapDataOffset, size);
    const std::vector<Pulse> p = pulsesOf(data, scan.version);

    BlockReader blocks(scan);
    const std::size_t n = p.size();
    std::size_t i = 0;
    while (i + 1 < n) {
        if (p[i] != Pulse::Long) {
            blocks.end();
            ++i;
            continue;
        }
        if (p[i + 1] == Pulse::Short) { // end-of-data marker
            blocks.end();
            i += 2;
            continue;
        }
        // Byte marker (long, medium), 8 data bits low bit first and the parity
        // bit, each a pair: short-medium for 0, medium-short for 1.
        if (p[i + 1] != Pulse::Medium || i + 20 > n) {
            blocks.end();
            ++i;
            continue;
        }
        unsigned value = 0, ones = 0;
        bool good = true;
        for (unsigned bit = 0; bit < 9 && good; ++bit) {
            const Pulse a = p[i + 2 + 2 * bit], b = p[i + 3 + 2 * bit];
            unsigned v = 0;
            if (a == Pulse::Short && b == Pulse::Medium)
                v = 0;
            else if (a == Pulse::Medium && b == Pulse::Short)
                v = 1;
            else
                good = false;
            ones += v;
            if (bit < 8)
                value |= v << bit;
        }
        if (!good || ones % 2 == 0) {
            blocks.end();
            ++i;
            continue;
        }
        blocks.byte(static_cast<std::uint8_t>(value));
        i += 20;
    }
    blocks.end();
    return scan;
}

} // namespace qs
