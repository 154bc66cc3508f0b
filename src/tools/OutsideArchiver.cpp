#include "tools/OutsideArchiver.h"

#include "common/Files.h"
#include "common/Text.h"
#include "tools/ArchiveReader.h"
#include "tools/ToolRunner.h"

#include <algorithm>
#include <filesystem>
#include <optional>

namespace qs {

namespace fs = std::filesystem;

namespace {

// The line between the archive's own properties and its members.
const std::string kMembersStart = "----------";

// The archiver reads "*" and "?" in an archive's name as wildcards and would
// open every archive they fit; such an archive is handed over through a link
// with a plain name in the temporary folder.
struct ArchiveArgument {
    ArchiveArgument(const ToolEnv& env, const std::string& archivePath) : path(archivePath) {
        if (archivePath.find_first_of("*?") == std::string::npos || env.tempFolder.empty())
            return;
        const std::string name = FileNameOf(archivePath);
        const auto dot = name.find_last_of('.');
        const std::string linkPath =
            env.tempPath("tmpArchive" + (dot == std::string::npos ? "" : name.substr(dot)));
        std::error_code ec;
        const fs::path target = fs::absolute(archivePath, ec);
        if (ec)
            return;
        fs::remove(linkPath, ec);
        fs::create_symlink(target, linkPath, ec);
        if (ec)
            return;
        path = linkPath;
        link.emplace(linkPath, RemoveOnExit::Kind::File);
    }
    std::string path;
    std::optional<RemoveOnExit> link;
};

// A Unix mode in a member's attributes ("A -rw-r--r--", "D drwxr-xr-x"):
// its first letter, or none.
char unixKind(const std::string& attributes) {
    std::size_t start = 0;
    while (start < attributes.size()) {
        std::size_t end = attributes.find(' ', start);
        if (end == std::string::npos)
            end = attributes.size();
        if (end - start == 10 && attributes.find_first_not_of("-rwxsStTdlcbp", start) >= end)
            return attributes[start];
        start = end + 1;
    }
    return '\0';
}

// The folder's files, links not followed: whether one passes the member cap
// or all of them together pass `cap`.
bool folderWithinCap(const std::string& folder, std::uint64_t cap) {
    std::uint64_t total = 0;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, fs::directory_options::none, ec), end;
         !ec && it != end; it.increment(ec)) {
        if (it->symlink_status(ec).type() != fs::file_type::regular)
            continue;
        const std::uint64_t size = it->file_size(ec);
        if (ec)
            continue;
        total += size;
        if (size > kMaxMemberBytes || total > cap)
            return false;
    }
    return true;
}

} // namespace

