#include "search/Dispatcher.h"

#include "common/Error.h"
#include "tools/Decompress.h"

#include <algorithm>

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
    auto notRead = [&]() -> const ContainerFormat* {
        records.reset();
        records.media.Status = status::FalseExtension;
        return nullptr;
    };
    const ContainerFormat* format = FormatOfFile(formats, path, open);
    if (format != nullptr) {
        ReadContainer(*format, records, trap, path, open, listings, {}, siblings);
        return format;
    }
    // A file of a format not searched for.
    if (FormatOfFileName(path) != nullptr)
        return notRead();
    std::string inside = compressed ? ImageNameInside(path) : std::string();
    format = inside.empty() ? nullptr : FormatOfFileName(inside);
    // A short extension that several formats share: decompressed first, as
    // its size tells which it is.
    const std::vector<const ContainerFormat*> sharing = FormatsSharingName(path);
    const bool wanted =
        format != nullptr &&
        (sharing.empty()
             ? formats.contains(*format)
             : std::any_of(sharing.begin(), sharing.end(),
                           [&](const ContainerFormat* f) { return formats.contains(*f); }));
    if (!wanted)
        return notRead();
    std::unique_ptr<ByteSource> image;
    if (!sharing.empty()) {
        records.reset();
        if (!trap.runOnFile(std::string(format->procedure), path,
                            [&] { image = Decompressed(*open(), budget); }))
            return format;
        format = FormatOfImageInside(path, image->size());
        if (!formats.contains(*format))
            return notRead();
        inside = inside.substr(0, inside.size() - format->extensions.front().size()) +
                 std::string(format->extensions.front());
    }
    const ByteOpener decompressed = [&] {
        return image ? std::move(image) : Decompressed(*open(), budget);
    };
    ReadContainer(*format, records, trap, path, decompressed, listings, inside);
    return format;
}

const ContainerFormat* DispatchedFormat(const FormatSet& formats, const std::string& path,
                                        bool compressed, std::string_view readBefore) {
    auto readAs = [&](const ContainerFormat* f) { return f != nullptr && f->tag == readBefore; };
    if (const ContainerFormat* byName = FormatOfFileName(path, &formats)) {
        // Known by its whole name unless its bytes say otherwise.
        if (!byName->namePatterns.empty() && byName->bid != nullptr) {
            FormatSet others = formats;
            others.remove(*byName);
            if (const ContainerFormat* byExtension = FormatOfFileName(path, &others);
                readAs(byExtension))
                return byExtension;
        }
        return byName;
    }
    if (FormatOfFileName(path) != nullptr || !compressed)
        return nullptr;
    const std::string inside = ImageNameInside(path);
    const ContainerFormat* format = inside.empty() ? nullptr : FormatOfFileName(inside);
    const std::vector<const ContainerFormat*> sharing = FormatsSharingName(path);
    if (format == nullptr || sharing.empty())
        return format != nullptr && formats.contains(*format) ? format : nullptr;
    // Its size inside tells which: as it told before, the bytes being the same.
    const ContainerFormat* chosen = nullptr;
    for (const ContainerFormat* f : sharing)
        if (formats.contains(*f) && (chosen == nullptr || readAs(f)))
            chosen = f;
    return chosen;
}

} // namespace qs
