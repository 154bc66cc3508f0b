#include "search/ArchiveMembers.h"

#include "common/Files.h"
#include "common/Text.h"
#include "common/Wildcard.h"
#include "search/Dispatcher.h"
#include "tools/ArchiveReader.h"
#include "tools/OutsideArchiver.h"
#include "tools/ToolRunner.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <new>
#include <optional>
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

// What the outside archiver is to unpack of its listing, and how much.
struct Plan {
    std::vector<const ListedMember*> read; // in archive order
    std::vector<std::string> excluded;     // never unpacked
    std::uint64_t cap = std::uint64_t{1} << 20;
};

Plan plan(const std::vector<ListedMember>& listed, const std::string* only,
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
            (only == nullptr || m.name == *only))
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

// A held set part as its reader opens it (as often as it likes): the bytes
// held, and its size, larger than them when only the start of a part too
// large to be read was kept, which is all its reader looks at before it
// says so.
class HeldPart final : public ByteSource {
  public:
    HeldPart(const std::string& bytes, std::uint64_t size) : bytes_(bytes), size_(size) {}
    std::uint64_t size() const override { return size_; }
    std::string read(std::uint64_t offset, std::size_t length) const override {
        return offset >= bytes_.size() ? std::string()
                                       : bytes_.substr(static_cast<std::size_t>(offset), length);
    }

  private:
    const std::string& bytes_;
    std::uint64_t size_;
};

