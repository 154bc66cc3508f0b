#pragma once
// What the readers of the C64's own archives (Lynx, ARK, ARC and SDA, SFX)
// share: their listing is named after the PC file, as a tape's is, and their
// entries are names, types and block counts read from headers, the data left
// packed.
#include "common/ByteView.h"
#include "media/AnalysisRecords.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qs {

// The status of an archive whose last entries' data runs past the file's end:
// the directory was read whole, the files in it cannot all be unpacked.
inline constexpr const char* kArchiveCutShort = "ARCHIVE CUT SHORT, MAY BE CORRUPTED";

// Archives without an end mark stop at the first bytes that are no entry
// header: transfer padding (bytes 0 or $1A) up to the file's end, or a
// damaged header, which the status then says.
bool OnlyPaddingFrom(const ByteSource& bytes, std::uint64_t at);
std::string DamagedHeaderStatus(std::uint64_t at);

// Names the medium after the file at `path` (it has no name of its own).
void StartArchiveListing(MediaInfo& media, const std::string& path);

// Appends the next entry: valid, numbered in the order read.
CbmEntry& AddArchiveEntry(AnalysisRecords& records, std::string name, std::string type,
                          std::int32_t blocks);

// "prg", "seq", "usr", "rel", "del" for the type letters P, S, U, R, D the
// archives write (either case); empty for any other byte.
std::string TypeOfLetter(char letter);

// The 254-byte blocks `bytes` fill, the last one partly (0 for none).
std::int32_t BlocksOfBytes(std::uint64_t bytes);

} // namespace qs
