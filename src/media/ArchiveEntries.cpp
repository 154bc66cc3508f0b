#include "media/ArchiveEntries.h"

#include <algorithm>
#include <limits>

namespace qs {

bool OnlyPaddingFrom(const ByteSource& bytes, std::uint64_t at) {
    const std::string rest =
        bytes.read(at, static_cast<std::size_t>(bytes.size() - std::min(at, bytes.size())));
    return rest.find_first_not_of(std::string_view("\0\x1A", 2)) == std::string::npos;
}

std::string DamagedHeaderStatus(std::uint64_t at) {
    return "[WARNING] - The entries end at a damaged header at offset " + std::to_string(at);
}

void StartArchiveListing(MediaInfo& media, const std::string& path) {
    SetNameFields(media, path);
    media.MediaName = media.FileName;
    media.HeaderLine = "\"" + media.FileName + "\"";
    media.BlocksFree = 0;
    media.Tracks40 = media.ErrorInfo = false;
}

CbmEntry& AddArchiveEntry(AnalysisRecords& records, std::string name, std::string type,
                          std::int32_t blocks) {
    CbmEntry& e = records.appendEntry();
    e.Name = std::move(name);
    e.FileType = std::move(type);
    e.Blocks = blocks;
    e.EntryNo = static_cast<std::int32_t>(records.entryCount());
    e.Valid = true;
    return e;
}

std::string TypeOfLetter(char letter) {
    switch (letter) {
    case 'P':
    case 'p':
        return "prg";
    case 'S':
    case 's':
        return "seq";
    case 'U':
    case 'u':
        return "usr";
    case 'R':
    case 'r':
        return "rel";
    case 'D':
    case 'd':
        return "del";
    default:
        return "";
    }
}

std::int32_t BlocksOfBytes(std::uint64_t bytes) {
    const std::uint64_t blocks = bytes / 254 + (bytes % 254 != 0 ? 1 : 0);
    return static_cast<std::int32_t>(
        std::min<std::uint64_t>(blocks, std::numeric_limits<std::int32_t>::max()));
}

} // namespace qs
