#include "tools/ArchiveReader.h"

#include "common/Wildcard.h"
#include "tools/mod_7zip.h"

#include <archive.h>
#include <archive_entry.h>

#include <memory>

namespace qs {

namespace {

struct ArchiveCloser {
    void operator()(archive* a) const { archive_read_free(a); }
};
using ArchivePtr = std::unique_ptr<archive, ArchiveCloser>;

ArchivePtr openArchive(const std::string& path) {
    ArchivePtr a(archive_read_new());
    if (!a)
        return a;
    // Only the formats the search hands over; anything else (ARJ, an
    // unusual format, a file that merely has an archive's name) goes to the
    // outside archiver as before.
    archive_read_support_format_zip_seekable(a.get());
    archive_read_support_format_7zip(a.get());
    archive_read_support_format_rar(a.get());
    archive_read_support_format_rar5(a.get());
    archive_read_support_format_lha(a.get());
    if (archive_read_open_filename(a.get(), path.c_str(), 64 * 1024) != ARCHIVE_OK)
        a.reset();
    return a;
}

std::string errorOf(archive* a) {
    const char* text = archive_error_string(a);
    return text != nullptr ? text : "unreadable archive";
}

// The member's content, or none past the limit; throws nothing, answers
// false when libarchive reports damage.
bool readContent(archive* a, std::uint64_t declared, std::optional<std::string>& bytes) {
    if (declared > kMaxMemberBytes) {
        bytes.reset();
        return true;
    }
    std::string out;
    out.reserve(static_cast<std::size_t>(declared));
    char buffer[64 * 1024];
    for (;;) {
        const la_ssize_t n = archive_read_data(a, buffer, sizeof buffer);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        // A size the header did not tell (or told wrong) is checked as it grows.
        if (out.size() + static_cast<std::size_t>(n) > kMaxMemberBytes) {
            bytes.reset();
            return true;
        }
        out.append(buffer, static_cast<std::size_t>(n));
    }
    bytes = std::move(out);
    return true;
}

} // namespace

bool MemberFits(const std::string& memberName, const std::string& patterns) {
    if (patterns.empty())
        return true;
    std::size_t start = 0;
    while (start < memberName.size()) {
        std::size_t end = memberName.find('/', start);
        if (end == std::string::npos)
            end = memberName.size();
        if (end > start && fitsFilePattern(memberName.substr(start, end - start), patterns))
            return true;
        start = end + 1;
    }
    return false;
}

ArchiveRead ReadArchive(const std::string& path,
                        const std::function<bool(const std::string& name)>& fits,
                        const std::function<bool(ArchiveMember&& member)>& visit,
                        std::string* why) {
    auto refuse = [&](const std::string& reason) {
        if (why != nullptr)
            *why = reason;
        return ArchiveRead::Refused;
    };
    const ArchivePtr a = openArchive(path);
    if (!a)
        return refuse("not an archive libarchive reads");
    archive_entry* entry = nullptr;
    for (;;) {
        const int r = archive_read_next_header(a.get(), &entry);
        if (r == ARCHIVE_EOF)
            return ArchiveRead::Done;
        if (r < ARCHIVE_WARN)
            return refuse(errorOf(a.get()));
        if (archive_entry_is_encrypted(entry))
            return refuse("encrypted member");
        const char* utf8 = archive_entry_pathname_utf8(entry);
        const char* raw = utf8 != nullptr ? utf8 : archive_entry_pathname(entry);
        if (raw == nullptr)
            return refuse("a member name that cannot be read");
        const std::string name = raw;
        if (archive_entry_filetype(entry) != AE_IFREG || archive_entry_hardlink(entry) != nullptr ||
            !IsSafeMemberName(name) || !fits(name))
            continue;
        ArchiveMember member{name, std::nullopt};
        const std::uint64_t declared =
            archive_entry_size_is_set(entry) != 0
                ? static_cast<std::uint64_t>(std::max<la_int64_t>(archive_entry_size(entry), 0))
                : 0;
        if (!readContent(a.get(), declared, member.bytes))
            return refuse(errorOf(a.get()));
        if (!visit(std::move(member)))
            return ArchiveRead::Done;
    }
}

} // namespace qs
