#pragma once
// Archives read in process by libarchive: ZIP, 7z, RAR (4 and 5) and LZH.
// A member is inflated into memory only as far as its reader asks, never
// onto the disk.
#include "common/ByteView.h"
#include "common/Result.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

struct archive;

namespace qs {

// The archives a search looks into, by name.
inline constexpr const char* kArchivePatterns =
    "*.zip;*.rar;*.7z;*.arj;*.lzh;*.tar;*.tgz;*.tar.gz;*.tar.bz2;*.tar.xz";

// No C64 container comes near this; a larger member is not inflated.
inline constexpr std::uint64_t kMaxMemberBytes = 64ull * 1024 * 1024;

// What one file of a collection may have inflated, archives within archives
// and compressed images together: a file that holds more (a zip bomb, an
// archive that holds itself) is searched this far and the rest is said.
inline constexpr std::uint64_t kMaxInflatedBytes = 1024ull * 1024 * 1024;

class InflateBudget {
  public:
    // Counts `bytes` more inflated; past the budget it is spent, and raises.
    void take(std::uint64_t bytes);
    bool spent() const { return spent_; }

  private:
    std::uint64_t used_ = 0;
    bool spent_ = false;
};

// An archive to read: a file on disk, or bytes in memory (an archive inside
// another), which must outlive the reading.
struct ArchiveInput {
    std::string path; // the file; for bytes in memory, their name (for its format)
    const std::string* bytes = nullptr;
};

// The member being visited; valid only during the visit.
class ArchiveMember {
  public:
    ArchiveMember(archive* a, std::string name, std::uint64_t size, bool sizeKnown,
                  InflateBudget* budget);
    const std::string& name() const { return name_; }
    // Larger than kMaxMemberBytes by its header: not to be read.
    bool tooLarge() const { return sizeKnown_ && size_ > kMaxMemberBytes; }
    // The member's bytes, inflated as they are read. Damage raises "Path/File
    // access error" and marks the member damaged.
    std::unique_ptr<ByteSource> open() const;
    bool damaged() const { return damaged_; }
    // The whole member, inflated in memory (up to the size limit, past which
    // it raises); valid during the visit.
    const std::string& inflateAll() const;
    // Writes the whole member to a new file at `path`, the part not yet read
    // streamed through a small buffer rather than held in memory (a TAP member
    // for its listing program may be large). Raises when it cannot be written
    // whole, and on damage as above.
    void writeTo(const std::string& path) const;

  private:
    friend class MemberSource;
    friend class MemberWalk;
    // Inflates up to byte `end` (clipped to the member and the limit).
    void inflateTo(std::uint64_t end) const;
    std::uint64_t size() const;

    archive* archive_;
    std::string name_;
    mutable std::uint64_t size_;
    mutable bool sizeKnown_;
    mutable std::string bytes_; // inflated so far
    mutable bool ended_ = false;
    mutable bool damaged_ = false;
    InflateBudget* budget_;
};

// Visits, in archive order, every ordinary file member whose name `fits`
// (see MemberFits). Folders, links and names that would leave a folder are
// passed over. `visit` answers false to stop reading. Done when every member
// was seen (or the visitor asked to stop); a failure when libarchive cannot
// read the archive (not one of its formats, encrypted, an unsupported method,
// damage), saying what it reported: the outside archiver may, and what was
// learnt from the members visited so far is to be forgotten by the caller.
// What each member inflates is taken from `budget` (when given); once it is
// spent, the reading stops after the member it ran out in.
Outcome ReadArchive(const ArchiveInput& input,
                    const std::function<bool(const std::string& name)>& fits,
                    const std::function<bool(const ArchiveMember& member)>& visit,
                    InflateBudget* budget = nullptr);

// Whether a member fits the ";"-separated upper-case patterns the way the
// outside archiver's recursive include switches take them, without regard
// to case: its file name fits, or the name of a folder it lies in does.
// An empty pattern list takes every member.
bool MemberFits(const std::string& memberName, const std::string& patterns);

} // namespace qs
