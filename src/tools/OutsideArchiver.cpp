#include "tools/OutsideArchiver.h"

#include "common/Files.h"
#include "common/Text.h"
#include "tools/ToolRunner.h"

#include <filesystem>
#include <optional>

namespace qs {

namespace fs = std::filesystem;

namespace {

const std::string kSeparator = " ------------";
// Member names start at this 1-based column of a listing line.
constexpr std::size_t kNameColumn = 54;

bool containsAfterFirst(const std::string& line, const std::string& part) {
    const auto at = line.find(part);
    return at != std::string::npos && at > 0;
}

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

} // namespace

std::vector<std::string> ArchiveListArguments(const std::string& archivePath,
                                              const std::string& patterns) {
    std::vector<std::string> args{"l", archivePath, "-y"};
    if (!patterns.empty()) {
        std::size_t start = 0;
        for (;;) {
            const std::size_t end = patterns.find(';', start);
            args.push_back("-ir!" + patterns.substr(start, end == std::string::npos
                                                               ? std::string::npos
                                                               : end - start));
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
    }
    args.push_back("-ssc-");
    return args;
}

std::vector<std::string> ArchiveExtractArguments(const std::string& archivePath,
                                                 const std::string& workFolder,
                                                 const std::string& listFilePath) {
    return {"x", archivePath, "-y", "-o" + workFolder, "@" + listFilePath, "-ssc-"};
}

int ParseArchiveListing(const std::string& listing, std::vector<std::string>& memberNames) {
    if (containsAfterFirst(listing, "is not supported archive"))
        return -1;
    memberNames.clear();
    bool inTable = false;
    for (const std::string& line : SplitLines(listing, CrRule::Drop)) {
        const bool separator = containsAfterFirst(line, kSeparator);
        if (!inTable) {
            inTable = separator;
            continue;
        }
        if (separator)
            break;
        memberNames.push_back(
            trimBlanks(line.size() >= kNameColumn ? line.substr(kNameColumn - 1) : ""));
    }
    return static_cast<int>(memberNames.size());
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

Result<std::vector<std::string>>
ListArchiveFiles(const ToolEnv& env, const std::string& archivePath, const std::string& patterns) {
    const Failure notAnArchive{err::PathFileAccess, "not an archive 7z can read"};
    const ArchiveArgument archive(env, archivePath);
    Result<ToolOutput> run =
        RunTool(&env, OutsideTool::Archiver, ArchiveListArguments(archive.path, patterns),
                "tmpZiplist.txt", true);
    if (!run)
        return run.failure();
    const ToolOutput& listing = run.value();
    // A file the archiver cannot open as an archive fails with its own words.
    if (listing.status != 0 &&
        upperAscii(listing.reason).find("IS NOT ARCHIVE") != std::string::npos)
        return notAnArchive;
    if (std::optional<Failure> failed = StatusFailure(OutsideTool::Archiver, listing))
        return *failed;
    std::vector<std::string> names;
    if (ParseArchiveListing(listing.text, names) < 0)
        return notAnArchive;
    return names;
}

void WriteListFile(const std::string& listFilePath, const std::vector<std::string>& memberNames) {
    std::string text;
    for (const std::string& name : memberNames)
        text += name + "\r\n";
    WriteWholeFile(listFilePath, text).orRaise();
}

void ExtractArchiveFiles(const ToolEnv& env, const std::string& archivePath,
                         const std::vector<std::string>& memberNames,
                         const std::string& workFolder) {
    CreateFolderPath(workFolder).orRaise();
    std::vector<std::string> safe;
    for (const std::string& name : memberNames)
        if (IsSafeMemberName(name))
            safe.push_back(name);
    const std::string listFile = env.tempPath("tmpListFile.txt");
    WriteListFile(listFile, safe);
    const RemoveOnExit remove(listFile, RemoveOnExit::Kind::File);
    const ArchiveArgument archive(env, archivePath);
    RunToolUnread(&env, OutsideTool::Archiver,
                  ArchiveExtractArguments(archive.path, workFolder, listFile),
                  "resultsoutputzip.txt");
}

} // namespace qs
