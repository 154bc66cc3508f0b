#include "samples/ArchiveBuilders.h"

#include <algorithm>

namespace qs::samples {

namespace {

constexpr std::size_t kBlock = 254;

std::string le(std::uint32_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

// Last-sector usage: the bytes used in the last block, plus one.
std::uint8_t lastUsage(std::size_t bytes) {
    return static_cast<std::uint8_t>(bytes - (FileBlocks(bytes) - 1u) * kBlock + 1);
}

std::string paddedTo(std::string bytes, std::size_t size, char filler) {
    bytes.resize(std::max(bytes.size(), size), filler);
    return bytes;
}

// The files one after another, each padded to whole blocks but the last.
std::string fileData(const std::vector<ArchiveFilePlan>& files) {
    std::string out;
    for (std::size_t i = 0; i < files.size(); ++i)
        out += i + 1 < files.size()
                   ? paddedTo(files[i].data, FileBlocks(files[i].data.size()) * kBlock, '\0')
                   : files[i].data;
    return out;
}

// A BASIC line at $0801 (or `loadAddress`): link, number, the tokens; then
// the program's end.
std::string basicProgram(std::uint16_t loadAddress, std::uint16_t line, const std::string& tokens) {
    const std::size_t end = loadAddress + 2 + 2 + tokens.size() + 1;
    return le(loadAddress, 2) + le(static_cast<std::uint32_t>(end), 2) + le(line, 2) + tokens +
           std::string(3, '\0');
}

std::uint16_t crc16(const std::string& data) {
    std::uint16_t crc = 0;
    for (const char c : data) {
        crc ^= static_cast<std::uint8_t>(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint16_t>((crc & 1) != 0 ? (crc >> 1) ^ 0xA001 : crc >> 1);
    }
    return crc;
}

std::uint16_t arcChecksum(const std::string& data, int version) {
    std::uint16_t sum = 0;
    std::uint8_t counter = 0;
    for (const char c : data) {
        const auto b = static_cast<std::uint8_t>(c);
        sum = static_cast<std::uint16_t>(sum + (version == 1 ? b : b ^ ++counter));
    }
    return sum;
}

} // namespace

std::uint16_t FileBlocks(std::size_t bytes) {
    return static_cast<std::uint16_t>(std::max<std::size_t>(1, (bytes + kBlock - 1) / kBlock));
}

std::string makeLynx(const std::vector<ArchiveFilePlan>& files, const LynxLayout& layout) {
    auto number = [&](std::uint32_t n) {
        return " " + std::to_string(n) + layout.numberEnd + "\r";
    };
    std::string entries;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const ArchiveFilePlan& f = files[i];
        entries += (layout.padNames ? paddedTo(f.name, 16, '\xA0') : f.name) + "\r";
        entries += number(FileBlocks(f.data.size())) + f.type + "\r";
        if (f.type == 'R')
            entries += number(254);
        if (i + 1 < files.size() || layout.lastUsage)
            entries += number(lastUsage(f.data.size()));
    }
    const std::string stub =
        layout.stub ? basicProgram(0x0801, 10, "\x99\"USE LYNX TO DISSOLVE THIS FILE\"") + "\r"
                    : "";
    const std::string count = number(static_cast<std::uint32_t>(files.size()) + layout.extraCount);
    // The header's block count covers the header itself: find the size that fits.
    std::uint32_t blocks = 1;
    std::string dir;
    for (;;) {
        const std::uint32_t dirBlocks = blocks + layout.extraDirBlocks;
        dir = stub + " " + std::to_string(dirBlocks) + "  " + layout.signature + "\r" + count +
              entries;
        if (dir.size() <= blocks * kBlock)
            break;
        ++blocks;
    }
    return paddedTo(dir, (blocks + layout.extraDirBlocks) * kBlock, '\0') + fileData(files);
}

std::string makeArk(const std::vector<ArchiveFilePlan>& files) {
    std::string dir(1, static_cast<char>(files.size()));
    for (const ArchiveFilePlan& f : files) {
        const std::string letters = "DSPUR";
        const auto code = static_cast<std::uint8_t>(letters.find(f.type));
        std::string entry(29, '\0');
        entry[0] = static_cast<char>(0x80 | code | (f.locked ? 0x40 : 0));
        entry[1] = static_cast<char>(lastUsage(f.data.size()));
        entry.replace(2, 16, paddedTo(f.name.substr(0, 16), 16, '\xA0'));
        entry.replace(0x1B, 2, le(FileBlocks(f.data.size()), 2));
        dir += entry;
    }
    return paddedTo(dir, (dir.size() + kBlock - 1) / kBlock * kBlock, '\0') + fileData(files);
}

std::string makeArc(const std::vector<ArchiveFilePlan>& files, const ArcLayout& layout) {
    std::string stream;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const ArchiveFilePlan& f = files[i];
        const std::string name = f.name.substr(0, 16);
        // Version 2 adds the record length and an MS-DOS date (1 January 1990).
        const std::string tail = layout.version == 2 ? std::string(1, '\0') + le(0x1421, 2) : "";
        std::string header = std::string(1, static_cast<char>(layout.version)) + '\0' +
                             le(arcChecksum(f.data, layout.version), 2) +
                             le(static_cast<std::uint32_t>(f.data.size()), 3) + "??" + f.type +
                             static_cast<char>(name.size()) + name + tail;
        const std::uint16_t blocks = FileBlocks(header.size() + f.data.size());
        header.replace(7, 2, le(blocks, 2));
        const std::string entry = header + f.data;
        stream += i + 1 < files.size() ? paddedTo(entry, blocks * kBlock, '\0') : entry;
    }
    stream += std::string(layout.padding, '\0');
    if (layout.sdaLine == 0)
        return stream;
    const std::string loader = basicProgram(0x0801, layout.sdaLine, "\x9E" + layout.sysAddress);
    return paddedTo(loader, (layout.sdaLine - 6u) * kBlock, '\0') + stream;
}

std::string makeSfx(const std::vector<ArchiveFilePlan>& files) {
    std::string out = basicProgram(0x1C01, 1990, "\x99\"SELF EXTRACTING LHA ARCHIVE\"");
    for (const ArchiveFilePlan& f : files) {
        const std::string field = f.name + '\0' + f.type;
        const std::string size = le(static_cast<std::uint32_t>(f.data.size()), 4);
        // Method, packed and original size, MS-DOS time and date, attribute,
        // level 0, the name field, the data's CRC.
        const std::string header = "-lh0-" + size + size + le(0x14210000, 4) + " " +
                                   std::string(1, '\0') + static_cast<char>(field.size()) + field +
                                   le(crc16(f.data), 2);
        std::uint8_t sum = 0;
        for (const char c : header)
            sum = static_cast<std::uint8_t>(sum + static_cast<std::uint8_t>(c));
        out += static_cast<char>(header.size()) + std::string(1, static_cast<char>(sum)) + header +
               f.data;
    }
    return out + std::string(1, '\0');
}

} // namespace qs::samples
