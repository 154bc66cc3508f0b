#include "search/SearchDriver.h"

#include "common/FileLister.h"
#include "common/Files.h"
#include "common/Text.h"
#include "search/FileTask.h"
#include "search/Output.h"
#include "search/Pipeline.h"
#include "search/Request.h"

#include <algorithm>
#include <memory>
#include <variant>

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

// The folder's own unit of the report: its status and progress; its files
// come after it.
FileReport folderReport(const std::string& folder, std::size_t done, std::size_t total) {
    FileReport unit;
    unit.place.file = folder;
    unit.folderProgress(done, total);
    unit.status("Checking folder " + folder, true);
    return unit;
}

// The same, its files read unless the walk kept them, and the error of a
// folder that cannot be read.
FileReport folderUnit(Session& s, const std::string& folder, std::size_t done, std::size_t total,
                      WalkedFiles& walked, std::vector<std::string>& files) {
    FileReport unit = folderReport(folder, done, total);
    // What the walk read stands unless the folder went since: then reading
    // it again says so, once for the folder rather than once for each file.
    if (auto kept = walked.take(done); kept && folderIdentity(folder)) {
        files = std::move(*kept);
        return unit;
    }
    // A folder that cannot be listed is reported and skipped; the other
    // folders are still searched.
    unit.trap().run("SearchC64File", [&] { files = listFiles(folder, s.filePattern); });
    return unit;
}

// What a batch of work holds, in the order of the report: a folder's turn
// (its report is made when shown, once the number of folders is known), a
// folder's report made as it was read, or a file to analyse.
struct Listed {
    enum class Kind { FolderTurn, FolderReport, File } kind;
    std::size_t folder = 0; // a turn: place in the folder list; a file: in the batch's folders
    FileReport report = {};
    std::string name = {};
    bool archive = false;
};
struct Batch {
    std::vector<std::string> folders;
    std::vector<Listed> items;
};
// What the workers give back: a folder's turn, or a report.
using Shown = std::variant<std::size_t, FileReport>;
using Pipeline = OrderedPipeline<std::vector<Shown>>;

// Runs on a worker: the batch's files analysed, in order.
std::vector<Shown> analyseBatch(const TaskContext& task, Batch& batch) {
    std::vector<Shown> shown;
    AnalysisRecords records;
    // Each folder held open while its files are read.
    std::vector<std::unique_ptr<OpenFolder>> open(batch.folders.size());
    for (Listed& item : batch.items) {
        switch (item.kind) {
        case Listed::Kind::FolderTurn:
            shown.emplace_back(item.folder);
            break;
        case Listed::Kind::FolderReport:
            shown.emplace_back(std::move(item.report));
            break;
        case Listed::Kind::File: {
            std::unique_ptr<OpenFolder>& folder = open[item.folder];
            if (!folder)
                folder = std::make_unique<OpenFolder>(batch.folders[item.folder]);
            for (FileReport& report : AnalyseListedFile(task, records, batch.folders[item.folder],
                                                        item.name, item.archive, folder.get()))
                shown.emplace_back(std::move(report));
            break;
        }
        }
        if (task.stop)
            break;
    }
    return shown;
}

// Gives the folders' files to the workers in batches, in the order of the
// report. Batches run across folders, so that waking a worker costs far
// less than the batch it takes: about a hundred plain files, or a few
// archives, which take much longer each. While the walk goes on, it gives
// what the walk has read, as far as the pipeline has room, and shows nothing
// (the number of folders is not known yet); after the walk, everything,
// showing the oldest batch whenever room is needed.
class Feeder {
  public:
    using ShowNext = std::function<bool()>;
    Feeder(Session& s, const TaskContext& task, unsigned jobs, Pipeline& pipeline,
           const std::vector<std::string>& folders, WalkedFiles& walked, ShowNext showNext)
        : s_(s), task_(task), jobs_(jobs), pipeline_(pipeline), folders_(folders), walked_(walked),
          showNext_(std::move(showNext)) {}

    // During the walk, after each folder read. One job waits for the walk,
    // as the single-threaded search does.
    void feedWalked() { feed(true); }

    // After the walk; false when the run is to stop.
    bool feedAll() {
        if (!feed(false) || (!batch_->items.empty() && !give(true)))
            return false;
        while (!pipeline_.empty())
            if (!showNext_())
                return false;
        return true;
    }

