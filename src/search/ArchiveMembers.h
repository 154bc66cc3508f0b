#pragma once
// The one way an archive's members are read, for the search, the command
// line's --list and the directory window alike: in process first, by the
// outside archiver when libarchive refuses the archive (or always, when
// asked), from where libarchive gave up; archives within archives to a
// depth of four; no member larger than 64 MiB is read, and no more than
// 1 GiB is inflated from one file; an image that its listing program needs
// is written alone to the temporary folder. Members are handed over one at a
// time, so that nothing kept grows with their number.
#include "common/ErrorTrap.h"
#include "common/Result.h"
#include "common/Wildcard.h"
#include "media/Formats.h"
#include "tools/ArchiveReader.h"
#include "tools/ToolEnv.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
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

// A member's name with each of its folders and its file name in their
// NameShape: what a MemberTaker that sees shapes looks at.
std::string MemberShape(std::string_view name);

// The same, the patterns prepared once for many members.
class MemberTaker {
  public:
    explicit MemberTaker(const std::string& patterns);
    bool operator()(std::string_view name) const;
    // It takes a member exactly when it takes the member's MemberShape.
    bool seesShapes() const;

  private:
    bool every_;
    FilePatterns patterns_;
};

// Which members to read.
struct MemberChoice {
    std::string patterns; // ";"-separated upper-case file patterns; empty: all
    // Exactly this member (the last name), inside the archives named before
    // it; and the other parts of its set, when it is one.
    std::vector<std::string> only = {};
    // The formats read: whose files make sets.
    FormatSet formats = FormatSet::all();
};

// No more than this is held of the set parts of one archive (parts of a
// set are held as they pass, and read together once its members are all
// seen); a part past it is not read.
inline constexpr std::uint64_t kMaxHeldSetBytes = 64ull * 1024 * 1024;

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
    // A set read as a whole (its lowest part visited): the other parts of
    // its set, and the labels of every part held for it, this one's too.
    const SiblingOpener* siblings = nullptr;
    const std::vector<std::string>* setParts = nullptr;
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
    // A part of a set passes and is held; once the archive's members are
    // all seen, its set is visited as its lowest part held (setParts).
    virtual void held(const MemberAccess& part) { (void)part; }
    // A member of the archive now read that the choice does not take, read
    // in process (the outside archiver lists only those it takes).
    virtual void passed(const std::string& /*name*/) {}
    // What follows of the archive now read comes from the outside archiver,
    // which lists only the members it takes.
    virtual void byOutsideArchiver() {}
    // libarchive found the member just visited damaged: what it gave is to
    // be forgotten, as the outside archiver reads it again (with those after
    // it; those before it stand).
    virtual void forgetLast() = 0;
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
