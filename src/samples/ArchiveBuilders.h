#pragma once
// Builds the C64's own archives: Lynx, Arkive, ARC (plain and behind an SDA
// loader) and self-extracting LHA (SFX). Each stores its files unpacked, in
// the layout its readers and the oracle tools expect; the tests then change
// single fields.
#include <cstdint>
#include <string>
#include <vector>

namespace qs::samples {

struct ArchiveFilePlan {
    std::string name; // PETSCII as on a disk (an SFX's: as stored)
    char type = 'P';  // P, S, U, R or D
    std::string data; // the file as the C64 holds it, load address first
    bool locked = false;
};

// The blocks of 254 bytes that `bytes` fill, at least one.
std::uint16_t FileBlocks(std::size_t bytes);

struct LynxLayout {
    bool stub = true;                                   // the BASIC stub ahead of the header
    std::string signature = "*LYNX ARCHIVE QUILLSIFT*"; // 24 characters, as cbmconvert wants
    std::uint32_t extraCount = 0;     // entries the count claims beyond those written
    bool lastUsage = true;            // old Lynx versions write no LSU for the last file
    std::string numberEnd = " ";      // what follows each number before its CR
    bool padNames = true;             // names padded with $A0 to 16
    std::uint32_t extraDirBlocks = 0; // blocks the header adds to the directory's size
};

// Stub, " n  SIGNATURE" CR, " count " CR, the entries; the files from the
// directory's last block on, each padded to whole blocks but the last.
std::string makeLynx(const std::vector<ArchiveFilePlan>& files, const LynxLayout& layout = {});

// The count, 29-byte entries, the files from the next whole block.
std::string makeArk(const std::vector<ArchiveFilePlan>& files);

struct ArcLayout {
    int version = 2;
    std::uint16_t sdaLine = 0;       // 0: a plain ARC; else the SDA loader's line number (7 up)
    std::string sysAddress = "2063"; // the SDA loader's SYS address
    std::size_t padding = 0;         // zero bytes after the last entry
};

// Stored (mode 0) entries, each padded to whole blocks, with their checksums.
std::string makeArc(const std::vector<ArchiveFilePlan>& files, const ArcLayout& layout = {});

// A stub loaded at $1C01, then level-0 "-lh0-" entries named NAME 0 TYPE with
// their CRC-16, then the closing byte 0.
std::string makeSfx(const std::vector<ArchiveFilePlan>& files);

} // namespace qs::samples
