#pragma once
// The walk of the folder tree that comes before a search: the list of folders
// to search, and the files the walk read in each, so that no folder is read
// twice.
#include "common/ErrorTrap.h"
#include "common/FileLister.h"
#include "search/ReportSink.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace qs {

// The files the walk found in each folder (by its place in the folder list)
// that fit `patternList`. Kept up to a bound on their memory, so that memory
// stays flat for any collection; a folder past it is read again when its
// turn comes.
class WalkedFiles {
  public:
    WalkedFiles(std::string patternList, std::size_t bound)
        : patternList_(std::move(patternList)), bound_(bound) {}
    const std::string& patternList() const { return patternList_; }
    void keep(std::size_t folder, std::vector<std::string> files);
    // The files kept for the folder, handed over once; none when the walk has
    // not read it (yet), could not, or did not keep them.
    std::optional<std::vector<std::string>> take(std::size_t folder);
    // The files the walk found, kept or not.
    std::size_t counted() const { return counted_; }

    // Called after each folder the walk read, so that work can start on
    // folders already read while the walk goes on.
    std::function<void()> afterEach;

  private:
    std::string patternList_;
    std::size_t bound_;
    struct Kept {
        std::vector<std::string> files;
        std::size_t bytes;
    };
    std::unordered_map<std::size_t, Kept> files_;
    std::size_t bytes_ = 0; // of the files kept and not yet taken
    std::size_t counted_ = 0;
};

// Where folders are listed: the disk, or what an index keeps of it.
class FolderSource {
  public:
    virtual ~FolderSource() = default;
    // As listFolder; raises when the folder cannot be listed.
    virtual FolderListing list(const std::string& folder, const std::string& patternList) = 0;
    // As folderIdentity.
    virtual Result<FolderId> identity(const std::string& folder) = 0;
};
// The disk itself.
FolderSource& DiskFolders();

// What the walk reports to, and when it is to stop.
struct WalkContext {
    const ErrorTrap& trap;
    ReportSink& sink;
    StopToken stop;
    FolderSource& source = DiskFolders();
};

// Appends every subfolder below `folder` to `folders`: each folder's direct
// subfolders together, then the subtree of each. A folder already listed
// (reached again through a link) is not listed twice. With `files`, each
// folder's files are kept there as the walk reads them. Answers how many
// subfolders could not even be looked at (a path beyond the system's limit):
// said, and not listed, so that they are to be counted as not searched.
std::size_t walkFolderTree(const WalkContext& w, const std::string& folder,
                           std::vector<std::string>& folders, WalkedFiles* files = nullptr);

} // namespace qs
