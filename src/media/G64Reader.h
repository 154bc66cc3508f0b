#pragma once
// G64 images, listed by the outside program c1541.
#include "media/Reader.h"

#include <string>

namespace qs {

void readG64(ReadInput& in);

// Fills the records from a c1541 directory listing of the image at `path`.
// An entry line without a closing quote raises "Invalid procedure call".
void ParseG64Listing(AnalysisRecords& records, const std::string& listing, const std::string& path);

} // namespace qs
