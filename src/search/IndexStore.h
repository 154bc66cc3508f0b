#pragma once
// The index file: an SQLite database of the folders listed and, per file,
// its stamp (size, times, inode) and the reading kept of it. Written in
// transactions (WAL), so that a run killed at any moment leaves what the
// last commit held; several runs may use it at once (a writer waits for the
// other's transaction, a reader never). One object per thread.
#include "common/FileLister.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

struct sqlite3;

namespace qs {

// What tells a file unchanged since it was read: every field the same.
struct FileStamp {
    std::int64_t size = 0;
    std::int64_t mtime = 0; // nanoseconds
    std::int64_t ctime = 0; // nanoseconds: a change with the modification time put back
    std::int64_t inode = 0;
    bool operator==(const FileStamp&) const = default;
};

struct KeptFile {
    FileStamp stamp;
    std::string reading; // KeptReading::bytes()
    // KeptReading::passedNames(); none when they were not asked for.
    std::optional<std::string> passed = std::string();
};

// A folder as it was last listed.
struct KeptFolder {
    std::int64_t readAt = 0; // seconds since 1970
    FolderId id{};
    std::vector<std::string> files; // every file any search may take, in listing order
    std::vector<std::pair<std::string, FolderId>> subfolders;
};

// Something about the index file the user is to be told (it was set aside,
// made anew, cannot be written).
using IndexNotice = std::string;

class IndexStore {
  public:
    enum class Mode { Write, Read };
    // Opens the index at `path`, made (with its folder) when missing and
    // writing. A file there that is not an index, or a damaged one, is set
    // aside under a new name and a new index made; the notices say so. An
    // index of another version of the program is emptied. Raises when no
    // index can be had.
    // `notices`: what the user is to be told of the opening, also when it
    // fails.
    IndexStore(const std::string& path, Mode mode, std::vector<IndexNotice>& notices);
    ~IndexStore();
    IndexStore(const IndexStore&) = delete;
    IndexStore& operator=(const IndexStore&) = delete;

    const std::string& path() const { return path_; }
    // What the user is to be told since this was last asked.
    std::vector<IndexNotice> takeNotices();
    // Empties the index.
    void dropAll();

    std::optional<KeptFolder> folder(const std::string& path);
    // Keeps the folder's listing; the files it no longer has and the
    // subfolders (with all below them) gone from it are dropped.
    void keepFolder(const std::string& path, const KeptFolder& folder);
    // The files kept in the folder, by name; the names their archives
    // passed over only `withPassed`.
    std::unordered_map<std::string, KeptFile> files(const std::string& folder, bool withPassed);
    void keepFile(const std::string& folder, const std::string& name, const KeptFile& file);
    void dropFile(const std::string& folder, const std::string& name);
    // Commits what was written so far.
    void commit();
    // Another run held the index too long: nothing more is written (and the
    // notice says so once).
    bool writable() const { return writable_; }

    // Sets the index file aside as damaged, after closing it; answers the
    // notice to give.
    IndexNotice setAside(const std::string& reason);

  private:
    class Statement;
    Statement& cached(const char* sql);
    void open();
    void prepareSchema();
    bool beginWrite();
    void wrote();
    std::int64_t folderId(const std::string& path, bool create);
    void exec(const char* sql);
    [[noreturn]] void fail(int code, const std::string& what) const;

    std::string path_;
    Mode mode_;
    sqlite3* db_ = nullptr;
    bool inWrite_ = false;
    bool writable_ = true;
    std::size_t pending_ = 0;
    std::chrono::steady_clock::time_point begun_;
    std::unordered_map<std::string, std::int64_t> folderIds_;
    std::unordered_map<const char*, std::unique_ptr<Statement>> statements_;
    std::vector<IndexNotice> notices_;
};

// Raised for a database that turns out damaged while it is used.
struct IndexDamaged {
    std::string reason;
};

} // namespace qs
