#pragma once
// The one way an archive's members are read, for the search, the command
// line's --list and the directory window alike: in process first, by the
// outside archiver when libarchive refuses the archive (or always, when
// asked); archives within archives to a depth of four; no member larger than
// 64 MiB is read, and no more than 1 GiB is inflated from one file; an image
// that its listing program needs is written alone to the temporary folder.
#include "common/ErrorTrap.h"
#include "common/Result.h"
#include "media/Formats.h"
#include "tools/ArchiveReader.h"
#include "tools/ToolEnv.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace qs {

// How deep archives are opened inside one another: the file itself is 1.
inline constexpr int kMaxArchiveDepth = 4;

// The name a member goes by in what the person reads: "NAME in ARCHIVE".
std::string MemberLabel(const std::string& member, const std::string& archivePath);
// The same through archives within archives, the outermost member first:
// "D.D64 in INNER.ZIP in /x/OUTER.7Z".
std::string ChainLabel(const std::string& archivePath, const std::vector<std::string>& members);

// A member that is an archive to be opened in turn, by its name.
bool IsArchiveMemberName(const std::string& name);

// Whether a search of the members that fit `patterns` (MemberChoice) takes
// the member: it fits, or it is an archive to open.
bool TakesMember(const std::string& patterns, const std::string& name);

// Which members to read.
struct MemberChoice {
    std::string patterns; // ";"-separated upper-case file patterns; empty: all
    // Exactly this member (the last name), inside the archives named before it.
    std::vector<std::string> only = {};
};

// A member as its reader gets at it, valid during the visit.
struct MemberAccess {
    const std::string& name;  // as its archive stores it
    const std::string& label; // "NAME in ARCHIVE in ..."
    // The names from the outermost archive in, this member's last.
    const std::vector<std::string>& chain;
    // The path the reader is handed: the name, or where the member was
    // unpacked (messages about it are to name it by its label instead).
    const std::string& readPath;
    const ByteOpener& open;
    const ListingRunner& listings;
    InflateBudget& budget;
    // Not to be read: the error to report as the member's (too large).
    std::optional<TrappedMessage> refused = std::nullopt;
    // Not to be read, and nothing to say (unpacked outside its folder).
    bool passOver = false;
};

class MemberVisitor {
  public:
    virtual ~MemberVisitor() = default;
    // A member that is an archive is about to be opened; what goes wrong
    // with it as a whole (it cannot be read, it lies too deep) goes to the
    // trap answered. Its members follow, then leave().
    virtual ErrorTrap enter(const MemberAccess& archive) = 0;
    virtual void leave() = 0;
    // How many members the archive `label` holds to be read, said when
    // there are any.
    virtual void counted(std::size_t count, const std::string& label) = 0;
    // One member; false stops the reading.
    virtual bool visit(const MemberAccess& member) = 0;
    // A member of the archive now read that the choice does not take, read
    // in process (the outside archiver lists only those it takes).
    virtual void passed(const std::string& /*name*/) {}
    // libarchive gave up part-way through the archive now read (the one last
    // entered, else the file itself): what its members gave is forgotten,
    // as the outside archiver reads them all again.
    virtual void forget() = 0;
    // Where what is said of the file after its members goes (its reading
    // stopped early).
    virtual ErrorTrap closing() = 0;
};

// Reads the chosen members of the archive at `archivePath` in archive order,
// and those of the archives among them; answers how many members were
// visited. Errors of the archive as a whole (it cannot be opened, the
// archiver cannot list or unpack it, too much was inflated from it) are
// trapped by `archiveTrap` under the search's procedure name.
std::size_t ReadArchiveMembers(const ToolEnv& tools, const std::string& archivePath,
                               const MemberChoice& choice, bool externalArchiver,
                               const ErrorTrap& archiveTrap, MemberVisitor& visitor);

} // namespace qs
