#include "tools/ArchiveReader.h"

#include "common/Error.h"
#include "common/Wildcard.h"
#include "tools/OutsideArchiver.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace qs {

namespace {

struct ArchiveCloser {
    void operator()(archive* a) const { archive_read_free(a); }
};
using ArchivePtr = std::unique_ptr<archive, ArchiveCloser>;

ArchivePtr openArchive(const ArchiveInput& input, bool seekableZip) {
    ArchivePtr a(archive_read_new());
    if (!a)
        return a;
    // Only the formats the search hands over; anything else (ARJ, an
    // unusual format, a file that merely has an archive's name) goes to the
    // outside archiver as before. Tar bundles come compressed as a whole.
    if (seekableZip)
        archive_read_support_format_zip_seekable(a.get());
    else
        archive_read_support_format_zip_streamable(a.get());
    archive_read_support_format_7zip(a.get());
    archive_read_support_format_rar(a.get());
    archive_read_support_format_rar5(a.get());
    archive_read_support_format_lha(a.get());
    archive_read_support_format_tar(a.get());
    archive_read_support_filter_gzip(a.get());
    archive_read_support_filter_bzip2(a.get());
    archive_read_support_filter_xz(a.get());
    const int opened =
        input.bytes != nullptr
            ? archive_read_open_memory(a.get(), input.bytes->data(), input.bytes->size())
            : archive_read_open_filename(a.get(), input.path.c_str(), 64 * 1024);
    if (opened != ARCHIVE_OK)
        a.reset();
    return a;
}

std::string errorOf(archive* a) {
    const char* text = archive_error_string(a);
    return text != nullptr ? text : "unreadable archive";
}

} // namespace

// What a reader opens: the member's bytes, inflated on demand.
class MemberSource final : public ByteSource {
  public:
    explicit MemberSource(const ArchiveMember& member) : member_(member) {}
    std::uint64_t size() const override { return member_.size(); }
    void writeTo(const std::string& path) const override { member_.writeTo(path); }
    std::string read(std::uint64_t offset, std::size_t length) const override {
        const std::uint64_t end = offset + std::min<std::uint64_t>(length, kMaxMemberBytes);
        member_.inflateTo(end);
        if (offset >= member_.bytes_.size())
            return {};
        return member_.bytes_.substr(static_cast<std::size_t>(offset), length);
    }

  private:
    const ArchiveMember& member_;
};

void InflateBudget::take(std::uint64_t bytes) {
    used_ += bytes;
    if (used_ <= kMaxInflatedBytes)
        return;
    spent_ = true;
    raise(err::OutOfMemory, "more than 1 GiB inflated from one file");
}

ArchiveMember::ArchiveMember(archive* a, std::string name, std::uint64_t size, bool sizeKnown,
                             InflateBudget* budget)
    : archive_(a), name_(std::move(name)), size_(size), sizeKnown_(sizeKnown), budget_(budget) {}

std::unique_ptr<ByteSource> ArchiveMember::open() const {
    if (damaged_)
        raise(err::PathFileAccess, "damaged archive member");
    return std::make_unique<MemberSource>(*this);
}

std::uint64_t ArchiveMember::size() const {
    return size_;
}

void ArchiveMember::inflateTo(std::uint64_t end) const {
    // One past the limit, so that a member whose header told no size can be
    // found too large.
    end = std::min(sizeKnown_ ? std::min(end, size_) : end, kMaxMemberBytes + 1);
    // Room for the whole member at once when its size is known: growing by
    // doubling would hold the old copy and the new one at the same time.
    if (sizeKnown_ && end > bytes_.capacity())
        bytes_.reserve(static_cast<std::size_t>(std::min(size_, kMaxMemberBytes)));
    while (!ended_ && bytes_.size() < end) {
        const std::size_t have = bytes_.size();
        // In steps, so that memory follows what was actually inflated.
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(end - have, 256 * 1024));
        bytes_.resize(have + want);
        const la_ssize_t n = archive_read_data(archive_, bytes_.data() + have, want);
        bytes_.resize(have + static_cast<std::size_t>(std::max<la_ssize_t>(n, 0)));
        if (n < 0) {
            damaged_ = ended_ = true;
            raise(err::PathFileAccess, "damaged archive member (" + errorOf(archive_) + ")");
        }
        if (n == 0)
            ended_ = true;
        if (budget_ != nullptr && n > 0)
            budget_->take(static_cast<std::uint64_t>(n));
    }
    if (!sizeKnown_ && (ended_ || bytes_.size() > kMaxMemberBytes)) {
        size_ = bytes_.size();
        sizeKnown_ = true;
    }
}

