#include "search/Listing.h"

#include "common/Files.h"
#include "common/Petscii.h"
#include "common/Text.h"
#include "common/Wildcard.h"
#include "search/ArchiveMembers.h"
#include "search/Dispatcher.h"
#include "search/FileReport.h"
#include "search/Matcher.h"
#include "tools/ArchiveReader.h"
#include "tools/ToolRunner.h"

#include <algorithm>

namespace qs {

namespace {

// The procedure named in the archive's messages, as in a search.
const char* const kArchiveProcedure = "SearchC64File";
const std::string kPartitionEnd = "END OF ";

// One analysis: the records, and the report that keeps its errors (naming
// an archive member as the person knows it) until they are shown.
struct Analysis {
    AnalysisRecords records;
    FileReport report;
    const ContainerFormat* format = nullptr;
    std::string shownPath; // the file as the person names it

    void run(const ByteOpener& open, const ListingRunner& listings, const std::string& path,
             InflateBudget* budget, const SiblingOpener* siblings) {
        const ErrorTrap trap = report.trap();
        format = DispatchFile(records, trap, FormatSet::all(), path, open, &listings, true, budget,
                              siblings);
    }
};

// The one member asked for, read by whichever way reads the archive.
class ListMember final : public MemberVisitor {
  public:
    explicit ListMember(Analysis& a) : a_(a) {}
    ErrorTrap enter(const MemberAccess&) override { return a_.report.trap(); }
    ErrorTrap closing() override { return a_.report.trap(); }
    void leave() override {}
    void counted(std::size_t, const std::string&) override {}
    bool visit(const MemberAccess& m) override {
        if (m.refused) {
            a_.report.recordError(*m.refused, true);
            return false;
        }
        a_.report.nameFile(m.readPath, m.label);
        if (!m.passOver)
            a_.run(m.open, m.listings, m.readPath, &m.budget, m.siblings);
        return false;
    }
    void forgetLast() override {
        const std::string shown = a_.shownPath;
        a_ = Analysis{};
        a_.shownPath = shown;
    }

  private:
    Analysis& a_;
};

void listMember(const ListingSource& source, const ToolEnv& tools, bool externalArchiver,
                Analysis& a) {
    a.shownPath = ChainLabel(source.path, source.members);
    ListMember visitor(a);
    const std::size_t read = ReadArchiveMembers(tools, source.path, {{}, source.members},
                                                externalArchiver, a.report.trap(), visitor);
    // A member the archive does not hold is said like a file that is not there.
    if (read == 0 && !a.report.failed()) {
        std::string names;
        for (const std::string& name : source.members)
            names += (names.empty() ? "" : "::") + name;
        a.report.trap().runOnFile(kArchiveProcedure, source.path, [&] {
            raise(err::FileNotFound, "no member " + names + " in the archive");
        });
    }
}

// CBM bytes as the report shows them: PETSCII case swapped (cartridge
// names and signatures compare as stored), then the display glyphs.
std::string shownCbm(const std::string& bytes, bool swapCase) {
    return cp437ToUtf8(PetsciiToDisplay(swapCase ? SwapPetsciiCase(bytes) : bytes));
}

ListedEntry listedEntry(const CbmEntry& e, const ContainerFormat& format) {
    const ContainerKind kind = format.kind;
    ListedEntry out;
    out.entryNo = e.EntryNo;
    out.blocks = e.Blocks;
    // Disk directories keep the lock and closed bits apart (a locked file left
    // open is "ukw" to the report); elsewhere TypeByte is 0.
    const bool disk = kind == ContainerKind::Disk;
    out.locked = e.Locked || (disk && (e.TypeByte & 0x40) != 0);
    out.unclosed = disk && (e.TypeByte & 0x80) == 0;
    out.type = out.unclosed ? TypeText(static_cast<std::uint8_t>(e.TypeByte | 0x80)) : e.FileType;
    CbmEntry shown = e;
    if (!format.namesAsStored && !format.pcEntryNames)
        shown.Name = SwapPetsciiCase(e.Name);
    shown.FileType = out.type;
    shown.Locked = out.locked;
    // A PC name is shown as a path is.
    out.name = format.pcEntryNames ? escapedForLine(e.Name) : shownCbm(shown.Name, false);
    out.line = ListingLine(shown, out.name);
    // The "*" takes the blank before the type, as on the C64.
    if (out.unclosed)
        out.line[out.line.size() - out.type.size() - (out.locked ? 2 : 1)] = '*';
    return out;
}

DirectoryListing fromRecords(const ContainerFormat& format, const AnalysisRecords& records) {
    const MediaInfo& m = records.media;
    DirectoryListing l;
    l.mediaType = std::string(format.tag);
    l.kind = format.kind;
    if (m.Status != status::InvalidFile)
        l.warning = trimBlanks(m.Status);
    if (l.kind == ContainerKind::Tune) {
        const SidInfo& s = records.sid;
        l.fields = {
            {"Name", latin1ToUtf8(s.Name)},           {"Author", latin1ToUtf8(s.Author)},
            {"Copyright", latin1ToUtf8(s.Copyright)}, {"Year", s.Year},
            {"Load address", "$" + s.LoadAddress},    {"End address", "$" + s.EndAddress},
            {"Init address", "$" + s.InitAddress},    {"Play address", "$" + s.PlayAddress}};
        return l;
    }
    // A tape named after its file has a PC text for its name, like a path.
    l.header = "0 " + (format.headerIsFileName
                           ? escapedForLine(m.HeaderLine)
                           : shownCbm(m.HeaderLine, l.kind == ContainerKind::Disk ||
                                                        l.kind == ContainerKind::Tape));
    if (l.kind == ContainerKind::Disk)
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
        ListedEntry& entry = l.entries.emplace_back(listedEntry(e, format));
        entry.depth = depth;
        entry.partition = format.partitions && e.FileType == "cbm";
        if (entry.partition)
            ++depth;
    }
    return l;
}

} // namespace

