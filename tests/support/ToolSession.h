#pragma once
// A search session over a fake window with its own private temporary folder
// and the build's application folder, and the shell helpers of the tool tests.
#include "FakeView.h"
#include "TempDir.h"
#include "common/Files.h"
#include "search/Session.h"

#include <string>
#include <vector>

namespace qs::test {

// The build's application folder (c1541, tape64), from QS_BIN_DIR.
std::string BinFolder();
// Whether a 7z archiver is on PATH.
bool haveArchiver();

struct ToolSession {
    explicit ToolSession(std::string toolFolder = BinFolder(), int timeoutSeconds = 60);
    FakeView view;
    PrivateTempFolder temp;
    Session session;

    // Runs one reader on a file as the dispatcher would, on fresh records.
    void read(Reader reader, const std::string& path);
    // Searches `folder` and its subfolders, archives included, for `find` in files of `types`.
    void search(const std::string& folder, const std::string& find,
                const std::vector<std::string>& types);
    // Names left in the temporary folder.
    std::vector<std::string> leftovers() const;
};

// Runs a shell command line; answers its exit status.
int shell(const std::string& commandLine);
// Quotes a word for the shell.
std::string quoted(const std::string& word);
// Writes an executable shell script and answers its path.
std::string writeScript(const TempDir& dir, const std::string& name, const std::string& body);

} // namespace qs::test
