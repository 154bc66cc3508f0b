#pragma once
// Chooses the reader of a file by its name and runs it.
#include "media/Formats.h"
#include "tools/ArchiveReader.h"

#include <string>

namespace qs {

// Runs the reader of the format that the name of `path` says, when that is
// one of `formats`, on fresh records; answers the format, or null (the
// records reset and marked FALSE EXTENSION) when no reader ran. With
// `compressed`, an image kept compressed as a whole ("GAME.D64.GZ",
// "GAME.D6Z") is decompressed in memory and read as the image it holds, what
// it inflates taken from `budget`.
// The format whose reader DispatchFile runs on `path`, or null; with
// `inside`, the name of the image a compressed file holds (else empty).
const ContainerFormat* DispatchedFormat(const FormatSet& formats, const std::string& path,
                                        bool compressed, std::string& inside);

const ContainerFormat* DispatchFile(AnalysisRecords& records, const ErrorTrap& trap,
                                    const FormatSet& formats, const std::string& path,
                                    const ByteOpener& open, const ListingRunner* listings,
                                    bool compressed = false, InflateBudget* budget = nullptr);

} // namespace qs
