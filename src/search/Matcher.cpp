#include "search/Matcher.h"

#include "common/Petscii.h"
#include "common/Text.h"
#include "common/Wildcard.h"
#include "search/Request.h"

#include <string_view>
#include <utility>
#include <vector>

namespace qs {

namespace {

const std::string kCrLf = "\r\n";
const std::string kRule = kBlockRule;

// Names from CBM media are shown through the code page 437 glyphs.
std::string shown(const std::string& cbmBytes) {
    return cp437ToUtf8(cbmBytes);
}

// The block's texts, then the records of what its lines report.
void writeBlock(const SearchOptions& o, FileReport& report, const std::string& heading,
                const std::string& lines, const std::string& warning,
                std::vector<MatchRecord>& found) {
    report.events.reserve(report.events.size() + 5 + found.size());
    report.result(heading);
    report.result(lines);
    report.result(kRule);
    if (o.blockPlaces)
        report.block();
    if (!warning.empty())
        report.warning(warning);
    for (MatchRecord& r : found)
        report.match(std::move(r));
}

MatchRecord nameRecord(MatchRecord::Field field, std::string shownText, std::string bytes) {
    MatchRecord r;
    r.field = field;
    r.shown = std::move(shownText);
    r.bytes = std::move(bytes);
    return r;
}

// Disk images record a lock bit and a position for each directory entry;
// tapes have the position only, and a PC64 file or a cartridge holds one
// program without a directory.
bool hasLockBits(const std::string& kind) {
    return kind == "D64" || kind == "D71" || kind == "D81" || kind == "G64";
}
bool hasDirectory(const std::string& kind) {
    return hasLockBits(kind) || kind == "T64" || kind == "TAP";
}

} // namespace

std::string SearchPattern(const SearchOptions& o) {
    return o.partial ? "*" + o.findStr + "*" : o.findStr;
}

std::string ShownName(const CbmEntry& entry) {
    return shown(PetsciiToDisplay(entry.Name));
}

std::string ListingLine(const CbmEntry& entry) {
    return ListingLine(entry, ShownName(entry));
}

std::string ListingLine(const CbmEntry& entry, const std::string& shownName) {
    std::string line = std::to_string(entry.Blocks);
    if (line.size() < 5)
        line.append(5 - line.size(), ' ');
    line += "\"" + shownName + "\"";
    if (entry.Name.size() < 16)
        line.append(16 - entry.Name.size(), ' ');
    line += " " + entry.FileType;
    if (entry.Locked)
        line += "<";
    return line;
}

int MatchPrograms(const SearchOptions& o, AnalysisRecords& records, FileReport& report,
                  const std::string& filePath, const std::string& archivePath) {
    int matches = 0;
    // A trapped error counts no match, whatever was counted before it.
    const bool finished = report.trap().run("AnalyzePrograms", [&] {
        MediaInfo& m = records.media;

        if (m.Status == status::InvalidFile) {
            report.status(filePath + " is an invalid file");
            if (o.showMediaWarn) {
                report.result(escapedForLine(filePath) + " is an invalid file");
                report.result(kRule + kCrLf);
                if (o.records)
                    report.warning(m.Status);
            }
            return;
        }

        std::string lines;
        // The records of the block's lines, when they are asked for.
        std::string warning;
        std::vector<MatchRecord> found;
        if (!trimBlanks(m.Status).empty() && o.showMediaWarn) {
            lines += m.Status + kCrLf + kCrLf;
            warning = o.records ? m.Status : "";
        }

        // Looked up as parts of these lists, so that a file whose reader failed
        // before naming its kind (empty type) offers no medium name to match.
        auto listed = [&](std::string_view list) {
            return list.find(m.MediaType) != std::string_view::npos;
        };
        const bool cartridge = listed("#CRT#"); // cartridge names are compared as stored
        // These kinds have no medium name of their own.
        const bool hasMediaName = !listed("#PRG#PC64#TAP#");
        // The typed string meets each name as that name is shown: the file
        // name as it is, the medium name in code page 437 glyphs, the entry
        // names in the glyphs of their listing lines.
        const std::string typed = SearchPattern(o);
        const LikePattern& fileNamePattern = PreparedLikePattern(typed, o.matchCase);
        const LikePattern& mediaNamePattern =
            PreparedLikePattern(typed, o.matchCase, ShownAs::Cp437);
        const LikePattern& entryPattern = PreparedLikePattern(typed, o.matchCase, ShownAs::Listing);

        if (o.fileName && fileNamePattern.matches(m.FileName)) {
            matches = 1;
            const std::string text = escapedForLine(m.FileName);
            lines += "[Filename match] " + text + kCrLf + kCrLf;
            if (o.records)
                found.push_back(nameRecord(MatchRecord::Field::FileName, text, m.FileName));
        }
        const std::string storedMediaName =
            cartridge ? m.MediaName : std::exchange(m.MediaName, SwapPetsciiCase(m.MediaName));
        if (o.header && hasMediaName && mediaNamePattern.matches(m.MediaName)) {
            ++matches;
            const std::string text = shown(m.MediaName);
            lines += "[MediaName match] " + text + kCrLf;
            if (o.records)
                found.push_back(nameRecord(MatchRecord::Field::MediumName, text, storedMediaName));
        }

        const std::string& kind = report.place.kind;

        auto& entries = records.entries();
        // Entries of one type come in runs: the type's box is looked up once a run.
        const std::string* lastType = nullptr;
        bool typeTicked = false;
        for (std::size_t i = 1; i < entries.size(); ++i) {
            CbmEntry& e = entries[i];
            if (lastType == nullptr || *lastType != e.FileType)
                typeTicked = GetControlValueByTag(o.cbmTypes, e.FileType);
            lastType = &e.FileType;
            if (!typeTicked)
                continue;
            // The name as stored goes into the match's record.
            const std::string stored =
                cartridge ? e.Name : std::exchange(e.Name, SwapPetsciiCase(e.Name));
            if (!entryPattern.matches(e.Name))
                continue;
            if (e.FileType == "scr" && (e.Name.empty() || e.Name[0] == '\0'))
                continue;
            ++matches;
            std::string name = ShownName(e);
            lines += ListingLine(e, name);
            lines += kCrLf;
            if (!o.records)
                continue;
            MatchRecord& r =
                found.emplace_back(nameRecord(MatchRecord::Field::Entry, std::move(name), stored));
            r.type = e.FileType;
            r.blocks = e.Blocks;
            if (hasLockBits(kind))
                r.locked = e.Locked;
            if (hasDirectory(kind))
                r.entryNo = e.EntryNo;
        }

        if (trimBlanks(lines).empty())
            return;
        const std::string count = "[" + std::to_string(matches) + "] entries found:" + kCrLf;
        const std::string heading =
            escapedForLine(archivePath.empty()
                               ? filePath
                               : m.FileName + "." + m.MediaType + " in " + archivePath) +
            kCrLf + count;
        writeBlock(o, report, heading, lines, warning, found);
    });
    return finished ? matches : 0;
}

int MatchSid(const SearchOptions& o, const AnalysisRecords& records, FileReport& report,
             const std::string& filePath, const std::string& archivePath) {
    int matches = 0;
    const bool finished = report.trap().run("AnalyzeSid", [&] {
        const SidInfo& sid = records.sid;
        std::string lines;
        // The records of the block's lines, when they are asked for.
        std::string warning;
        std::vector<MatchRecord> found;
        if (!trimBlanks(sid.Status).empty() && o.showMediaWarn) {
            lines += sid.Status + kCrLf;
            warning = o.records ? sid.Status : "";
        }

        // The file name comes from the path and is already UTF-8; the header
        // texts are Latin-1, and the typed string meets them as Latin-1.
        const LikePattern& fileNamePattern = PreparedLikePattern(SearchPattern(o), o.matchCase);
        const LikePattern& headerPattern =
            PreparedLikePattern(SearchPattern(o), o.matchCase, ShownAs::Latin1);
        using Field = MatchRecord::Field;
        auto compare = [&](bool ticked, const std::string& value, const char* label, Field field) {
            const bool headerText = field != Field::FileName;
            if (!ticked || !(headerText ? headerPattern : fileNamePattern).matches(value))
                return false;
            ++matches;
            const std::string text = headerText ? latin1ToUtf8(value) : escapedForLine(value);
            lines += std::string(label) + text + kCrLf;
            if (o.records)
                found.push_back(nameRecord(field, text, value));
            return true;
        };
        if (compare(o.fileName, sid.FileName, "[Filename match] ", Field::FileName))
            matches = 1;
        compare(o.sidName, sid.Name, "[SID Name match] ", Field::SidName);
        compare(o.sidAuthor, sid.Author, "[SID Author match] ", Field::SidAuthor);
        compare(o.sidCopyright, sid.Copyright, "[SID Copyright match] ", Field::SidCopyright);

        if (trimBlanks(lines).empty())
            return;
        const std::string count = "[" + std::to_string(matches) + "] entries found:";
        const std::string heading =
            escapedForLine(archivePath.empty() ? filePath
                                               : records.media.FileName + " in " + archivePath) +
            kCrLf + count;
        writeBlock(o, report, heading, lines, warning, found);
    });
    return finished ? matches : 0;
}

int MatchFile(const SearchOptions& o, AnalysisRecords& records, FileReport& report,
              const std::string& filePath, const std::string& archivePath) {
    return records.media.MediaType == "SID"
               ? MatchSid(o, records, report, filePath, archivePath)
               : MatchPrograms(o, records, report, filePath, archivePath);
}

int AnalyzePrograms(Session& s, const std::string& filePath, const std::string& archivePath) {
    FileReport report;
    const int matches = MatchPrograms(s.view.options(), s.records, report, filePath, archivePath);
    Replay(s, report);
    return matches;
}

int AnalyzeSid(Session& s, const std::string& filePath, const std::string& archivePath) {
    FileReport report;
    const int matches = MatchSid(s.view.options(), s.records, report, filePath, archivePath);
    Replay(s, report);
    return matches;
}

} // namespace qs
