#include "search/SearchDriver.h"

#include "common/FileLister.h"
#include "common/Text.h"
#include "common/modGeneral.h"
#include "search/FileTask.h"
#include "search/Output.h"
#include "search/Pipeline.h"
#include "search/Request.h"

#include <algorithm>
#include <memory>
#include <set>
#include <system_error>

namespace qs {

namespace {

const std::string kStopped = "Process Stopped";

struct Counters {
    int files = 0;
    int matches = 0;
    int failed = 0;
};

// "Scan Completed (...)", and how many files could not be searched.
std::string completedStatus(const Session& s, const Counters& c) {
    std::string text = "Scan Completed (" + std::to_string(c.files) + " files analyzed, " +
                       std::to_string(c.matches) + " matching expressions )";
    if (c.failed > 0)
        text += " - " + std::to_string(c.failed) + (c.failed == 1 ? " file" : " files") +
                " could not be searched; see " +
                (s.log.path().empty() ? std::string(kErrorLogName) : s.log.path());
    return text;
}

// The folder's own unit of the report: its status and progress, and the
// error of a folder that cannot be listed; its files come after it.
FileReport folderUnit(Session& s, const std::string& folder, std::size_t done, std::size_t total,
                      std::vector<std::string>& files) {
    FileReport unit;
    unit.place.file = folder;
    unit.folderProgress(done, total);
    unit.status("Checking folder " + folder, true);
    // A folder that cannot be listed is reported and skipped; the other
    // folders are still searched.
    unit.trap().run("SearchC64File", [&] { files = listFiles(folder, s.filePattern); });
    return unit;
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
            int error = 0;
            const auto id = folderIdentity(sub, &error);
            if (!id) {
                // Shown, never passed over silently: a path beyond the
                // system's limit, say, whose files would be missed.
                s.trap.runOnFile("DirArray2", sub, [error] {
                    const int number = errorNumberFromErrno(error);
                    raise(number == err::FileNotFound ? err::PathNotFound : number,
                          std::generic_category().message(error));
                });
                continue;
            }
            if (!seen.insert(*id).second)
                continue; // a link back to a folder already listed
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
        if (o.saveFile) {
            // Opened before anything is searched, so that a file that cannot
            // be written refuses the request instead of failing line by line.
            std::string why;
            try {
                s.resultsFile.open(o.resultsFile);
            } catch (...) {
                why = describeCurrentException(std::current_exception()).description;
            }
            if (!why.empty()) {
                view.messageBox(MsgIcon::Exclamation, MsgButtons::Ok, kProgramTitle,
                                "The results file " + o.resultsFile + " cannot be written: " + why +
                                    ".");
                return stop();
            }
            s.resultsFile.write(s.trap, ResultsHeaderLine());
        }

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

        // Files are analysed ahead of the report on worker threads; the
        // report, its messages and the results file still come out in the
        // order of the walk, replayed here one file after another.
        const SearchOptions request = o;
        const TaskContext task{
            request,
            s.tools,
            s.opener,
            replaceAll(upperAscii(s.filePattern), ";" + upperAscii(o.zip.tag), ""),
            s.externalArchiver,
            s.StopSearch};
        const unsigned jobs = std::max(1u, s.jobs);
        // Files are handed to the workers a few at a time, so that waking a
        // worker costs less than the file it analyses; one job takes them
        // one by one, as the single-threaded search does.
        const std::size_t batch = jobs == 1 ? 1 : 16;
        OrderedPipeline<std::vector<FileReport>> pipeline(jobs, jobs == 1 ? 1 : 8 * jobs);
        // Shows the oldest batch's reports; false when the run is to stop.
        auto showNext = [&] {
            for (const FileReport& unit : pipeline.next()) {
                Replay(s, unit);
                c.files += unit.analysed ? 1 : 0;
                c.matches += unit.matches;
                c.failed += unit.failed() ? 1 : 0;
                if (s.stopAsked())
                    return false;
            }
            return true;
        };
        auto give = [&](std::function<std::vector<FileReport>()> work) {
            pipeline.submit(std::move(work));
            return !pipeline.full() || showNext();
        };

        for (std::size_t done = 0; done < folders.size(); ++done) {
            const std::string& folder = folders[done];
            std::vector<std::string> files;
            auto unit =
                std::make_shared<FileReport>(folderUnit(s, folder, done, folders.size(), files));
            if (!give([unit] { return std::vector<FileReport>{std::move(*unit)}; }))
                return stop();
            for (std::size_t first = 0; first < files.size(); first += batch) {
                std::vector<std::pair<std::string, bool>> names; // name, is an archive
                for (std::size_t i = first; i < std::min(files.size(), first + batch); ++i)
                    names.emplace_back(files[i], IsArchiveName(o, files[i]));
                if (!give([&task, folder, names = std::move(names)] {
                        std::vector<FileReport> units;
                        for (const auto& [name, archive] : names) {
                            for (FileReport& report :
                                 AnalyseListedFile(task, folder, name, archive))
                                units.push_back(std::move(report));
                            if (task.stop)
                                break;
                        }
                        return units;
                    }))
                    return stop();
            }
        }
        while (!pipeline.empty())
            if (!showNext())
                return stop();

        view.folderProgress(folders.size(), folders.size());
        Result(s, "------");
        Result(s, "Scan: " + std::to_string(c.files) + " files analyzed");
        Result(s, "Total: " + std::to_string(c.matches) + " matching expressions");
        view.info(completedStatus(s, c));
        outcome.end = SearchEnd::Completed;
    });
    s.resultsFile.close(s.trap);
    outcome.filesAnalysed = c.files;
    outcome.matches = c.matches;
    outcome.filesFailed = c.failed;
    outcome.resultsIncomplete = s.resultsFile.failed();
    s.lastOutcome = outcome;
    view.reportSummary(outcome);
    return outcome;
}

bool StopButtonClick(Session& s) {
    if (s.startState != StartState::Started)
        return false;
    s.view.setStartCaption("&START SEARCH");
    s.StopSearch = true;
    return true;
}

void BeginSearch(Session& s) {
    s.startState = StartState::Started;
    s.view.setSearchRunning(true);
}

void EndSearch(Session& s) {
    s.startState = StartState::Stopped;
    s.view.setSearchRunning(false);
}

void StartButtonClick(Session& s) {
    if (StopButtonClick(s))
        return;
    BeginSearch(s);
    SearchC64File(s);
    EndSearch(s);
}

} // namespace qs
