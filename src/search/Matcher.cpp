#include "search/Matcher.h"

#include "common/Petscii.h"
#include "common/Text.h"
#include "common/Wildcard.h"
#include "search/Output.h"
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

void writeBlock(Session& s, const std::string& heading, const std::string& lines) {
    Result(s, heading);
    Result(s, lines);
    Result(s, kRule);
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

int AnalyzePrograms(Session& s, const std::string& filePath, const std::string& archivePath) {
    int matches = 0;
    // A trapped error counts no match, whatever was counted before it.
    const bool finished = s.trap.run("AnalyzePrograms", [&] {
        const SearchOptions& o = s.view.options();
        MediaInfo& m = s.records.media;

        if (m.Status == status::InvalidFile) {
            s.view.info(filePath + " is an invalid file");
            if (o.showMediaWarn) {
                Result(s, filePath + " is an invalid file");
                Result(s, kRule + kCrLf);
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
        const LikePattern pattern(SearchPattern(o), o.matchCase);

        if (o.fileName && pattern.matches(m.FileName)) {
            matches = 1;
            lines += "[Filename match] " + m.FileName + kCrLf + kCrLf;
        }
        if (!cartridge)
            m.MediaName = SwapPetsciiCase(m.MediaName);
        if (o.header && hasMediaName && pattern.matches(m.MediaName)) {
            ++matches;
            lines += "[MediaName match] " + shown(m.MediaName) + kCrLf;
        }

        auto& entries = s.records.entries();
        for (std::size_t i = 1; i < entries.size(); ++i) {
            CbmEntry& e = entries[i];
            if (!GetControlValueByTag(o.cbmTypes, e.FileType))
                continue;
            if (!cartridge)
                e.Name = SwapPetsciiCase(e.Name);
            if (!pattern.matches(e.Name))
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
        const std::string heading = archivePath.empty() ? filePath + kCrLf + count
                                                        : m.FileName + "." + m.MediaType + " in " +
                                                              archivePath + kCrLf + count;
        writeBlock(s, heading, lines);
    });
    return finished ? matches : 0;
}

int AnalyzeSid(Session& s, const std::string& filePath, const std::string& archivePath) {
    int matches = 0;
    const bool finished = s.trap.run("AnalyzeSid", [&] {
        const SearchOptions& o = s.view.options();
        const SidInfo& sid = s.records.sid;
        std::string lines;
        if (!trimBlanks(sid.Status).empty() && o.showMediaWarn)
            lines += sid.Status + kCrLf;

        const LikePattern pattern(SearchPattern(o), o.matchCase);
        // The file name comes from the path and is already UTF-8; the header
        // texts are Latin-1.
        auto compare = [&](bool ticked, const std::string& value, const char* label,
                           bool headerText) {
            if (!ticked || !pattern.matches(value))
                return false;
            ++matches;
            lines += std::string(label) + (headerText ? latin1ToUtf8(value) : value) + kCrLf;
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
            archivePath.empty() ? filePath + kCrLf + count
                                : s.records.media.FileName + " in " + archivePath + kCrLf + count;
        writeBlock(s, heading, lines);
    });
    return finished ? matches : 0;
}

} // namespace qs
