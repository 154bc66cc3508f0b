#include "search/FileTask.h"

#include "common/Error.h"
#include "common/Files.h"
#include "search/Dispatcher.h"
#include "search/Matcher.h"
#include "search/MemberFiles.h"
#include "tools/ArchiveReader.h"
#include "tools/OutsideArchiver.h"
#include "tools/ToolRunner.h"

#include <sys/stat.h>

namespace qs {

namespace {

// Runs the dispatcher and the matcher on one file into `report`.
void analyse(const TaskContext& ctx, AnalysisRecords& records, FileReport& report,
             ReaderContext::Opener opener, const ListingRunner& listings, const std::string& path,
             const std::string& shownPath, const std::string& archivePath) {
    const ErrorTrap trap = report.trap();
    ReaderContext readers{records, trap, std::move(opener), &listings};
    const char* kind = DispatchFile(readers, ctx.options.fileTypes, path);
    if (kind == nullptr)
        return;
    report.place.kind = kind;
    report.analysed = true;
    report.matches = MatchFile(ctx.options, records, report, shownPath, archivePath);
}

// Members read by libarchive; false when it refused the archive.
bool readInProcess(const TaskContext& ctx, AnalysisRecords& records, const std::string& archivePath,
                   std::vector<FileReport>& units) {
    std::vector<FileReport> members;
    const ArchiveRead end = ReadArchive(
        archivePath, [&](const std::string& name) { return MemberFits(name, ctx.memberPatterns); },
        [&](const ArchiveMember& member) {
            const std::string& name = member.name();
            FileReport& r = members.emplace_back();
            r.place = {archivePath, name, {}};
            r.status("Analyzing file " + name + " from archive " + archivePath, true);
            if (member.tooLarge()) {
                r.recordError({ErrorTrap::messageText(
                                  "SearchC64File",
                                  {err::OutOfMemory, describeError(err::OutOfMemory) +
                                                         " (larger than 64 MiB, not read)"},
                                  MemberLabel(name, archivePath), true)},
                              true);
                return !ctx.stop;
            }
            r.nameFile(name, MemberLabel(name, archivePath));
            const MemberListingRunner listings(ctx.tools, member);
            analyse(
                ctx, records, r, [&member](const std::string&) { return member.open(); }, listings,
                name, MemberLabel(name, archivePath), archivePath);
            return !ctx.stop;
        });
    if (end == ArchiveRead::Refused)
        return false;
    if (!members.empty())
        units.front().status("Deflating " + std::to_string(members.size()) +
                                 " files from archive " + archivePath,
                             true);
    for (FileReport& r : members)
        units.push_back(std::move(r));
    return true;
}

// Members listed and unpacked by the outside archiver. An archive it cannot
// list is reported, with the reason, like any other file that fails.
void readWithArchiver(const TaskContext& ctx, AnalysisRecords& records,
                      const std::string& archivePath, std::vector<FileReport>& units) {
    std::vector<std::string> members;
    int count = 0;
    const bool listed = units.front().trap().runOnFile("SearchC64File", archivePath, [&] {
        count = ListArchiveFiles(ctx.tools, archivePath, members, ctx.memberPatterns);
        if (count < 0)
            raise(err::PathFileAccess, "not an archive 7z can read");
    });
    if (!listed || count == 0)
        return;
    units.front().status(
        "Deflating " + std::to_string(count) + " files from archive " + archivePath, true);
    const std::string workFolder = ctx.tools.tempPath("WKCBMZip");
    // The extraction folder goes whatever happens below.
    const RemoveOnExit cleanup(workFolder, RemoveOnExit::Kind::FolderTree);
    // Members the archiver could not unpack are reported one by one below.
    units.front().trap().runOnFile("SearchC64File", archivePath, [&] {
        ExtractArchiveFiles(ctx.tools, archivePath, members, workFolder);
    });
    const ToolListingRunner listings(ctx.tools);
    for (const std::string& member : members) {
        if (!IsSafeMemberName(member))
            continue;
        FileReport& r = units.emplace_back();
        r.place = {archivePath, member, {}};
        r.status("Analyzing file " + member + " from archive " + archivePath, true);
        const std::string memberPath = TrailingSlash(workFolder) + member;
        const MemberState state = ExtractedMemberState(workFolder, memberPath);
        r.nameFile(memberPath, MemberLabel(member, archivePath));
        if (state != MemberState::Outside)
            analyse(ctx, records, r, ctx.opener, listings, memberPath,
                    MemberLabel(member, archivePath), archivePath);
        if (state == MemberState::Inside) {
            ::chmod(memberPath.c_str(), 0600);
            KillFile(memberPath);
        }
        if (ctx.stop)
            break;
    }
}

} // namespace

std::vector<FileReport> AnalyseListedFile(const TaskContext& ctx, AnalysisRecords& records,
                                          const std::string& folder, const std::string& name,
                                          bool isArchive, const OpenFolder* openFolder) {
    const std::string path = PathInFolder(folder, name);
    std::vector<FileReport> units(1);
    FileReport& first = units.front();
    first.place.file = path;
    first.status("Analyzing file " + path, true);
    if (!isArchive) {
        const ToolListingRunner listings(ctx.tools);
        if (openFolder == nullptr || ctx.opener.target<OpenOnDisk>() == nullptr) {
            analyse(ctx, records, first, ctx.opener, listings, path, path, "");
            return units;
        }
        struct InFolder {
            const std::string& path;
            const OpenFolder& folder;
            const std::string& name;
        } file{path, *openFolder, name};
        analyse(
            ctx, records, first,
            [&file](const std::string& p) {
                return p == file.path ? std::make_unique<FileByteSource>(p, file.folder, file.name)
                                      : std::make_unique<FileByteSource>(p);
            },
            listings, path, path, "");
        return units;
    }
    first.status("Creating array filelist for " + path, true);
    // An archive that cannot even be opened is said as such, whichever way
    // it would have been read.
    if (!first.trap().runOnFile("SearchC64File", path, [&] { FileByteSource{path}; }))
        return units;
    if (ctx.externalArchiver || !readInProcess(ctx, records, path, units))
        readWithArchiver(ctx, records, path, units);
    return units;
}

} // namespace qs
