#pragma once
// Running the outside programs. A tool is started directly from an argument
// vector (no shell, so no file name can smuggle in a command), inside the
// program's private temporary folder, with its standard output going to a
// file there; it is waited for with a time limit, and a tool still running
// then is killed together with its children.
#include "media/ListingRunner.h"
#include "tools/ToolEnv.h"

#include <atomic>
#include <chrono>
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

// Full path of the tool, or "" when it is missing. c1541 and tape64 are looked
// for in the tool folder, then on PATH; the archiver is 7za in the tool folder,
// then 7z, 7zz, 7za on PATH (Debian's 7za reads only ZIP and 7z).
std::string FindTool(const std::string& toolFolder, OutsideTool tool);

// Runs a tool found by FindTool with its output going to `outputName` in the
// temporary folder, reads the output back and deletes the file. A tool that
// is missing, cannot start, is stopped at the time limit or ends with a
// failure status raises an error that says so ("c1541 timed out after 60 s",
// "7z ended with exit status 2"); a run ended because the user stopped the
// search gives an empty text.
struct ToolOutput {
    std::string text;
    int status = 0;     // the exit status
    std::string reason; // the last line the tool wrote to its standard error
};
// The same, answering the output and the exit status whatever the status.
ToolOutput RunTool(const ToolEnv* env, OutsideTool tool, const std::vector<std::string>& args,
                   const std::string& outputName, bool readOutput);
// Raises "<tool> ended with exit status N: <reason>" for a status that means failure.
void RaiseOnFailure(OutsideTool tool, const ToolOutput& output);

std::string RunToolForText(const ToolEnv* env, OutsideTool tool,
                           const std::vector<std::string>& args, const std::string& outputName);
// The same for a tool whose report is not wanted: its output file is deleted unread.
void RunToolUnread(const ToolEnv* env, OutsideTool tool, const std::vector<std::string>& args,
                   const std::string& outputName);

// Lists G64 and TAP images for the readers through c1541 and tape64.
class ToolListingRunner final : public ListingRunner {
  public:
    explicit ToolListingRunner(const ToolEnv& env) : env_(env) {}
    std::string listing(ListingProgram program, const std::string& path) const override;

  private:
    const ToolEnv& env_;
};

} // namespace qs
