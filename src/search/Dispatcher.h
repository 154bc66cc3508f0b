#pragma once
// Chooses the reader of a file by its extension and runs it.
#include "media/Reader.h"
#include "search/SearchOptions.h"

#include <string>
#include <vector>

namespace qs {

// Resets the records, runs the reader that the extension names when its PC
// file type is ticked, and answers the kind of container that reader reads
// ("D64", "PC64", ...), or null when none ran.
const char* DispatchFile(ReaderContext& ctx, const std::vector<CheckBox>& fileTypes,
                         const std::string& path);

// The reader for an extension (upper case), or null. P00-family files are
// recognised separately by DispatchFile.
Reader ReaderForExtension(const std::string& extension);

} // namespace qs
