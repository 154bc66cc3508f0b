#include "media/D64Reader.h"

#include <algorithm>

namespace qs {

std::string PaddingToBlanks(std::string text) {
    std::replace(text.begin(), text.end(), '\xA0', ' ');
    return text;
}

std::string CutAtPadding(std::string_view text) {
    return std::string(text.substr(0, text.find('\xA0')));
}

namespace {

std::int32_t d64BlocksFree(const ByteView& header, const ByteSource&) {
    std::int32_t sum = 0;
    for (std::size_t t = 1; t <= 35; ++t)
        if (t != 18)
            sum += header.u8(4 + 4 * (t - 1));
    return sum;
}

const DirectoryTrackFormat kD64{.sizes = {{kD64Size, false, false},
                                          {kD64SizeWithErrors, false, true},
                                          {kD64Size40, true, false},
                                          {kD64Size40WithErrors, true, true}},
                                .track = 18,
                                .trackOffset = kTrack18Offset,
                                .sectors = 19,
                                .nameAt = 144,
                                .idAt = 162,
                                .blocksFree = d64BlocksFree};

void readSlot(CbmEntry& e, const ByteView& slot, std::int32_t entryNo) {
    e.Name = CutAtPadding(slot.sub(5, 16).bytes());
    const std::uint8_t lo = slot.u8(30), hi = slot.u8(31);
    // A count that does not fit a signed 16-bit value is recorded as 0.
    e.Blocks = hi >= 128 ? 0 : lo + 256 * hi;
    const std::uint8_t type = slot.u8(2);
    e.FileType = TypeText(type);
    e.TypeByte = type;
    e.EntryNo = entryNo;
    e.Track = slot.u8(3);
    e.Sector = slot.u8(4);
    e.Valid = e.FileType != "scr";
    e.Locked = type >= 192;
}

} // namespace

void readDirectoryTrackImage(ReadInput& in, const DirectoryTrackFormat& format) {
    AnalysisRecords& rec = in.records;
    const std::string track = in.bytes.read(format.trackOffset, 256 * std::size_t{format.sectors});
    const ByteView dirTrack(track, in.bytes.origin() + format.trackOffset);
    auto sector = [&](std::size_t s) { return dirTrack.sub(256 * s, 256); };
    const ByteView header = sector(0);

    MediaInfo& m = rec.media;
    m.MediaName = PaddingToBlanks(header.text(format.nameAt, 16));
    m.HeaderLine = "\"" + m.MediaName + "\" " + PaddingToBlanks(header.text(format.idAt, 5));
    SetNameFields(m, in.path);
    m.BlocksFree = 0;
    m.Tracks40 = m.ErrorInfo = false;

    const std::uint64_t size = in.bytes.size();
    const auto cls = std::find_if(format.sizes.begin(), format.sizes.end(),
                                  [&](const ImageSizeClass& c) { return c.size == size; });
    if (cls == format.sizes.end()) {
        m.Status = status::NonStandardSize;
    } else {
        m.Tracks40 = cls->tracks40;
        m.ErrorInfo = cls->errorInfo;
    }

    m.BlocksFree = format.blocksFree(header, in.bytes);

    // The chain stays on the track, and within as many entries as the
    // track holds: more means it loops.
    const std::uint8_t dirTrackNo = format.track;
    const int maxEntries = 8 * (format.sectors - 1);
    auto onTrack = [&](std::uint8_t t, std::uint8_t s) {
        return t == dirTrackNo && s >= 1 && s < format.sectors;
    };
    std::uint8_t linkTrack = dirTrackNo, linkSector = 1;
    int n = 0;
    while (onTrack(linkTrack, linkSector) && n < maxEntries) {
        const ByteView dir = sector(linkSector);
        for (std::size_t slot = 0; slot < 8; ++slot) {
            ++n;
            readSlot(rec.appendEntry(), dir.sub(32 * slot, 32), n);
        }
        linkTrack = dir.u8(0);
        linkSector = dir.u8(1);
    }

    const std::string t = std::to_string(dirTrackNo), most = std::to_string(maxEntries);
    if (linkTrack != 0 && linkTrack != dirTrackNo)
        m.Status = "[WARNING] - Directory entries crossover track " + t + ". Only Track " + t +
                   " entries are analyzed";
    else if (n >= maxEntries && onTrack(linkTrack, linkSector))
        m.Status = "[WARNING] - More than " + most + " entries. Only first " + most +
                   " are analyzed (probably recursive directory)";
}

void readD64(ReadInput& in) {
    readDirectoryTrackImage(in, kD64);
}

} // namespace qs
