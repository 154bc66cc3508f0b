#pragma once
// The signature check of the formats that carry one: "not my format" is an
// answer, not an error. A reader that gets "no" marks the file invalid.
#include "common/ByteView.h"
#include "media/AnalysisRecords.h"

#include <string>

namespace qs {

enum class HeaderKind { G64 = 0, PC64 = 1, TapeRaw = 2, Cartridge = 3, T64 = 4 };

// True when the bytes start with the signature of `kind`, letters in either
// case. Only the signature's bytes are read; read errors pass to the caller.
bool HasSignature(const ByteSource& source, HeaderKind kind);

// The records of a file that failed its signature check: "NOT A <kind> FILE",
// status "INVALID FILE", no entries.
void MarkInvalidFile(AnalysisRecords& records, const std::string& path, HeaderKind kind);

} // namespace qs
