#include "search/Search.h"

#include "common/FileLister.h"
#include "common/Files.h"
#include "common/Text.h"
#include "common/Wildcard.h"
#include "search/Dispatcher.h"
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
#include <unordered_map>
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

// A folder's files with the parts of each set left out but its head (its
// first part, or the lowest there is), which is read with them. A file
// named like a part but of another format by its bytes is no part.
void keepSetHeads(const TaskContext& task, const std::string& folder,
                  std::vector<std::string>& files) {
    const SearchRequest& request = task.request;
    std::unordered_map<std::string, int> heads; // the lowest part of each set
    std::vector<std::pair<std::string, int>> parts(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (IsArchiveName(request, files[i]))
            continue;
        std::optional<SetPart> part = SetPartOf(files[i], request.formats);
        const std::string path = PathInFolder(folder, files[i]);
        const ByteOpener open = [&]() -> std::unique_ptr<ByteSource> {
            if (task.opener)
                return task.opener(path);
            return std::make_unique<FileByteSource>(path);
        };
        if (part && FormatOfFile(request.formats, path, open) == part->format) {
            parts[i] = {std::move(part->firstPart), part->part};
            auto [at, added] = heads.try_emplace(parts[i].first, part->part);
            at->second = std::min(at->second, part->part);
        }
    }
    if (heads.empty())
        return;
    std::vector<std::string> kept;
    for (std::size_t i = 0; i < files.size(); ++i)
        if (parts[i].second == 0 || heads.at(parts[i].first) == parts[i].second)
            kept.push_back(std::move(files[i]));
    files = std::move(kept);
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
// What the workers give back: a folder's turn, a report, or the end of a
// listed file's reports (an archive has several), and after them what the
// index is to keep of the file read.
struct FileDone {};
using Shown = std::variant<std::size_t, FileReport, FileDone, IndexUpdate>;
using Pipeline = OrderedPipeline<Shown>;

// What the workers may have made ahead of the report and not yet shown.
constexpr std::size_t kBytesInFlight = std::size_t{4} << 20;

std::size_t bytesOf(const Shown& shown) {
    const FileReport* report = std::get_if<FileReport>(&shown);
    return report != nullptr ? report->bytes() : sizeof shown;
}

// Runs on a worker: the batch's files analysed, in order, each report handed
// out as it is made.
void analyseBatch(const TaskContext& task, const SearchIndex* index, Batch& batch,
                  const Pipeline::Emit& emit) {
    AnalysisRecords records;
    const ReportOut out = [&emit](FileReport&& report) { emit(std::move(report)); };
    // Each folder held open while its files are read.
    std::vector<std::unique_ptr<OpenFolder>> open(batch.folders.size());
    for (Listed& item : batch.items) {
        switch (item.kind) {
        case Listed::Kind::FolderTurn:
            emit(item.folder);
            break;
        case Listed::Kind::FolderReport:
            emit(std::move(item.report));
            break;
        case Listed::Kind::File: {
            // Answering from the index alone, a file it holds needs no folder.
            std::unique_ptr<OpenFolder>& folder = open[item.folder];
            if (!folder && !(index && index->only() && item.kept))
                folder = std::make_unique<OpenFolder>(batch.folders[item.folder]);
            const std::string& in = batch.folders[item.folder];
            if (index != nullptr) {
                std::optional<IndexUpdate> update;
                index->answer(task, records, in, item.name, item.archive, folder.get(),
                              item.kept.get(), update, out);
                if (update)
                    emit(std::move(*update));
            } else {
                AnalyseListedFile(task, records, in, item.name, item.archive, folder.get(), out);
            }
            emit(FileDone{});
            break;
        }
        }
        if (task.stop)
            break;
    }
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
    // Files the index answered without a worker: how many, and how many
    // files analysed they stand for.
    struct Alone {
        std::size_t files = 0;
        int analysed = 0;
    };

    // `listed` counts the files of the folders begun; `inSets`, the files
    // among them read with another of their set rather than on their own.
    Feeder(const TaskContext& task, unsigned jobs, Pipeline& pipeline,
           const std::vector<std::string>& folders, WalkedFiles& walked, std::size_t& listed,
           std::size_t& inSets, Alone& alone, ShowNext showNext, SearchIndex* index)
        : task_(task), jobs_(jobs), pipeline_(pipeline), folders_(folders), walked_(walked),
          listed_(listed), inSets_(inSets), alone_(alone), showNext_(std::move(showNext)),
          index_(index) {}

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
        const std::size_t all = files.size();
        keepSetHeads(task_, folders_[folder_], files);
        inSets_ += all - files.size();
        listed_ += files.size();
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
        auto kept = index_ ? index_->kept(task_, folders_[folder], name) : nullptr;
        // A file of which nothing is shown needs no worker: it is counted.
        if (kept && !index_->only() && statFolder_.first != folder)
            statFolder_ = {folder, std::make_unique<OpenFolder>(folders_[folder])};
        if (kept)
            if (const std::optional<int> n = index_->countAlone(
                    task_, folders_[folder], name, archive, *kept, statFolder_.second.get())) {
                alone_.analysed += *n;
                ++alone_.files;
                return true;
            }
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
        pipeline_.submit(
            [&task = task_, index = index_, work = std::move(batch_)](const Pipeline::Emit& emit) {
                analyseBatch(task, index, *work, emit);
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
    std::size_t& listed_;
    std::size_t& inSets_;
    Alone& alone_;
    // The folder whose files' stamps are checked here, held open.
    std::pair<std::size_t, std::unique_ptr<OpenFolder>> statFolder_{~std::size_t{0}, nullptr};
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
                                "The results file " + escapedForLine(o.resultsFile) +
                                    " cannot be written: " + escapedForLine(why) + ".");
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
        Pipeline pipeline(jobs, jobs == 1 ? 1 : 8 * jobs, kBytesInFlight, bytesOf);
        std::size_t filesDone = 0, filesListed = 0, filesInSets = 0;
        Feeder::Alone alone;
        auto filesTotal = [&] {
            return std::max(walked.counted() - std::min(walked.counted(), filesInSets),
                            filesListed);
        };
        // Shows the oldest batch's reports; false when the run is to stop.
        auto showNext = [&] {
            return pipeline.next([&](Shown& shown) {
                if (const std::size_t* turn = std::get_if<std::size_t>(&shown)) {
                    Replay(out, folderReport(folders[*turn], *turn, folders.size(), index.get()));
                } else if (const IndexUpdate* update = std::get_if<IndexUpdate>(&shown)) {
                    index->store(*update);
                } else if (std::holds_alternative<FileDone>(shown)) {
                    // Files are shown only after the walk: the walk's count
                    // stands, unless a folder read again at its turn has more.
                    sink.fileProgress(++filesDone + alone.files, filesTotal());
                } else {
                    const FileReport& unit = std::get<FileReport>(shown);
                    // Only the matches whose records went out, when a stop
                    // came in the middle of the file.
                    c.matches += Replay(out, unit);
                    c.files += (unit.analysed ? 1 : 0) + unit.alsoAnalysed;
                    c.failed += unit.failed() ? 1 : 0;
                }
                return !stopToken.requested();
            });
        };
        Feeder feeder(task, jobs, pipeline, folders, walked, filesListed, filesInSets, alone,
                      showNext, index.get());

        sink.status("Folder Array creation");
        if (o.recurse) {
            walked.afterEach = [&] { feeder.feedWalked(); };
            // Folders the walk could not look at are said and counted.
            c.failed += static_cast<int>(
                walkFolderTree({trap, sink, stopToken, index ? index->folders() : DiskFolders()},
                               o.folder, folders, &walked));
        }
        sink.status(std::to_string(folders.size()) + " folders to check");
        if (walked.counted() > 0)
            sink.fileProgress(0, walked.counted());
        if (stopToken.requested())
            return stop();

        out.text("Searching for: " + o.pattern);
        out.text("Starting Folder: " + folders.front());
        out.text("------");

        const bool fed = feeder.feedAll();
        if (index)
            index->finish();
        c.files += alone.analysed;
        if (!fed)
            return stop();
        if (alone.files > 0)
            sink.fileProgress(filesDone + alone.files, filesTotal());

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
