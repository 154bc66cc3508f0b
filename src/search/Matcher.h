#pragma once
// Compares the search string with a file's names and writes its result block.
#include "search/FileReport.h"
#include "search/Session.h"

#include <string>

namespace qs {

// The line that closes every result block of the report.
inline constexpr const char* kBlockRule = "-------------------------";

// The pattern from the search string: "*" + text + "*" for partial matches.
std::string SearchPattern(const SearchOptions& o);

// The listing line of one entry: blocks, quoted display name, type, lock mark.
std::string ListingLine(const CbmEntry& entry);
// The same with the display name already made (ShownName).
std::string ListingLine(const CbmEntry& entry, const std::string& shownName);
// An entry's name as its listing line shows it (UTF-8).
std::string ShownName(const CbmEntry& entry);

// Compare the search string with an analysed file's names (its entries, or
// the header texts of a SID tune) and put its result block into `report`;
// they answer the number of matches. The entry names are left case-swapped.
int MatchPrograms(const SearchOptions& o, AnalysisRecords& records, FileReport& report,
                  const std::string& filePath, const std::string& archivePath);
int MatchSid(const SearchOptions& o, const AnalysisRecords& records, FileReport& report,
             const std::string& filePath, const std::string& archivePath);
// MatchSid for a SID tune, MatchPrograms for anything else.
int MatchFile(const SearchOptions& o, AnalysisRecords& records, FileReport& report,
              const std::string& filePath, const std::string& archivePath);

// The same on the session's records, shown at once. Both answer the number
// of matches written for the file.
int AnalyzePrograms(Session& s, const std::string& filePath, const std::string& archivePath);
int AnalyzeSid(Session& s, const std::string& filePath, const std::string& archivePath);

} // namespace qs
