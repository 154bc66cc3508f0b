#include "common/FileLister.h"

#include "common/Error.h"
#include "common/Files.h"
#include "common/Text.h"
#include "common/Wildcard.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>
#include <system_error>

namespace qs {

namespace {

enum class Kind { File, Folder, Other };

// What an entry is, links followed: from the listing's own type where it
// gives one, else asked of the system relative to the open folder.
Kind kindOf(int folderFd, const dirent& entry) {
    if (entry.d_type == DT_REG)
        return Kind::File;
    if (entry.d_type == DT_DIR)
        return Kind::Folder;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
        return Kind::Other;
    struct stat st {};
    if (::fstatat(folderFd, entry.d_name, &st, 0) != 0)
        return Kind::Other;
    return S_ISREG(st.st_mode) ? Kind::File : S_ISDIR(st.st_mode) ? Kind::Folder : Kind::Other;
}

// Sorted by upper-case form, ties by the name.
using Keyed = std::vector<std::pair<std::string, std::string>>; // upper-case form, name

std::vector<std::string> sortedNames(Keyed keyed) {
    std::sort(keyed.begin(), keyed.end());
    std::vector<std::string> names;
    names.reserve(keyed.size());
    for (auto& [key, name] : keyed)
        names.push_back(std::move(name));
    return names;
}

// Hands `take` each visible entry of the folder with its kind. Read with the
// system's own listing: a search reads tens of thousands of names.
template <class Take> void readFolder(const std::string& folder, Take take) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        const int number = errorNumberFromErrno(errno);
        raise(number == err::FileNotFound ? err::PathNotFound : number, folder);
    }
    const std::unique_ptr<DIR, int (*)(DIR*)> closer(dir, ::closedir);
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (entry == nullptr) {
            if (errno != 0)
                raise(errorNumberFromErrno(errno), folder);
            break;
        }
        std::string name = entry->d_name;
        if (!IsHiddenName(name))
            take(kindOf(::dirfd(dir), *entry), std::move(name));
    }
}

} // namespace

FolderListing listFolder(const std::string& folder, const std::string& patternList) {
    const FilePatterns patterns(patternList);
    Keyed files, subfolders;
    readFolder(folder, [&](Kind kind, std::string name) {
        if (kind == Kind::File && patterns.fits(name))
            files.emplace_back(upperAscii(name), std::move(name));
        else if (kind == Kind::Folder)
            subfolders.emplace_back(upperAscii(name), std::move(name));
    });
    return {sortedNames(std::move(files)), sortedNames(std::move(subfolders))};
}

std::vector<std::string> listFiles(const std::string& folder, const std::string& patternList) {
    return listFolder(folder, patternList).files;
}

Result<FolderId> folderIdentity(const std::string& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) {
        const int error = errno;
        const int number = errorNumberFromErrno(error);
        // A folder that is not there is a path, not a file, that is missing.
        return Failure{number == err::FileNotFound ? err::PathNotFound : number,
                       std::generic_category().message(error)};
    }
    return FolderId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

} // namespace qs
