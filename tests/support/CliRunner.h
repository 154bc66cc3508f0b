#pragma once
// Runs the built quillsift-cli and captures what it prints.
#include <string>
#include <vector>

namespace qs::test {

struct CliRun {
    std::string out;
    std::string err;
    int status = -1;  // -1: ended by a signal
    long peakKiB = 0; // the program's largest resident size
};

struct CliEnv {
    const char* path = nullptr; // PATH for the program, when set
    // When set: as soon as this file exists (a tool has started), the program
    // gets one SIGINT, as from Ctrl-C.
    std::string interruptWhen;
    // When set: the largest file the program may write (RLIMIT_FSIZE); a
    // larger write ends it with SIGXFSZ.
    unsigned long fileSizeLimit = 0;
};

// Arguments are passed without a shell; QS_BIN_DIR names the application folder.
CliRun runCli(const std::vector<std::string>& args, const CliEnv& env = {});

} // namespace qs::test
