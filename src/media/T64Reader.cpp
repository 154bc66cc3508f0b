#include "media/T64Reader.h"

#include "common/Text.h"

namespace qs {

namespace {

constexpr std::size_t kHeaderBytes = 64;
constexpr std::size_t kRecordBytes = 32;

} // namespace

std::int32_t T64Blocks(std::int32_t loadAddress, std::int32_t endAddress) {
    const std::int32_t diff = endAddress - loadAddress;
    std::int32_t q = diff / 254, r = diff % 254;
    if (r < 0) { // floor division
        --q;
        r += 254;
    }
    if (2 * r > 254 || (2 * r == 254 && q % 2 != 0))
        ++q;
    return q;
}

void readT64(ReadInput& in) {
    AnalysisRecords& rec = in.records;
    const std::string headBytes = in.bytes.read(0, kHeaderBytes);
    const ByteView head(headBytes);
    const std::uint16_t maxEntries = head.u16le(34);
    const std::uint16_t usedEntries = head.u16le(36);

    MediaInfo& m = rec.media;
    m.MediaName = head.text(40, 24);
    m.HeaderLine = "\"" + m.MediaName + "\"";
    SetNameFields(m, in.path);
    m.BlocksFree = maxEntries - usedEntries;
    m.Tracks40 = m.ErrorInfo = false;

    // Only the records the header announces; a lying count runs into the
    // end of the data and stops there with error 9.
    const std::string dirBytes = in.bytes.read(kHeaderBytes, kRecordBytes * maxEntries);
    const ByteView dir(dirBytes, kHeaderBytes);
    for (std::int32_t i = 1; i <= maxEntries; ++i) {
        const ByteView r = dir.sub(kRecordBytes * static_cast<std::size_t>(i - 1), kRecordBytes);
        CbmEntry& e = rec.appendEntry();
        e.Name = trimBlanks(r.text(16, 16));
        e.FileType = TypeText(r.u8(1));
        e.LoadAddress = r.u16le(2);
        e.EndAddress = r.u16le(4);
        e.Blocks = T64Blocks(e.LoadAddress, e.EndAddress);
        e.EntryNo = i;
        e.Valid = r.u8(0) != 0;
        e.Locked = false;
    }
}

} // namespace qs
