#include "CliRunner.h"

#include "TempDir.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qs::test {

CliRun runCli(const std::vector<std::string>& args) {
    const char* bin = std::getenv("QS_BIN_DIR");
    const std::string program = std::string(bin ? bin : "bin") + "/quillsift-cli";
    TempDir capture;
    const std::string outPath = capture.str() + "/out", errPath = capture.str() + "/err";
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int in = ::open("/dev/null", O_RDONLY);
        ::dup2(out, 1);
        ::dup2(err, 2);
        ::dup2(in, 0);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    CliRun run;
    run.out = readFile(outPath);
    run.err = readFile(errPath);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

} // namespace qs::test
