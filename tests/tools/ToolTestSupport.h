#pragma once
// Shared by the tool tests: a session over a fake window with its own private
// temporary folder and the build's application folder, and small helpers.
#include "FakeView.h"
#include "TempDir.h"
#include "common/modGeneral.h"
#include "search/Session.h"

#include <string>
#include <vector>

namespace qs::test {

// The build's application folder (c1541, tape64), from QS_BIN_DIR.
std::string BinFolder();

struct ToolSession {
    explicit ToolSession(std::string toolFolder = BinFolder(), int timeoutSeconds = 60);
    FakeView view;
    PrivateTempFolder temp;
    Session session;

    // Runs one reader on a file as the dispatcher would, on fresh records.
    void read(Reader reader, const std::string& path);
    // The valid named entries as "NAME|type|blocks", "<" added when locked.
    std::vector<std::string> entryKeys() const;
    // Names left in the temporary folder.
    std::vector<std::string> leftovers() const;
};

// Runs a shell command line (tests only); answers its exit status.
int shell(const std::string& commandLine);
// Quotes a word for the shell.
std::string quoted(const std::string& word);
// Writes an executable shell script.
std::string writeScript(const TempDir& dir, const std::string& name, const std::string& body);

} // namespace qs::test
