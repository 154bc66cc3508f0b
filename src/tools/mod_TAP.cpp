#include "tools/mod_TAP.h"

#include "common/Text.h"
#include "common/VbError.h"
#include "search/modProjectFunctions.h"
#include "tools/modShell.h"

#include <cstdint>
#include <cstdio>
#include <limits>

namespace qs {

namespace {

const std::string kFound = "searching... found(";
constexpr std::size_t kLineLength = 75;

std::string mid(const std::string& line, std::size_t position, std::size_t length) {
    return position - 1 < line.size() ? line.substr(position - 1, length) : std::string{};
}

std::int32_t wholeNumber(const std::string& column) {
    const std::string t = trimBlanks(column);
    const std::size_t i0 = !t.empty() && (t[0] == '+' || t[0] == '-') ? 1 : 0;
    if (i0 == t.size())
        raise(err::TypeMismatch, "\"" + t + "\" is not an address");
    std::int64_t value = 0;
    for (std::size_t i = i0; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9')
            raise(err::TypeMismatch, "\"" + t + "\" is not an address");
        value = value * 10 + (t[i] - '0');
        if (value > std::numeric_limits<std::int32_t>::max())
            raise(err::Overflow);
    }
    return static_cast<std::int32_t>(t[0] == '-' ? -value : value);
}

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
    for (std::string line : SplitListingLines(listing)) {
        if (line.compare(0, kFound.size(), kFound) != 0 || line.size() <= 60)
            continue;
        // Lines that ran into each other carry "found(" more than once.
        if (line.size() != kLineLength)
            for (int k = CountOccurrences(line, "found("); k > 1; --k)
                line = line.substr(0, 13) + mid(line, 23, std::string::npos);
        CbmEntry& e = records.appendEntry();
        e.Name = upperAscii(ShiftListingLetters(trimBlanks(mid(line, 22, 18))));
        e.LoadAddress = wholeNumber(mid(line, 42, 6));
        e.EndAddress = wholeNumber(mid(line, 49, 6));
        e.Blocks = TapeBlocks(e.LoadAddress, e.EndAddress);
        e.FileType = "prg";
        e.EntryNo = ++count;
        e.Track = e.Sector = 0;
        e.Valid = true;
        e.Locked = false;
    }
}

std::vector<std::string> TapListArguments(const std::string& path) {
    return {"-i:" + path};
}

void analizzaTAP(ReaderContext& ctx, const std::string& path) {
    ctx.trap.runOnFile("analizzaTAP", path, [&] {
        if (!HeaderCheck(ctx, path, HeaderKind::TapeRaw))
            return;
        ctx.records.restartEntries();
        const std::string listing =
            RunToolForText(ctx.tools, OutsideTool::Tape64, TapListArguments(path), "tmpTAPdir.txt");
        ParseTapListing(ctx.records, listing, path);
    });
}

} // namespace qs
