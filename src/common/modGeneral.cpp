#include "common/modGeneral.h"

#include "common/ByteView.h"
#include "common/VbError.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace fs = std::filesystem;

namespace qs {

std::string ReadWholeFile(const std::string& path) {
    return FileByteSource(path).readAll();
}

bool WriteWholeFile(const std::string& path, const std::string& text) {
    try {
        KillFile(path);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.close();
        return !out.fail();
    } catch (...) {
        return false;
    }
}

namespace {

// What the runtime's description of an errno leaves unsaid: the system's
// own words when the number is the catch-all.
std::string errnoDetail(int e) {
    return errorNumberFromErrno(e) == err::PathFileAccess ? std::strerror(e) : "";
}

} // namespace

AppendingFile::~AppendingFile() {
    if (file_ != nullptr)
        std::fclose(file_);
}

void AppendingFile::open(const std::string& path) {
    if (file_ != nullptr)
        std::fclose(file_);
    path_ = path;
    failed_ = false;
    file_ = std::fopen(path.c_str(), "ab");
    if (file_ == nullptr) {
        const int e = errno;
        raise(errorNumberFromErrno(e), errnoDetail(e));
    }
}

void AppendingFile::fail(const ErrorTrap& trap, int error) {
    std::fclose(file_);
    file_ = nullptr;
    failed_ = true;
    const std::string detail = errnoDetail(error);
    trap.runOnFile("WriteFile", path_, [&] {
        raise(errorNumberFromErrno(error),
              (detail.empty() ? "" : detail + "; ") + "the results file is incomplete");
    });
}

void AppendingFile::write(const ErrorTrap& trap, const std::string& text) {
    if (file_ == nullptr)
        return;
    // Written out text by text, so that the file holds the report so far and
    // a full disk is noticed at the text it cuts.
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size() ||
        std::fwrite("\r\n", 1, 2, file_) != 2 || std::fflush(file_) != 0)
        fail(trap, errno != 0 ? errno : EIO);
}

void AppendingFile::close(const ErrorTrap& trap) {
    if (file_ == nullptr)
        return;
    errno = 0;
    const bool flushed = std::fflush(file_) == 0;
    const int error = errno;
    if (!flushed)
        return fail(trap, error != 0 ? error : EIO);
    if (std::fclose(std::exchange(file_, nullptr)) != 0) {
        failed_ = true;
        trap.runOnFile("WriteFile", path_,
                       [&] { raise(err::PathFileAccess, "the results file is incomplete"); });
    }
}

bool FileExists(const std::string& path) {
    if (path.empty() || IsHiddenName(FileNameOf(path)))
        return false;
    std::error_code ec;
    return fs::is_regular_file(fs::path(path), ec);
}

void KillFile(const std::string& path) {
    if (!FileExists(path))
        return;
    if (::unlink(path.c_str()) != 0)
        raise(errorNumberFromErrno(errno), path);
}

std::string TrailingSlash(const std::string& path) {
    if (!path.empty() && path.back() == '/')
        return path;
    return path + "/";
}

void CreateFolderPath(const std::string& path) {
    std::error_code ec;
    if (path.empty() || fs::exists(fs::path(path), ec))
        return;
    fs::create_directories(fs::path(path), ec);
}

std::string GetTempFolder() {
    std::error_code ec;
    const fs::path tmp = fs::temp_directory_path(ec);
    if (ec || tmp.empty())
        return {};
    return TrailingSlash(tmp.string());
}

std::string ApplicationFolder() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return TrailingSlash(fs::current_path(ec).string());
    return TrailingSlash(exe.parent_path().string());
}

std::string DataFolder(const std::string& applicationFolder) {
    if (::access(applicationFolder.c_str(), W_OK) == 0)
        return TrailingSlash(applicationFolder);
    std::string base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::string(home) + "/.local/share";
    else
        return TrailingSlash(applicationFolder);
    const std::string folder = TrailingSlash(base) + "quillsift";
    CreateFolderPath(folder);
    return TrailingSlash(folder);
}

std::string FileNameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsHiddenName(const std::string& name) {
    return !name.empty() && name.front() == '.';
}

PrivateTempFolder::PrivateTempFolder() {
    std::string pattern = GetTempFolder();
    if (pattern.empty())
        pattern = "/tmp/";
    pattern += "quillsift-XXXXXX";
    if (::mkdtemp(pattern.data()) != nullptr)
        path_ = TrailingSlash(pattern);
}

PrivateTempFolder::~PrivateTempFolder() {
    if (!path_.empty())
        RemoveFolderTree(path_);
}

void RemoveFolderTree(const std::string& path) {
    std::error_code ec;
    // remove_all removes links themselves and never descends through them.
    fs::remove_all(fs::path(path), ec);
}

RemoveOnExit::~RemoveOnExit() {
    try {
        if (kind_ == Kind::File)
            KillFile(path_);
        else
            RemoveFolderTree(path_);
    } catch (...) {
        // Clean-up only; a file that cannot go is left behind.
    }
}

} // namespace qs
