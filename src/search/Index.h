#pragma once
// The index: what the readers found in the files of a collection, kept in
// one SQLite file per user, so that the same collection is searched again
// reading only what changed (--index), or nothing at all (--index-only).
// The report is the one a search without it makes: the index stands in for
// the readers only, and the same matcher runs on the records they found.
//
// The pipeline consults it at four points: the walk lists the folders
// through it (each listing kept, with the files any search may take); as
// the files are handed out, it looks up what it kept of each; a worker has
// each file answered from that when the file's size, times and inode are as
// they were, or read and kept; and what was read is stored as the file's
// report is shown. Every use of the database is on the search's own thread.
#include "common/ErrorTrap.h"
#include "search/FileReport.h"
#include "search/FileTask.h"
#include "search/FolderWalk.h"
#include "search/IndexRecords.h"
#include "search/IndexStore.h"
#include "search/ReportSink.h"
#include "search/SearchRequest.h"

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

namespace qs {

// The user's index: $XDG_CACHE_HOME/quillsift/index.sqlite, else
// ~/.cache/quillsift/index.sqlite; empty when neither is set.
std::string DefaultIndexPath();

// What a worker hands back about a file it read, stored when the file's
// report is shown.
struct IndexUpdate {
    std::string folder;
    std::string name;
    std::optional<KeptFile> kept; // none: the file goes from the index
};

class SearchIndex {
  public:
    // The request's index, opened; what the user must know of it is shown
    // through `trap`. Null, with the reason shown, when there is none to use.
    static std::unique_ptr<SearchIndex> Open(const SearchRequest& request, const ErrorTrap& trap);
    ~SearchIndex();

    // Answering from the index alone.
    bool only() const { return only_; }
    // The folders as the walk is to list them.
    FolderSource& folders() { return *folders_; }

    // On the search's thread, as files are handed out: what is kept of one,
    // with the names its archives passed over when this search needs them.
    std::shared_ptr<const KeptFile> kept(const TaskContext& task, const std::string& folder,
                                         const std::string& name);

    // On a worker: the file's reports, from `kept` when the file is as it
    // was then and the reading kept holds what this request reads, else
    // from reading it (`update` then says what to keep of it).
    // The reports go to `out` as they are made.
    void answer(const TaskContext& task, AnalysisRecords& records, const std::string& folder,
                const std::string& name, bool isArchive, const OpenFolder* openFolder,
                const KeptFile* kept, std::optional<IndexUpdate>& update,
                const ReportOut& out) const;

    // On the search's thread, as the file's reports are shown.
    void store(const IndexUpdate& update);

    // On the search's thread, as files are handed out: how many files
    // analysed a kept file stands for when nothing of it is shown to this
    // search and it is as it was (CountedAlone); it needs no worker then.
    // Nothing otherwise, and for readings too large to check here.
    // `openFolder` (null: none) is the folder held open.
    std::optional<int> countAlone(const TaskContext& task, const std::string& folder,
                                  const std::string& name, bool isArchive, const KeptFile& kept,
                                  const OpenFolder* openFolder) const;

    // What a folder's status adds: when the index read it, answering alone.
    std::string folderNote(const std::string& folder);

    // At the end of the search: what was written committed.
    void finish();

  private:
    class Listing;
    SearchIndex(const SearchRequest& request, const ErrorTrap& trap);
    // Runs a use of the database; a failure is shown once and the index is
    // used no more (a damaged one is set aside at the end).
    template <class Use> void guarded(Use&& use);
    // A folder's listing as last kept, answering alone.
    std::optional<KeptFolder> keptFolder(const std::string& key);

    const ErrorTrap& trap_;
    bool only_;
    const NameRuns runs_; // the search string's, for narrowing
    std::string path_;
    std::unique_ptr<IndexStore> store_;
    std::unique_ptr<FolderSource> folders_;
    std::string damage_; // why the index was found damaged during the run
    std::string currentFolder_;
    std::unordered_map<std::string, KeptFile> currentFiles_;
    std::optional<bool> withPassed_; // by the search's member patterns
    std::unordered_map<std::string, std::optional<KeptFolder>> keptFolders_;
    friend class Listing;
};

} // namespace qs
