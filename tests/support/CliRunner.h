#pragma once
// Runs the built quillsift-cli and captures what it prints.
#include <string>
#include <utility>
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
    // gets one `signal` (SIGINT, as from Ctrl-C, when none is given).
    std::string interruptWhen;
    // Further environment variables (an empty value removes one), and the
    // folder the program starts in (empty: the test's own).
    std::vector<std::pair<std::string, std::string>> vars = {};
    std::string folder = {};
    // When set: the largest file the program may write (RLIMIT_FSIZE); a
    // larger write ends it with SIGXFSZ.
    unsigned long fileSizeLimit = 0;
    int signal = 0;
    // Where standard output goes: the captured file, /dev/full, nowhere (closed),
    // or a pipe nobody reads (closed at its other end).
    enum class Out { Captured, Full, Closed, BrokenPipe } out = Out::Captured;
    // When set: the program is killed (SIGKILL) this many milliseconds after
    // it started.
    int killAfterMs = 0;
};

// Arguments are passed without a shell; QS_BIN_DIR names the application folder.
CliRun runCli(const std::vector<std::string>& args, const CliEnv& env = {});
// The same for another program of the application folder.
CliRun runProgram(const std::string& name, const std::vector<std::string>& args,
                  const CliEnv& env = {});
// The expected output file `name` of QS_CLI_EXPECTED_DIR with "@ROOT@" as
// `root`. With QS_WRITE_EXPECTED set in the environment, `actual` (its root
// put back as "@ROOT@") is written there first: how expected outputs are
// made anew after a change that means to change them (look at the diff).
std::string expectedOutput(const std::string& dir, const std::string& name, const std::string& root,
                           const std::string& actual);

// Arguments for a search of everything: every format of the table, entry
// type and SID field, archives, subfolders, all names; then `more`.
std::vector<std::string> searchAll(const std::vector<std::string>& more);

} // namespace qs::test