void ArchiveMember::writeTo(const std::string& path) const {
    if (damaged_)
        raise(err::PathFileAccess, "damaged archive member");
    NewFile out(path);
    out.write(bytes_);
    std::uint64_t written = bytes_.size();
    char buffer[64 * 1024];
    // What is streamed is not kept: nothing more may be read from the member.
    const bool inflatedAll = std::exchange(ended_, true);
    while (!inflatedAll && written < std::min(size_, kMaxMemberBytes)) {
        const la_ssize_t n = archive_read_data(archive_, buffer, sizeof buffer);
        if (n < 0) {
            damaged_ = true;
            raise(err::PathFileAccess, "damaged archive member (" + errorOf(archive_) + ")");
        }
        if (n == 0)
            break;
        out.write(std::string_view(buffer, static_cast<std::size_t>(n)));
        written += static_cast<std::uint64_t>(n);
        if (budget_ != nullptr)
            budget_->take(static_cast<std::uint64_t>(n));
    }
    out.close();
}

const std::string& ArchiveMember::inflateAll() const {
    if (damaged_)
        raise(err::PathFileAccess, "damaged archive member");
    inflateTo(kMaxMemberBytes + 1);
    if (bytes_.size() > kMaxMemberBytes)
        raise(err::OutOfMemory, "larger than 64 MiB, not read");
    return bytes_;
}

bool MemberFits(const std::string& memberName, const std::string& patterns) {
    if (patterns.empty())
        return true;
    std::size_t start = 0;
    while (start < memberName.size()) {
        std::size_t end = memberName.find('/', start);
        if (end == std::string::npos)
            end = memberName.size();
        if (end > start &&
            fitsFilePattern(std::string_view(memberName).substr(start, end - start), patterns))
            return true;
        start = end + 1;
    }
    return false;
}

// One reading of an archive's members, in archive order.
class MemberWalk {
  public:
    static Outcome read(const ArchiveInput& input, bool seekableZip,
                        const std::function<bool(const std::string& name)>& fits,
                        const std::function<bool(const ArchiveMember& member)>& visit,
                        InflateBudget* budget, bool& visited);
};

Outcome MemberWalk::read(const ArchiveInput& input, bool seekableZip,
                         const std::function<bool(const std::string& name)>& fits,
                         const std::function<bool(const ArchiveMember& member)>& visit,
                         InflateBudget* budget, bool& visited) {
    auto refuse = [](const std::string& reason) { return Failure{err::PathFileAccess, reason}; };
    const ArchivePtr a = openArchive(input, seekableZip);
    if (!a)
        return refuse("not an archive libarchive reads");
    archive_entry* entry = nullptr;
    for (;;) {
        const int r = archive_read_next_header(a.get(), &entry);
        if (r == ARCHIVE_EOF)
            return Done{};
        if (r < ARCHIVE_WARN)
            return refuse(errorOf(a.get()));
        if (archive_entry_is_encrypted(entry))
            return refuse("encrypted member");
        const char* utf8 = archive_entry_pathname_utf8(entry);
        const char* raw = utf8 != nullptr ? utf8 : archive_entry_pathname(entry);
        if (raw == nullptr)
            return refuse("a member name that cannot be read");
        std::string name = raw;
        if (archive_entry_filetype(entry) != AE_IFREG || archive_entry_hardlink(entry) != nullptr ||
            !IsSafeMemberName(name) || !fits(name))
            continue;
        const bool sizeKnown = archive_entry_size_is_set(entry) != 0;
        const ArchiveMember member(a.get(), std::move(name),
                                   sizeKnown ? static_cast<std::uint64_t>(std::max<la_int64_t>(
                                                   archive_entry_size(entry), 0))
                                             : 0,
                                   sizeKnown, budget);
        if (!sizeKnown) {
            // The header did not tell the size: find it by inflating, bounded.
            try {
                member.inflateTo(kMaxMemberBytes + 1);
            } catch (const Error&) {
                if (budget != nullptr && budget->spent())
                    return Done{};
                return refuse("damaged member " + member.name());
            }
        }
        visited = true;
        const bool more = visit(member);
        if (member.damaged())
            return refuse("damaged member " + member.name());
        if (!more || (budget != nullptr && budget->spent()))
            return Done{};
    }
}

Outcome ReadArchive(const ArchiveInput& input,
                    const std::function<bool(const std::string& name)>& fits,
                    const std::function<bool(const ArchiveMember& member)>& visit,
                    InflateBudget* budget) {
    // A ZIP is read as the stream of its members: the reader that seeks to
    // its central directory holds all of it, a few hundred bytes a member.
    // One the stream reader refuses before a member was handed over (a
    // self-extracting archive, a member whose sizes follow its data) is read
    // through its central directory after all.
    bool visited = false;
    const Outcome streamed = MemberWalk::read(input, false, fits, visit, budget, visited);
    if (streamed || visited)
        return streamed;
    return MemberWalk::read(input, true, fits, visit, budget, visited);
}

} // namespace qs
