#include "search/Dispatcher.h"

#include "common/Error.h"
#include "tools/Decompress.h"

namespace qs {

namespace {

// A file known by its whole name whose bytes are not of that format (a D64
// named like a Zipcode part) is read by its extension's format, when another
// is searched.
const ContainerFormat* byContent(const ContainerFormat& byName, const FormatSet& formats,
                                 const std::string& path, const ByteOpener& open) {
    FormatSet others = formats;
    others.remove(byName);
    const ContainerFormat* byExtension = FormatOfFileName(path, &others);
    if (byExtension == nullptr || byName.bid == nullptr)
        return &byName;
    try {
        return byName.bid(*open()) == Bid::NotMine ? byExtension : &byName;
    } catch (const Error&) {
        return &byName; // its reader says what is wrong
    }
}

} // namespace

const ContainerFormat* DispatchFile(AnalysisRecords& records, const ErrorTrap& trap,
                                    const FormatSet& formats, const std::string& path,
                                    const ByteOpener& open, const ListingRunner* listings,
                                    bool compressed, InflateBudget* budget,
                                    const SiblingOpener* siblings) {
    // A name that another format's row knows too goes to the one searched.
    const ContainerFormat* format = FormatOfFileName(path, &formats);
    if (format != nullptr && !format->namePatterns.empty())
        format = byContent(*format, formats, path, open);
    std::string inside;
    if (format == nullptr && compressed) {
        inside = ImageNameInside(path);
        format = inside.empty() ? nullptr : FormatOfFileName(inside, &formats);
    }
    if (format == nullptr) {
        records.reset();
        records.media.Status = status::FalseExtension;
        return nullptr;
    }
    if (inside.empty()) {
        ReadContainer(*format, records, trap, path, open, listings, {}, siblings);
        return format;
    }
    const ByteOpener decompressed = [&] { return Decompressed(*open(), budget); };
    ReadContainer(*format, records, trap, path, decompressed, listings, inside);
    return format;
}

} // namespace qs
