#include "media/G64Reader.h"

#include "common/Error.h"
#include "common/Petscii.h"
#include "common/Text.h"

namespace qs {

namespace {

std::string listingName(const std::string& text) {
    return upperAscii(ShiftListingLetters(text));
}

bool startsWithDigit(const std::string& line) {
    return !line.empty() && line[0] >= '0' && line[0] <= '9';
}

const std::string kBlocksFree = " BLOCKS FREE.";

} // namespace

void ParseG64Listing(AnalysisRecords& records, const std::string& listing,
                     const std::string& path) {
    // c1541's lines end at line feeds; a carriage return stays in the line.
    const std::vector<std::string> lines = SplitLines(listing, CrRule::Keep);
    std::size_t header = 0;
    while (header < lines.size() &&
           !(startsWithDigit(lines[header]) && lines[header].compare(0, 2, "0 ") == 0))
        ++header;
    if (header == lines.size())
        return;

    MediaInfo& m = records.media;
    m.MediaName = listingName(slice(lines[header], 3, 16));
    m.HeaderLine = listingName(slice(lines[header], 2, 24));
    SetNameFields(m, path);
    m.BlocksFree = 0;
    m.Tracks40 = m.ErrorInfo = false;

    std::int32_t count = 0;
    for (std::size_t i = header + 1; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const bool blocksFree = line.find(kBlocksFree) != std::string::npos;
        if (startsWithDigit(line) && !blocksFree) {
            CbmEntry& e = records.appendEntry();
            const std::string rest = slice(line, 7);
            const auto quote = rest.find('"');
            if (quote == std::string::npos)
                raise(err::InvalidCall, "no closing quote in the listing line");
            e.Name = listingName(rest.substr(0, quote));
            e.Blocks = ParseInteger(line, NumberSyntax::Leading);
            e.FileType = trimBlanks(slice(line, 26, 3));
            e.EntryNo = ++count;
            e.Track = e.Sector = 0;
            e.Valid = e.FileType != "scr";
            e.Locked = line.back() != ' ';
            // c1541 marks a file left open with "*" just before its type.
            e.TypeByte = ListedTypeByte(e.FileType, slice(line, 25, 1) == "*", e.Locked);
        } else if (blocksFree) {
            m.BlocksFree = ParseInteger(line, NumberSyntax::Leading);
        }
    }
}

void readG64(ReadInput& in) {
    const std::string listing = in.listings != nullptr
                                    ? in.listings->listing(ListingProgram::C1541, in.path, in.bytes)
                                    : "";
    ParseG64Listing(in.records, listing, in.path);
}

} // namespace qs
