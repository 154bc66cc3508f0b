#include "tools/mod_G64.h"

#include "common/Text.h"
#include "common/VbError.h"
#include "search/modProjectFunctions.h"
#include "tools/modShell.h"

#include <cstdint>
#include <limits>

namespace qs {

namespace {

// Characters `length` from 1-based `position`, clipped to the line.
std::string mid(const std::string& line, std::size_t position,
                std::size_t length = std::string::npos) {
    return position - 1 < line.size() ? line.substr(position - 1, length) : std::string{};
}

std::string listingName(const std::string& text) {
    return upperAscii(ShiftListingLetters(text));
}

bool startsWithDigit(const std::string& line) {
    return !line.empty() && line[0] >= '0' && line[0] <= '9';
}

// Lines end at line feeds; a carriage return before one stays in the line.
std::vector<std::string> splitAtLineFeeds(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos)
            return lines;
        start = end + 1;
    }
}

const std::string kBlocksFree = " BLOCKS FREE.";

} // namespace

std::int32_t LeadingNumber(const std::string& line) {
    std::int64_t value = 0;
    for (char c : line) {
        if (c == ' ')
            continue;
        if (c < '0' || c > '9')
            break;
        value = value * 10 + (c - '0');
        if (value > std::numeric_limits<std::int32_t>::max())
            raise(err::Overflow);
    }
    return static_cast<std::int32_t>(value);
}

void ParseG64Listing(AnalysisRecords& records, const std::string& listing,
                     const std::string& path) {
    const std::vector<std::string> lines = splitAtLineFeeds(listing);
    std::size_t header = 0;
    while (header < lines.size() &&
           !(startsWithDigit(lines[header]) && lines[header].compare(0, 2, "0 ") == 0))
        ++header;
    if (header == lines.size())
        return;

    MediaInfo& m = records.media;
    m.MediaName = listingName(mid(lines[header], 4, 16));
    m.HeaderLine = listingName(mid(lines[header], 3, 24));
    SetNameFields(m, path);
    m.BlocksFree = 0;
    m.Tracks40 = m.ErrorInfo = false;

    std::int32_t count = 0;
    for (std::size_t i = header + 1; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const bool blocksFree = line.find(kBlocksFree) != std::string::npos;
        if (startsWithDigit(line) && !blocksFree) {
            CbmEntry& e = records.appendEntry();
            const std::string rest = mid(line, 8);
            const auto quote = rest.find('"');
            if (quote == std::string::npos)
                raise(err::InvalidCall, "no closing quote in the listing line");
            e.Name = listingName(rest.substr(0, quote));
            e.Blocks = LeadingNumber(line);
            e.FileType = trimBlanks(mid(line, 27, 3));
            e.EntryNo = ++count;
            e.Track = e.Sector = 0;
            e.Valid = e.FileType != "scr";
            e.Locked = line.back() != ' ';
        } else if (blocksFree) {
            m.BlocksFree = LeadingNumber(line);
        }
    }
}

std::vector<std::string> G64ListArguments(const std::string& path) {
    return {path, "-list"};
}

void analizzaG64(ReaderContext& ctx, const std::string& path) {
    ctx.trap.runOnFile("analizzaG64", path, [&] {
        if (!HeaderCheck(ctx, path, HeaderKind::G64))
            return;
        ctx.records.restartEntries();
        const std::string listing =
            RunToolForText(ctx.tools, OutsideTool::C1541, G64ListArguments(path), "tmpG64dir.txt");
        ParseG64Listing(ctx.records, listing, path);
    });
}

} // namespace qs
