#pragma once
// The one way an archive's members are read, for the search, the command
// line's --list and the directory window alike: in process first, by the
// outside archiver when libarchive refuses the archive (or always, when
// asked), from where libarchive gave up; no member larger than 64 MiB is
// read; an image that its listing program needs is written alone to the
// temporary folder. Members are handed over one at a time, so that nothing
// kept grows with their number.
#include "common/ErrorTrap.h"
#include "common/Result.h"
#include "media/Formats.h"
#include "tools/ToolEnv.h"

#include <cstddef>
#include <optional>
#include <string>

namespace qs {

// The name a member goes by in what the person reads.
std::string MemberLabel(const std::string& member, const std::string& archivePath);

// Which members to read.
struct MemberChoice {
    std::string patterns;            // ";"-separated upper-case file patterns; empty: all
    std::optional<std::string> only; // exactly this member, as the archive names it
};

// A member as its reader gets at it, valid during the visit.
struct MemberAccess {
    const std::string& name;  // as the archive stores it
    const std::string& label; // "NAME in ARCHIVE"
    // The path the reader is handed: the name, or where the member was
    // unpacked (messages about it are to name it by its label instead).
    const std::string& readPath;
    const ByteOpener& open;
    const ListingRunner& listings;
    // Not to be read: the error to report as the member's (too large).
    std::optional<TrappedMessage> refused;
    // Not to be read, and nothing to say (unpacked outside its folder).
    bool passOver = false;
};

class MemberVisitor {
  public:
    virtual ~MemberVisitor() = default;
    // How many members will be (or were) read, said when there are any.
    virtual void counted(std::size_t count) = 0;
    // One member; false stops the reading.
    virtual bool visit(const MemberAccess& member) = 0;
    // libarchive found the member just visited damaged: what it gave is to
    // be forgotten, as the outside archiver reads it again (with those after
    // it; those before it stand).
    virtual void forgetLast() = 0;
};

// Reads the chosen members of the archive at `archivePath` in archive order;
// answers how many were visited. Errors of the archive as a whole (it cannot
// be opened, the archiver cannot list or unpack it) are trapped by
// `archiveTrap` under the search's procedure name.
std::size_t ReadArchiveMembers(const ToolEnv& tools, const std::string& archivePath,
                               const MemberChoice& choice, bool externalArchiver,
                               const ErrorTrap& archiveTrap, MemberVisitor& visitor);

} // namespace qs
