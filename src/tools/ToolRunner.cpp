#include "tools/ToolRunner.h"

#include "common/ByteView.h"
#include "common/Error.h"
#include "common/Files.h"
#include "common/Text.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

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

// A pipe whose ends are closed on exec, so that tools started side by side
// never hold each other's; the tool gets its write end as 1 or 2.
struct Pipe {
    int read = -1, write = -1;
    bool open() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return false;
        read = fds[0];
        write = fds[1];
        ::fcntl(read, F_SETFL, O_NONBLOCK);
        return true;
    }
    void closeWrite() {
        if (write >= 0)
            ::close(std::exchange(write, -1));
    }
    Pipe() = default;
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    ~Pipe() {
        closeWrite();
        if (read >= 0)
            ::close(read);
    }
};

// Takes what a pipe holds: all of it up to one byte past `cap` (0: keeps
// only the last few KiB, for a tool's last words), or none of it.
struct Reader {
    int fd;
    std::string* into;
    bool keep;
    std::size_t cap;
    bool ended = false;
    std::size_t total = 0;

    bool open() const { return !ended; }
    bool tooMuch() const { return keep && cap != 0 && total > cap; }
    // Reads what is there now; true when something came.
    bool drain() {
        bool got = false;
        char buffer[64 * 1024];
        while (!ended) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                ended = errno != EAGAIN && errno != EWOULDBLOCK;
                break;
            }
            if (n == 0) {
                ended = true;
                break;
            }
            got = true;
            const auto size = static_cast<std::size_t>(n);
            total += size;
            if (!keep || tooMuch())
                continue;
            into->append(buffer, size);
            if (cap == 0 && into->size() > kErrorTail)
                into->erase(0, into->size() - kErrorTail);
        }
        return got;
    }
    static constexpr std::size_t kErrorTail = 4096;
};

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

