#include "search/Dispatcher.h"

#include "common/Error.h"
#include "tools/Decompress.h"

namespace qs {

const ContainerFormat* FormatOfFile(const FormatSet& formats, const std::string& path,
                                    const ByteOpener& open) {
    const ContainerFormat* byName = FormatOfFileName(path, &formats);
    if (byName == nullptr || byName->namePatterns.empty() || byName->bid == nullptr)
        return byName;
    FormatSet others = formats;
    others.remove(*byName);
    const ContainerFormat* byExtension = FormatOfFileName(path, &others);
    if (byExtension == nullptr)
        return byName;
    try {
        return byName->bid(*open()) == Bid::NotMine ? byExtension : byName;
    } catch (const Error&) {
        return byName; // its reader says what is wrong
    }
}

const ContainerFormat* DispatchFile(AnalysisRecords& records, const ErrorTrap& trap,
                                    const FormatSet& formats, const std::string& path,
                                    const ByteOpener& open, const ListingRunner* listings,
                                    bool compressed, InflateBudget* budget,
                                    const SiblingOpener* siblings) {
    const ContainerFormat* format = FormatOfFile(formats, path, open);
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