ListingResult ListContainer(const ListingSource& source, const ToolEnv& tools,
                            bool externalArchiver, const ErrorTrap& trap,
                            const SearchRequest* search) {
    ListingResult result;
    if (source.members.empty() && fitsFilePattern(FileNameOf(source.path), kArchivePatterns)) {
        result.problem = escapedForLine(source.path) +
                         " is an archive: name one of its members as " +
                         escapedForLine(source.path) + "::MEMBER";
        return result;
    }
    Analysis a;
    if (source.members.empty()) {
        a.shownPath = source.path;
        const ToolListingRunner listings(tools);
        InflateBudget budget;
        // The other files of its set lie in its folder.
        const std::string folder =
            source.path.substr(0, source.path.size() - FileNameOf(source.path).size());
        const SiblingOpener siblings = [&](const std::string& fileName) {
            return std::unique_ptr<ByteSource>(std::make_unique<FileByteSource>(folder + fileName));
        };
        a.run([&] { return std::make_unique<FileByteSource>(source.path); }, listings, source.path,
              &budget, &siblings);
    } else {
        listMember(source, tools, externalArchiver, a);
    }

    for (const FileReport::Event& e : a.report.events)
        if (e.kind == FileReport::Kind::Error)
            trap.report({e.text, e.file, e.member, e.members}, e.log);
    if (a.report.failed())
        return result;
    if (a.format == nullptr) {
        result.problem = escapedForLine(a.shownPath) +
                         " is no disk, tape, cartridge, PC64 file or SID tune that can be listed";
        return result;
    }
    // The search's words for a file that fails its header check.
    if (a.records.media.Status == status::InvalidFile || !a.records.sid.Status.empty()) {
        result.problem = escapedForLine(a.shownPath) + " is an invalid file";
        return result;
    }
    result.listing = fromRecords(*a.format, a.records);
    if (search != nullptr) {
        // The matcher once more, on the records the listing came from.
        SearchRequest r = *search;
        r.records = true;
        r.blockPlaces = false;
        FileReport found;
        std::vector<std::string> holders = source.members;
        if (!holders.empty())
            holders.pop_back();
        MatchFile(r, *a.format, a.records, found, source.path,
                  source.members.empty() ? "" : ChainLabel(source.path, holders));
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
