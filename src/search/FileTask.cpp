#include "search/FileTask.h"

#include "common/VbError.h"
#include "common/modGeneral.h"
#include "search/Dispatcher.h"
#include "search/Matcher.h"
#include "tools/ArchiveReader.h"
#include "tools/modShell.h"
#include "tools/mod_7zip.h"

#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace qs {

namespace {

// The name a member goes by in what the user reads.
std::string memberLabel(const std::string& member, const std::string& archivePath) {
    return member + " in " + archivePath;
}

// Runs the dispatcher and the matcher on one file into `report`.
void analyse(const TaskContext& ctx, FileReport& report, ReaderContext::Opener opener,
             const ListingRunner& listings, const std::string& folder, const std::string& name,
             const std::string& shownPath, const std::string& archivePath) {
    AnalysisRecords records;
    const ErrorTrap trap = report.trap();
    ReaderContext readers{records, trap, std::move(opener), &listings};
    const char* kind = DispatchFile(readers, ctx.options.fileTypes, folder, name);
    if (kind == nullptr)
        return;
    report.place.kind = kind;
    report.analysed = true;
    report.matches = MatchFile(ctx.options, records, report, shownPath, archivePath);
}

// A G64 or TAP member is written alone to the temporary folder for its
// listing program; nothing else of an archive touches the disk.
class MemberListingRunner final : public ListingRunner {
  public:
    MemberListingRunner(const ToolEnv& env, const ArchiveMember& member)
        : env_(env), member_(member) {}
    std::string listing(ListingProgram program, const std::string& path) const override {
        const auto dot = path.find_last_of('.');
        const std::string file =
            env_.tempPath("member" + (dot == std::string::npos ? "" : path.substr(dot)));
        const RemoveOnExit remove(file, RemoveOnExit::Kind::File);
        if (!WriteWholeFile(file, member_.open()->readAll()))
            return {};
        return ToolListingRunner(env_).listing(program, file);
    }

  private:
    const ToolEnv& env_;
    const ArchiveMember& member_;
};

// Members read by libarchive; false when it refused the archive.
bool readInProcess(const TaskContext& ctx, const std::string& archivePath,
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
                                  memberLabel(name, archivePath), true)},
                              true);
                return !ctx.stop;
            }
            r.nameFile(name, memberLabel(name, archivePath));
            const MemberListingRunner listings(ctx.tools, member);
            analyse(
                ctx, r, [&member](const std::string&) { return member.open(); }, listings, "", name,
                memberLabel(name, archivePath), archivePath);
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

// An extracted member is analysed and deleted only when it is an ordinary file
// that lies inside the extraction folder (no link, nothing reached through
// one). A member the archiver did not unpack is left to the reader, which
// reports the missing file.
enum class MemberState { Inside, Missing, Outside };

MemberState memberState(const std::string& workFolder, const std::string& memberPath) {
    struct stat st {};
    if (::lstat(memberPath.c_str(), &st) != 0)
        return MemberState::Missing;
    if (!S_ISREG(st.st_mode))
        return MemberState::Outside;
    std::error_code ec;
    const std::string folder = TrailingSlash(fs::canonical(workFolder, ec).string());
    const std::string file = fs::canonical(memberPath, ec).string();
    return !ec && file.rfind(folder, 0) == 0 ? MemberState::Inside : MemberState::Outside;
}

// Members listed and unpacked by the outside archiver. An archive it cannot
// list is reported, with the reason, like any other file that fails.
void readWithArchiver(const TaskContext& ctx, const std::string& archivePath,
                      std::vector<FileReport>& units) {
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
        const MemberState state = memberState(workFolder, memberPath);
        r.nameFile(memberPath, memberLabel(member, archivePath));
        if (state != MemberState::Outside)
            analyse(ctx, r, ctx.opener, listings, "", memberPath, memberLabel(member, archivePath),
                    archivePath);
        if (state == MemberState::Inside) {
            ::chmod(memberPath.c_str(), 0600);
            KillFile(memberPath);
        }
        if (ctx.stop)
            break;
    }
}

} // namespace

std::vector<FileReport> AnalyseListedFile(const TaskContext& ctx, const std::string& folder,
                                          const std::string& name, bool isArchive) {
    const std::string path = TrailingSlash(folder) + name;
    std::vector<FileReport> units(1);
    FileReport& first = units.front();
    first.place.file = path;
    first.status("Analyzing file " + path, true);
    if (!isArchive) {
        const ToolListingRunner listings(ctx.tools);
        analyse(ctx, first, ctx.opener, listings, folder, name, path, "");
        return units;
    }
    first.status("Creating array filelist for " + path, true);
    // An archive that cannot even be opened is said as such, whichever way
    // it would have been read.
    if (!first.trap().runOnFile("SearchC64File", path, [&] { FileByteSource{path}; }))
        return units;
    if (ctx.externalArchiver || !readInProcess(ctx, path, units))
        readWithArchiver(ctx, path, units);
    return units;
}

} // namespace qs
