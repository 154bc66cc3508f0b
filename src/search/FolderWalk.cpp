#include "search/FolderWalk.h"

#include "common/Error.h"
#include "common/FileLister.h"
#include "common/Files.h"

#include <algorithm>
#include <set>
#include <system_error>

namespace qs {

namespace {

// Lists `folder`, at `index` of `folders` (npos: not in the list).
void walk(const WalkContext& w, const std::string& folder, std::size_t index,
          std::vector<std::string>& folders, std::set<FolderId>& seen, WalkedFiles* files,
          std::size_t& unsearched) {
    std::vector<std::size_t> noted;
    w.trap.run("DirArray2", [&] {
        w.sink.status("Folder Array creation (" + std::to_string(folders.size() - 1) + " folders)");
        if (w.stop.requested())
            return;
        w.sink.pump();
        const std::string base = TrailingSlash(folder);
        FolderListing listing = w.source.list(base, files != nullptr ? files->patternList() : "");
        if (files != nullptr && index != std::string::npos)
            files->keep(index, std::move(listing.files));
        for (const std::string& name : listing.subfolders) {
            const std::string sub = base + name;
            const Result<FolderId> id = w.source.identity(sub);
            if (!id) {
                // Shown, never passed over silently: a path beyond the
                // system's limit, say, whose files would be missed.
                w.trap.runOnFile("DirArray2", sub, [&] { id.failure().raise(); });
                ++unsearched;
                continue;
            }
            if (!seen.insert(id.value()).second)
                continue; // a link back to a folder already listed
            noted.push_back(folders.size());
            folders.push_back(sub);
        }
    });
    if (files != nullptr && files->afterEach)
        files->afterEach();
    for (const std::size_t sub : noted)
        walk(w, folders[sub], sub, folders, seen, files, unsearched);
}

class Disk final : public FolderSource {
  public:
    FolderListing list(const std::string& folder, const std::string& patternList) override {
        return listFolder(folder, patternList);
    }
    Result<FolderId> identity(const std::string& folder) override { return folderIdentity(folder); }
};

} // namespace

FolderSource& DiskFolders() {
    static Disk disk;
    return disk;
}

void WalkedFiles::keep(std::size_t folder, std::vector<std::string> files) {
    counted_ += files.size();
    std::size_t bytes = sizeof files + files.capacity() * sizeof(std::string);
    for (const std::string& name : files)
        bytes += name.capacity() > 15 ? name.capacity() + 1 : 0;
    if (bytes_ + bytes > bound_)
        return;
    bytes_ += bytes;
    files_.insert_or_assign(folder, Kept{std::move(files), bytes});
}

std::optional<std::vector<std::string>> WalkedFiles::take(std::size_t folder) {
    const auto it = files_.find(folder);
    if (it == files_.end())
        return std::nullopt;
    std::vector<std::string> files = std::move(it->second.files);
    bytes_ -= it->second.bytes;
    files_.erase(it);
    return files;
}

std::size_t walkFolderTree(const WalkContext& w, const std::string& folder,
                           std::vector<std::string>& folders, WalkedFiles* files) {
    std::set<FolderId> seen;
    for (const std::string& f : folders)
        if (const Result<FolderId> id = w.source.identity(f))
            seen.insert(id.value());
    if (const Result<FolderId> id = w.source.identity(folder))
        seen.insert(id.value());
    const auto at = std::find(folders.begin(), folders.end(), folder);
    std::size_t unsearched = 0;
    walk(w, folder,
         at == folders.end() ? std::string::npos : static_cast<std::size_t>(at - folders.begin()),
         folders, seen, files, unsearched);
    return unsearched;
}

} // namespace qs