ToolRun ExecuteAndWait(const ToolCommand& command, const std::string& workFolder,
                       const RunLimits& limits) {
    ToolRun run;
    Pipe out, errors;
    if (!out.open() || !errors.open())
        return run;
    SpawnSetup setup;
    posix_spawn_file_actions_addopen(&setup.actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&setup.actions, out.write, 1);
    posix_spawn_file_actions_adddup2(&setup.actions, errors.write, 2);
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
        return run;
    out.closeWrite();
    errors.closeWrite();

    Reader outReader{out.read, &run.output, limits.keepOutput, limits.outputCap};
    Reader errorReader{errors.read, &run.errorEnd, true, 0};
    // Kills the tool and its children, and reaps it.
    auto stop = [&](RunEnd end) {
        ::kill(-pid, SIGKILL);
        waitBlocking(pid);
        run.end = end;
        return run;
    };
    // A limit beyond any run would overflow the clock: cap it at a year.
    const auto now = [] { return std::chrono::steady_clock::now(); };
    const auto deadline =
        now() + std::min<std::chrono::milliseconds>(limits.timeout, std::chrono::hours(24 * 365));
    auto nextWatch = now();
    auto pause = std::chrono::milliseconds(1);
    int status = 0;
    for (;;) {
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid || (r < 0 && errno != EINTR))
            break;
        if (limits.cancel != nullptr && *limits.cancel)
            return stop(RunEnd::Cancelled);
        if (now() >= deadline)
            return stop(RunEnd::TimedOut);
        if (outReader.tooMuch())
            return stop(RunEnd::OutputTooLarge);
        if (limits.watch && now() >= nextWatch) {
            if (!limits.watch())
                return stop(RunEnd::Stopped);
            nextWatch = now() + std::chrono::milliseconds(25);
        }
        // Waits for output, or a moment when there is none to wait for.
        pollfd fds[2];
        nfds_t count = 0;
        for (const Reader* reader : {&outReader, &errorReader})
            if (reader->open())
                fds[count++] = {reader->fd, POLLIN, 0};
        const auto wait = static_cast<int>(pause.count());
        if (count == 0)
            std::this_thread::sleep_for(pause);
        else if (::poll(fds, count, wait) < 0 && errno != EINTR)
            std::this_thread::sleep_for(pause);
        const bool got = outReader.drain() | errorReader.drain();
        pause =
            got ? std::chrono::milliseconds(1) : std::min(pause * 2, std::chrono::milliseconds(25));
    }
    // Children left behind must not go on writing into our folder.
    ::kill(-pid, SIGKILL);
    // All the tool wrote is in the pipes now; a child that escaped the group
    // is not waited for.
    outReader.drain();
    errorReader.drain();
    if (outReader.tooMuch())
        run.end = RunEnd::OutputTooLarge;
    else
        run.end = RunEnd::Exited;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
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
                           const std::vector<std::string>& args, bool readOutput,
                           std::function<bool()> watch) {
    const std::string name = ToolName(tool);
    if (env == nullptr)
        return Failure{err::PathFileAccess, name + " could not start"};
    const std::string program = FindTool(env->toolFolder, tool);
    if (program.empty())
        return Failure{err::FileNotFound, name + " is missing"};
    if (env->tempFolder.empty())
        return Failure{err::PathNotFound, "no private temporary folder"};
    RunLimits limits;
    limits.timeout = std::chrono::milliseconds(env->timeout);
    limits.cancel = env->cancel;
    limits.keepOutput = readOutput;
    limits.watch = std::move(watch);
    ToolRun run = ExecuteAndWait({program, args}, env->tempFolder, limits);
    ToolOutput out;
    switch (run.end) {
    case RunEnd::Cancelled:
        out.cancelled = true;
        return out;
    case RunEnd::NotStarted:
        return Failure{err::PathFileAccess, name + " could not start"};
    case RunEnd::TimedOut:
        return Failure{err::PathFileAccess,
                       name + " timed out after " + std::to_string(env->timeout.count()) + " s"};
    case RunEnd::OutputTooLarge:
        return Failure{err::OutOfMemory, name + " wrote more than " +
                                             std::to_string(kToolOutputCap >> 20) +
                                             " MiB, not read"};
    case RunEnd::Exited:
    case RunEnd::Stopped:
        break;
    }
    out.status = run.status;
    out.text = std::move(run.output);
    if (run.status != 0) {
        // Its last words, kept short and on one line.
        for (const std::string& line : SplitLines(run.errorEnd, CrRule::Drop))
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

bool ListingComplete(ListingProgram program, const std::string& listing) {
    const std::vector<std::string> lines = SplitLines(listing, CrRule::Drop);
    auto last = std::find_if(lines.rbegin(), lines.rend(),
                             [](const std::string& line) { return !trimBlanks(line).empty(); });
    if (last == lines.rend())
        return false;
    const std::string line = trimBlanks(*last);
    const std::string closing =
        program == ListingProgram::C1541 ? " BLOCKS FREE." : " programs found";
    const std::size_t digits = line.find_first_not_of("0123456789");
    return digits > 0 && digits != std::string::npos && line.substr(digits) == closing;
}

std::string ToolListingRunner::listing(ListingProgram program, const std::string& path,
                                       const ByteSource& bytes) const {
    std::string image;
    std::optional<RemoveOnExit> remove;
    if (const std::string* onDisk = bytes.pathOnDisk()) {
        image = *onDisk;
    } else {
        // A member that cannot be written whole (a full disk) fails here.
        const auto dot = path.find_last_of('.');
        image = env_.tempPath("member" + (dot == std::string::npos ? "" : path.substr(dot)));
        remove.emplace(image, RemoveOnExit::Kind::File);
        bytes.writeTo(image);
    }
    const OutsideTool tool =
        program == ListingProgram::C1541 ? OutsideTool::C1541 : OutsideTool::Tape64;
    const std::vector<std::string> args = tool == OutsideTool::C1541
                                              ? std::vector<std::string>{image, "-list"}
                                              : std::vector<std::string>{"-i:" + image};
    const ToolOutput output = RunTool(&env_, tool, args).take();
    if (output.cancelled)
        return {};
    RaiseOnFailure(tool, output);
    if (!ListingComplete(program, output.text))
        raise(err::PathFileAccess, std::string(ToolName(tool)) + " gave no complete listing");
    return output.text;
}

} // namespace qs
