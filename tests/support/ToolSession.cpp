#include "ToolSession.h"

#include "common/Text.h"
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

FormatSet formatsOf(const std::vector<std::string>& captions) {
    FormatSet set;
    for (const std::string& caption : captions)
        if (const ContainerFormat* f = FormatByCaption(caption))
            set.add(*f);
    return set;
}

std::string extensionOf(const ContainerFormat& format) {
    std::string ext(format.extensions.front());
    for (char& c : ext)
        c = c == '?' ? '0' : static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return ext;
}

std::string fileNameOf(const ContainerFormat& format, const std::string& stem, int part) {
    if (format.namePatterns.empty())
        return stem + "." + extensionOf(format);
    std::string name;
    for (char c : format.namePatterns.front())
        name += c == '%' ? stem : c == '?' ? "1" : c == '*' ? "x" : std::string(1, c);
    return format.fileSet ? format.fileSet->partName(name, part) : name;
}

ToolSession::ToolSession(std::string toolFolder, int timeoutSeconds)
    : setup{std::move(toolFolder), temp.path(), ""} {
    request.toolTimeout = std::chrono::seconds(timeoutSeconds);
    // The archive searches run twice: archives read in process, and (with
    // this set by ctest) every archive through the outside archiver.
    request.externalArchiver = std::getenv("QS_EXTERNAL_ARCHIVER") != nullptr;
}

void ToolSession::read(const char* tag, const std::string& path) {
    const ErrorLog log("");
    const ErrorTrap trap(view, log);
    const ToolEnv tools{setup.toolFolder, setup.tempFolder, request.toolTimeout};
    const ToolListingRunner listings(tools);
    ReadContainer(
        *FormatByTag(tag), records, trap, path,
        [&] { return std::make_unique<FileByteSource>(path); }, &listings);
}

void ToolSession::search(const std::string& folder, const std::string& find,
                         const std::vector<std::string>& types) {
    request.folder = folder;
    request.pattern = find;
    request.saveResults = false;
    request.recurse = true;
    request.archives = true;
    request.formats = formatsOf(types);
    stop = false;
    lastOutcome = SearchEngine(setup).Search(request, view, StopToken(stop));
}

std::vector<std::string> ToolSession::leftovers() const {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(temp.path(), ec))
        names.push_back(entry.path().filename().string());
    return names;
}

std::vector<std::string> ToolSession::said(const std::string& archive) const {
    std::vector<std::string> texts;
    for (const ShownMessage& m : view.messages)
        texts.push_back(replaceAll(m.text, archive, "@"));
    return texts;
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
