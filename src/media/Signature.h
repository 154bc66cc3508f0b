#pragma once
// Signature checks of the formats that carry one: "not my format" is an
// answer, not an error. A file that is not of its format is marked invalid.
#include "common/ByteView.h"
#include "media/AnalysisRecords.h"

#include <string>
#include <string_view>

namespace qs {

// True when the bytes start with `signature`, letters in either case. Only
// the signature's bytes are read; read errors pass to the caller.
bool HasSignature(const ByteSource& source, std::string_view signature);
// True when the bytes start with exactly the bytes of `magic`.
bool HasMagic(const ByteSource& source, std::string_view magic);

// The records of a file that failed its signature check: "NOT A <what> FILE",
// status "INVALID FILE", no entries.
void MarkInvalidFile(AnalysisRecords& records, const std::string& path, std::string_view what);

} // namespace qs
