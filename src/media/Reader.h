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

// Files on disk, by their path: the opener unless a caller (a fuzzer, a
// test) serves bytes from memory. A named type, so that a search can tell it
// from a stand-in and open files by name in their open folder instead.
struct OpenOnDisk {
    std::unique_ptr<ByteSource> operator()(const std::string& path) const {
        return std::make_unique<FileByteSource>(path);
    }
};

struct ReaderContext {
    using Opener = std::function<std::unique_ptr<ByteSource>(const std::string& path)>;

    AnalysisRecords& records;
    const ErrorTrap& trap;
    Opener open = OpenOnDisk{};
    // Lists G64 and TAP images; null when no outside program may run.
    const ListingRunner* listings = nullptr;
};

using Reader = void (*)(ReaderContext& ctx, const std::string& path);

// Replaces every byte 160 (the shifted space that pads CBM names) by a blank.
std::string PaddingToBlanks(std::string text);
// Cuts a CBM name before its first byte 160.
std::string CutAtPadding(std::string_view text);

} // namespace qs
