#include "tools/Decompress.h"

#include "common/Error.h"

#include <archive.h>

#include <algorithm>

namespace qs {

namespace {

// Feeds libarchive the compressed bytes a piece at a time.
struct Feed {
    const ByteSource& source;
    std::uint64_t offset = 0;
    std::string piece;
};

la_ssize_t readPiece(archive*, void* data, const void** buffer) {
    auto* feed = static_cast<Feed*>(data);
    feed->piece = feed->source.read(feed->offset, 256 * 1024);
    feed->offset += feed->piece.size();
    *buffer = feed->piece.data();
    return static_cast<la_ssize_t>(feed->piece.size());
}

struct ArchiveCloser {
    void operator()(archive* a) const { archive_read_free(a); }
};

} // namespace

std::unique_ptr<ByteSource> Decompressed(const ByteSource& compressed, InflateBudget* budget) {
    const std::unique_ptr<archive, ArchiveCloser> a(archive_read_new());
    if (!a)
        raise(err::OutOfMemory);
    archive_read_support_filter_gzip(a.get());
    archive_read_support_filter_bzip2(a.get());
    archive_read_support_filter_xz(a.get());
    archive_read_support_format_raw(a.get());
    Feed feed{compressed, 0, {}};
    archive_entry* entry = nullptr;
    if (archive_read_open(a.get(), &feed, nullptr, readPiece, nullptr) != ARCHIVE_OK ||
        archive_read_next_header(a.get(), &entry) != ARCHIVE_OK)
        raise(err::PathFileAccess, "not gzip, bzip2 or xz data");
    // The raw format takes any bytes: without a decompressing filter they
    // were never compressed.
    if (archive_filter_count(a.get()) < 2)
        raise(err::PathFileAccess, "not gzip, bzip2 or xz data");
    std::string bytes;
    for (;;) {
        const std::size_t have = bytes.size();
        if (have > kMaxMemberBytes)
            raise(err::OutOfMemory, "larger than 64 MiB when decompressed, not read");
        bytes.resize(have + 256 * 1024);
        const la_ssize_t n = archive_read_data(a.get(), bytes.data() + have, 256 * 1024);
        bytes.resize(have + static_cast<std::size_t>(std::max<la_ssize_t>(n, 0)));
        if (n < 0) {
            const char* why = archive_error_string(a.get());
            raise(err::PathFileAccess,
                  std::string("damaged compressed data (") + (why ? why : "unreadable") + ")");
        }
        if (n == 0)
            break;
        if (budget != nullptr)
            budget->take(static_cast<std::uint64_t>(n));
    }
    bytes.shrink_to_fit();
    return std::make_unique<MemoryByteSource>(std::move(bytes));
}

} // namespace qs
