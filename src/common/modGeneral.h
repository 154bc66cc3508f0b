#pragma once
// File and folder services shared by every part of the program.
// Paths are UTF-8 texts with "/" as the separator; contents are byte texts.
#include "common/ErrorTrap.h"

#include <cstdio>
#include <string>

namespace qs {

// The whole content of a file; raises "File not found" and friends.
std::string ReadWholeFile(const std::string& path);

// Replaces the file with exactly `text`; answers false on any failure, silently.
bool WriteWholeFile(const std::string& path, const std::string& text);

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

// Creates the folder and every missing folder above it; all errors ignored.
void CreateFolderPath(const std::string& path);

// The system's temporary folder with a trailing separator, or "" when none.
std::string GetTempFolder();

// The folder of the running executable, with a trailing separator.
std::string ApplicationFolder();

// Where the results file and the error log live: the application folder when
// it is writable, else the per-user data folder (created when missing).
std::string DataFolder(const std::string& applicationFolder);

// The text after the last separator.
std::string FileNameOf(const std::string& path);

// Hidden entries are those whose name starts with a dot.
bool IsHiddenName(const std::string& name);

// A private folder (mode 0700) inside the system's temporary folder, removed
// with everything in it when the object goes.
class PrivateTempFolder {
  public:
    PrivateTempFolder();
    ~PrivateTempFolder();
    PrivateTempFolder(const PrivateTempFolder&) = delete;
    PrivateTempFolder& operator=(const PrivateTempFolder&) = delete;
    // With a trailing separator; empty when it could not be created.
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

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