std::vector<std::string> PatternSwitches(const std::string& patterns) {
    std::vector<std::string> switches;
    if (patterns.empty())
        return switches;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = patterns.find(';', start);
        switches.push_back("-ir!" + patterns.substr(start, end == std::string::npos
                                                               ? std::string::npos
                                                               : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return switches;
}

std::vector<std::string> ExactSwitches(const std::string& name) {
    if (name.find_first_of("*?") != std::string::npos)
        return {};
    return {"-i!" + name};
}

std::vector<std::string> ArchiveListArguments(const std::string& archivePath,
                                              const std::vector<std::string>& choice) {
    std::vector<std::string> args{"l", "-slt", archivePath, "-y"};
    args.insert(args.end(), choice.begin(), choice.end());
    args.push_back("-ssc-");
    return args;
}

std::vector<std::string> ArchiveExtractArguments(const std::string& archivePath,
                                                 const std::vector<std::string>& choice,
                                                 const std::vector<std::string>& excluded,
                                                 const std::string& workFolder) {
    // -p-: a wrong password, so that an encrypted member fails alone instead
    // of waiting for one on standard input; -aou: a name used twice is kept
    // twice, the second renamed.
    std::vector<std::string> args{"x", archivePath, "-y", "-p-", "-aou", "-o" + workFolder};
    args.insert(args.end(), choice.begin(), choice.end());
    for (const std::string& name : excluded)
        args.push_back("-x!" + name);
    args.push_back("-ssc-");
    return args;
}

std::optional<std::vector<ListedMember>> ParseArchiveListing(const std::string& listing) {
    std::vector<std::string> lines = SplitLines(listing, CrRule::Drop);
    // The empty "line" after the last line end is none.
    if (!lines.empty() && lines.back().empty())
        lines.pop_back();
    auto line = std::find(lines.begin(), lines.end(), kMembersStart);
    if (line == lines.end())
        return std::nullopt;
    std::vector<ListedMember> members;
    bool inMember = false;
    for (++line; line != lines.end(); ++line) {
        if (line->empty()) {
            inMember = false;
            continue;
        }
        const auto equals = line->find(" = ");
        const std::string key = line->substr(0, equals);
        // The value as it stands: a name may begin or end with blanks.
        const std::string value = equals == std::string::npos ? "" : line->substr(equals + 3);
        if (key == "Path") {
            members.emplace_back().name = value;
            inMember = true;
        } else if (!inMember) {
            continue;
        } else if (key == "Size" && !value.empty() &&
                   value.find_first_not_of("0123456789") == std::string::npos) {
            members.back().size = std::stoull(value);
        } else if (key == "Encrypted") {
            members.back().encrypted = value == "+";
        } else if (key == "Folder") {
            members.back().folder = members.back().folder || value == "+";
        } else if (key == "Attributes") {
            const char kind = unixKind(value);
            members.back().folder = members.back().folder || kind == 'd' || value.starts_with("D");
            members.back().special = kind != '\0' && kind != '-' && kind != 'd';
        }
    }
    // Each member's block ends with an empty line: one that did not was cut.
    if (inMember)
        return std::nullopt;
    return members;
}

bool IsSafeMemberName(const std::string& name) {
    if (name.empty() || name.front() == '/')
        return false;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find('/', start);
        if (end == std::string::npos)
            end = name.size();
        if (name.compare(start, end - start, "..") == 0)
            return false;
        start = end + 1;
    }
    return true;
}

Result<std::vector<ListedMember>> ListArchiveFiles(const ToolEnv& env,
                                                   const std::string& archivePath,
                                                   const std::vector<std::string>& choice) {
    const Failure notAnArchive{err::PathFileAccess, "not an archive 7z can read"};
    const ArchiveArgument archive(env, archivePath);
    Result<ToolOutput> run =
        RunTool(&env, OutsideTool::Archiver, ArchiveListArguments(archive.path, choice));
    if (!run)
        return run.failure();
    const ToolOutput& listing = run.value();
    if (listing.cancelled)
        return std::vector<ListedMember>{};
    // A file the archiver cannot open as an archive fails with its own words.
    if (listing.status != 0 &&
        upperAscii(listing.reason).find("IS NOT ARCHIVE") != std::string::npos)
        return notAnArchive;
    if (std::optional<Failure> failed = StatusFailure(OutsideTool::Archiver, listing))
        return *failed;
    std::optional<std::vector<ListedMember>> members = ParseArchiveListing(listing.text);
    if (!members)
        return Failure{err::PathFileAccess, "7z gave no complete listing"};
    return std::move(*members);
}

Result<Unpacking> ExtractArchiveFiles(const ToolEnv& env, const std::string& archivePath,
                                      const std::vector<std::string>& choice,
                                      const std::vector<std::string>& excluded,
                                      const std::string& workFolder, std::uint64_t cap) {
    if (const Outcome made = CreateFolderPath(workFolder); !made)
        return made.failure();
    const ArchiveArgument archive(env, archivePath);
    bool overCap = false;
    Result<ToolOutput> run =
        RunTool(&env, OutsideTool::Archiver,
                ArchiveExtractArguments(archive.path, choice, excluded, workFolder), false,
                [&] { return !(overCap = !folderWithinCap(workFolder, cap)); });
    if (!run)
        return run.failure();
    Unpacking unpacking;
    // One last look: the archiver may have ended between two.
    unpacking.stopped = overCap || !folderWithinCap(workFolder, cap);
    if (!unpacking.stopped && !run.value().cancelled)
        if (std::optional<Failure> failed = StatusFailure(OutsideTool::Archiver, run.value()))
            unpacking.failure = failed->detail;
    return unpacking;
}

} // namespace qs
