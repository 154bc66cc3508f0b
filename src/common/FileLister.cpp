#include "common/FileLister.h"

#include "common/Text.h"
#include "common/VbError.h"
#include "common/Wildcard.h"
#include "common/modGeneral.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace qs {

namespace {

template <class Keep> std::vector<std::string> listEntries(const std::string& folder, Keep keep) {
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(fs::path(folder), ec);
    if (ec)
        raise(errorNumberFromErrno(ec.value()) == err::FileNotFound
                  ? err::PathNotFound
                  : errorNumberFromErrno(ec.value()),
              folder);
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            raise(errorNumberFromErrno(ec.value()), folder);
        std::string name = it->path().filename().string();
        if (IsHiddenName(name))
            continue;
        std::error_code typeEc;
        if (keep(*it, typeEc))
            names.push_back(std::move(name));
    }
    // Sorted by their upper-case form (made once per name), ties by the name.
    std::vector<std::pair<std::string, std::string>> keyed;
    keyed.reserve(names.size());
    for (std::string& name : names)
        keyed.emplace_back(upperAscii(name), std::move(name));
    std::sort(keyed.begin(), keyed.end());
    for (std::size_t i = 0; i < keyed.size(); ++i)
        names[i] = std::move(keyed[i].second);
    return names;
}

} // namespace

std::vector<std::string> listFiles(const std::string& folder, const std::string& patternList) {
    const FilePatterns patterns(patternList);
    return listEntries(folder, [&](const fs::directory_entry& e, std::error_code& ec) {
        return e.is_regular_file(ec) && patterns.fits(e.path().filename().string());
    });
}

std::vector<std::string> listSubfolders(const std::string& folder) {
    return listEntries(folder, [](const fs::directory_entry& e, std::error_code& ec) {
        return e.is_directory(ec) || ec == std::errc::filename_too_long;
    });
}

std::optional<FolderId> folderIdentity(const std::string& folder, int* error) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) {
        if (error != nullptr)
            *error = errno;
        return std::nullopt;
    }
    return FolderId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

} // namespace qs
