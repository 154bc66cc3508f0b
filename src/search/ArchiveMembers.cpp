#include "search/ArchiveMembers.h"

#include "common/Files.h"
#include "tools/ArchiveReader.h"
#include "tools/OutsideArchiver.h"
#include "tools/ToolRunner.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace qs {

namespace {

// The procedure named in the archive's messages.
const char* const kArchiveProcedure = "SearchC64File";

// The message of a member that is not read, naming it by its label.
TrappedMessage refusal(const std::string& label, int number, const std::string& detail) {
    return {ErrorTrap::messageText(
        kArchiveProcedure, {number, describeError(number) + " (" + detail + ")"}, label, true)};
}

TrappedMessage tooLarge(const std::string& label) {
    return refusal(label, err::OutOfMemory, "larger than 64 MiB, not read");
}

// The members libarchive handed over before it gave up: how many, and a
// digest of their names in order, so that the outside archiver can go on
// after them without keeping every name.
struct ReadSoFar {
    std::size_t count = 0;
    std::uint64_t digest = 14695981039346656037ull;
    void add(const std::string& name) {
        ++count;
        for (const char c : name + '\0')
            digest = (digest ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
};

// An unpacked member is read and deleted only when it is an ordinary file
// that lies inside the extraction folder (no link, nothing reached through
// one).
bool insideFolder(const std::string& workFolder, const std::string& memberPath) {
    struct stat st {};
    if (::lstat(memberPath.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    std::error_code ec;
    const std::string folder = TrailingSlash(fs::canonical(workFolder, ec).string());
    const std::string file = fs::canonical(memberPath, ec).string();
    return !ec && file.rfind(folder, 0) == 0;
}

// Read by libarchive; false when it refused the archive, `soFar` then
// holding the members it handed over that stand.
bool readInProcess(const ToolEnv& tools, const std::string& archivePath, const MemberChoice& choice,
                   MemberVisitor& visitor, std::size_t& visited, ReadSoFar& soFar) {
    const ToolListingRunner listings(tools);
    const Outcome read = ReadArchive(
        archivePath,
        [&](const std::string& name) {
            return choice.only ? name == *choice.only : MemberFits(name, choice.patterns);
        },
        [&](const ArchiveMember& member) {
            const std::string label = MemberLabel(member.name(), archivePath);
            const ByteOpener open = [&member] { return member.open(); };
            MemberAccess access{member.name(), label, member.name(), open, listings, {}, false};
            if (member.tooLarge())
                access.refused = tooLarge(label);
            const bool more = visitor.visit(access);
            if (member.damaged()) {
                visitor.forgetLast();
            } else {
                ++visited;
                soFar.add(member.name());
            }
            return more;
        });
    return read.ok();
}

// What the outside archiver is to unpack of its listing, and how much.
struct Plan {
    std::vector<const ListedMember*> read; // in archive order
    std::vector<std::string> excluded;     // never unpacked
    std::uint64_t cap = std::uint64_t{1} << 20;
};

Plan plan(const std::vector<ListedMember>& listed, const MemberChoice& choice,
          const ReadSoFar& soFar) {
    Plan p;
    // A name that would leave the folder, or a link (or a pipe), is never
    // read; one too large or encrypted is refused without unpacking it. The
    // archiver's command line holds only so many names: past them, the cap
    // and the wrong password still keep those members out.
    constexpr std::size_t kMostExcluded = 256;
    for (const bool large : {true, false})
        for (const ListedMember& m : listed) {
            const bool tooLarge = m.size && *m.size > kMaxMemberBytes;
            const bool out = m.special || m.encrypted || !IsSafeMemberName(m.name);
            if (!m.folder && (large ? tooLarge : out && !tooLarge) &&
                p.excluded.size() < kMostExcluded)
                p.excluded.push_back(m.name);
        }
    for (const ListedMember& m : listed) {
        if (std::find(p.excluded.begin(), p.excluded.end(), m.name) == p.excluded.end() &&
            !m.folder)
            p.cap += m.size ? std::min(*m.size, kMaxMemberBytes) : kMaxMemberBytes;
        if (!m.folder && !m.special && IsSafeMemberName(m.name) &&
            (!choice.only || m.name == *choice.only))
            p.read.push_back(&m);
    }
    // libarchive read the first members already: they are not read again,
    // when the listing begins with the same members.
    if (soFar.count > 0 && soFar.count <= p.read.size()) {
        ReadSoFar same;
        for (std::size_t i = 0; i < soFar.count; ++i)
            same.add(p.read[i]->name);
        if (same.digest == soFar.digest)
            p.read.erase(p.read.begin(), p.read.begin() + static_cast<std::ptrdiff_t>(soFar.count));
    }
    return p;
}

// The archiver's listing shows a control character in a name as "_" and
// renames a second member of the same name "NAME_1.EXT": the name a file
// unpacked under `path` is listed as.
std::string listedForm(const std::string& path) {
    std::string name = path;
    for (char& c : name)
        if (static_cast<unsigned char>(c) < 0x20)
            c = '_';
    const std::size_t slash = name.find_last_of('/') + 1;
    std::size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || dot < slash)
        dot = name.size();
    std::size_t digits = dot;
    while (digits > slash && name[digits - 1] >= '0' && name[digits - 1] <= '9')
        --digits;
    if (digits < dot && digits > slash + 1 && name[digits - 1] == '_')
        name.erase(digits - 1, dot - digits + 1);
    return name;
}

// Where each member to read was unpacked, as a path inside the folder, or
// "" where it was not: its own name, or a file listed under that name.
std::vector<std::string> findUnpacked(const Plan& p, const std::string& workFolder) {
    std::map<std::string, bool> files; // path inside the folder, taken
    std::error_code ec;
    const std::string base = TrailingSlash(workFolder);
    for (fs::recursive_directory_iterator it(workFolder, fs::directory_options::none, ec), end;
         !ec && it != end; it.increment(ec))
        if (it->symlink_status(ec).type() != fs::file_type::directory)
            files.emplace(it->path().string().substr(base.size()), false);
    std::vector<std::string> found(p.read.size());
    for (std::size_t i = 0; i < p.read.size(); ++i)
        if (auto f = files.find(p.read[i]->name); f != files.end() && !f->second) {
            f->second = true;
            found[i] = f->first;
        }
    if (std::find(found.begin(), found.end(), "") == found.end())
        return found;
    std::multimap<std::string, std::string> byListedForm; // of the files not taken
    for (const auto& [path, taken] : files)
        if (!taken)
            byListedForm.emplace(listedForm(path), path);
    for (std::size_t i = 0; i < p.read.size(); ++i)
        if (auto f = byListedForm.find(p.read[i]->name);
            found[i].empty() && f != byListedForm.end()) {
            found[i] = f->second;
            byListedForm.erase(f);
        }
    return found;
}

// Listed and unpacked by the outside archiver into a fresh folder.
std::size_t readWithArchiver(const ToolEnv& tools, const std::string& archivePath,
                             const MemberChoice& choice, const ErrorTrap& archiveTrap,
                             MemberVisitor& visitor, const ReadSoFar& soFar) {
    const std::vector<std::string> switches =
        choice.only ? ExactSwitches(*choice.only) : PatternSwitches(choice.patterns);
    std::vector<ListedMember> listed;
    if (!archiveTrap.runOnFile(kArchiveProcedure, archivePath, [&] {
            listed = ListArchiveFiles(tools, archivePath, switches).take();
        }))
        return 0;
    const Plan p = plan(listed, choice, soFar);
    if (p.read.empty())
        return 0;
    const std::string workFolder = tools.tempPath("WKCBMZip");
    // The extraction folder goes whatever happens below.
    const RemoveOnExit cleanup(workFolder, RemoveOnExit::Kind::FolderTree);
    Unpacking unpacked;
    if (!archiveTrap.runOnFile(kArchiveProcedure, archivePath, [&] {
            unpacked =
                ExtractArchiveFiles(tools, archivePath, switches, p.excluded, workFolder, p.cap)
                    .take();
        }))
        return 0;
    if (tools.cancel != nullptr && *tools.cancel)
        return 0;
    if (unpacked.stopped)
        archiveTrap.runOnFile(kArchiveProcedure, archivePath, [] {
            raise(
                err::OutOfMemory,
                "7z stopped: it unpacked more than the listed sizes, or over 64 MiB of one member");
        });
    const std::string why = unpacked.stopped           ? "7z was stopped"
                            : unpacked.failure.empty() ? "7z left it out"
                                                       : unpacked.failure;
    visitor.counted(p.read.size());
    const std::vector<std::string> found = findUnpacked(p, workFolder);
    const ToolListingRunner listings(tools);
    std::size_t visited = 0;
    for (std::size_t i = 0; i < p.read.size(); ++i) {
        const ListedMember& m = *p.read[i];
        ++visited;
        const std::string memberPath = TrailingSlash(workFolder) + found[i];
        const std::string label = MemberLabel(m.name, archivePath);
        const ByteOpener open = [&memberPath] {
            return std::make_unique<FileByteSource>(memberPath);
        };
        MemberAccess access{m.name, label, memberPath, open, listings, {}, false};
        const bool inside = !found[i].empty() && insideFolder(workFolder, memberPath);
        std::error_code ec;
        const std::uintmax_t size = inside ? fs::file_size(memberPath, ec) : 0;
        if (m.encrypted)
            access.refused = refusal(label, err::PermissionDenied, "encrypted, not read");
        else if ((m.size && *m.size > kMaxMemberBytes) || size > kMaxMemberBytes)
            access.refused = tooLarge(label);
        else if (found[i].empty())
            access.refused = refusal(label, err::PathFileAccess, "not unpacked: " + why);
        else if (inside && (m.size ? size != *m.size : unpacked.stopped))
            access.refused = refusal(label, err::PathFileAccess, "not unpacked whole: " + why);
        access.passOver = !access.refused && !inside;
        const bool more = visitor.visit(access);
        if (inside) {
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
    ReadSoFar soFar;
    if (!externalArchiver && readInProcess(tools, archivePath, choice, visitor, visited, soFar))
        return visited;
    return visited + readWithArchiver(tools, archivePath, choice, archiveTrap, visitor, soFar);
}

} // namespace qs
