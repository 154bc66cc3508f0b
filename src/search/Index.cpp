#include "search/Index.h"

#include "common/Error.h"
#include "common/Files.h"
#include "common/Wildcard.h"
#include "search/ArchiveMembers.h"
#include "search/IndexRecords.h"
#include "tools/ArchiveReader.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>

namespace qs {

namespace {

const char* const kProcedure = "SearchC64File";
// A file changed this recently may change again within the same tick of its
// clock (two seconds on FAT), unseen by its stamp: it is read, not kept.
constexpr std::int64_t kSettleNanoseconds = 2'000'000'000;

// Every file any search may take: each format's files and images kept
// compressed, and archives, under any name.
std::string everyFilePattern() {
    return FormatFilePatterns(FormatSet::all(), "*") + ";" +
           CompressedFilePatterns(FormatSet::all(), "*") + ";" + kArchivePatterns;
}

// A folder as the index names it: without a trailing separator.
std::string folderKey(const std::string& path) {
    std::string key = path;
    while (key.size() > 1 && key.back() == '/')
        key.pop_back();
    return key;
}

std::int64_t nanoseconds(const timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

std::optional<FileStamp> stampOf(const OpenFolder* folder, const std::string& path,
                                 const std::string& name) {
    struct stat st {};
    const int rc = folder != nullptr && folder->fd() >= 0
                       ? ::fstatat(folder->fd(), name.c_str(), &st, 0)
                       : ::stat(path.c_str(), &st);
    if (rc != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return FileStamp{static_cast<std::int64_t>(st.st_size), nanoseconds(st.st_mtim),
                     nanoseconds(st.st_ctim), static_cast<std::int64_t>(st.st_ino)};
}

bool settled(const FileStamp& stamp) {
    const std::int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                 std::chrono::system_clock::now().time_since_epoch())
                                 .count();
    return std::max(now - stamp.mtime, stamp.mtime - now) >= kSettleNanoseconds;
}

std::int64_t secondsNow() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

FolderListing filtered(const FolderListing& all, const std::string& patternList) {
    const FilePatterns patterns(patternList);
    FolderListing out;
    out.subfolders = all.subfolders;
    for (const std::string& name : all.files)
        if (patterns.fits(name))
            out.files.push_back(name);
    return out;
}

} // namespace

std::string DefaultIndexPath() {
    const std::string cache = CacheFolder();
    return cache.empty() ? std::string() : cache + "index.sqlite";
}

// The walk's folders: from the disk, each listing kept (with every file any
// search may take) and the files and subfolders gone from it dropped; or,
// answering alone, as last kept.
class SearchIndex::Listing final : public FolderSource {
  public:
    explicit Listing(SearchIndex& index) : index_(index), every_(everyFilePattern()) {}

    FolderListing list(const std::string& folder, const std::string& patternList) override {
        const std::string key = folderKey(folder);
        if (index_.only_) {
            std::optional<KeptFolder> kept;
            kept = index_.keptFolder(key);
            if (!kept)
                raise(err::PathNotFound, key + ": not in the index " + index_.path_);
            FolderListing all{std::move(kept->files), {}};
            for (auto& [name, id] : kept->subfolders)
                all.subfolders.push_back(name);
            return filtered(all, patternList);
        }
        FolderListing all = listFolder(folder, every_);
        if (index_.store_) {
            KeptFolder kept{secondsNow(), {}, all.files, {}};
            if (const Result<FolderId> id = folderIdentity(key))
                kept.id = id.value();
            for (const std::string& sub : all.subfolders) {
                const Result<FolderId> id = folderIdentity(PathInFolder(key, sub));
                kept.subfolders.push_back({sub, id ? id.value() : FolderId{}});
            }
            index_.guarded([&] { index_.store_->keepFolder(key, kept); });
        }
        return filtered(all, patternList);
    }