// The parts of sets met in one archive, held as they pass, in memory (the
// archive is read once, streaming), until its members are all seen.
struct HeldSets {
    struct Part {
        std::string name, label;
        std::vector<std::string> chain;
        std::string bytes;
        std::uint64_t size = 0;
        std::optional<Error> error; // why there are no bytes to read
    };
    struct Set {
        std::string folder; // of its parts in the archive: "" or "Disks/"
        std::map<int, Part> parts;
    };
    std::vector<Set> sets; // in the order they were first met
    std::map<std::string, std::size_t> byKey;
    std::uint64_t bytes = 0;
};

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
        ReadSoFar soFar;
        // Set parts held while the archive is read, however it is read.
        HeldSets held;
        bool more = true;
        if (external_ || !inProcess(level, soFar, held, more)) {
            visitor_.byOutsideArchiver();
            if (level.input.bytes == nullptr)
                withArchiver(level, level.input.path, trap, soFar, held, more);
            else
                withArchiverFromMemory(level, trap, soFar, held, more);
        }
        if (!stopped(more))
            readSets(held, level.depth);
    }

    InflateBudget& budget() { return budget_; }
    std::size_t visited() const { return visited_; }
    // Archives that lie too deep to be opened, and the first of them.
    std::size_t tooDeep() const { return tooDeep_; }
    const std::string& firstTooDeep() const { return firstTooDeep_; }

  private:
    void withArchiverFromMemory(const Level& level, const ErrorTrap& trap, const ReadSoFar& soFar,
                                HeldSets& held, bool& more) {
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
            withArchiver(level, file, trap, soFar, held, more);
    }

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
            return name == *only || (lastWanted(depth) && sameSet(name, *only));
        return TakesMember(choice_.patterns, name);
    }
    bool lastWanted(int depth) const {
        return static_cast<std::size_t>(depth) == choice_.only.size();
    }

    // The set a member is a part of, by its folder in the archive and the
    // name of its set's first part.
    std::optional<std::pair<std::string, SetPart>> setOf(const std::string& name) const {
        const std::string file = FileNameOf(name);
        std::optional<SetPart> part = SetPartOf(file, choice_.formats);
        if (!part)
            return std::nullopt;
        return std::pair{name.substr(0, name.size() - file.size()), std::move(*part)};
    }
    bool sameSet(const std::string& a, const std::string& b) const {
        const auto setA = setOf(a), setB = setOf(b);
        return setA && setB && setA->first == setB->first &&
               setA->second.firstPart == setB->second.firstPart;
    }

    // Holds a set part as it passes: its bytes, or why there are none. A
    // member named like a part but of another format by its bytes is
    // visited instead. False stops.
    bool hold(HeldSets& held, MemberAccess& access, const std::pair<std::string, SetPart>& set) {
        HeldSets::Part part = readPart(held, access);
        const ByteOpener bytes = [&] { return std::make_unique<HeldPart>(part.bytes, part.size); };
        if (!part.error && FormatOfFile(choice_.formats, access.name, bytes) != set.second.format) {
            ++visited_;
            visitedLast_ = true;
            return visitor_.visit(access);
        }
        if (!part.error)
            held.bytes += part.size;
        const auto [at, added] =
            held.byKey.try_emplace(set.first + set.second.firstPart, held.sets.size());
        if (added)
            held.sets.push_back({set.first, {}});
        HeldSets::Set& into = held.sets[at->second];
        // A second member of the same name is left out of the set, and said.
        if (into.parts.contains(set.second.part)) {
            MemberAccess again = access;
            again.refused = TrappedMessage{ErrorTrap::messageText(
                std::string(set.second.format->procedure),
                {err::InvalidCall,
                 describeError(err::InvalidCall) + " (a second member of this name, not read)"},
                access.label, true)};
            ++visited_;
            visitedLast_ = true;
            return visitor_.visit(again);
        }
        visitor_.held(access);
        into.parts.emplace(set.second.part, std::move(part));
        return !budget_.spent();
    }

    // A set part's bytes (of one too large, its start), or why there are
    // none: it cannot be read, or the archive's parts held would pass the
    // limit.
    HeldSets::Part readPart(const HeldSets& held, const MemberAccess& access) {
        HeldSets::Part part{access.name, access.label, access.chain, {}, 0, std::nullopt};
        try {
            part.bytes = access.open()->read(0, kMaxSetPartBytes + 1);
            part.size = part.bytes.size();
            if (part.size > kMaxSetPartBytes) {
                part.bytes.resize(16);
                part.bytes.shrink_to_fit();
            } else if (held.bytes + part.size > kMaxHeldSetBytes) {
                part.error = Error(err::OutOfMemory,
                                   describeError(err::OutOfMemory) +
                                       " (not held: the set parts of the archive pass 64 MiB)");
                part.bytes = std::string();
            }
        } catch (const Error& e) {
            part.error = e;
        } catch (const std::bad_alloc&) {
            part.error = Error(err::OutOfMemory, describeError(err::OutOfMemory));
        }
        return part;
    }

    // Once the archive's members are all seen: each set visited as its
    // lowest part that could be held, the others opened through it. False
    // stops.
    bool readSets(HeldSets& held, int depth) {
        for (HeldSets::Set& set : held.sets) {
            if (!choice_.only.empty() &&
                (!lastWanted(depth) ||
                 std::none_of(set.parts.begin(), set.parts.end(),
                              [&](const auto& p) { return p.second.name == choice_.only.back(); })))
                continue;
            std::vector<std::string> labels;
            for (const auto& [number, part] : set.parts)
                labels.push_back(part.label);
            auto head = std::find_if(set.parts.begin(), set.parts.end(),
                                     [](const auto& p) { return !p.second.error; });
            if (head == set.parts.end())
                head = set.parts.begin();
            auto take = [](const HeldSets::Part& part) -> std::unique_ptr<ByteSource> {
                if (part.error)
                    throw *part.error;
                return std::make_unique<HeldPart>(part.bytes, part.size);
            };
            const ByteOpener open = [&] { return take(head->second); };
            const SiblingOpener siblings = [&](const std::string& fileName) {
                for (const auto& [number, part] : set.parts)
                    if (part.name == set.folder + fileName)
                        return take(part);
                raise(err::FileNotFound, fileName);
            };
            HeldSets::Part& first = head->second;
            MemberAccess access{first.name, first.label, first.chain, first.name,
                                open,       listings_,   budget_};
            access.siblings = &siblings;
            access.setParts = &labels;
            ++visited_;
            if (!visitor_.visit(access))
                return false;
        }
        return true;
    }

    // Visits the member, holds it as a part of a set, or reads it as an
    // archive in turn. False stops.
    bool handle(const Level& level, MemberAccess& access,
                const std::function<ArchiveInput()>& archiveBytes, HeldSets& held) {
        visitedLast_ = false;
        if (budget_.spent())
            return false;
        if (!opensAsArchive(access.name, level.depth)) {
            if (const auto set = setOf(access.name); set && !access.passOver && !access.refused)
                return hold(held, access, *set);
            ++visited_;
            visitedLast_ = true;
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

    // Read by libarchive; false when it refused the archive, `soFar` then
    // holding the members it handed over that stand.
    bool inProcess(const Level& level, ReadSoFar& soFar, HeldSets& held, bool& more) {
        const Outcome read = ReadArchive(
            level.input,
            [&](const std::string& name) {
                if (fits(name, level.depth))
                    return true;
                visitor_.passed(name);
                return false;
            },
            [&](const ArchiveMember& member) {
                const std::string label = MemberLabel(member.name(), level.label);
                std::vector<std::string> chain = level.chain;
                chain.push_back(member.name());
                const ByteOpener open = [&member] { return member.open(); };
                MemberAccess access{member.name(), label,     chain,  member.name(),
                                    open,          listings_, budget_};
                if (member.tooLarge())
                    access.refused = tooLarge(label);
                more = handle(
                    level, access,
                    [&] {
                        return ArchiveInput{member.name(), &member.inflateAll()};
                    },
                    held);
                // A damaged member visited is read again by the outside
                // archiver; a damaged archive inside, or set part held, is
                // said as such where it is reported.
                if (member.damaged() && visitedLast_) {
                    --visited_;
                    visitor_.forgetLast();
                } else {
                    soFar.add(member.name());
                }
                return more;
            },
            &budget_);
        return read.ok();
    }

    // The reading stopped at the visitor's word, not for the budget (what is
    // held is then still read).
    bool stopped(bool more) const { return !more && !budget_.spent(); }

    // The archiver's switches for the member `only`, and for the other
    // parts of its set when it is the member wanted last.
    std::vector<std::string> onlySwitches(const std::string& only, int depth) const {
        std::vector<std::string> switches = ExactSwitches(only);
        const auto set = lastWanted(depth) ? setOf(only) : std::nullopt;
        if (!set || switches.empty())
            return switches;
        for (int part = 1; part <= set->second.format->fileSet->mostParts; ++part) {
            const std::string name =
                set->first + set->second.format->fileSet->partName(FileNameOf(only), part);
            if (name != only)
                for (std::string& s : ExactSwitches(name))
                    switches.push_back(std::move(s));
        }
        return switches;
    }

    // Listed and unpacked by the outside archiver into a fresh folder.
    void withArchiver(const Level& level, const std::string& file, const ErrorTrap& trap,
                      const ReadSoFar& soFar, HeldSets& held, bool& more) {
        const std::string* only = wanted(level.depth);
        const std::string patterns = only != nullptr || choice_.patterns.empty()
                                         ? std::string()
                                         : choice_.patterns + ";" + upperAscii(kArchivePatterns);
        const std::vector<std::string> switches =
            only != nullptr ? onlySwitches(*only, level.depth) : PatternSwitches(patterns);
        std::vector<ListedMember> listed;
        if (!trap.runOnFile(kArchiveProcedure, level.label,
                            [&] { listed = ListArchiveFiles(tools_, file, switches).take(); }))
            return;
        // The member wanted, and the other parts of its set.
        if (only != nullptr)
            std::erase_if(listed,
                          [&](const ListedMember& m) { return !fits(m.name, level.depth); });
        const Plan p = plan(listed, nullptr, soFar);
        if (p.read.empty())
            return;
        const std::string workFolder = tools_.tempPath("WKCBMZip");
        // The extraction folder goes whatever happens below.
        const RemoveOnExit cleanup(workFolder, RemoveOnExit::Kind::FolderTree);
        Unpacking unpacked;
        if (!trap.runOnFile(kArchiveProcedure, level.label, [&] {
                unpacked =
                    ExtractArchiveFiles(tools_, file, switches, p.excluded, workFolder, p.cap)
                        .take();
            }))
            return;
        if (tools_.cancel != nullptr && *tools_.cancel)
            return;
        if (unpacked.stopped)
            trap.runOnFile(kArchiveProcedure, level.label, [] {
                raise(err::OutOfMemory, "7z stopped: it unpacked more than the listed sizes, or "
                                        "over 64 MiB of one member");
            });
        const std::string why = unpacked.stopped           ? "7z was stopped"
                                : unpacked.failure.empty() ? "7z left it out"
                                                           : unpacked.failure;
        visitor_.counted(p.read.size(), level.label);
        const std::vector<std::string> found = findUnpacked(p, workFolder);
        for (std::size_t i = 0; i < p.read.size(); ++i) {
            const ListedMember& m = *p.read[i];
            const std::string memberPath = TrailingSlash(workFolder) + found[i];
            const std::string label = MemberLabel(m.name, level.label);
            std::vector<std::string> chain = level.chain;
            chain.push_back(m.name);
            const ByteOpener open = [&memberPath] {
                return std::make_unique<FileByteSource>(memberPath);
            };
            MemberAccess access{m.name, label, chain, memberPath, open, listings_, budget_};
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
            more = handle(
                level, access,
                [&] {
                    return ArchiveInput{memberPath, nullptr};
                },
                held);
            if (inside) {
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
    bool visitedLast_ = false; // the member just handled was visited as it is
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

MemberTaker::MemberTaker(const std::string& patterns)
    : every_(patterns.empty()), patterns_(patterns) {}

namespace {
const FilePatterns& archivePatterns() {
    static const FilePatterns archives(kArchivePatterns);
    return archives;
}
} // namespace

bool MemberTaker::seesShapes() const {
    return every_ || (patterns_.seesShapes() && archivePatterns().seesShapes());
}

std::string MemberShape(std::string_view name) {
    std::string shape;
    for (std::size_t start = 0; start <= name.size();) {
        const std::size_t end = std::min(name.find('/', start), name.size());
        if (start > 0)
            shape += '/';
        shape += NameShape(name.substr(start, end - start));
        start = end + 1;
    }
    return shape;
}

bool MemberTaker::operator()(std::string_view name) const {
    const FilePatterns& archives = archivePatterns();
    if (every_ || archives.fits(name.substr(name.find_last_of('/') + 1)))
        return true;
    // Its file name, or the name of a folder it lies in (MemberFits).
    for (std::size_t start = 0; start < name.size();) {
        const std::size_t end = std::min(name.find('/', start), name.size());
        if (end > start && patterns_.fits(name.substr(start, end - start)))
            return true;
        start = end + 1;
    }
    return false;
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
