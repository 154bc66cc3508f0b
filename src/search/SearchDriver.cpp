#include "search/SearchDriver.h"

#include "common/FileLister.h"
#include "common/Text.h"
#include "common/modGeneral.h"
#include "search/Dispatcher.h"
#include "search/Matcher.h"
#include "search/Output.h"
#include "search/Request.h"
#include "tools/mod_7zip.h"

#include <filesystem>
#include <set>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace qs {

namespace {

const std::string kStopped = "Process Stopped";

struct Counters {
    int files = 0;
    int matches = 0;
};

void analyseDispatched(Session& s, Counters& c, const std::string& path,
                       const std::string& archivePath) {
    ++c.files;
    c.matches += s.records.media.MediaType == "SID" ? AnalyzeSid(s, path, archivePath)
                                                    : AnalyzePrograms(s, path, archivePath);
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

void searchArchive(Session& s, Counters& c, const std::string& path) {
    MainView& view = s.view;
    const SearchOptions& o = view.options();
    view.info("Creating array filelist for " + path);
    view.doEvents();

    const std::string patterns =
        replaceAll(upperAscii(s.filePattern), ";" + upperAscii(o.zip.tag), "");
    std::vector<std::string> members;
    const int count = ListArchiveFiles(s.tools, path, members, patterns);
    if (count <= 0)
        return;

    view.info("Deflating " + std::to_string(count) + " files from archive " + path);
    view.doEvents();
    const std::string workFolder = s.tools.archiveWorkFolder();
    // The extraction folder goes whatever happens below.
    const RemoveOnExit cleanup(workFolder, RemoveOnExit::Kind::FolderTree);

    ExtractArchiveFiles(s.tools, path, members);
    for (const std::string& member : members) {
        if (!IsSafeMemberName(member))
            continue;
        view.info("Analyzing file " + member + " from archive " + path);
        view.doEvents();
        const std::string memberPath = TrailingSlash(workFolder) + member;
        const MemberState state = memberState(workFolder, memberPath);
        if (state != MemberState::Outside) {
            ReaderContext ctx = s.readerContext();
            if (DispatchFile(ctx, o.fileTypes, "", memberPath))
                analyseDispatched(s, c, memberPath, path);
        }
        if (state == MemberState::Inside) {
            ::chmod(memberPath.c_str(), 0600);
            KillFile(memberPath);
        }
        if (s.stopAsked())
            break;
    }
}

void dirArray2(Session& s, const std::string& folder, std::vector<std::string>& folders,
               std::set<FolderId>& seen) {
    std::vector<std::string> noted;
    s.trap.run("DirArray2", [&] {
        s.view.info("Folder Array creation (" + std::to_string(folders.size() - 1) + " folders)");
        if (s.stopAsked())
            return;
        s.view.doEvents();
        const std::string base = TrailingSlash(folder);
        for (const std::string& name : listSubfolders(base)) {
            const std::string sub = base + name;
            const auto id = folderIdentity(sub);
            if (!id || !seen.insert(*id).second)
                continue; // unreadable, or a link back to a folder already listed
            folders.push_back(sub);
            noted.push_back(sub);
        }
    });
    for (const std::string& sub : noted)
        dirArray2(s, sub, folders, seen);
}

} // namespace

bool IsArchiveName(const SearchOptions& o, const std::string& fileName) {
    if (!o.zip.ticked())
        return false;
    const auto dot = fileName.find_last_of('.');
    const std::string ext =
        upperAscii(dot == std::string::npos ? fileName : fileName.substr(dot + 1));
    return upperAscii(o.zip.tag).find(ext) != std::string::npos;
}

void DirArray2(Session& s, const std::string& folder, std::vector<std::string>& folders) {
    std::set<FolderId> seen;
    for (const std::string& f : folders)
        if (const auto id = folderIdentity(f))
            seen.insert(*id);
    if (const auto id = folderIdentity(folder))
        seen.insert(*id);
    dirArray2(s, folder, folders, seen);
}

SearchOutcome SearchC64File(Session& s) {
    MainView& view = s.view;
    SearchOutcome outcome;
    outcome.end = SearchEnd::Failed;
    Counters c;
    auto stop = [&] {
        view.info(kStopped);
        outcome.end = SearchEnd::Stopped;
    };

    s.trap.run("SearchC64File", [&] {
        view.info("");
        view.clearResults();
        s.resultsBoxOpen = true;

        if (!CheckRequest(view))
            return stop();
        SearchOptions& o = view.options();
        if (o.saveFile && FileExists(o.resultsFile)) {
            if (view.messageBox(MsgIcon::Question, MsgButtons::OkCancel, "File overwriting..",
                                "The result file " + o.resultsFile +
                                    " already exists.\r\nDo you want to overwrite it?") !=
                MsgAnswer::Ok)
                return stop();
            KillFile(o.resultsFile);
        }
        if (o.saveFile)
            WriteFile(s.trap, ResultsHeaderLine(), o.resultsFile);

        s.StopSearch = false;
        view.info("Pattern creation");
        s.filePattern = BuildFilePattern(o);
        if (o.zip.ticked())
            s.filePattern += ";" + o.zip.tag;

        view.info("Folder Array creation");
        std::vector<std::string> folders{o.startFolder};
        if (o.recurse)
            DirArray2(s, o.startFolder, folders);
        view.info(std::to_string(folders.size()) + " folders to check");
        if (s.stopAsked())
            return stop();

        Result(s, "Searching for: " + o.findStr);
        Result(s, "Starting Folder: " + folders.front());
        Result(s, "------");

        for (std::size_t done = 0; done < folders.size(); ++done) {
            const std::string& folder = folders[done];
            view.folderProgress(done, folders.size());
            view.info("Checking folder " + folder);
            view.doEvents();
            std::vector<std::string> files;
            // A folder that cannot be listed is reported and skipped; the
            // other folders are still searched.
            if (!s.trap.run("SearchC64File", [&] { files = listFiles(folder, s.filePattern); }))
                continue;
            for (const std::string& name : files) {
                const std::string path = TrailingSlash(folder) + name;
                view.info("Analyzing file " + path);
                view.doEvents();
                if (IsArchiveName(o, name)) {
                    searchArchive(s, c, path);
                } else {
                    ReaderContext ctx = s.readerContext();
                    if (DispatchFile(ctx, o.fileTypes, folder, name))
                        analyseDispatched(s, c, path, "");
                }
                if (s.stopAsked())
                    return stop();
            }
        }

        view.folderProgress(folders.size(), folders.size());
        Result(s, "------");
        Result(s, "Scan: " + std::to_string(c.files) + " files analyzed");
        Result(s, "Total: " + std::to_string(c.matches) + " matching expressions");
        view.info("Scan Completed (" + std::to_string(c.files) + " files analyzed, " +
                  std::to_string(c.matches) + " matching expressions )");
        outcome.end = SearchEnd::Completed;
    });
    outcome.filesAnalysed = c.files;
    outcome.matches = c.matches;
    s.lastOutcome = outcome;
    return outcome;
}

void StartButtonClick(Session& s) {
    if (s.startState == StartState::Started) {
        s.view.setStartCaption("&START SEARCH");
        s.StopSearch = true;
        return;
    }
    s.startState = StartState::Started;
    s.view.setSearchRunning(true);
    SearchC64File(s);
    s.startState = StartState::Stopped;
    s.view.setSearchRunning(false);
}

} // namespace qs