    Result<FolderId> identity(const std::string& folder) override {
        if (!index_.only_)
            return folderIdentity(folder);
        const std::string key = folderKey(folder);
        std::optional<KeptFolder> kept;
        kept = index_.keptFolder(key);
        if (kept)
            return kept->id;
        // A subfolder the walk did not go into (a link back) is known by
        // its folder's listing.
        const auto slash = key.find_last_of('/');
        if (slash != std::string::npos) {
            kept = index_.keptFolder(key.substr(0, std::max<std::size_t>(slash, 1)));
            if (kept)
                for (const auto& [name, id] : kept->subfolders)
                    if (name == key.substr(slash + 1) && id != FolderId{})
                        return id;
        }
        return Failure{err::PathNotFound, key + ": not in the index " + index_.path_};
    }

  private:
    SearchIndex& index_;
    const std::string every_;
};

SearchIndex::SearchIndex(const SearchRequest& request, const ErrorTrap& trap)
    : trap_(trap), only_(request.index == SearchRequest::IndexUse::Only),
      runs_(request.pattern, request.matchCase),
      path_(request.indexFile.empty() ? DefaultIndexPath() : request.indexFile),
      folders_(std::make_unique<Listing>(*this)) {}

SearchIndex::~SearchIndex() = default;

std::unique_ptr<SearchIndex> SearchIndex::Open(const SearchRequest& request,
                                               const ErrorTrap& trap) {
    std::unique_ptr<SearchIndex> index(new SearchIndex(request, trap));
    if (index->path_.empty()) {
        trap.report({"There is no place for the index: neither XDG_CACHE_HOME nor HOME is set "
                     "(--index-file names one)."},
                    true);
        return nullptr;
    }
    std::vector<IndexNotice> notices;
    const bool opened = trap.runOnFile(kProcedure, index->path_, [&] {
        index->store_ = std::make_unique<IndexStore>(
            index->path_, index->only_ ? IndexStore::Mode::Read : IndexStore::Mode::Write, notices);
    });
    for (const IndexNotice& notice : notices)
        trap.report({notice, index->path_}, true);
    if (!opened)
        return nullptr;
    if (request.reindex && !index->only_)
        index->guarded([&] { index->store_->dropAll(); });
    return index;
}

template <class Use> void SearchIndex::guarded(Use&& use) {
    if (!store_)
        return;
    try {
        use();
        for (const IndexNotice& notice : store_->takeNotices())
            trap_.report({notice, path_}, true);
    } catch (const IndexDamaged& damage) {
        damage_ = damage.reason;
        trap_.report({"The index " + path_ + " is damaged (" + damage.reason +
                          "): it is used no more in this search.",
                      path_},
                     true);
        store_.reset();
    } catch (...) {
        trap_.runOnFile(kProcedure, path_, [] { throw; });
        store_.reset();
    }
}

std::optional<KeptFolder> SearchIndex::keptFolder(const std::string& key) {
    // The walk asks for a folder up to four times (itself, its subfolders'
    // identities, its status): each listing is decoded once.
    if (const auto it = keptFolders_.find(key); it != keptFolders_.end())
        return it->second;
    std::optional<KeptFolder> kept;
    guarded([&] { kept = store_->folder(key); });
    if (keptFolders_.size() >= 256)
        keptFolders_.clear();
    keptFolders_.emplace(key, kept);
    return kept;
}

std::shared_ptr<const KeptFile>
SearchIndex::kept(const TaskContext& task, const std::string& folder, const std::string& name) {
    // Members passed over are told apart by their shapes, unless this
    // search's patterns see more of their names.
    if (!withPassed_)
        withPassed_ = !MemberTaker(task.memberPatterns).seesShapes();
    const std::string key = folderKey(folder);
    if (key != currentFolder_) {
        currentFolder_ = key;
        currentFiles_.clear();
        guarded([&] { currentFiles_ = store_->files(key, *withPassed_); });
    }
    const auto it = currentFiles_.find(name);
    if (it == currentFiles_.end())
        return nullptr;
    auto kept = std::make_shared<const KeptFile>(std::move(it->second));
    currentFiles_.erase(it);
    return kept;
}

void SearchIndex::answer(const TaskContext& task, AnalysisRecords& records,
                         const std::string& folder, const std::string& name, bool isArchive,
                         const OpenFolder* openFolder, const KeptFile* kept,
                         std::optional<IndexUpdate>& update, const ReportOut& out) const {
    const SearchRequest& o = task.request;
    const std::string path = PathInFolder(folder, name);
    auto replay = [&]() -> bool {
        // The outside archiver reads archives its own way (other members,
        // other failures): what was read in process does not answer for it.
        if (isArchive && o.externalArchiver)
            return false;
        try {
            return ReplayListedFile(task, records, folder, name, isArchive, kept->reading,
                                    kept->passed, runs_.mayMatch(kept->reading), out);
        } catch (const Error&) {
            return false; // a damaged reading: the file is read again
        }
    };
    if (only_) {
        if (kept != nullptr && replay())
            return;
        // What the index does not hold as this search reads it (a file that
        // could not be searched, one changed just before it was read) is
        // read from the disk, as a search without the index reads it; when
        // the disk is not there, that is said of the file.
        return AnalyseListedFile(task, records, folder, name, isArchive, openFolder, out);
    }
    const std::optional<FileStamp> stamp =
        task.opener ? std::nullopt : stampOf(openFolder, path, name);
    if (kept != nullptr && stamp && kept->stamp == *stamp && replay())
        return;
    KeptReading reading;
    bool failed = false;
    const ReportOut watched = [&](FileReport&& report) {
        failed = failed || report.failed();
        out(std::move(report));
    };
    AnalyseListedFile(task, records, folder, name, isArchive, openFolder, watched, &reading);
    // Files that could not be searched whole are read again each time.
    if (stamp && !reading.spoilt() && !task.stop && !failed && settled(*stamp))
        update =
            IndexUpdate{folder, name, KeptFile{*stamp, reading.take(), reading.takePassedNames()}};
    else if (kept != nullptr)
        update = IndexUpdate{folder, name, std::nullopt};
}

std::optional<int> SearchIndex::countAlone(const TaskContext& task, const std::string& folder,
                                           const std::string& name, bool isArchive,
                                           const KeptFile& kept,
                                           const OpenFolder* openFolder) const {
    // A large reading (an archive of many members) is checked on a worker,
    // while this thread goes on handing out files.
    constexpr std::size_t kLargestHere = 64 * 1024;
    if (kept.reading.size() > kLargestHere || (isArchive && task.request.externalArchiver) ||
        task.opener)
        return std::nullopt;
    const std::string path = PathInFolder(folder, name);
    if (!only_) {
        const std::optional<FileStamp> stamp = stampOf(openFolder, path, name);
        if (!stamp || !(kept.stamp == *stamp))
            return std::nullopt;
    }
    try {
        return CountedAlone(task, path, isArchive, kept.reading, kept.passed,
                            runs_.mayMatch(kept.reading));
    } catch (const Error&) {
        return std::nullopt; // a damaged reading: a worker reads the file again
    }
}

void SearchIndex::store(const IndexUpdate& update) {
    guarded([&] {
        const std::string key = folderKey(update.folder);
        if (update.kept)
            store_->keepFile(key, update.name, *update.kept);
        else
            store_->dropFile(key, update.name);
    });
}

std::string SearchIndex::folderNote(const std::string& folder) {
    if (!only_)
        return {};
    std::optional<KeptFolder> kept;
    kept = keptFolder(folderKey(folder));
    if (!kept)
        return {};
    const auto when = static_cast<std::time_t>(kept->readAt);
    std::tm local{};
    localtime_r(&when, &local);
    char text[40];
    std::strftime(text, sizeof text, " (as the index read it on %Y-%m-%d %H:%M)", &local);
    return text;
}

void SearchIndex::finish() {
    guarded([&] { store_->commit(); });
    if (damage_.empty())
        return;
    // Set aside only now, when nothing of this run uses it any more.
    std::vector<IndexNotice> notices;
    trap_.runOnFile(kProcedure, path_, [&] {
        IndexStore damaged(path_, IndexStore::Mode::Write, notices);
        if (notices.empty()) // else opening it found the damage and set it aside
            notices.push_back(damaged.setAside(damage_));
    });
    for (const IndexNotice& notice : notices)
        trap_.report({notice, path_}, true);
}

} // namespace qs