  private:
    // Gives the files folder after folder; false when the run is to stop.
    // While the walk goes on it gives only folders already read, while the
    // pipeline has room, and shows nothing.
    bool feed(bool walking) {
        while (!walking || (jobs_ > 1 && !pipeline_.full())) {
            if (next_ < files_.size()) {
                if (!addFile(!walking))
                    return false;
                continue;
            }
            if (folder_ == folders_.size())
                return true;
            std::vector<std::string> files;
            Listed begun{Listed::Kind::FolderTurn, folder_};
            if (walking) {
                auto kept = walked_.take(folder_);
                if (!kept)
                    return true; // not read yet; or not kept, read again after the walk
                files = std::move(*kept);
            } else {
                begun = {
                    Listed::Kind::FolderReport, folder_,
                    folderUnit(s_, folders_[folder_], folder_, folders_.size(), walked_, files)};
            }
            if (!add(std::move(begun), 1, !walking))
                return false;
            startFolder(std::move(files));
        }
        return true;
    }

    void startFolder(std::vector<std::string> files) {
        files_ = std::move(files);
        next_ = 0;
        ++folder_;
    }

    bool addFile(bool mayShow) {
        const std::size_t folder = folder_ - 1;
        if (batch_->folders.empty() || batchFolder_ != folder) {
            batch_->folders.push_back(folders_[folder]);
            batchFolder_ = folder;
        }
        std::string& name = files_[next_++];
        const bool archive = IsArchiveName(task_.options, name);
        return add({Listed::Kind::File, batch_->folders.size() - 1, {}, std::move(name), archive},
                   archive ? kArchiveWeight : 1, mayShow);
    }

    bool add(Listed item, std::size_t weight, bool mayShow) {
        batch_->items.push_back(std::move(item));
        weight_ += weight;
        return weight_ < (jobs_ == 1 ? 1 : kBatchWeight) || give(mayShow);
    }

    bool give(bool mayShow) {
        pipeline_.submit(
            [&task = task_, work = std::move(batch_)] { return analyseBatch(task, *work); });
        batch_ = std::make_shared<Batch>();
        weight_ = 0;
        return !mayShow || !pipeline_.full() || showNext_();
    }

    static constexpr std::size_t kBatchWeight = 128, kArchiveWeight = 16;
    Session& s_;
    const TaskContext& task_;
    const unsigned jobs_;
    Pipeline& pipeline_;
    const std::vector<std::string>& folders_;
    WalkedFiles& walked_;
    ShowNext showNext_;
    std::size_t folder_ = 0;         // the next folder to begin
    std::vector<std::string> files_; // the files of the folder begun
    std::size_t next_ = 0;           // the next of them to give
    std::shared_ptr<Batch> batch_ = std::make_shared<Batch>();
    std::size_t weight_ = 0;
    std::size_t batchFolder_ = 0; // the folder of the batch's last folder entry
};

} // namespace

bool IsArchiveName(const SearchOptions& o, const std::string& fileName) {
    if (!o.zip.ticked())
        return false;
    const auto dot = fileName.find_last_of('.');
    const std::string ext =
        upperAscii(dot == std::string::npos ? fileName : fileName.substr(dot + 1));
    return upperAscii(o.zip.tag).find(ext) != std::string::npos;
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

        // Files are analysed ahead of the report on worker threads, from
        // while the walk still goes on; the report, its messages and the
        // results file still come out in the order of the walk, replayed
        // here one file after another.
        const SearchOptions request = o;
        const TaskContext task{
            request,
            s.tools,
            s.opener,
            replaceAll(upperAscii(s.filePattern), ";" + upperAscii(o.zip.tag), ""),
            s.externalArchiver,
            s.StopSearch};
        const unsigned jobs = std::max(1u, s.jobs);
        std::vector<std::string> folders{o.startFolder};
        WalkedFiles walked(s.filePattern, s.walkMemory);
        Pipeline pipeline(jobs, jobs == 1 ? 1 : 8 * jobs);
        // Shows the oldest batch's reports; false when the run is to stop.
        auto showNext = [&] {
            for (Shown& shown : pipeline.next()) {
                if (const std::size_t* turn = std::get_if<std::size_t>(&shown)) {
                    Replay(s, folderReport(folders[*turn], *turn, folders.size()));
                } else {
                    const FileReport& unit = std::get<FileReport>(shown);
                    Replay(s, unit);
                    c.files += unit.analysed ? 1 : 0;
                    c.matches += unit.matches;
                    c.failed += unit.failed() ? 1 : 0;
                }
                if (s.stopAsked())
                    return false;
            }
            return true;
        };
        Feeder feeder(s, task, jobs, pipeline, folders, walked, showNext);

        view.info("Folder Array creation");
        if (o.recurse) {
            walked.afterEach = [&] { feeder.feedWalked(); };
            walkFolderTree(s, o.startFolder, folders, &walked);
        }
        view.info(std::to_string(folders.size()) + " folders to check");
        if (s.stopAsked())
            return stop();

        Result(s, "Searching for: " + o.findStr);
        Result(s, "Starting Folder: " + folders.front());
        Result(s, "------");

        if (!feeder.feedAll())
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
