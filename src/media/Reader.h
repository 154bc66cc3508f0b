#pragma once
// What every reader is given: the records to fill, the error trap of the
// search, and the way to get at a file's bytes.
#include "common/ByteView.h"
#include "common/ErrorTrap.h"
#include "media/AnalysisRecords.h"
#include "media/ListingRunner.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace qs {

struct ReaderContext {
    using Opener = std::function<std::unique_ptr<ByteSource>(const std::string& path)>;

    AnalysisRecords& records;
    const ErrorTrap& trap;
    // Files on disk unless a caller (a fuzzer, a test) serves bytes from memory.
    Opener open = [](const std::string& path) { return std::make_unique<FileByteSource>(path); };
    // Lists G64 and TAP images; null when no outside program may run.
    const ListingRunner* listings = nullptr;
};

using Reader = void (*)(ReaderContext& ctx, const std::string& path);

// Replaces every byte 160 (the shifted space that pads CBM names) by a blank.
std::string PaddingToBlanks(std::string text);
// Cuts a CBM name before its first byte 160.
std::string CutAtPadding(std::string_view text);

} // namespace qs
