#include "search/Search.h"

#include "common/FileLister.h"
#include "common/Files.h"
#include "common/Text.h"
#include "common/Wildcard.h"
#include "search/FileTask.h"
#include "search/FolderWalk.h"
#include "search/Index.h"
#include "search/Output.h"
#include "search/Pipeline.h"
#include "search/Request.h"
#include "tools/ArchiveReader.h"

#include <algorithm>
#include <memory>
#include <thread>
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
std::string completedStatus(const ErrorLog& log, const Counters& c) {
    std::string text = "Scan Completed (" + std::to_string(c.files) + " files analyzed, " +
                       std::to_string(c.matches) + " matching expressions )";
    if (c.failed > 0)
        text += " - " + std::to_string(c.failed) + (c.failed == 1 ? " file" : " files") +
                " could not be searched; see " +
                (log.path().empty() ? std::string(kErrorLogName) : log.path());
    return text;
}

// The folder's own unit of the report: its status and progress; its files
// come after it.
FileReport folderReport(const std::string& folder, std::size_t done, std::size_t total,
                        SearchIndex* index) {
    FileReport unit;
    unit.place.file = folder;
    unit.folderProgress(done, total);
    unit.status("Checking folder " + folder + (index ? index->folderNote(folder) : ""), true);
    return unit;
}

// The same, its files read unless the walk kept them, and the error of a
// folder that cannot be read.
FileReport folderUnit(const std::string& filePattern, const std::string& folder, std::size_t done,
                      std::size_t total, WalkedFiles& walked, std::vector<std::string>& files,
                      SearchIndex* index) {
    FileReport unit = folderReport(folder, done, total, index);
    FolderSource& source = index ? index->folders() : DiskFolders();
    // What the walk read stands unless the folder went since: then reading
    // it again says so, once for the folder rather than once for each file.
    if (auto kept = walked.take(done); kept && source.identity(folder)) {
        files = std::move(*kept);
        return unit;
    }
    // A folder that cannot be listed is reported and skipped; the other
    // folders are still searched.
    unit.trap().run("SearchC64File", [&] { files = source.list(folder, filePattern).files; });
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
    std::shared_ptr<const KeptFile> kept = {}; // a file: what the index kept of it
};
struct Batch {
    std::vector<std::string> folders;
    std::vector<Listed> items;
};
// What the workers give back: a folder's turn, a report, or what the index
// is to keep of a file read.
using Shown = std::variant<std::size_t, FileReport, IndexUpdate>;
using Pipeline = OrderedPipeline<std::vector<Shown>>;

// Runs on a worker: the batch's files analysed, in order.
std::vector<Shown> analyseBatch(const TaskContext& task, const SearchIndex* index, Batch& batch) {
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
            // Answering from the index alone, a file it holds needs no folder.
            std::unique_ptr<OpenFolder>& folder = open[item.folder];
            if (!folder && !(index && index->only() && item.kept))
                folder = std::make_unique<OpenFolder>(batch.folders[item.folder]);
            const std::string& in = batch.folders[item.folder];
            std::optional<IndexUpdate> update;
            for (FileReport& report :
                 index
                     ? index->answer(task, records, in, item.name, item.archive, folder.get(),
                                     item.kept.get(), update)
                     : AnalyseListedFile(task, records, in, item.name, item.archive, folder.get()))
                shown.emplace_back(std::move(report));
            if (update)
                shown.emplace_back(std::move(*update));
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
    Feeder(const TaskContext& task, unsigned jobs, Pipeline& pipeline,
           const std::vector<std::string>& folders, WalkedFiles& walked, ShowNext showNext,
           SearchIndex* index)
        : task_(task), jobs_(jobs), pipeline_(pipeline), folders_(folders), walked_(walked),
          showNext_(std::move(showNext)), index_(index) {}

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
                begun = {Listed::Kind::FolderReport, folder_,
                         folderUnit(walked_.patternList(), folders_[folder_], folder_,
                                    folders_.size(), walked_, files, index_)};
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
        const bool archive = IsArchiveName(task_.request, name);
        auto kept = index_ ? index_->kept(folders_[folder], name) : nullptr;
        // An archive the index holds is answered as quickly as a plain file.
        const std::size_t weight = archive && !kept ? kArchiveWeight : 1;
        Listed item{Listed::Kind::File, batch_->folders.size() - 1, {}, std::move(name), archive,
                    std::move(kept)};
        return add(std::move(item), weight, mayShow);
    }

    bool add(Listed item, std::size_t weight, bool mayShow) {
        batch_->items.push_back(std::move(item));
        weight_ += weight;
        return weight_ < (jobs_ == 1 ? 1 : kBatchWeight) || give(mayShow);
    }

    bool give(bool mayShow) {
        pipeline_.submit([&task = task_, index = index_, work = std::move(batch_)] {
            return analyseBatch(task, index, *work);
        });
        batch_ = std::make_shared<Batch>();
        weight_ = 0;
        return !mayShow || !pipeline_.full() || showNext_();
    }

    static constexpr std::size_t kBatchWeight = 128, kArchiveWeight = 16;
    const TaskContext& task_;
    const unsigned jobs_;
    Pipeline& pipeline_;
    const std::vector<std::string>& folders_;
    WalkedFiles& walked_;
    ShowNext showNext_;
    SearchIndex* index_;
    std::size_t folder_ = 0;         // the next folder to begin
    std::vector<std::string> files_; // the files of the folder begun
    std::size_t next_ = 0;           // the next of them to give
    std::shared_ptr<Batch> batch_ = std::make_shared<Batch>();
    std::size_t weight_ = 0;
    std::size_t batchFolder_ = 0; // the folder of the batch's last folder entry
};

} // namespace

