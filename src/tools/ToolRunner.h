#pragma once
// Running the outside programs. A tool is started directly from an argument
// vector (no shell, so no file name can smuggle in a command), inside the
// program's private temporary folder, with its standard output going to a
// file there; it is waited for with a time limit, and a tool still running
// then is killed together with its children.
#include "common/Result.h"
#include "media/ListingRunner.h"
#include "tools/ToolEnv.h"

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace qs {

// The program (a full path) and its arguments, one word each.
struct ToolCommand {
    std::string program;
    std::vector<std::string> args;
};

// How a run ended: by itself, killed at the time limit, killed because the
// user stopped the search, or never started.
enum class RunEnd { Exited, TimedOut, Cancelled, NotStarted };

// Runs the command with standard output redirected to `outputPath` (replaced),
// standard input and standard error on /dev/null, in `workFolder`; returns
// when it has ended or been killed at the time limit.
// `exitStatus`, when given, receives the tool's exit status (128 + the
// signal's number when a signal ended it); `errorPath`, when given, receives
// its standard error.
RunEnd ExecuteAndWait(const ToolCommand& command, const std::string& outputPath,
                      const std::string& workFolder, std::chrono::milliseconds timeout,
                      const std::atomic<bool>* cancel = nullptr, int* exitStatus = nullptr,
                      const std::string& errorPath = {});

enum class OutsideTool { C1541, Tape64, Archiver };

// Where an installed program keeps its own tools: its libexec folder, found
// from the application folder (…/bin/../libexec/quillsift/); "" for "".
std::string InstalledToolFolder(const std::string& applicationFolder);

// Full path of the tool, or "" when it is missing. c1541 and tape64 are looked
// for in the installed tool folder, then the tool folder (the application
// folder), then on PATH; the archiver is 7za in those two folders, then 7z,
// 7zz, 7za on PATH (Debian's 7za reads only ZIP and 7z).
std::string FindTool(const std::string& toolFolder, OutsideTool tool);

// Runs a tool found by FindTool with its output going to `outputName` in the
// temporary folder, reads the output back and deletes the file; answers the
// output and the exit status whatever the status. A tool that is missing,
// cannot start or is stopped at the time limit answers the failure ("c1541
// timed out after 60 s"); a run ended because the user stopped the search
// answers an empty output.
struct ToolOutput {
    std::string text;
    int status = 0;     // the exit status
    std::string reason; // the last line the tool wrote to its standard error
};
Result<ToolOutput> RunTool(const ToolEnv* env, OutsideTool tool,
                           const std::vector<std::string>& args, const std::string& outputName,
                           bool readOutput);
// "<tool> ended with exit status N: <reason>" for a status that means failure.
std::optional<Failure> StatusFailure(OutsideTool tool, const ToolOutput& output);
void RaiseOnFailure(OutsideTool tool, const ToolOutput& output);

// The output of a run that succeeded; what kept it from success is raised.
std::string RunToolForText(const ToolEnv* env, OutsideTool tool,
                           const std::vector<std::string>& args, const std::string& outputName);
// The same for a tool whose report is not wanted: its output file is deleted unread.
void RunToolUnread(const ToolEnv* env, OutsideTool tool, const std::vector<std::string>& args,
                   const std::string& outputName);

// The tool's name as messages give it: "c1541", "tape64", "7z".
const char* ToolName(OutsideTool tool);

// Lists G64 and TAP images for the readers through c1541 and tape64. An
// image that is no file of its own (an archive member) is written alone to
// the temporary folder for the program; nothing else of an archive touches
// the disk.
class ToolListingRunner final : public ListingRunner {
  public:
    explicit ToolListingRunner(const ToolEnv& env) : env_(env) {}
    std::string listing(ListingProgram program, const std::string& path,
                        const ByteSource& bytes) const override;

  private:
    const ToolEnv& env_;
};

} // namespace qs
