#pragma once
// Running the outside programs. A tool is started directly from an argument
// vector (no shell, so no file name can smuggle in a command), inside the
// program's private temporary folder; its standard output and standard error
// come back through pipes, never through files (a full temporary folder
// cannot cut a listing short), its output read up to a cap. It is waited for
// with a time limit, and a tool still running then is killed together with
// its children.
#include "common/Result.h"
#include "media/ListingRunner.h"
#include "tools/ToolEnv.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qs {

// The program (a full path) and its arguments, one word each.
struct ToolCommand {
    std::string program;
    std::vector<std::string> args;
};

// No listing comes near this: an output that passes it is not read.
inline constexpr std::size_t kToolOutputCap = std::size_t{16} << 20;

// How a run ended: by itself, killed at the time limit, killed because the
// user stopped the search, never started, killed because its output passed
// the cap, or killed because the watch asked for it.
enum class RunEnd { Exited, TimedOut, Cancelled, NotStarted, OutputTooLarge, Stopped };

struct RunLimits {
    std::chrono::milliseconds timeout{60000};
    const std::atomic<bool>* cancel = nullptr; // set: the run is cancelled
    std::size_t outputCap = kToolOutputCap;
    bool keepOutput = true; // false: the output is read and dropped
    // Asked every few milliseconds while the tool runs; false stops it.
    std::function<bool()> watch = nullptr;
};

struct ToolRun {
    RunEnd end = RunEnd::NotStarted;
    int status = 0;       // the exit status (128 + the signal's number when a signal ended it)
    std::string output;   // standard output, when kept
    std::string errorEnd; // the last few KiB of standard error
};

// Runs the command with standard input on /dev/null, in `workFolder`;
// returns when it has ended or been killed.
ToolRun ExecuteAndWait(const ToolCommand& command, const std::string& workFolder,
                       const RunLimits& limits);

enum class OutsideTool { C1541, Tape64, Archiver };

// Where an installed program keeps its own tools: its libexec folder, found
// from the application folder (…/bin/../libexec/quillsift/); "" for "".
std::string InstalledToolFolder(const std::string& applicationFolder);

// Full path of the tool, or "" when it is missing. c1541 and tape64 are looked
// for in the installed tool folder, then the tool folder (the application
// folder), then on PATH; the archiver is 7za in those two folders, then 7z,
// 7zz, 7za on PATH (Debian's 7za reads only ZIP and 7z).
std::string FindTool(const std::string& toolFolder, OutsideTool tool);

// Runs a tool found by FindTool and answers its output and exit status
// whatever the status. A tool that is missing, cannot start, is stopped at
// the time limit or writes more than the cap answers the failure ("c1541
// timed out after 60 s"); a run ended because the user stopped the search
// answers `cancelled` and no output; one the watch stopped answers what it
// had.
struct ToolOutput {
    std::string text;
    int status = 0;         // the exit status
    std::string reason;     // the last line the tool wrote to its standard error
    bool cancelled = false; // the search is stopping: nothing to report
};
Result<ToolOutput> RunTool(const ToolEnv* env, OutsideTool tool,
                           const std::vector<std::string>& args, bool readOutput = true,
                           std::function<bool()> watch = nullptr);
// "<tool> ended with exit status N: <reason>" for a status that means failure.
std::optional<Failure> StatusFailure(OutsideTool tool, const ToolOutput& output);
void RaiseOnFailure(OutsideTool tool, const ToolOutput& output);

// The tool's name as messages give it: "c1541", "tape64", "7z".
const char* ToolName(OutsideTool tool);

// Whether a listing program's output is whole: its last line is the closing
// line ("664 BLOCKS FREE.", "3 programs found"). A program that stopped
// early, or could not write, gives none.
bool ListingComplete(ListingProgram program, const std::string& listing);

// Lists G64 and TAP images for the readers through c1541 and tape64. An
// image that is no file of its own (an archive member) is written alone to
// the temporary folder for the program; nothing else of an archive touches
// the disk. A listing without its closing line is raised as a failure.
class ToolListingRunner final : public ListingRunner {
  public:
    explicit ToolListingRunner(const ToolEnv& env) : env_(env) {}
    std::string listing(ListingProgram program, const std::string& path,
                        const ByteSource& bytes) const override;

  private:
    const ToolEnv& env_;
};

} // namespace qs
