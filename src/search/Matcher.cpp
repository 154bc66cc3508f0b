#include "search/Matcher.h"

#include "common/Petscii.h"
#include "common/Text.h"
#include "common/Wildcard.h"
#include "search/Request.h"

#include <string_view>

namespace qs {

namespace {

const std::string kCrLf = "\r\n";
const std::string kRule = "-------------------------";

// Names from CBM media are shown through the code page 437 glyphs.
std::string shown(const std::string& cbmBytes) {
    return cp437ToUtf8(cbmBytes);
}

void writeBlock(FileReport& report, const std::string& heading, const std::string& lines) {
    report.result(heading);
    report.result(lines);
    report.result(kRule);
}

} // namespace

std::string SearchPattern(const SearchOptions& o) {
    return o.partial ? "*" + o.findStr + "*" : o.findStr;
}

std::string ListingLine(const CbmEntry& entry) {
    std::string line = std::to_string(entry.Blocks);
    if (line.size() < 5)
        line.append(5 - line.size(), ' ');
    line += "\"" + shown(PetsciiToDisplay(entry.Name)) + "\"";
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
            }
            return;
        }

        std::string lines;
        if (!trimBlanks(m.Status).empty() && o.showMediaWarn)
            lines += m.Status + kCrLf + kCrLf;

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
            lines += "[Filename match] " + escapedForLine(m.FileName) + kCrLf + kCrLf;
        }
        if (!cartridge)
            m.MediaName = SwapPetsciiCase(m.MediaName);
        if (o.header && hasMediaName && mediaNamePattern.matches(m.MediaName)) {
            ++matches;
            lines += "[MediaName match] " + shown(m.MediaName) + kCrLf;
        }

        auto& entries = records.entries();
        for (std::size_t i = 1; i < entries.size(); ++i) {
            CbmEntry& e = entries[i];
            if (!GetControlValueByTag(o.cbmTypes, e.FileType))
                continue;
            if (!cartridge)
                e.Name = SwapPetsciiCase(e.Name);
            if (!entryPattern.matches(e.Name))
                continue;
            ++matches;
            std::string line = ListingLine(e);
            if (e.FileType == "scr" && (e.Name.empty() || e.Name[0] == '\0')) {
                line.clear();
                --matches;
            }
            if (!line.empty())
                lines += line + kCrLf;
        }

        if (trimBlanks(lines).empty())
            return;
        const std::string count = "[" + std::to_string(matches) + "] entries found:" + kCrLf;
        const std::string heading =
            escapedForLine(archivePath.empty()
                               ? filePath
                               : m.FileName + "." + m.MediaType + " in " + archivePath) +
            kCrLf + count;
        writeBlock(report, heading, lines);
    });
    return finished ? matches : 0;
}

int MatchSid(const SearchOptions& o, const AnalysisRecords& records, FileReport& report,
             const std::string& filePath, const std::string& archivePath) {
    int matches = 0;
    const bool finished = report.trap().run("AnalyzeSid", [&] {
        const SidInfo& sid = records.sid;
        std::string lines;
        if (!trimBlanks(sid.Status).empty() && o.showMediaWarn)
            lines += sid.Status + kCrLf;

        // The file name comes from the path and is already UTF-8; the header
        // texts are Latin-1, and the typed string meets them as Latin-1.
        const LikePattern& fileNamePattern = PreparedLikePattern(SearchPattern(o), o.matchCase);
        const LikePattern& headerPattern =
            PreparedLikePattern(SearchPattern(o), o.matchCase, ShownAs::Latin1);
        auto compare = [&](bool ticked, const std::string& value, const char* label,
                           bool headerText) {
            if (!ticked || !(headerText ? headerPattern : fileNamePattern).matches(value))
                return false;
            ++matches;
            lines += std::string(label) +
                     (headerText ? latin1ToUtf8(value) : escapedForLine(value)) + kCrLf;
            return true;
        };
        if (compare(o.fileName, sid.FileName, "[Filename match] ", false))
            matches = 1;
        compare(o.sidName, sid.Name, "[SID Name match] ", true);
        compare(o.sidAuthor, sid.Author, "[SID Author match] ", true);
        compare(o.sidCopyright, sid.Copyright, "[SID Copyright match] ", true);

        if (trimBlanks(lines).empty())
            return;
        const std::string count = "[" + std::to_string(matches) + "] entries found:";
        const std::string heading =
            escapedForLine(archivePath.empty() ? filePath
                                               : records.media.FileName + " in " + archivePath) +
            kCrLf + count;
        writeBlock(report, heading, lines);
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
