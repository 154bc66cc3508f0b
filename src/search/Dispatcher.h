#pragma once
// Chooses the reader of a file by its name and runs it.
#include "media/Formats.h"
#include "tools/ArchiveReader.h"

#include <string>
#include <string_view>

namespace qs {

// The format of the file at `path` among `formats`: the one its name says;
// but a file known by its whole name whose first bytes are not of that
// format (a D64 named like a Zipcode part) is its extension's format, when
// that is among them. Null for none.
const ContainerFormat* FormatOfFile(const FormatSet& formats, const std::string& path,
                                    const ByteOpener& open);

// Runs the reader of the format that the name of `path` says (FormatOfFile), when that is
// one of `formats`, on fresh records; answers the format, or null (the
// records reset and marked FALSE EXTENSION) when no reader ran. With
// `compressed`, an image kept compressed as a whole ("GAME.D64.GZ",
// "GAME.D6Z") is decompressed in memory and read as the image it holds, what
// it inflates taken from `budget`. `siblings` opens the other files of its
// set, for a format that keeps media in several files.

const ContainerFormat* DispatchFile(AnalysisRecords& records, const ErrorTrap& trap,
                                    const FormatSet& formats, const std::string& path,
                                    const ByteOpener& open, const ListingRunner* listings,
                                    bool compressed = false, InflateBudget* budget = nullptr,
                                    const SiblingOpener* siblings = nullptr);

// The format whose reader DispatchFile would run on `path`, told without
// its bytes: by its name, and where only the bytes tell (a name several
// formats share, a file named like a set's part), by `readBefore`, the tag
// of the format a reading of the same bytes found before. Null when no
// reader would run.
const ContainerFormat* DispatchedFormat(const FormatSet& formats, const std::string& path,
                                        bool compressed, std::string_view readBefore);

} // namespace qs
