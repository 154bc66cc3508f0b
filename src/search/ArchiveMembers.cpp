#include "search/ArchiveMembers.h"

#include "common/Files.h"
#include "tools/ArchiveReader.h"
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

// Read by libarchive; false when it refused the archive.
bool readInProcess(const ToolEnv& tools, const std::string& archivePath, const MemberChoice& choice,
                   MemberVisitor& visitor, std::size_t& visited) {
    const ToolListingRunner listings(tools);
    const Outcome read = ReadArchive(
        archivePath,
        [&](const std::string& name) {
            return choice.only ? name == *choice.only : MemberFits(name, choice.patterns);
        },
        [&](const ArchiveMember& member) {
            ++visited;
            const std::string label = MemberLabel(member.name(), archivePath);
            const ByteOpener open = [&member] { return member.open(); };
            MemberAccess access{member.name(), label, member.name(), open, listings, {}, false};
            if (member.tooLarge())
                access.refused = TrappedMessage{ErrorTrap::messageText(
                    kArchiveProcedure,
                    {err::OutOfMemory,
                     describeError(err::OutOfMemory) + " (larger than 64 MiB, not read)"},
                    label, true)};
            return visitor.visit(access);
        });
    if (!read) {
        visited = 0;
        visitor.forget();
        return false;
    }
    if (visited > 0)
        visitor.counted(visited);
    return true;
}

// Listed and unpacked by the outside archiver into the extraction folder.
std::size_t readWithArchiver(const ToolEnv& tools, const std::string& archivePath,
                             const MemberChoice& choice, const ErrorTrap& archiveTrap,
                             MemberVisitor& visitor) {
    std::vector<std::string> members;
    const bool listed = archiveTrap.runOnFile(kArchiveProcedure, archivePath, [&] {
        members = ListArchiveFiles(tools, archivePath, choice.only ? "" : choice.patterns).take();
    });
    if (!listed)
        return 0;
    if (choice.only) {
        // Names that would leave the extraction folder are never unpacked.
        const bool there = IsSafeMemberName(*choice.only) &&
                           std::find(members.begin(), members.end(), *choice.only) != members.end();
        members.assign(there ? 1 : 0, *choice.only);
    }
    if (members.empty())
        return 0;
    visitor.counted(members.size());
    const std::string workFolder = tools.tempPath("WKCBMZip");
    // The extraction folder goes whatever happens below.
    const RemoveOnExit cleanup(workFolder, RemoveOnExit::Kind::FolderTree);
    // Members the archiver could not unpack are reported one by one below.
    archiveTrap.runOnFile(kArchiveProcedure, archivePath,
                          [&] { ExtractArchiveFiles(tools, archivePath, members, workFolder); });
    const ToolListingRunner listings(tools);
    std::size_t visited = 0;
    for (const std::string& member : members) {
        if (!IsSafeMemberName(member))
            continue;
        ++visited;
        const std::string memberPath = TrailingSlash(workFolder) + member;
        const std::string label = MemberLabel(member, archivePath);
        const ByteOpener open = [&memberPath] {
            return std::make_unique<FileByteSource>(memberPath);
        };
        const Unpacked state = unpackedState(workFolder, memberPath);
        MemberAccess access{member, label, memberPath, open, listings, {}, false};
        access.passOver = state == Unpacked::Outside;
        const bool more = visitor.visit(access);
        if (state == Unpacked::Inside) {
            ::chmod(memberPath.c_str(), 0600);
            KillFile(memberPath);
        }
        if (!more)
            break;
    }
    return visited;
}

} // namespace

std::string MemberLabel(const std::string& member, const std::string& archivePath) {
    return member + " in " + archivePath;
}

std::size_t ReadArchiveMembers(const ToolEnv& tools, const std::string& archivePath,
                               const MemberChoice& choice, bool externalArchiver,
                               const ErrorTrap& archiveTrap, MemberVisitor& visitor) {
    // An archive that cannot even be opened is said as such, whichever way
    // it would have been read.
    if (!archiveTrap.runOnFile(kArchiveProcedure, archivePath,
                               [&] { FileByteSource{archivePath}; }))
        return 0;
    std::size_t visited = 0;
    if (!externalArchiver && readInProcess(tools, archivePath, choice, visitor, visited))
        return visited;
    return readWithArchiver(tools, archivePath, choice, archiveTrap, visitor);
}

} // namespace qs
