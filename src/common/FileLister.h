#pragma once
// The one file lister: what a folder contributes to a search.
#include "common/Result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qs {

// Ordinary, non-hidden files of `folder` whose names fit the ";"-separated
// pattern list, in ascending order of name without regard to case.
// Raises "Path not found" and friends when the folder cannot be read.
std::vector<std::string> listFiles(const std::string& folder, const std::string& patternList);

// Those files and the non-hidden subfolders (links to folders included),
// sorted the same way, from one reading of the folder. A link whose path is
// too long to follow is listed as a subfolder too, so that the walk can say so.
struct FolderListing {
    std::vector<std::string> files;
    std::vector<std::string> subfolders;
};
FolderListing listFolder(const std::string& folder, const std::string& patternList);

// Device and inode of a folder, so that a walk can tell a folder it has seen;
// or why it cannot be looked at.
using FolderId = std::pair<std::uint64_t, std::uint64_t>;
Result<FolderId> folderIdentity(const std::string& folder);

} // namespace qs
