#pragma once
// Runs the built quillsift-cli and captures what it prints.
#include <string>
#include <vector>

namespace qs::test {

struct CliRun {
    std::string out;
    std::string err;
    int status = -1; // -1: ended by a signal
};

struct CliEnv {
    const char* path = nullptr; // PATH for the program, when set
    // When set: as soon as this file exists (a tool has started), the program
    // gets one SIGINT, as from Ctrl-C.
    std::string interruptWhen;
};

// Arguments are passed without a shell; QS_BIN_DIR names the application folder.
CliRun runCli(const std::vector<std::string>& args, const CliEnv& env = {});

} // namespace qs::test
