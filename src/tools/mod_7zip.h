#pragma once
// Archives: listing the members that fit the search's patterns, and
// extracting them into the extraction folder.
#include "common/ErrorTrap.h"
#include "tools/ToolEnv.h"

#include <string>
#include <vector>

namespace qs {

// Stores the fitting member names; answers their count (not above 0: nothing to do).
int ListArchiveFiles(const ToolEnv& env, const std::string& archivePath,
                     std::vector<std::string>& memberNames, const std::string& patterns);

// Unpacks the listed members under env.archiveWorkFolder() with their inner paths.
void ExtractArchiveFiles(const ToolEnv& env, const std::string& archivePath,
                         const std::vector<std::string>& memberNames);

} // namespace qs
