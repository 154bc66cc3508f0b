#include "search/Matcher.h"

#include "common/Petscii.h"
#include "common/Text.h"
#include "common/Wildcard.h"

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
void writeBlock(const SearchRequest& o, FileReport& report, const std::string& heading,
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

} // namespace

std::string SearchPattern(const SearchRequest& r) {
    return r.partial ? "*" + r.pattern + "*" : r.pattern;
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
    // Columns line up by the characters shown: a CBM name shows one per
    // byte, a PC name's UTF-8 and escapes do not.
    const std::size_t width = utf8Length(shownName);
    if (width < 16)
        line.append(16 - width, ' ');
    line += " " + entry.FileType;
    if (entry.Locked)
        line += "<";
    return line;
}

int MatchPrograms(const SearchRequest& o, const ContainerFormat& format, AnalysisRecords& records,
                  FileReport& report, const std::string& filePath, const std::string& archivePath) {
    int matches = 0;
    // A trapped error counts no match, whatever was counted before it.
    const bool finished = report.trap().run("AnalyzePrograms", [&] {
        MediaInfo& m = records.media;

        if (m.Status == status::InvalidFile) {
            report.status(filePath + " is an invalid file");
            if (o.warnings) {
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
        if (!trimBlanks(m.Status).empty() && o.warnings) {
            lines += m.Status + kCrLf + kCrLf;
            warning = o.records ? m.Status : "";
        }

        // A file whose reader failed before naming its kind offers no medium
        // name to match, and its names stay as they were read.
        const bool named = !m.MediaType.empty() || !m.FileName.empty();
        const bool asStored = !named || format.namesAsStored;
        const bool hasMediaName = named && format.mediumName;
        const bool pcNames = named && format.pcEntryNames;
        // The typed string meets each name as that name is shown: the file
        // name as it is, the medium name in code page 437 glyphs, the entry
        // names in the glyphs of their listing lines, or as themselves when
        // they are PC texts.
        const std::string typed = SearchPattern(o);
        const LikePattern& fileNamePattern = PreparedLikePattern(typed, o.matchCase);
        const LikePattern& mediaNamePattern =
            PreparedLikePattern(typed, o.matchCase, ShownAs::Cp437);
        const LikePattern& entryPattern =
            pcNames ? fileNamePattern : PreparedLikePattern(typed, o.matchCase, ShownAs::Listing);

        if (o.fileNames && fileNamePattern.matches(m.FileName)) {
            matches = 1;
            const std::string text = escapedForLine(m.FileName);
            lines += "[Filename match] " + text + kCrLf + kCrLf;
            if (o.records)
                found.push_back(nameRecord(MatchRecord::Field::FileName, text, m.FileName));
        }
        const std::string storedMediaName =
            asStored ? m.MediaName : std::exchange(m.MediaName, SwapPetsciiCase(m.MediaName));
        if (o.mediumNames && hasMediaName && mediaNamePattern.matches(m.MediaName)) {
            ++matches;
            const std::string text = shown(m.MediaName);
            lines += "[MediaName match] " + text + kCrLf;
            if (o.records)
                found.push_back(nameRecord(MatchRecord::Field::MediumName, text, storedMediaName));
        }

        auto& entries = records.entries();
        // Entries of one type come in runs: the type's box is looked up once a run.
        const std::string* lastType = nullptr;
        bool typeTicked = false;
        for (std::size_t i = 1; i < entries.size(); ++i) {
            CbmEntry& e = entries[i];
            if (lastType == nullptr || *lastType != e.FileType)
                typeTicked = o.reportsEntryType(e.FileType);
            lastType = &e.FileType;
            if (!typeTicked)
                continue;
            // The name as stored goes into the match's record.
            const std::string stored =
                asStored || pcNames ? e.Name : std::exchange(e.Name, SwapPetsciiCase(e.Name));
            if (!entryPattern.matches(e.Name))
                continue;
            if (e.FileType == "scr" && (e.Name.empty() || e.Name[0] == '\0'))
                continue;
            ++matches;
            std::string name = pcNames ? escapedForLine(e.Name) : ShownName(e);
            lines += ListingLine(e, name);
            lines += kCrLf;
            if (!o.records)
                continue;
            MatchRecord& r =
                found.emplace_back(nameRecord(MatchRecord::Field::Entry, std::move(name), stored));
            r.type = e.FileType;
            r.blocks = e.Blocks;
            if (format.lockBits)
                r.locked = e.Locked;
            if (format.entryPositions)
                r.entryNo = e.EntryNo;
        }

        if (trimBlanks(lines).empty())
            return;
        const std::string count = "[" + std::to_string(matches) + "] entries found:" + kCrLf;
        const std::string heading =
            escapedForLine(archivePath.empty() ? filePath
                                               : m.FileName + (m.MediaType.empty() ? "" : ".") +
                                                     m.MediaType + " in " + archivePath) +
            kCrLf + count;
        writeBlock(o, report, heading, lines, warning, found);
    });
    return finished ? matches : 0;
}

int MatchSid(const SearchRequest& o, const AnalysisRecords& records, FileReport& report,
             const std::string& filePath, const std::string& archivePath) {
    int matches = 0;
    const bool finished = report.trap().run("AnalyzeSid", [&] {
        const SidInfo& sid = records.sid;
        std::string lines;
        // The records of the block's lines, when they are asked for.
        std::string warning;
        std::vector<MatchRecord> found;
        if (!trimBlanks(sid.Status).empty() && o.warnings) {
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
        if (compare(o.fileNames, sid.FileName, "[Filename match] ", Field::FileName))
            matches = 1;
        compare(o.sid.name, sid.Name, "[SID Name match] ", Field::SidName);
        compare(o.sid.author, sid.Author, "[SID Author match] ", Field::SidAuthor);
        compare(o.sid.copyright, sid.Copyright, "[SID Copyright match] ", Field::SidCopyright);

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

int MatchFile(const SearchRequest& r, const ContainerFormat& format, AnalysisRecords& records,
              FileReport& report, const std::string& filePath, const std::string& archivePath) {
    return format.tune() ? MatchSid(r, records, report, filePath, archivePath)
                         : MatchPrograms(r, format, records, report, filePath, archivePath);
}

} // namespace qs
