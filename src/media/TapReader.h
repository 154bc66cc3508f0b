#pragma once
// TAP recordings, scanned by the outside program tape64.
#include "media/Reader.h"

#include <string>

namespace qs {

void readTap(ReadInput& in);

// Fills the records from a tape64 listing of the tape at `path`. An address
// column that holds no number raises "Type mismatch".
void ParseTapListing(AnalysisRecords& records, const std::string& listing, const std::string& path);

// Non-overlapping occurrences of `part` in `text`, case-sensitive.
int CountOccurrences(const std::string& text, const std::string& part);

// (end - start) / 254 rounded half to even; 0 unless end lies above start.
std::int32_t TapeBlocks(std::int32_t start, std::int32_t end);

// The listing line tape64 prints for a program: 75 characters, the header
// type in column 20, the name in columns 22-39, start and end address in
// 42-47 and 49-54, a description of the kind from column 56.
std::string TapListingLine(unsigned headerType, const std::string& displayName, unsigned start,
                           unsigned end, const std::string& kind);

} // namespace qs
