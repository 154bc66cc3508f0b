#pragma once
// What every reader is given: the records to fill, the file's bytes and the
// name it goes by. A reader raises an Error when the file is broken; the
// dispatcher's trap reports it under the reader's name and the file.
#include "common/ByteView.h"
#include "common/ErrorTrap.h"
#include "media/AnalysisRecords.h"
#include "media/ListingRunner.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace qs {

// Opens another file of a reader's set by its file name: a file of the same
// folder, or a member of the same archive (in the same folder of it). Raises
// "File not found" for one that is not there.
using SiblingOpener = std::function<std::unique_ptr<ByteSource>(const std::string& fileName)>;

// No file of a set comes near this; a larger one is not read.
inline constexpr std::uint64_t kMaxSetPartBytes = 1024 * 1024;

struct ReadInput {
    AnalysisRecords& records;
    const ByteSource& bytes;
    // The name the file goes by: its path, or an archive member's name.
    const std::string& path;
    // Lists the images an outside program reads; null when none may run.
    const ListingRunner* listings;
    // For a problem the reader reports and then reads on past (a damaged
    // 1581 partition); whatever ends the reading is raised instead.
    const ErrorTrap& trap;
    // The other files of its set, for a format that reads several files
    // together; null: there are none to be had.
    const SiblingOpener* siblings = nullptr;
};

using Reader = void (*)(ReadInput& in);

// Replaces every byte 160 (the shifted space that pads CBM names) by a blank.
std::string PaddingToBlanks(std::string text);
// Cuts a CBM name before its first byte 160.
std::string CutAtPadding(std::string_view text);

} // namespace qs
