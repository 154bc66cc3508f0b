#include "search/Dispatcher.h"

#include "tools/Decompress.h"

namespace qs {

const ContainerFormat* DispatchedFormat(const FormatSet& formats, const std::string& path,
                                        bool compressed, std::string& inside) {
    const ContainerFormat* format = FormatOfFileName(path);
    if (format == nullptr && compressed) {
        inside = ImageNameInside(path);
        format = inside.empty() ? nullptr : FormatOfFileName(inside);
    }
    return format != nullptr && formats.contains(*format) ? format : nullptr;
}

const ContainerFormat* DispatchFile(AnalysisRecords& records, const ErrorTrap& trap,
                                    const FormatSet& formats, const std::string& path,
                                    const ByteOpener& open, const ListingRunner* listings,
                                    bool compressed, InflateBudget* budget) {
    std::string inside;
    const ContainerFormat* format = DispatchedFormat(formats, path, compressed, inside);
    if (format == nullptr) {
        records.reset();
        records.media.Status = status::FalseExtension;
        return nullptr;
    }
    if (inside.empty()) {
        ReadContainer(*format, records, trap, path, open, listings);
        return format;
    }
    const ByteOpener decompressed = [&] { return Decompressed(*open(), budget); };
    ReadContainer(*format, records, trap, path, decompressed, listings, inside);
    return format;
}

} // namespace qs
