#include "search/MemberFiles.h"

#include "common/Files.h"
#include "tools/ArchiveReader.h"
#include "tools/ToolRunner.h"

#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace qs {

std::string MemberLabel(const std::string& member, const std::string& archivePath) {
    return member + " in " + archivePath;
}

std::string MemberListingRunner::listing(ListingProgram program, const std::string& path) const {
    const auto dot = path.find_last_of('.');
    const std::string file =
        env_.tempPath("member" + (dot == std::string::npos ? "" : path.substr(dot)));
    const RemoveOnExit remove(file, RemoveOnExit::Kind::File);
    if (!member_.writeTo(file))
        return {};
    return ToolListingRunner(env_).listing(program, file);
}

MemberState ExtractedMemberState(const std::string& workFolder, const std::string& memberPath) {
    struct stat st {};
    if (::lstat(memberPath.c_str(), &st) != 0)
        return MemberState::Missing;
    if (!S_ISREG(st.st_mode))
        return MemberState::Outside;
    std::error_code ec;
    const std::string folder = TrailingSlash(fs::canonical(workFolder, ec).string());
    const std::string file = fs::canonical(memberPath, ec).string();
    return !ec && file.rfind(folder, 0) == 0 ? MemberState::Inside : MemberState::Outside;
}

} // namespace qs
