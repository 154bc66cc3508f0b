#pragma once
// Compares the search string with a file's names and writes its result block.
#include "search/Session.h"

#include <string>

namespace qs {

// The pattern from the search string: "*" + text + "*" for partial matches.
std::string SearchPattern(const SearchOptions& o);

// The listing line of one entry: blocks, quoted display name, type, lock mark.
std::string ListingLine(const CbmEntry& entry);

// Both answer the number of matches written for the file.
int AnalyzePrograms(Session& s, const std::string& filePath, const std::string& archivePath);
int AnalyzeSid(Session& s, const std::string& filePath, const std::string& archivePath);

} // namespace qs
