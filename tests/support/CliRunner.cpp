#include "CliRunner.h"

#include "TempDir.h"
#include "media/Formats.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace qs::test {

std::string expectedOutput(const std::string& dir, const std::string& name, const std::string& root,
                           const std::string& actual) {
    const std::string path = dir + "/" + name;
    auto swap = [](std::string text, const std::string& from, const std::string& to) {
        for (auto at = text.find(from); !from.empty() && at != std::string::npos;
             at = text.find(from, at + to.size()))
            text.replace(at, from.size(), to);
        return text;
    };
    if (std::getenv("QS_WRITE_EXPECTED") != nullptr) {
        std::ofstream(path, std::ios::binary) << swap(actual, root, "@ROOT@");
    }
    std::error_code ec;
    return std::filesystem::exists(path, ec) ? swap(readFile(path), "@ROOT@", root) : "";
}

CliRun runCli(const std::vector<std::string>& args, const CliEnv& env) {
    return runProgram("quillsift-cli", args, env);
}

CliRun runProgram(const std::string& name, const std::vector<std::string>& args,
                  const CliEnv& env) {
    const char* bin = std::getenv("QS_BIN_DIR");
    const std::string program =
        std::filesystem::absolute(std::string(bin ? bin : "bin") + "/" + name).string();
    TempDir capture;
    const std::string outPath = capture.str() + "/out", errPath = capture.str() + "/err";
    int unread[2] = {-1, -1};
    if (env.out == CliEnv::Out::BrokenPipe && ::pipe(unread) == 0)
        ::close(unread[0]);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (env.out == CliEnv::Out::Captured)
            ::dup2(::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
        else if (env.out == CliEnv::Out::Full)
            ::dup2(::open("/dev/full", O_WRONLY), 1);
        else if (env.out == CliEnv::Out::BrokenPipe)
            ::dup2(unread[1], 1);
        // As a shell leaves it for the program: a broken pipe is a signal.
        ::signal(SIGPIPE, SIG_DFL);
        ::dup2(::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
        ::dup2(::open("/dev/null", O_RDONLY), 0);
        if (env.out == CliEnv::Out::Closed)
            ::close(1);
        if (env.fileSizeLimit != 0) {
            const rlimit limit{env.fileSizeLimit, env.fileSizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (env.path != nullptr)
            ::setenv("PATH", env.path, 1);
        for (const auto& [var, value] : env.vars) {
            if (value.empty())
                ::unsetenv(var.c_str());
            else
                ::setenv(var.c_str(), value.c_str(), 1);
        }
        if (!env.folder.empty() && ::chdir(env.folder.c_str()) != 0)
            ::_exit(126);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    if (!env.interruptWhen.empty()) {
        for (int i = 0; i < 1000 && !std::filesystem::exists(env.interruptWhen); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ::kill(pid, env.signal != 0 ? env.signal : SIGINT);
    }
    if (unread[1] >= 0)
        ::close(unread[1]);
    if (env.killAfterMs > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(env.killAfterMs));
        ::kill(pid, SIGKILL);
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    return {readFile(outPath), readFile(errPath), WIFEXITED(status) ? WEXITSTATUS(status) : -1,
            usage.ru_maxrss};
}

std::vector<std::string> searchAll(const std::vector<std::string>& more) {
    std::string types;
    for (const ContainerFormat& f : ContainerFormats())
        types += (types.empty() ? "" : ",") + std::string(f.caption);
    std::vector<std::string> args{"-r",          "-z",
                                  "--file-name", "--container-name",
                                  "-t",          types,
                                  "-c",          "PRG,DEL,SEQ,USR,REL,CBM,SCR,Others",
                                  "--sid",       "name,author,copyright"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

} // namespace qs::test
