#include "common/Files.h"

#include "common/ByteView.h"
#include "common/Error.h"

#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace fs = std::filesystem;

namespace qs {

std::string ReadWholeFile(const std::string& path) {
    return FileByteSource(path).readAll();
}

Outcome WriteWholeFile(const std::string& path, const std::string& text) {
    try {
        KillFile(path);
        NewFile file(path);
        file.write(text);
        file.close();
        return Done{};
    } catch (...) {
        const TrappedError e = describeCurrentException(std::current_exception());
        return Failure{e.number, e.description};
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

std::string PathInFolder(std::string_view folder, std::string_view name) {
    std::string path;
    path.reserve(folder.size() + 1 + name.size());
    path += folder;
    if (path.empty() || path.back() != '/')
        path += '/';
    path += name;
    return path;
}

Outcome CreateFolderPath(const std::string& path) {
    std::error_code ec;
    if (path.empty() || fs::is_directory(fs::path(path), ec))
        return Done{};
    if (!fs::create_directories(fs::path(path), ec) && !fs::is_directory(fs::path(path)))
        return Failure{errorNumberFromErrno(ec ? ec.value() : EEXIST),
                       path + ": " + (ec ? ec.message() : "a file is in the way")};
    return Done{};
}

std::string GetTempFolder() {
    const char* tmp = std::getenv("TMPDIR");
    if (tmp == nullptr || *tmp == '\0')
        return "/tmp/";
    // Outside programs run inside the folder: a relative name would not do.
    std::error_code ec;
    const fs::path absolute = fs::absolute(fs::path(tmp), ec);
    return TrailingSlash(ec ? tmp : absolute.string());
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
    if (!CreateFolderPath(folder))
        return TrailingSlash(applicationFolder);
    return TrailingSlash(folder);
}

std::string FileNameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsHiddenName(const std::string& name) {
    return !name.empty() && name.front() == '.';
}

namespace {

const std::string kRunFolderPrefix = "quillsift-";

// The process that made a folder "quillsift-<pid>-XXXXXX"; none for other names.
std::optional<pid_t> runOfFolderName(const std::string& name) {
    if (name.rfind(kRunFolderPrefix, 0) != 0)
        return std::nullopt;
    const std::size_t digits = kRunFolderPrefix.size();
    const std::size_t dash = name.find('-', digits);
    if (dash == std::string::npos || dash == digits || dash - digits > 9 || name.size() != dash + 7)
        return std::nullopt;
    pid_t pid = 0;
    for (std::size_t i = digits; i < dash; ++i) {
        if (name[i] < '0' || name[i] > '9')
            return std::nullopt;
        pid = pid * 10 + (name[i] - '0');
    }
    for (std::size_t i = dash + 1; i < name.size(); ++i)
        if (std::isalnum(static_cast<unsigned char>(name[i])) == 0)
            return std::nullopt;
    return pid > 0 ? std::optional<pid_t>(pid) : std::nullopt;
}

// Makes the private folder in `place`; the errno text when it cannot.
std::string makeRunFolder(const TempFolderPlace& place, std::string& made) {
    if (place.folder.empty())
        return "no such folder";
    if (place.createMissing) {
        std::error_code ec;
        fs::create_directories(fs::path(place.folder), ec);
    }
    std::string pattern =
        TrailingSlash(place.folder) + kRunFolderPrefix + std::to_string(::getpid()) + "-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        return std::generic_category().message(errno);
    made = TrailingSlash(pattern);
    return {};
}

} // namespace

std::vector<TempFolderPlace> TempFolderPlaces(const std::string& applicationFolder) {
    std::vector<TempFolderPlace> places{{GetTempFolder(), false}};
    if (!applicationFolder.empty())
        places.push_back({TrailingSlash(applicationFolder), false});
    if (const std::string cache = CacheFolder(); !cache.empty())
        places.push_back({cache, true});
    return places;
}

std::string CacheFolder() {
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache != nullptr && *cache == '/')
        return TrailingSlash(cache) + "quillsift/";
    if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/')
        return TrailingSlash(home) + ".cache/quillsift/";
    return {};
}

PrivateTempFolder::PrivateTempFolder() : PrivateTempFolder(TempFolderPlaces(ApplicationFolder())) {}

PrivateTempFolder::PrivateTempFolder(const std::vector<TempFolderPlace>& places) {
    for (const TempFolderPlace& place : places)
        RemoveDeadRunFolders(place.folder);
    std::string firstFailure;
    for (const TempFolderPlace& place : places) {
        const std::string failure = makeRunFolder(place, path_);
        if (failure.empty())
            break;
        if (firstFailure.empty())
            firstFailure =
                "the temporary folder " + place.folder + " cannot be used (" + failure + ")";
    }
    if (firstFailure.empty())
        return;
    notice_ = path_.empty()
                  ? firstFailure + " and no other private folder can be made: G64 and TAP "
                                   "images, and archives that need the outside archiver, "
                                   "cannot be searched"
                  : firstFailure + "; using " + path_ + " instead";
}

PrivateTempFolder::~PrivateTempFolder() {
    if (!path_.empty())
        RemoveFolderTree(path_);
}

void RemoveDeadRunFolders(const std::string& folder) {
    std::vector<std::string> dead;
    std::error_code ec;
    for (fs::directory_iterator it(fs::path(folder), ec), end; !ec && it != end; it.increment(ec)) {
        const std::optional<pid_t> pid = runOfFolderName(it->path().filename().string());
        struct stat st {};
        // A link, another user's folder or a live process's: left alone.
        if (!pid || ::lstat(it->path().c_str(), &st) != 0 || !S_ISDIR(st.st_mode) ||
            st.st_uid != ::geteuid() || ::kill(*pid, 0) == 0 || errno != ESRCH)
            continue;
        dead.push_back(it->path().string());
    }
    for (const std::string& path : dead)
        RemoveFolderTree(path);
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
