#include "media/PrgReader.h"

#include <algorithm>
#include <limits>
#include <string_view>

namespace qs {

namespace {

// The host file's name without its folder and its last extension, as stored
// (a PC text: UTF-8 bytes of the path, case kept).
std::string hostName(const std::string& path) {
    std::string_view name = path;
    name.remove_prefix(name.find_last_of('/') + 1); // npos + 1 is 0
    const auto dot = name.find_last_of('.');
    return std::string(dot == std::string_view::npos ? name : name.substr(0, dot));
}

} // namespace

std::int32_t PrgBlocks(std::uint64_t bytes) {
    // The load address is data like any other on a disk; past 2^31 blocks
    // (half a terabyte) the count stays at the largest it can show.
    const std::uint64_t blocks = bytes / 254 + (bytes % 254 != 0);
    constexpr auto kMost = static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());
    return static_cast<std::int32_t>(std::min(blocks, kMost));
}

void readPrg(ReadInput& in) {
    AnalysisRecords& rec = in.records;
    MediaInfo& m = rec.media;
    SetNameFields(m, in.path);
    const std::string name = hostName(in.path);
    // No medium name: the listing's header names the host file.
    m.HeaderLine = "\"" + name + "\"";

    CbmEntry& e = rec.appendEntry();
    e.Name = name;
    e.FileType = "prg";
    e.Blocks = PrgBlocks(in.bytes.size());
    e.EntryNo = 1;
    e.Valid = true;
}

} // namespace qs
