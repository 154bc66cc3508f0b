#include "tools/ToolRunner.h"

#include "common/ByteView.h"
#include "common/Error.h"
#include "common/Files.h"
#include "common/Text.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace qs {

namespace {

// Frees the spawn descriptions whatever way the start ends.
struct SpawnSetup {
    posix_spawn_file_actions_t actions{};
    posix_spawnattr_t attr{};
    SpawnSetup() {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attr);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attr);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
};

void waitBlocking(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

bool isExecutable(const std::string& path) {
    return FileExists(path) && ::access(path.c_str(), X_OK) == 0;
}

std::string onPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    if (path == nullptr)
        return {};
    const std::string list = path;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(':', start);
        if (end == std::string::npos)
            end = list.size();
        const std::string folder = list.substr(start, end - start);
        // An empty entry would mean the current folder: never searched.
        if (!folder.empty() && isExecutable(TrailingSlash(folder) + name))
            return TrailingSlash(folder) + name;
        start = end + 1;
    }
    return {};
}

} // namespace

RunEnd ExecuteAndWait(const ToolCommand& command, const std::string& outputPath,
                      const std::string& workFolder, std::chrono::milliseconds timeout,
                      const std::atomic<bool>* cancel, int* exitStatus,
                      const std::string& errorPath) {
    SpawnSetup setup;
    posix_spawn_file_actions_addopen(&setup.actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&setup.actions, 1, outputPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (errorPath.empty())
        posix_spawn_file_actions_addopen(&setup.actions, 2, "/dev/null", O_WRONLY, 0);
    else
        posix_spawn_file_actions_addopen(&setup.actions, 2, errorPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (!workFolder.empty())
        posix_spawn_file_actions_addchdir_np(&setup.actions, workFolder.c_str());

    // Its own process group, so that the tool and its children can be killed
    // together; default signal handling and an empty mask, whatever ours are.
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int sig : {SIGINT, SIGPIPE, SIGTERM, SIGHUP, SIGCHLD})
        sigaddset(&defaults, sig);
    posix_spawnattr_setpgroup(&setup.attr, 0);
    posix_spawnattr_setsigmask(&setup.attr, &none);
    posix_spawnattr_setsigdefault(&setup.attr, &defaults);
    posix_spawnattr_setflags(&setup.attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK |
                                              POSIX_SPAWN_SETSIGDEF);

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(command.program.c_str()));
    for (const std::string& a : command.args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    pid_t pid = 0;
    if (::posix_spawn(&pid, command.program.c_str(), &setup.actions, &setup.attr, argv.data(),
                      environ) != 0)
        return RunEnd::NotStarted;

    // A limit beyond any run would overflow the clock: cap it at a year.
    const auto deadline =
        std::chrono::steady_clock::now() +
        std::min<std::chrono::milliseconds>(timeout, std::chrono::hours(24 * 365));
    auto pause = std::chrono::milliseconds(1);
    int status = 0;
    for (;;) {
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid || (r < 0 && errno != EINTR))
            break;
        const bool cancelled = cancel != nullptr && *cancel;
        if (cancelled || std::chrono::steady_clock::now() >= deadline) {
            ::kill(-pid, SIGKILL);
            waitBlocking(pid);
            return cancelled ? RunEnd::Cancelled : RunEnd::TimedOut;
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(25));
    }
    // Children left behind must not go on writing into our folder.
    ::kill(-pid, SIGKILL);
    if (exitStatus != nullptr)
        *exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return RunEnd::Exited;
}

std::string ToolEnv::tempPath(const std::string& name) const {
    // Never a file in whatever the current folder happens to be.
    if (tempFolder.empty())
        raise(err::PathNotFound, "no private temporary folder");
    static std::atomic<unsigned long> counter{0};
    const auto dot = name.find_last_of('.');
    const std::string number = "-" + std::to_string(++counter);
    return tempFolder + (dot == std::string::npos
                             ? name + number
                             : name.substr(0, dot) + number + name.substr(dot));
}

std::string InstalledToolFolder(const std::string& applicationFolder) {
    if (applicationFolder.empty())
        return {};
    const std::filesystem::path folder =
        std::filesystem::path(TrailingSlash(applicationFolder) + QUILLSIFT_TOOLS_FROM_BIN);
    return TrailingSlash(folder.lexically_normal().string());
}

