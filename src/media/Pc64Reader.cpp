#include "media/Pc64Reader.h"

#include "common/Text.h"

#include <algorithm>

namespace qs {

namespace {

constexpr std::int64_t kHeaderBytes = 26;

std::string typeFromExtension(const std::string& path) {
    const auto dot = path.find_last_of('.');
    const std::string ext = upperAscii(dot == std::string::npos ? path : path.substr(dot + 1));
    switch (ext.empty() ? '\0' : ext[0]) {
    case 'P':
        return "prg";
    case 'S':
        return "seq";
    case 'U':
        return "usr";
    case 'R':
        return "rel";
    default:
        return "";
    }
}

// Floor division: a file shorter than its header gives a negative count.
std::int32_t blocksOf(std::int64_t bytes) {
    return static_cast<std::int32_t>(bytes >= 0 ? bytes / 254 : -((-bytes + 253) / 254));
}

} // namespace

void readPc64(ReadInput& in) {
    AnalysisRecords& rec = in.records;
    const std::string headBytes = in.bytes.read(0, kHeaderBytes + 2);
    const ByteView head(headBytes);
    const auto length = static_cast<std::int64_t>(in.bytes.size());

    MediaInfo& m = rec.media;
    m.MediaName = head.text(0, 7);
    m.HeaderLine = "\"" + m.MediaName + "\" PC64";
    m.FileName = FileNameField(in.path);
    m.MediaType = "PC64";
    m.BlocksFree = 0;
    m.Tracks40 = m.ErrorInfo = false;

    CbmEntry& e = rec.appendEntry();
    // Bytes 0 pad the name in the PC64 format, but common tools pad it with
    // the shifted space of CBM directories: both are filler.
    std::string name = CutAtPadding(head.text(8, 16));
    name.erase(std::remove(name.begin(), name.end(), '\0'), name.end());
    e.Name = trimBlanks(name);
    e.FileType = typeFromExtension(in.path);
    e.Blocks = blocksOf(length - kHeaderBytes);
    e.EntryNo = 1;
    e.Valid = true;
    e.Locked = false;
    e.LoadAddress = head.u16le(26);
    e.EndAddress = static_cast<std::int32_t>(e.LoadAddress + length - kHeaderBytes);
}

} // namespace qs
