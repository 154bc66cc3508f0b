#include "media/TapReader.h"

#include "common/Petscii.h"
#include "common/Text.h"

#include <cstdint>
#include <cstdio>

namespace qs {

namespace {

const std::string kFound = "searching... found(";
constexpr std::size_t kLineLength = 75;

} // namespace

int CountOccurrences(const std::string& text, const std::string& part) {
    if (part.empty())
        return 0;
    const std::size_t removed = text.size() - replaceAll(text, part, "").size();
    return static_cast<int>(removed / part.size());
}

std::int32_t TapeBlocks(std::int32_t start, std::int32_t end) {
    if (end <= start)
        return 0;
    const std::int64_t diff = std::int64_t{end} - start;
    std::int64_t q = diff / 254;
    const std::int64_t twice = 2 * (diff % 254);
    if (twice > 254 || (twice == 254 && q % 2 == 1))
        ++q;
    return static_cast<std::int32_t>(q);
}

std::string TapListingLine(unsigned headerType, const std::string& displayName, unsigned start,
                           unsigned end, const std::string& kind) {
    char type[8];
    std::snprintf(type, sizeof type, "%u)", headerType % 10);
    char addresses[32];
    std::snprintf(addresses, sizeof addresses, "  %6u-%6u ", start % 1000000, end % 1000000);
    std::string name = displayName.substr(0, 16);
    name.resize(18, ' ');
    std::string line = kFound + type + name + addresses + kind;
    line.resize(kLineLength, ' ');
    return line;
}

void ParseTapListing(AnalysisRecords& records, const std::string& listing,
                     const std::string& path) {
    MediaInfo& m = records.media;
    m.FileName = FileNameField(path);
    m.MediaName = m.FileName;
    m.HeaderLine = "\"" + m.MediaName + "\"";
    m.MediaType = MediaTypeField(path);
    m.BlocksFree = 0;
    m.Tracks40 = m.ErrorInfo = false;

    std::int32_t count = 0;
    for (std::string line : SplitLines(listing, CrRule::Drop)) {
        if (line.compare(0, kFound.size(), kFound) != 0 || line.size() <= 60)
            continue;
        // Lines that ran into each other carry "found(" more than once.
        if (line.size() != kLineLength)
            for (int k = CountOccurrences(line, "found("); k > 1; --k)
                line = line.substr(0, 13) + slice(line, 22);
        CbmEntry& e = records.appendEntry();
        e.Name = upperAscii(ShiftListingLetters(trimBlanks(slice(line, 21, 18))));
        e.LoadAddress = ParseInteger(slice(line, 41, 6), NumberSyntax::Whole);
        e.EndAddress = ParseInteger(slice(line, 48, 6), NumberSyntax::Whole);
        e.Blocks = TapeBlocks(e.LoadAddress, e.EndAddress);
        e.FileType = "prg";
        e.EntryNo = ++count;
        e.Track = e.Sector = 0;
        e.Valid = true;
        e.Locked = false;
    }
}

void readTap(ReadInput& in) {
    const std::string listing =
        in.listings != nullptr ? in.listings->listing(ListingProgram::Tape64, in.path, in.bytes)
                               : "";
    ParseTapListing(in.records, listing, in.path);
}

} // namespace qs
