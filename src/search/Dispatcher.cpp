#include "search/Dispatcher.h"

namespace qs {

const ContainerFormat* DispatchFile(AnalysisRecords& records, const ErrorTrap& trap,
                                    const FormatSet& formats, const std::string& path,
                                    const ByteOpener& open, const ListingRunner* listings) {
    const ContainerFormat* format = FormatOfFileName(path);
    if (format == nullptr || !formats.contains(*format)) {
        records.reset();
        records.media.Status = status::FalseExtension;
        return nullptr;
    }
    ReadContainer(*format, records, trap, path, open, listings);
    return format;
}

} // namespace qs
