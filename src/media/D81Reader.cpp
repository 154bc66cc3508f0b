#include "media/D81Reader.h"

#include "common/Text.h"

namespace qs {

namespace {

constexpr std::size_t kSectorBytes = 256;

std::uint64_t trackOffset(std::int32_t track) {
    if (track < 1)
        raise(err::InvalidCall, "track " + std::to_string(track));
    return static_cast<std::uint64_t>(track - 1) * kD81TrackBytes;
}

void readSlot(CbmEntry& e, const ByteView& slot, std::int32_t entryNo) {
    e.Name = CutAtPadding(slot.sub(5, 16).bytes());
    const std::uint8_t type = slot.u8(2);
    e.FileType = TypeText(type);
    e.TypeByte = type;
    // The block count is a signed 16-bit value: a high byte of 128 or more
    // cannot be a 1581 file and is an overflow.
    const std::uint8_t hi = slot.u8(31);
    if (hi >= 128)
        raise(err::Overflow, "block count of entry " + std::to_string(entryNo));
    e.Blocks = slot.u8(30) + 256 * hi;
    e.EntryNo = entryNo;
    e.Track = slot.u8(3);
    e.Sector = slot.u8(4);
    e.Locked = type >= 192;
    e.Valid = e.FileType != "scr";
}

std::string crossoverWarning(std::int32_t track) {
    const std::string t = std::to_string(track);
    return "[WARNING] - Directory entries crossover track " + t + ". " + " Only Track " + t +
           " entries are analyzed";
}

void walkDirectory(ReadInput& in, std::int32_t track, std::int32_t sector) {
    AnalysisRecords& rec = in.records;
    const std::uint64_t base = trackOffset(track);

    std::int32_t curTrack = track, curSector = sector;
    for (;;) {
        const bool tooMany = rec.entryCount() > kD81MaxEntries;
        if (curTrack != track || curSector > 39 || curSector == 0 || tooMany) {
            if (curTrack != track && curTrack != 0)
                rec.media.Status = crossoverWarning(track);
            else if (tooMany)
                rec.media.Status = "[WARNING] - More than 296 entries. Only first 296 are "
                                   "analyzed (probably recursive directory)";
            return;
        }
        // Only the sectors the chain visits are read: a walk nested hundreds
        // of levels deep (a partition holding its own directory) reads one
        // sector per level, not a whole track.
        const std::uint64_t at = base + kSectorBytes * static_cast<std::uint64_t>(curSector);
        const std::string sectorBytes = in.bytes.read(at, kSectorBytes);
        const ByteView dir(sectorBytes, in.bytes.origin() + at);
        for (std::size_t slot = 0; slot < 8; ++slot) {
            const auto index = static_cast<std::int32_t>(rec.entryCount() + 1);
            CbmEntry& e = rec.appendEntry();
            readSlot(e, dir.sub(32 * slot, 32), index);
            if (upperAscii(e.FileType) != "CBM")
                continue;
            // Copied: the nested walk grows the list under `e`.
            const std::string partition = e.Name;
            readD81Directory(in, e.Track, 3);
            CbmEntry& marker = rec.appendEntry();
            marker.Name = "END OF " + partition;
            marker.FileType = "inf";
            marker.Valid = true;
        }
        curTrack = dir.u8(0);
        curSector = dir.u8(1);
    }
}

} // namespace

void readD81Directory(ReadInput& in, std::int32_t track, std::int32_t sector) {
    try {
        walkDirectory(in, track, sector);
    } catch (...) {
        // Past the entry limit the directory is recursive and already cut
        // with a warning; each of its hundreds of nested levels would fail
        // the same way, and one message box per level would bury the window.
        if (in.records.entryCount() > kD81MaxEntries)
            return;
        // The walker names no file, yet its message keeps the line break
        // that precedes "File: " in the image reader's own.
        in.trap.report({ErrorTrap::messageText("AnalizzaTracciaDirD81",
                                               describeCurrentException(std::current_exception())) +
                        "\r\n"});
    }
}

void readD81(ReadInput& in) {
    AnalysisRecords& rec = in.records;
    const std::uint64_t dirOffset = (kD81DirTrack - 1) * kD81TrackBytes;
    const std::string track40 = in.bytes.read(dirOffset, kD81TrackBytes);
    const ByteView dirTrack(track40, in.bytes.origin() + dirOffset);
    const ByteView header = dirTrack.sub(0, kSectorBytes);
    const ByteView bam1 = dirTrack.sub(kSectorBytes, kSectorBytes);
    const ByteView bam2 = dirTrack.sub(2 * kSectorBytes, kSectorBytes);

    MediaInfo& m = rec.media;
    m.MediaName = PaddingToBlanks(header.text(4, 16));
    m.HeaderLine = "\"" + m.MediaName + "\" " + PaddingToBlanks(header.text(22, 5));
    SetNameFields(m, in.path);

    m.BlocksFree = 0;
    for (std::size_t n = 1; n <= 40; ++n) {
        const std::size_t at = 16 + (n - 1) * 6;
        if (n != 40)
            m.BlocksFree += bam1.u8(at);
        m.BlocksFree += bam2.u8(at);
    }

    const std::uint64_t size = in.bytes.size();
    m.Tracks40 = false;
    m.ErrorInfo = size == kD81SizeWithErrors;
    if (size != kD81Size && size != kD81SizeWithErrors)
        m.Status = status::NonStandardSize;

    readD81Directory(in, kD81DirTrack, 3);
}

} // namespace qs
