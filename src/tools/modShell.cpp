#include "tools/modShell.h"

#include "common/modGeneral.h"
#include "search/Request.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
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
                      const std::atomic<bool>* cancel) {
    SpawnSetup setup;
    posix_spawn_file_actions_addopen(&setup.actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&setup.actions, 1, outputPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&setup.actions, 2, "/dev/null", O_WRONLY, 0);
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

    const auto deadline = std::chrono::steady_clock::now() + timeout;
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        int status = 0;
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid || (r < 0 && errno != EINTR))
            break;
        if (std::chrono::steady_clock::now() >= deadline || (cancel != nullptr && *cancel)) {
            ::kill(-pid, SIGKILL);
            waitBlocking(pid);
            return RunEnd::TimedOut;
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(25));
    }
    // Children left behind must not go on writing into our folder.
    ::kill(-pid, SIGKILL);
    return RunEnd::Exited;
}

std::string FindTool(const std::string& toolFolder, OutsideTool tool) {
    const std::string folder = TrailingSlash(toolFolder);
    switch (tool) {
    case OutsideTool::C1541:
    case OutsideTool::Tape64: {
        const std::string name = tool == OutsideTool::C1541 ? "c1541" : "tape64";
        if (!toolFolder.empty() && isExecutable(folder + name))
            return folder + name;
        return onPath(name);
    }
    case OutsideTool::Archiver:
        if (!toolFolder.empty() && isExecutable(folder + "7za"))
            return folder + "7za";
        for (const char* name : {"7z", "7zz", "7za"})
            if (std::string found = onPath(name); !found.empty())
                return found;
        return {};
    }
    return {};
}

namespace {

std::string runTool(const ToolEnv* env, OutsideTool tool, const std::vector<std::string>& args,
                    const std::string& outputName, bool readOutput) {
    if (env == nullptr || env->tempFolder.empty())
        return {};
    const std::string program = FindTool(env->toolFolder, tool);
    if (program.empty())
        return {};
    const std::string output = env->tempFolder + outputName;
    const RemoveOnExit remove(output, RemoveOnExit::Kind::File);
    KillFile(output);
    const RunEnd end = ExecuteAndWait({program, args}, output, env->tempFolder,
                                      std::chrono::milliseconds(env->timeout), env->cancel);
    if (!readOutput || end != RunEnd::Exited || !FileExists(output))
        return {};
    return ReadWholeFile(output);
}

} // namespace

std::string RunToolForText(const ToolEnv* env, OutsideTool tool,
                           const std::vector<std::string>& args, const std::string& outputName) {
    return runTool(env, tool, args, outputName, true);
}

void RunToolUnread(const ToolEnv* env, OutsideTool tool, const std::vector<std::string>& args,
                   const std::string& outputName) {
    runTool(env, tool, args, outputName, false);
}

std::vector<std::string> SplitListingLines(const std::string& text) {
    std::vector<std::string> lines;
    if (text.empty())
        return lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? end : end - start);
        if (end != std::string::npos && !line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return lines;
}

std::vector<OutsideTool> CheckOutsideTools(const std::string& toolFolder, MessageSink& sink,
                                           SearchOptions& options, bool onlyWhenRequested) {
    return CheckOutsideTools([&](OutsideTool tool) { return !FindTool(toolFolder, tool).empty(); },
                             sink, options, onlyWhenRequested);
}

std::vector<OutsideTool> CheckOutsideTools(const ToolPresence& present, MessageSink& sink,
                                           SearchOptions& options, bool onlyWhenRequested) {
    struct Check {
        OutsideTool tool;
        const char* tag; // file type tag; null for the archive option
        const char* text;
    };
    static constexpr Check kChecks[] = {
        {OutsideTool::C1541, "G64",
         "C1541.exe is missing in the application folder: G64 files analyzing is disabled"},
        {OutsideTool::Tape64, "TAP",
         "Tape64.exe is missing in the application folder: TAP files analyzing is disabled"},
        {OutsideTool::Archiver, nullptr,
         "7za.exe (7-zip) is missing in the application folder: compressed file option is "
         "disabled"},
    };
    std::vector<OutsideTool> missing;
    for (const Check& c : kChecks) {
        const bool requested = c.tag != nullptr ? GetControlValueByTag(options.fileTypes, c.tag)
                                                : options.zip.ticked();
        if ((onlyWhenRequested && !requested) || present(c.tool))
            continue;
        missing.push_back(c.tool);
        sink.messageBox(MsgIcon::Information, MsgButtons::Ok, kToolMissingTitle, c.text);
        if (c.tag != nullptr) {
            SetControlStateByTag(options.fileTypes, c.tag, "false", "false");
        } else {
            options.zip.value = 0;
            options.zip.enabled = false;
        }
    }
    return missing;
}

} // namespace qs
