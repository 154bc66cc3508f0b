#include "tools/Decompress.h"

#include "common/Error.h"

#include <archive.h>

#include <algorithm>
#include <vector>

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
    // Inflated in pieces and joined once: growing one string would hold its
    // old and its new room at once, three times the image at the end. A gzip
    // stream tells its size (modulo 4 GiB) in its last four bytes: room for
    // that is taken at once.
    std::string bytes;
    if (const std::string tail =
            compressed.read(compressed.size() - std::min<std::uint64_t>(compressed.size(), 4), 4);
        tail.size() == 4 && compressed.read(0, 2) == "\x1F\x8B") {
        std::uint64_t said = 0;
        for (int i = 3; i >= 0; --i)
            said = said << 8 | static_cast<unsigned char>(tail[static_cast<std::size_t>(i)]);
        bytes.reserve(static_cast<std::size_t>(std::min(said, kMaxMemberBytes + 1)));
    }
    std::vector<std::string> pieces;
    std::uint64_t total = 0;
    for (;;) {
        if (total > kMaxMemberBytes)
            raise(err::OutOfMemory, "larger than 64 MiB when decompressed, not read");
        constexpr std::size_t kPiece = 256 * 1024;
        const bool direct = bytes.capacity() >= total + kPiece;
        std::string piece;
        std::string& into = direct ? bytes : piece;
        const std::size_t have = into.size();
        into.resize(have + kPiece);
        const la_ssize_t n = archive_read_data(a.get(), into.data() + have, kPiece);
        into.resize(have + static_cast<std::size_t>(std::max<la_ssize_t>(n, 0)));
        if (n < 0) {
            const char* why = archive_error_string(a.get());
            raise(err::PathFileAccess,
                  std::string("damaged compressed data (") + (why ? why : "unreadable") + ")");
        }
        if (n == 0)
            break;
        total += static_cast<std::uint64_t>(n);
        if (!direct)
            pieces.push_back(std::move(piece));
        if (budget != nullptr)
            budget->take(static_cast<std::uint64_t>(n));
    }
    if (!pieces.empty()) {
        // Past the size the gzip trailer told (or none told): joined now.
        std::string joined;
        joined.reserve(static_cast<std::size_t>(total));
        joined += bytes;
        bytes = std::string();
        for (std::string& piece : pieces) {
            joined += piece;
            piece = std::string();
        }
        bytes = std::move(joined);
    }
    return std::make_unique<MemoryByteSource>(std::move(bytes));
}

} // namespace qs
