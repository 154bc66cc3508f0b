#include "search/ArchiveMembers.h"

#include "common/Files.h"
#include "common/Text.h"
#include "common/Wildcard.h"
#include "tools/OutsideArchiver.h"
#include "tools/ToolRunner.h"

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace qs {

namespace {

// The procedure named in the archive's messages.
const char* const kArchiveProcedure = "SearchC64File";

// An unpacked member is read and deleted only when it is an ordinary file
// that lies inside the extraction folder (no link, nothing reached through
// one). A member the archiver did not unpack is left to the reader, which
// reports the missing file.
enum class Unpacked { Inside, Missing, Outside };

Unpacked unpackedState(const std::string& workFolder, const std::string& memberPath) {
    struct stat st {};
    if (::lstat(memberPath.c_str(), &st) != 0)
        return Unpacked::Missing;
    if (!S_ISREG(st.st_mode))
        return Unpacked::Outside;
    std::error_code ec;
    const std::string folder = TrailingSlash(fs::canonical(workFolder, ec).string());
    const std::string file = fs::canonical(memberPath, ec).string();
    return !ec && file.rfind(folder, 0) == 0 ? Unpacked::Inside : Unpacked::Outside;
}

// One archive being read: the file itself, or one inside it.
struct Level {
    ArchiveInput input;
    std::string label;              // how messages name it
    std::vector<std::string> chain; // its members' names lead with these
    int depth = 1;
};

// One reading of a file, archives within it included.
class Reading {
  public:
    Reading(const ToolEnv& tools, const MemberChoice& choice, bool external, MemberVisitor& visitor)
        : tools_(tools), choice_(choice), external_(external), visitor_(visitor), listings_(tools) {
    }

    void read(const Level& level, const ErrorTrap& trap) {
        if (!external_ && inProcess(level))
            return;
        if (level.input.bytes == nullptr)
            return withArchiver(level, level.input.path, trap);
        // The outside archiver reads files: the archive goes to the temporary
        // folder alone.
        std::string file;
        std::optional<RemoveOnExit> remove;
        const bool written = trap.runOnFile(kArchiveProcedure, level.label, [&] {
            const auto dot = level.input.path.find_last_of("./");
            const bool ext = dot != std::string::npos && level.input.path[dot] == '.';
            file = tools_.tempPath("nested" + (ext ? level.input.path.substr(dot) : ""));
            remove.emplace(file, RemoveOnExit::Kind::File);
            WriteWholeFile(file, *level.input.bytes).orRaise();
        });
        if (written)
            withArchiver(level, file, trap);
    }

    InflateBudget& budget() { return budget_; }
    std::size_t visited() const { return visited_; }
    // Archives that lie too deep to be opened, and the first of them.
    std::size_t tooDeep() const { return tooDeep_; }
    const std::string& firstTooDeep() const { return firstTooDeep_; }

  private:
    // The member wanted at this depth, when one exact member is.
    const std::string* wanted(int depth) const {
        const auto index = static_cast<std::size_t>(depth - 1);
        return index < choice_.only.size() ? &choice_.only[index] : nullptr;
    }
    // An archive to open in turn rather than a member to visit.
    bool opensAsArchive(const std::string& name, int depth) const {
        if (!choice_.only.empty())
            return static_cast<std::size_t>(depth) < choice_.only.size();
        return IsArchiveMemberName(name);
    }
    bool fits(const std::string& name, int depth) const {
        if (const std::string* only = wanted(depth))
            return name == *only;
        return TakesMember(choice_.patterns, name);
    }

    // Visits the member, or reads it as an archive in turn. False stops.
    bool handle(const Level& level, MemberAccess& access,
                const std::function<ArchiveInput()>& archiveBytes) {
        if (budget_.spent())
            return false;
        if (!opensAsArchive(access.name, level.depth)) {
            ++visited_;
            return visitor_.visit(access);
        }
        // Said once for the file, after its members: an archive that holds
        // itself, or thousands of archives at the bottom of a zip bomb, would
        // otherwise give a message each.
        if (level.depth >= kMaxArchiveDepth) {
            if (tooDeep_++ == 0)
                firstTooDeep_ = access.label;
            return true;
        }
        const ErrorTrap trap = visitor_.enter(access);
        if (access.refused) {
            trap.report(*access.refused, true);
        } else if (!access.passOver) {
            // Held while its members are read: at most 64 MiB for each depth.
            ArchiveInput input;
            if (trap.runOnFile(kArchiveProcedure, access.label, [&] { input = archiveBytes(); }))
                read({input, access.label, access.chain, level.depth + 1}, trap);
        }
        visitor_.leave();
        return !budget_.spent();
    }

    // Read by libarchive; false when it refused the archive.
    bool inProcess(const Level& level) {
        std::size_t count = 0;
        const std::size_t visitedBefore = visited_;
        const Outcome read = ReadArchive(
            level.input,
            [&](const std::string& name) {
                if (fits(name, level.depth))
                    return true;
                visitor_.passed(name);
                return false;
            },
            [&](const ArchiveMember& member) {
                ++count;
                const std::string label = MemberLabel(member.name(), level.label);
                std::vector<std::string> chain = level.chain;
                chain.push_back(member.name());
                const ByteOpener open = [&member] { return member.open(); };
                MemberAccess access{member.name(), label,     chain,  member.name(),
                                    open,          listings_, budget_};
                if (member.tooLarge())
                    access.refused = TrappedMessage{ErrorTrap::messageText(
                        kArchiveProcedure,
                        {err::OutOfMemory,
                         describeError(err::OutOfMemory) + " (larger than 64 MiB, not read)"},
                        label, true)};
                return handle(level, access, [&] {
                    return ArchiveInput{member.name(), &member.inflateAll()};
                });
            },
            &budget_);
        if (!read) {
            visited_ = visitedBefore;
            visitor_.forget();
            return false;
        }
        if (count > 0)
            visitor_.counted(count, level.label);
        return true;
    }

    // Listed and unpacked by the outside archiver into the extraction folder.
    void withArchiver(const Level& level, const std::string& file, const ErrorTrap& trap) {
        std::vector<std::string> members;
        const std::string* only = wanted(level.depth);
        const std::string patterns = only != nullptr || choice_.patterns.empty()
                                         ? std::string()
                                         : choice_.patterns + ";" + upperAscii(kArchivePatterns);
        const bool listed = trap.runOnFile(kArchiveProcedure, level.label, [&] {
            members = ListArchiveFiles(tools_, file, patterns).take();
        });
        if (!listed)
            return;
        if (only != nullptr) {
            // Names that would leave the extraction folder are never unpacked.
            const bool there = IsSafeMemberName(*only) &&
                               std::find(members.begin(), members.end(), *only) != members.end();
            members.assign(there ? 1 : 0, *only);
        }
        if (members.empty())
            return;
        visitor_.counted(members.size(), level.label);
        const std::string workFolder = tools_.tempPath("WKCBMZip");
        // The extraction folder goes whatever happens below.
        const RemoveOnExit cleanup(workFolder, RemoveOnExit::Kind::FolderTree);
        // Members the archiver could not unpack are reported one by one below.
        trap.runOnFile(kArchiveProcedure, level.label,
                       [&] { ExtractArchiveFiles(tools_, file, members, workFolder); });
        for (const std::string& member : members) {
            if (!IsSafeMemberName(member))
                continue;
            const std::string memberPath = TrailingSlash(workFolder) + member;
            const std::string label = MemberLabel(member, level.label);
            std::vector<std::string> chain = level.chain;
            chain.push_back(member);
            const ByteOpener open = [&memberPath] {
                return std::make_unique<FileByteSource>(memberPath);
            };
            const Unpacked state = unpackedState(workFolder, memberPath);
            MemberAccess access{member, label, chain, memberPath, open, listings_, budget_};
            access.passOver = state == Unpacked::Outside;
            const bool more = handle(level, access, [&] {
                return ArchiveInput{memberPath, nullptr};
            });
            if (state == Unpacked::Inside) {
                ::chmod(memberPath.c_str(), 0600);
                KillFile(memberPath);
            }
            if (!more)
                break;
        }
    }

    const ToolEnv& tools_;
    const MemberChoice& choice_;
    const bool external_;
    MemberVisitor& visitor_;
    const ToolListingRunner listings_;
    InflateBudget budget_;
    std::size_t visited_ = 0;
    std::size_t tooDeep_ = 0;
    std::string firstTooDeep_;
};

} // namespace

std::string MemberLabel(const std::string& member, const std::string& archivePath) {
    return member + " in " + archivePath;
}

std::string ChainLabel(const std::string& archivePath, const std::vector<std::string>& members) {
    std::string label = archivePath;
    for (const std::string& member : members)
        label = MemberLabel(member, label);
    return label;
}

bool IsArchiveMemberName(const std::string& name) {
    return fitsFilePattern(FileNameOf(name), kArchivePatterns);
}

bool TakesMember(const std::string& patterns, const std::string& name) {
    return MemberFits(name, patterns) || IsArchiveMemberName(name);
}

std::size_t ReadArchiveMembers(const ToolEnv& tools, const std::string& archivePath,
                               const MemberChoice& choice, bool externalArchiver,
                               const ErrorTrap& archiveTrap, MemberVisitor& visitor) {
    // An archive that cannot even be opened is said as such, whichever way
    // it would have been read.
    if (!archiveTrap.runOnFile(kArchiveProcedure, archivePath,
                               [&] { FileByteSource{archivePath}; }))
        return 0;
    Reading reading(tools, choice, externalArchiver, visitor);
    reading.read({{archivePath, nullptr}, archivePath, {}, 1}, archiveTrap);
    // Said once, for the file as a whole: what was not opened, and where its
    // reading stopped.
    if (reading.tooDeep() > 0)
        visitor.closing().runOnFile(kArchiveProcedure, archivePath, [&] {
            const std::size_t n = reading.tooDeep();
            raise(err::InvalidCall,
                  std::to_string(n) + (n == 1 ? " archive lies" : " archives lie") + " inside " +
                      std::to_string(kMaxArchiveDepth) + " others and " +
                      (n == 1 ? "was" : "were") + " not opened: " + reading.firstTooDeep());
        });
    if (reading.budget().spent())
        visitor.closing().runOnFile(kArchiveProcedure, archivePath, [] {
            raise(err::OutOfMemory, "more than 1 GiB inflated from it: the rest was not searched");
        });
    return reading.visited();
}

} // namespace qs
