#pragma once
// G64 images, listed by the outside program c1541.
#include "media/Reader.h"

#include <string>
#include <vector>

namespace qs {

void analizzaG64(ReaderContext& ctx, const std::string& path);

// c1541's argument words: the image path and "-list".
std::vector<std::string> G64ListArguments(const std::string& path);

// Fills the records from a c1541 directory listing of the image at `path`.
// An entry line without a closing quote raises "Invalid procedure call".
void ParseG64Listing(AnalysisRecords& records, const std::string& listing, const std::string& path);

// The number at the start of a listing line: blanks skipped, digits read up
// to the first other character; 0 when there are none.
std::int32_t LeadingNumber(const std::string& line);

} // namespace qs