std::string FindTool(const std::string& toolFolder, OutsideTool tool) {
    // An installed program keeps its own c1541 and tape64 beside it rather
    // than on PATH, where they would stand in for other programs of their
    // names; the build tree keeps them in the application folder itself.
    std::vector<std::string> folders;
    if (!toolFolder.empty())
        folders = {InstalledToolFolder(toolFolder), TrailingSlash(toolFolder)};
    const auto inFolders = [&](const std::string& name) {
        for (const std::string& folder : folders)
            if (isExecutable(folder + name))
                return folder + name;
        return std::string{};
    };
    switch (tool) {
    case OutsideTool::C1541:
    case OutsideTool::Tape64: {
        const std::string name = tool == OutsideTool::C1541 ? "c1541" : "tape64";
        if (std::string found = inFolders(name); !found.empty())
            return found;
        return onPath(name);
    }
    case OutsideTool::Archiver:
        if (std::string found = inFolders("7za"); !found.empty())
            return found;
        for (const char* name : {"7z", "7zz", "7za"})
            if (std::string found = onPath(name); !found.empty())
                return found;
        return {};
    }
    return {};
}

const char* ToolName(OutsideTool tool) {
    switch (tool) {
    case OutsideTool::C1541:
        return "c1541";
    case OutsideTool::Tape64:
        return "tape64";
    case OutsideTool::Archiver:
        break;
    }
    return "7z";
}

Result<ToolOutput> RunTool(const ToolEnv* env, OutsideTool tool,
                           const std::vector<std::string>& args, const std::string& outputName,
                           bool readOutput) {
    const std::string name = ToolName(tool);
    if (env == nullptr)
        return Failure{err::PathFileAccess, name + " could not start"};
    const std::string program = FindTool(env->toolFolder, tool);
    if (program.empty())
        return Failure{err::FileNotFound, name + " is missing"};
    if (env->tempFolder.empty())
        return Failure{err::PathNotFound, "no private temporary folder"};
    const std::string output = env->tempPath(outputName);
    const std::string errors = env->tempPath("toolerrors.txt");
    const RemoveOnExit remove(output, RemoveOnExit::Kind::File);
    const RemoveOnExit removeErrors(errors, RemoveOnExit::Kind::File);
    KillFile(output);
    int status = 0;
    switch (ExecuteAndWait({program, args}, output, env->tempFolder,
                           std::chrono::milliseconds(env->timeout), env->cancel, &status, errors)) {
    case RunEnd::Cancelled:
        return ToolOutput{}; // the search is stopping: nothing to report
    case RunEnd::NotStarted:
        return Failure{err::PathFileAccess, name + " could not start"};
    case RunEnd::TimedOut:
        return Failure{err::PathFileAccess,
                       name + " timed out after " + std::to_string(env->timeout.count()) + " s"};
    case RunEnd::Exited:
        break;
    }
    ToolOutput out;
    out.status = status;
    if (readOutput && FileExists(output))
        out.text = ReadWholeFile(output);
    if (status != 0 && FileExists(errors)) {
        // Its last words, kept short and on one line.
        for (const std::string& line :
             SplitLines(FileByteSource(errors).read(0, 4096), CrRule::Drop))
            if (!trimBlanks(line).empty())
                out.reason = trimBlanks(line).substr(0, 200);
    }
    return out;
}

std::optional<Failure> StatusFailure(OutsideTool tool, const ToolOutput& output) {
    // The archiver's status 1 means warnings only: its listing stands.
    if (output.status == 0 || (tool == OutsideTool::Archiver && output.status == 1))
        return std::nullopt;
    return Failure{err::PathFileAccess, std::string(ToolName(tool)) + " ended with exit status " +
                                            std::to_string(output.status) +
                                            (output.reason.empty() ? "" : ": " + output.reason)};
}

void RaiseOnFailure(OutsideTool tool, const ToolOutput& output) {
    if (std::optional<Failure> failed = StatusFailure(tool, output))
        failed->raise();
}

std::string RunToolForText(const ToolEnv* env, OutsideTool tool,
                           const std::vector<std::string>& args, const std::string& outputName) {
    const ToolOutput output = RunTool(env, tool, args, outputName, true).take();
    RaiseOnFailure(tool, output);
    return output.text;
}

void RunToolUnread(const ToolEnv* env, OutsideTool tool, const std::vector<std::string>& args,
                   const std::string& outputName) {
    RaiseOnFailure(tool, RunTool(env, tool, args, outputName, false).take());
}

std::string ToolListingRunner::listing(ListingProgram program, const std::string& path,
                                       const ByteSource& bytes) const {
    std::string image;
    std::optional<RemoveOnExit> remove;
    if (const std::string* onDisk = bytes.pathOnDisk()) {
        image = *onDisk;
    } else {
        const auto dot = path.find_last_of('.');
        image = env_.tempPath("member" + (dot == std::string::npos ? "" : path.substr(dot)));
        remove.emplace(image, RemoveOnExit::Kind::File);
        bytes.writeTo(image);
    }
    if (program == ListingProgram::C1541)
        return RunToolForText(&env_, OutsideTool::C1541, {image, "-list"}, "tmpG64dir.txt");
    return RunToolForText(&env_, OutsideTool::Tape64, {"-i:" + image}, "tmpTAPdir.txt");
}

} // namespace qs
