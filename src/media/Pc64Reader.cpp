#include "media/Pc64Reader.h"

#include "common/Text.h"
#include "media/Signature.h"

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

void readPc64(ReaderContext& ctx, const std::string& path) {
    AnalysisRecords& rec = ctx.records;
    ctx.trap.runOnFile("analizzaPC64", path, [&] {
        const auto source = ctx.open(path);
        // Too big to be a single C64 file: invalid without looking.
        if (source->size() >= kPc64SizeLimit || !HasSignature(*source, HeaderKind::PC64))
            return MarkInvalidFile(rec, path, HeaderKind::PC64);
        const std::string headBytes = source->read(0, kHeaderBytes + 2);
        const ByteView head(headBytes);
        const auto length = static_cast<std::int64_t>(source->size());

        MediaInfo& m = rec.media;
        m.MediaName = head.text(0, 7);
        m.HeaderLine = "\"" + m.MediaName + "\" PC64";
        m.FileName = FileNameField(path);
        m.MediaType = "PC64";
        m.BlocksFree = 0;
        m.Tracks40 = m.ErrorInfo = false;

        CbmEntry& e = rec.appendEntry();
        // Bytes 0 pad the name in the PC64 format, but common tools pad it with
        // the shifted space of CBM directories: both are filler.
        std::string name = CutAtPadding(head.text(8, 16));
        name.erase(std::remove(name.begin(), name.end(), '\0'), name.end());
        e.Name = trimBlanks(name);
        e.FileType = typeFromExtension(path);
        e.Blocks = blocksOf(length - kHeaderBytes);
        e.EntryNo = 1;
        e.Valid = true;
        e.Locked = false;
        e.LoadAddress = head.u16le(26);
        e.EndAddress = static_cast<std::int32_t>(e.LoadAddress + length - kHeaderBytes);
    });
}

} // namespace qs
