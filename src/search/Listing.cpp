#include "search/Listing.h"

#include "common/Files.h"
#include "common/Petscii.h"
#include "common/Text.h"
#include "common/Wildcard.h"
#include "search/Dispatcher.h"
#include "search/FileReport.h"
#include "search/Matcher.h"
#include "search/MemberFiles.h"
#include "tools/ArchiveReader.h"
#include "tools/OutsideArchiver.h"
#include "tools/ToolRunner.h"

#include <algorithm>

namespace qs {

namespace {

// The procedure named in the archive's messages, as in a search.
const char* const kArchiveProcedure = "SearchC64File";
const std::string kPartitionEnd = "END OF ";

std::vector<CheckBox> everyFileType() {
    std::vector<CheckBox> types = defaultFileTypes();
    for (CheckBox& t : types)
        t.value = 1;
    return types;
}

// One analysis: the records, and the report that keeps its errors (naming
// an archive member as the user knows it) until they are shown.
struct Analysis {
    AnalysisRecords records;
    FileReport report;
    bool dispatched = false;
    std::string shownPath; // the file as the user names it

    void run(ReaderContext::Opener opener, const ListingRunner& listings, const std::string& path) {
        const ErrorTrap trap = report.trap();
        ReaderContext ctx{records, trap, std::move(opener), &listings};
        dispatched = DispatchFile(ctx, everyFileType(), path);
    }
};

std::unique_ptr<ByteSource> openFile(const std::string& path) {
    return std::make_unique<FileByteSource>(path);
}

void listFile(const ListingSource& source, const ToolEnv& tools, Analysis& a) {
    a.shownPath = source.path;
    const ToolListingRunner listings(tools);
    a.run(openFile, listings, source.path);
}

// A member the archive does not hold is said like a file that is not there.
void memberMissing(const ListingSource& source, Analysis& a) {
    a.report.trap().runOnFile(kArchiveProcedure, source.path, [&] {
        raise(err::FileNotFound, "no member " + source.member + " in the archive");
    });
}

// Read by libarchive; false when it refused the archive, and `a` is untouched.
bool listMemberInProcess(const ListingSource& source, const ToolEnv& tools, Analysis& a) {
    Analysis attempt;
    attempt.shownPath = a.shownPath;
    bool found = false;
    const ArchiveRead end = ReadArchive(
        source.path, [&](const std::string& name) { return name == source.member; },
        [&](const ArchiveMember& member) {
            found = true;
            const std::string label = MemberLabel(member.name(), source.path);
            if (member.tooLarge()) {
                attempt.report.recordError(
                    {ErrorTrap::messageText(
                        kArchiveProcedure,
                        {err::OutOfMemory,
                         describeError(err::OutOfMemory) + " (larger than 64 MiB, not read)"},
                        label, true)},
                    true);
                return false;
            }
            attempt.report.nameFile(member.name(), label);
            const MemberListingRunner listings(tools, member);
            attempt.run([&member](const std::string&) { return member.open(); }, listings,
                        member.name());
            return false;
        });
    if (end == ArchiveRead::Refused)
        return false;
    if (!found)
        memberMissing(source, attempt);
    a = std::move(attempt);
    return true;
}

// Listed and unpacked by the outside archiver, alone, into the extraction folder.
void listMemberWithArchiver(const ListingSource& source, const ToolEnv& tools, Analysis& a) {
    std::vector<std::string> members;
    const bool listed = a.report.trap().runOnFile(kArchiveProcedure, source.path, [&] {
        if (ListArchiveFiles(tools, source.path, members, "") < 0)
            raise(err::PathFileAccess, "not an archive 7z can read");
    });
    if (!listed)
        return;
    // Names that would leave the extraction folder are never extracted.
    if (!IsSafeMemberName(source.member) ||
        std::find(members.begin(), members.end(), source.member) == members.end())
        return memberMissing(source, a);
    const std::string workFolder = tools.tempPath("WKCBMZip");
    const RemoveOnExit cleanup(workFolder, RemoveOnExit::Kind::FolderTree);
    a.report.trap().runOnFile(kArchiveProcedure, source.path, [&] {
        ExtractArchiveFiles(tools, source.path, {source.member}, workFolder);
    });
    const std::string memberPath = TrailingSlash(workFolder) + source.member;
    a.report.nameFile(memberPath, a.shownPath);
    if (ExtractedMemberState(workFolder, memberPath) == MemberState::Outside)
        return;
    const ToolListingRunner listings(tools);
    a.run(openFile, listings, memberPath);
}

void listMember(const ListingSource& source, const ToolEnv& tools, bool externalArchiver,
                Analysis& a) {
    a.shownPath = MemberLabel(source.member, source.path);
    // An archive that cannot even be opened is said as such, whichever way
    // it would have been read.
    if (!a.report.trap().runOnFile(kArchiveProcedure, source.path,
                                   [&] { FileByteSource{source.path}; }))
        return;
    if (externalArchiver || !listMemberInProcess(source, tools, a))
        listMemberWithArchiver(source, tools, a);
}

ListingKind kindOf(const std::string& mediaType) {
    if (mediaType == "T64" || mediaType == "TAP")
        return ListingKind::Tape;
    if (mediaType == "CRT")
        return ListingKind::Cartridge;
    if (mediaType == "PC64")
        return ListingKind::SingleFile;
    if (mediaType == "SID")
        return ListingKind::Tune;
    return ListingKind::Disk;
}

// CBM bytes as the report shows them: PETSCII case swapped (cartridge
// names and signatures compare as stored), then the display glyphs.
std::string shownCbm(const std::string& bytes, bool swapCase) {
    return cp437ToUtf8(PetsciiToDisplay(swapCase ? SwapPetsciiCase(bytes) : bytes));
}

ListedEntry listedEntry(const CbmEntry& e, ListingKind kind) {
    ListedEntry out;
    out.entryNo = e.EntryNo;
    out.blocks = e.Blocks;
    // Disk directories keep the lock and closed bits apart (a locked file left
    // open is "ukw" to the report); elsewhere TypeByte is 0.
    const bool disk = kind == ListingKind::Disk;
    out.locked = e.Locked || (disk && (e.TypeByte & 0x40) != 0);
    out.unclosed = disk && (e.TypeByte & 0x80) == 0;
    out.type = out.unclosed ? TypeText(static_cast<std::uint8_t>(e.TypeByte | 0x80)) : e.FileType;
    CbmEntry shown = e;
    if (kind != ListingKind::Cartridge)
        shown.Name = SwapPetsciiCase(e.Name);
    shown.FileType = out.type;
    shown.Locked = out.locked;
    out.name = shownCbm(shown.Name, false);
    out.line = ListingLine(shown);
    // The "*" takes the blank before the type, as on the C64.
    if (out.unclosed)
        out.line[out.line.size() - out.type.size() - (out.locked ? 2 : 1)] = '*';
    return out;
}

DirectoryListing fromRecords(const AnalysisRecords& records) {
    const MediaInfo& m = records.media;
    DirectoryListing l;
    l.mediaType = m.MediaType;
    l.kind = kindOf(m.MediaType);
    if (m.Status != status::InvalidFile)
        l.warning = trimBlanks(m.Status);
    if (l.kind == ListingKind::Tune) {
        const SidInfo& s = records.sid;
        l.fields = {
            {"Name", latin1ToUtf8(s.Name)},           {"Author", latin1ToUtf8(s.Author)},
            {"Copyright", latin1ToUtf8(s.Copyright)}, {"Year", s.Year},
            {"Load address", "$" + s.LoadAddress},    {"End address", "$" + s.EndAddress},
            {"Init address", "$" + s.InitAddress},    {"Play address", "$" + s.PlayAddress}};
        return l;
    }
    // A TAP is named after its file, a PC text like the file's path.
    l.header =
        "0 " + (m.MediaType == "TAP" ? escapedForLine(m.HeaderLine)
                                     : shownCbm(m.HeaderLine, l.kind == ListingKind::Disk ||
                                                                  l.kind == ListingKind::Tape));
    if (l.kind == ListingKind::Disk)
        l.blocksFree = m.BlocksFree;

    int depth = 0;
    const auto& entries = records.entries();
    for (std::size_t i = 1; i < entries.size(); ++i) {
        const CbmEntry& e = entries[i];
        if (!e.Valid)
            continue;
        // The D81 reader closes each partition with a marker of type "inf".
        if (e.FileType == "inf" && e.Name.compare(0, kPartitionEnd.size(), kPartitionEnd) == 0) {
            ListedEntry& end = l.entries.emplace_back();
            depth = std::max(0, depth - 1);
            end.depth = depth;
            end.partitionEnd = true;
            end.name = shownCbm(e.Name.substr(kPartitionEnd.size()), true);
            end.line = kPartitionEnd + "\"" + end.name + "\"";
            continue;
        }
        ListedEntry& entry = l.entries.emplace_back(listedEntry(e, l.kind));
        entry.depth = depth;
        entry.partition = l.mediaType == "D81" && e.FileType == "cbm";
        if (entry.partition)
            ++depth;
    }
    return l;
}

} // namespace

ListingResult ListContainer(const ListingSource& source, const ToolEnv& tools,
                            bool externalArchiver, const ErrorTrap& trap,
                            const SearchOptions* search) {
    ListingResult result;
    if (source.member.empty() && fitsFilePattern(FileNameOf(source.path), kArchivePatterns)) {
        result.problem = escapedForLine(source.path) +
                         " is an archive: name one of its members as " +
                         escapedForLine(source.path) + "::MEMBER";
        return result;
    }
    Analysis a;
    if (source.member.empty())
        listFile(source, tools, a);
    else
        listMember(source, tools, externalArchiver, a);

    for (const FileReport::Event& e : a.report.events)
        if (e.kind == FileReport::Kind::Error)
            trap.report({e.text, e.file, e.member}, e.log);
    if (a.report.failed())
        return result;
    if (!a.dispatched) {
        result.problem = escapedForLine(a.shownPath) +
                         " is no disk, tape, cartridge, PC64 file or SID tune that can be listed";
        return result;
    }
    // The search's words for a file that fails its header check.
    if (a.records.media.Status == status::InvalidFile || !a.records.sid.Status.empty()) {
        result.problem = escapedForLine(a.shownPath) + " is an invalid file";
        return result;
    }
    result.listing = fromRecords(a.records);
    if (search != nullptr) {
        // The matcher once more, on the records the listing came from.
        SearchOptions o = *search;
        o.records = true;
        o.blockPlaces = false;
        FileReport found;
        MatchFile(o, a.records, found, source.path, source.member.empty() ? "" : source.path);
        for (const FileReport::Event& e : found.events)
            if (e.kind == FileReport::Kind::Match)
                result.matches.push_back(*e.match);
    }
    return result;
}

std::vector<std::string> ListingLines(const DirectoryListing& listing) {
    std::vector<std::string> lines;
    if (!listing.header.empty())
        lines.push_back(listing.header);
    for (const ListedEntry& e : listing.entries)
        lines.push_back(std::string(2 * static_cast<std::size_t>(e.depth), ' ') + e.line);
    if (listing.blocksFree)
        lines.push_back(std::to_string(*listing.blocksFree) + " BLOCKS FREE.");
    std::size_t width = 0;
    for (const auto& field : listing.fields)
        width = std::max(width, field.first.size());
    for (const auto& [label, value] : listing.fields)
        lines.push_back(label + ":" + std::string(width + 1 - label.size(), ' ') + value);
    return lines;
}

} // namespace qs
