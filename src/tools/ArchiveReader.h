#pragma once
// Archives read in process by libarchive: ZIP, 7z, RAR (4 and 5) and LZH.
// Members are inflated into memory one at a time, never onto the disk.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace qs {

// No C64 container comes near this; a larger member is not inflated.
inline constexpr std::uint64_t kMaxMemberBytes = 64ull * 1024 * 1024;

struct ArchiveMember {
    std::string name; // as stored, with its folders inside the archive
    // The content; none when the member is larger than kMaxMemberBytes.
    std::optional<std::string> bytes;
};

enum class ArchiveRead {
    Done,    // every member was seen (or the visitor asked to stop)
    Refused, // libarchive cannot read it: not one of its formats, encrypted,
             // an unsupported method, damage; the outside archiver may
};

// Visits, in archive order, every ordinary file member whose name `fits`
// (see MemberFits). Folders, links and names that would leave a folder are
// passed over. `visit` answers false to stop reading. On Refused, `why`
// says what libarchive reported, and members visited so far are to be
// forgotten by the caller.
ArchiveRead ReadArchive(const std::string& path,
                        const std::function<bool(const std::string& name)>& fits,
                        const std::function<bool(ArchiveMember&& member)>& visit,
                        std::string* why = nullptr);

// Whether a member fits the ";"-separated upper-case patterns the way the
// outside archiver's recursive include switches take them, without regard
// to case: its file name fits, or the name of a folder it lies in does.
// An empty pattern list takes every member.
bool MemberFits(const std::string& memberName, const std::string& patterns);

} // namespace qs
