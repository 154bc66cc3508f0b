#include "ToolSession.h"

#include "search/SearchDriver.h"
#include "tools/ToolRunner.h"

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>

namespace qs::test {

std::string BinFolder() {
    // ctest says where; run by hand, the tests sit in build/tests next to build/bin.
    const char* dir = std::getenv("QS_BIN_DIR");
    return dir != nullptr ? TrailingSlash(dir) : ApplicationFolder() + "../bin/";
}

bool haveArchiver() {
    return !FindTool("", OutsideTool::Archiver).empty();
}

ToolSession::ToolSession(std::string toolFolder, int timeoutSeconds)
    : session(view,
              ToolEnv{std::move(toolFolder), temp.path(), std::chrono::seconds(timeoutSeconds)},
              "") {
    // The archive searches run twice: archives read in process, and (with
    // this set by ctest) every archive through the outside archiver.
    session.externalArchiver = std::getenv("QS_EXTERNAL_ARCHIVER") != nullptr;
}

void ToolSession::read(Reader reader, const std::string& path) {
    ReaderContext ctx = session.readerContext();
    session.records.reset();
    reader(ctx, path);
}

void ToolSession::search(const std::string& folder, const std::string& find,
                         const std::vector<std::string>& types) {
    view.opts.startFolder = folder;
    view.opts.findStr = find;
    view.opts.saveFile = false;
    view.opts.recurse = true;
    view.opts.zip.value = 1;
    tickOnly(view.opts.fileTypes, types);
    StartButtonClick(session);
}

std::vector<std::string> ToolSession::leftovers() const {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(temp.path(), ec))
        names.push_back(entry.path().filename().string());
    return names;
}

int shell(const std::string& commandLine) {
    const int status = std::system(commandLine.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string quoted(const std::string& word) {
    std::string out = "'";
    for (char c : word)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string writeScript(const TempDir& dir, const std::string& name, const std::string& body) {
    const std::string path = dir.write(name, "#!/bin/sh\n" + body + "\n");
    ::chmod(path.c_str(), 0755);
    return path;
}

} // namespace qs::test
