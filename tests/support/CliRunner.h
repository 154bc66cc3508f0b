#pragma once
// Runs the built quillsift-cli and captures what it prints.
#include <string>
#include <vector>

namespace qs::test {

struct CliRun {
    std::string out;
    std::string err;
    int status = -1;
};

// Arguments are passed without a shell; QS_BIN_DIR names the application folder.
CliRun runCli(const std::vector<std::string>& args);

} // namespace qs::test
