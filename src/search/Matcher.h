#pragma once
// Compares the search string with a file's names and writes its result block.
#include "media/Formats.h"
#include "search/FileReport.h"
#include "search/SearchRequest.h"

#include <string>

namespace qs {

// The line that closes every result block of the report.
inline constexpr const char* kBlockRule = "-------------------------";

// The pattern from the search string: "*" + text + "*" for partial matches.
std::string SearchPattern(const SearchRequest& r);

// The listing line of one entry: blocks, quoted display name, type, lock mark.
std::string ListingLine(const CbmEntry& entry);
// The same with the display name already made (ShownName).
std::string ListingLine(const CbmEntry& entry, const std::string& shownName);
// An entry's name as its listing line shows it (UTF-8).
std::string ShownName(const CbmEntry& entry);

// Compare the search string with the names a reader of `format` found (the
// entries, or the header texts of a tune) and put the file's result block
// into `report`; they answer the number of matches. The entry names are left
// case-swapped.
int MatchPrograms(const SearchRequest& r, const ContainerFormat& format, AnalysisRecords& records,
                  FileReport& report, const std::string& filePath, const std::string& archivePath);
int MatchSid(const SearchRequest& r, const AnalysisRecords& records, FileReport& report,
             const std::string& filePath, const std::string& archivePath);
// MatchSid for a tune, MatchPrograms for anything else.
int MatchFile(const SearchRequest& r, const ContainerFormat& format, AnalysisRecords& records,
              FileReport& report, const std::string& filePath, const std::string& archivePath);

} // namespace qs
