#pragma once
// Archives: listing the members that fit the search's patterns, and
// extracting them into the extraction folder, through the outside archiver.
#include "common/Result.h"
#include "tools/ToolEnv.h"

#include <string>
#include <vector>

namespace qs {

// The fitting member names as the archiver lists them, or why there are none
// ("not an archive 7z can read" for a file it does not take as an archive).
Result<std::vector<std::string>>
ListArchiveFiles(const ToolEnv& env, const std::string& archivePath, const std::string& patterns);

// Unpacks the listed members under `workFolder` (created) with their inner
// paths. Names that would leave that folder are never handed to the archiver.
void ExtractArchiveFiles(const ToolEnv& env, const std::string& archivePath,
                         const std::vector<std::string>& memberNames,
                         const std::string& workFolder);

// Writes every name followed by CR LF, replacing the file; raises when it cannot.
void WriteListFile(const std::string& listFilePath, const std::vector<std::string>& memberNames);

// The archiver's argument words. The archiver compares names case-sensitively
// unless told otherwise; members must fit the patterns as files do, without
// regard to case, hence the closing "-ssc-".
std::vector<std::string> ArchiveListArguments(const std::string& archivePath,
                                              const std::string& patterns);
std::vector<std::string> ArchiveExtractArguments(const std::string& archivePath,
                                                 const std::string& workFolder,
                                                 const std::string& listFilePath);

// The member names of a listing (names from column 54 between the two
// " ------------" separator lines); -1 for "is not supported archive".
int ParseArchiveListing(const std::string& listing, std::vector<std::string>& memberNames);

// False for a name that would leave the extraction folder: empty, absolute,
// or holding a ".." step.
bool IsSafeMemberName(const std::string& name);

} // namespace qs
