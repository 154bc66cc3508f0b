#include "samples/TapBuilder.h"

#include "standins/codec/TapDecoder.h"

namespace qs::samples {

namespace {

constexpr std::size_t kHeaderLeader = 0x6A00;
constexpr std::size_t kDataLeader = 0x1A00;
constexpr std::size_t kBlockGap = 0x4F;
constexpr std::uint32_t kPauseCycles = 400000;

} // namespace

void TapBuilder::byte(std::uint8_t b) {
    pulse(kTapLong);
    pulse(kTapMedium);
    unsigned ones = 0;
    for (unsigned bit = 0; bit < 9; ++bit) {
        // The ninth bit is the parity: it makes the count of ones odd.
        const unsigned v = bit < 8 ? (unsigned{b} >> bit) & 1U : (ones % 2 == 0 ? 1U : 0U);
        ones += v;
        pulse(v != 0 ? kTapMedium : kTapShort);
        pulse(v != 0 ? kTapShort : kTapMedium);
    }
}

void TapBuilder::copy(const std::string& payload, std::uint8_t countdown) {
    for (std::uint8_t i = 0; i < 9; ++i)
        byte(static_cast<std::uint8_t>(countdown - i));
    std::uint8_t sum = 0;
    for (char c : payload) {
        byte(static_cast<std::uint8_t>(c));
        sum ^= static_cast<std::uint8_t>(c);
    }
    byte(sum);
    pulse(kTapLong);
    pulse(kTapShort);
}

TapBuilder& TapBuilder::block(const std::string& payload, std::size_t leaderPulses) {
    pulses_.insert(pulses_.end(), leaderPulses, kTapShort);
    copy(payload, 0x89);
    pulses_.insert(pulses_.end(), kBlockGap, kTapShort);
    copy(payload, 0x09);
    pulses_.insert(pulses_.end(), kBlockGap, kTapShort);
    return *this;
}

TapBuilder& TapBuilder::header(std::uint8_t type, const std::string& name, std::uint16_t start,
                               std::uint16_t end) {
    std::string h(kTapHeaderSize, ' ');
    h[0] = static_cast<char>(type);
    h[1] = static_cast<char>(start & 0xFF);
    h[2] = static_cast<char>(start >> 8);
    h[3] = static_cast<char>(end & 0xFF);
    h[4] = static_cast<char>(end >> 8);
    h.replace(5, 16, (name + std::string(16, ' ')).substr(0, 16));
    return block(h, kHeaderLeader).pause();
}

TapBuilder& TapBuilder::program(const std::string& name, std::uint16_t start,
                                const std::string& data, std::uint8_t type) {
    header(type, name, start, static_cast<std::uint16_t>(start + data.size()));
    return block(data, kDataLeader).pause();
}

TapBuilder& TapBuilder::dataFile(const std::string& name, const std::string& data) {
    header(static_cast<std::uint8_t>(TapHeaderType::DataFile), name, 0x033C, 0x03FC);
    std::string b(kTapHeaderSize, ' ');
    b[0] = static_cast<char>(TapHeaderType::DataBlock);
    b.replace(1, std::min(data.size(), kTapHeaderSize - 1), data.substr(0, kTapHeaderSize - 1));
    return block(b, kDataLeader).pause();
}

TapBuilder& TapBuilder::raw(const std::vector<std::uint8_t>& pulses) {
    for (std::uint8_t p : pulses)
        if (p != 0)
            pulse(p);
    return *this;
}

TapBuilder& TapBuilder::pause() {
    pulse(0);
    return *this;
}

std::string TapBuilder::bytes(int version) const {
    std::string data;
    for (std::uint8_t p : pulses_) {
        data += static_cast<char>(p);
        if (p == 0 && version == 1)
            for (unsigned i = 0; i < 3; ++i)
                data += static_cast<char>(kPauseCycles >> (8 * i) & 0xFF);
    }
    std::string file = "C64-TAPE-RAW";
    file += static_cast<char>(version);
    file.append(3, '\0');
    for (unsigned i = 0; i < 4; ++i)
        file += static_cast<char>(data.size() >> (8 * i) & 0xFF);
    return file + data;
}

} // namespace qs::samples
