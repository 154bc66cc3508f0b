#pragma once
// File and folder services shared by every part of the program.
// Paths are UTF-8 texts with "/" as the separator; contents are byte texts.
#include "common/ErrorTrap.h"
#include "common/Result.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace qs {

// The whole content of a file; raises "File not found" and friends.
std::string ReadWholeFile(const std::string& path);

// Replaces the file with exactly `text`, or says why it could not.
Outcome WriteWholeFile(const std::string& path, const std::string& text);

// A file a run appends to text by text (the results file): opened once
// before the run, each text followed by CR LF, closed at its end. The first
// write that fails is trapped under the name "WriteFile" with the note that
// the file is incomplete; nothing more is written to it and no further
// message is shown.
class AppendingFile {
  public:
    AppendingFile() = default;
    ~AppendingFile();
    AppendingFile(const AppendingFile&) = delete;
    AppendingFile& operator=(const AppendingFile&) = delete;

    // Opens `path` for appending, creating it; raises when it cannot.
    void open(const std::string& path);
    void write(const ErrorTrap& trap, const std::string& text);
    // Writes out what is buffered and closes; a failure is trapped as above.
    void close(const ErrorTrap& trap);
    bool isOpen() const { return file_ != nullptr; }
    // A write failed: the file lacks part of what it should hold.
    bool failed() const { return failed_; }
    const std::string& path() const { return path_; }

  private:
    void fail(const ErrorTrap& trap, int error);

    std::FILE* file_ = nullptr;
    std::string path_;
    bool failed_ = false;
};

// True for an existing ordinary file that is not hidden; false on any error.
bool FileExists(const std::string& path);

// Deletes the file when FileExists reports it; raises when the deletion fails.
void KillFile(const std::string& path);

// The path with exactly one trailing separator ("" gives "/").
std::string TrailingSlash(const std::string& path);
// `name` in `folder`: TrailingSlash(folder) + name, made at once.
std::string PathInFolder(std::string_view folder, std::string_view name);

// Creates the folder and every missing folder above it, or says why it could not.
Outcome CreateFolderPath(const std::string& path);

// The system's temporary folder ($TMPDIR made absolute, else /tmp) with a
// trailing separator, as the environment names it: it need not exist.
std::string GetTempFolder();

// The folder of the running executable, with a trailing separator.
std::string ApplicationFolder();

// Where the results file and the error log live: the application folder when
// it is writable, else the per-user data folder (created when missing; when
// it cannot be, the application folder after all).
std::string DataFolder(const std::string& applicationFolder);

// The text after the last separator.
std::string FileNameOf(const std::string& path);

// Hidden entries are those whose name starts with a dot.
bool IsHiddenName(const std::string& name);

// A place where a private temporary folder may be made.
struct TempFolderPlace {
    std::string folder;         // with a trailing separator
    bool createMissing = false; // made when missing (never the system's own folder)
};

// The per-user cache folder: $XDG_CACHE_HOME/quillsift/, else
// ~/.cache/quillsift/ (with a trailing separator; empty when neither is set).
std::string CacheFolder();

// The places tried, in order: the system's temporary folder, the application
// folder, the per-user cache folder ($XDG_CACHE_HOME/quillsift/, else
// ~/.cache/quillsift/).
std::vector<TempFolderPlace> TempFolderPlaces(const std::string& applicationFolder);

// A private folder (mode 0700) named "quillsift-<pid>-XXXXXX" in the first
// place where one can be made, removed with everything in it when the object
// goes. Folders that runs which no longer exist left in those places are
// removed first.
class PrivateTempFolder {
  public:
    PrivateTempFolder();
    explicit PrivateTempFolder(const std::vector<TempFolderPlace>& places);
    ~PrivateTempFolder();
    PrivateTempFolder(const PrivateTempFolder&) = delete;
    PrivateTempFolder& operator=(const PrivateTempFolder&) = delete;
    // With a trailing separator; empty when it could not be created.
    const std::string& path() const { return path_; }
    // What the user is told once at start when the first place could not be
    // used: where the folder went instead, or that there is none. Empty when
    // the first place served.
    const std::string& notice() const { return notice_; }

  private:
    std::string path_;
    std::string notice_;
};

// Removes the folders "quillsift-<pid>-XXXXXX" in `folder` that belong to
// this user and whose process no longer exists (a run that was killed).
// Links and everything else are left alone.
void RemoveDeadRunFolders(const std::string& folder);

// Removes a folder tree, never following links; errors are ignored.
void RemoveFolderTree(const std::string& path);

// Deletes a temporary file (KillFile) or folder tree when it goes out of
// scope, whatever happened meanwhile; errors are ignored.
class RemoveOnExit {
  public:
    enum class Kind { File, FolderTree };
    RemoveOnExit(std::string path, Kind kind) : path_(std::move(path)), kind_(kind) {}
    ~RemoveOnExit();
    RemoveOnExit(const RemoveOnExit&) = delete;
    RemoveOnExit& operator=(const RemoveOnExit&) = delete;

  private:
    std::string path_;
    Kind kind_;
};

} // namespace qs
