#pragma once
// A search over a fake front end with its own private temporary folder and
// the build's application folder, and the shell helpers of the tool tests.
#include "FakeSink.h"
#include "TempDir.h"
#include "common/Files.h"
#include "search/Search.h"

#include <atomic>
#include <string>
#include <vector>

namespace qs::test {

// The build's application folder (c1541, tape64), from QS_BIN_DIR.
std::string BinFolder();
// Whether a 7z archiver is on PATH.
bool haveArchiver();

// The formats of these captions.
FormatSet formatsOf(const std::vector<std::string>& captions);
// An extension of the format's files, lower case ("p00" for "P??").
std::string extensionOf(const ContainerFormat& format);
// A name of the format's files: `stem` with its extension, or standing in its
// first name pattern ("1!stem.x"); for a set, the name of its part `part`.
std::string fileNameOf(const ContainerFormat& format, const std::string& stem, int part = 1);

struct ToolSession {
    explicit ToolSession(std::string toolFolder = BinFolder(), int timeoutSeconds = 60);
    FakeSink view;
    PrivateTempFolder temp;
    SearchSetup setup;
    SearchRequest request;
    AnalysisRecords records;
    SearchOutcome lastOutcome;
    std::atomic<bool> stop{false};

    // Runs the reader of the format `tag` on a file as the dispatcher would,
    // on fresh records, with our c1541 and tape64 for what they list.
    void read(const char* tag, const std::string& path);
    // Searches `folder` and its subfolders, archives included, for `find` in
    // files of the formats with these captions.
    void search(const std::string& folder, const std::string& find,
                const std::vector<std::string>& types);
    // Names left in the temporary folder.
    std::vector<std::string> leftovers() const;
    // The texts of the messages shown, `archive` named "@".
    std::vector<std::string> said(const std::string& archive = "@") const;
};

// Runs a shell command line; answers its exit status.
int shell(const std::string& commandLine);
// Quotes a word for the shell.
std::string quoted(const std::string& word);
// Writes an executable shell script and answers its path.
std::string writeScript(const TempDir& dir, const std::string& name, const std::string& body);

} // namespace qs::test