bool IsArchiveName(const SearchRequest& request, const std::string& fileName) {
    return request.archives && fitsFilePattern(fileName, kArchivePatterns);
}

SearchEngine::SearchEngine(SearchSetup setup)
    : setup_(std::move(setup)), log_(setup_.errorLogPath, setup_.clock) {}

SearchOutcome SearchEngine::Search(const SearchRequest& o, ReportSink& sink,
                                   StopToken stopToken) const {
    SearchOutcome outcome;
    outcome.end = SearchEnd::Failed;
    Counters c;
    const ErrorTrap trap(sink, log_);
    ReportWriter out(sink, trap, stopToken, o.saveResults, o.resultsFile);
    auto stop = [&] {
        sink.status(kStopped);
        outcome.end = SearchEnd::Stopped;
    };

    trap.run("SearchC64File", [&] {
        sink.status("");
        sink.clearResults();

        if (!CheckRequest(o, sink))
            return stop();
        if (o.saveResults && FileExists(o.resultsFile)) {
            if (!sink.replaceResultsFile(o.resultsFile))
                return stop();
            KillFile(o.resultsFile);
        }
        if (o.saveResults) {
            // Opened before anything is searched, so that a file that cannot
            // be written refuses the request instead of failing line by line.
            if (const std::string why = out.openResultsFile(); !why.empty()) {
                sink.messageBox(MsgIcon::Exclamation, MsgButtons::Ok, kProgramTitle,
                                "The results file " + o.resultsFile + " cannot be written: " + why +
                                    ".");
                return stop();
            }
        }

        // The index, when asked for: without one that can be had, a search
        // that is to answer from it alone cannot be made.
        std::unique_ptr<SearchIndex> index;
        if (o.index != SearchRequest::IndexUse::Off) {
            index = SearchIndex::Open(o, trap);
            if (!index && o.index == SearchRequest::IndexUse::Only)
                return;
        }

        sink.status("Pattern creation");
        std::string filePattern = BuildFilePattern(o);
        // Images kept compressed, and archives, are opened with archives.
        if (o.archives)
            filePattern += ";" + CompressedFilePatterns(o.formats, o.mask) + ";" + kArchivePatterns;

        // Files are analysed ahead of the report on worker threads, from
        // while the walk still goes on; the report, its messages and the
        // results file still come out in the order of the walk, replayed
        // here one file after another.
        ToolEnv tools{setup_.toolFolder, setup_.tempFolder, o.toolTimeout, &stopToken.flag()};
        const TaskContext task{
            o, tools, setup_.opener,
            replaceAll(upperAscii(filePattern), ";" + upperAscii(kArchivePatterns), ""),
            stopToken.flag()};
        const unsigned jobs =
            o.jobs > 0 ? o.jobs : std::max(1u, std::thread::hardware_concurrency());
        std::vector<std::string> folders{o.folder};
        WalkedFiles walked(filePattern, setup_.walkMemory);
        Pipeline pipeline(jobs, jobs == 1 ? 1 : 8 * jobs);
        // Shows the oldest batch's reports; false when the run is to stop.
        auto showNext = [&] {
            for (Shown& shown : pipeline.next()) {
                if (const std::size_t* turn = std::get_if<std::size_t>(&shown)) {
                    Replay(out, folderReport(folders[*turn], *turn, folders.size(), index.get()));
                } else if (const IndexUpdate* update = std::get_if<IndexUpdate>(&shown)) {
                    index->store(*update);
                } else {
                    const FileReport& unit = std::get<FileReport>(shown);
                    Replay(out, unit);
                    c.files += unit.analysed ? 1 : 0;
                    c.matches += unit.matches;
                    c.failed += unit.failed() ? 1 : 0;
                }
                if (stopToken.requested())
                    return false;
            }
            return true;
        };
        Feeder feeder(task, jobs, pipeline, folders, walked, showNext, index.get());

        sink.status("Folder Array creation");
        if (o.recurse) {
            walked.afterEach = [&] { feeder.feedWalked(); };
            walkFolderTree({trap, sink, stopToken, index ? index->folders() : DiskFolders()},
                           o.folder, folders, &walked);
        }
        sink.status(std::to_string(folders.size()) + " folders to check");
        if (stopToken.requested())
            return stop();

        out.text("Searching for: " + o.pattern);
        out.text("Starting Folder: " + folders.front());
        out.text("------");

        const bool fed = feeder.feedAll();
        if (index)
            index->finish();
        if (!fed)
            return stop();

        sink.progress(folders.size(), folders.size());
        out.text("------");
        out.text("Scan: " + std::to_string(c.files) + " files analyzed");
        out.text("Total: " + std::to_string(c.matches) + " matching expressions");
        sink.status(completedStatus(log_, c));
        outcome.end = SearchEnd::Completed;
    });
    out.close();
    outcome.filesAnalysed = c.files;
    outcome.matches = c.matches;
    outcome.filesFailed = c.failed;
    outcome.resultsIncomplete = out.resultsIncomplete();
    sink.reportSummary(outcome);
    return outcome;
}

} // namespace qs
