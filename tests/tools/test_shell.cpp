// The tool runner: no shell between us and the tool, output redirected, the
// time limit, and where tools are looked for. (A stop request ending a tool is
// tested end to end as Ctrl-C on the command line.)
#include "ToolSession.h"
#include "tools/ToolRunner.h"

#include <cstdlib>
#include <gtest/gtest.h>

#include <signal.h>
#include <thread>

namespace qs::test {

TEST(ExecuteAndWait, PassesEveryArgumentAsOneWordWithoutAShell) {
    TempDir dir;
    const auto run = [&](const ToolCommand& c) {
        return ExecuteAndWait(c, dir.str(), {std::chrono::seconds(10)});
    };
    const ToolRun printf =
        run({"/usr/bin/printf", {"%s|", "a b", "\"q\"", "x&y;z", "$HOME", "`id`", "*"}});
    ASSERT_EQ(printf.end, RunEnd::Exited);
    EXPECT_EQ(printf.output, "a b|\"q\"|x&y;z|$HOME|`id`|*|");
    // The tool runs inside the work folder.
    const ToolRun pwd = run({"/bin/pwd", {}});
    ASSERT_EQ(pwd.end, RunEnd::Exited);
    EXPECT_EQ(pwd.output, std::filesystem::canonical(dir.path()).string() + "\n");
    EXPECT_EQ(run({dir.str() + "/missing", {}}).end, RunEnd::NotStarted);
}

TEST(ExecuteAndWait, KillsAToolAndItsChildrenAtTheTimeLimit) {
    TempDir dir;
    const std::string tool =
        writeScript(dir, "hang", "sleep 300 &\necho $! > \"$1\"\nwhile :; do sleep 1; done");
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(ExecuteAndWait({tool, {dir.str() + "/child.pid"}}, dir.str(),
                             {std::chrono::milliseconds(700)})
                  .end,
              RunEnd::TimedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    const pid_t child = std::stoi(dir.read("child.pid"));
    // The background child was killed with the tool (it may wait a moment to be reaped).
    bool gone = false;
    for (int i = 0; i < 100 && !gone;
         ++i, std::this_thread::sleep_for(std::chrono::milliseconds(20)))
        gone = ::kill(child, 0) != 0 ||
               shell("ps -o stat= -p " + std::to_string(child) + " | grep -q Z") == 0;
    EXPECT_TRUE(gone);
}

// The installed tool folder (…/bin/../libexec/quillsift/) first, then the
// application folder, then PATH: an installed program never takes another
// program of the same name for its own.
TEST(FindTool, LooksInTheInstalledFolderThenTheToolFolderThenOnPath) {
    TempDir root, onPath;
    const std::string bin = root.str() + "/bin";
    const std::string libexec = InstalledToolFolder(bin);
    EXPECT_EQ(libexec, root.str() + "/libexec/quillsift/");
    for (const char* tool : {"bin/tape64", "bin/c1541", "libexec/quillsift/c1541"})
        writeScript(root, tool, "true");
    for (const char* tool : {"c1541", "tape64", "7zz"})
        writeScript(onPath, tool, "true");
    root.write("libexec/quillsift/tape64", "not executable");
    const std::string oldPath = std::getenv("PATH");
    ::setenv("PATH", onPath.str().c_str(), 1);
    EXPECT_EQ(FindTool(bin, OutsideTool::C1541), libexec + "c1541");
    EXPECT_EQ(FindTool(bin, OutsideTool::Tape64), bin + "/tape64");
    EXPECT_EQ(FindTool(root.str(), OutsideTool::Tape64), onPath.str() + "/tape64");
    EXPECT_EQ(FindTool(bin, OutsideTool::Archiver), onPath.str() + "/7zz");
    writeScript(root, "bin/7za", "true");
    EXPECT_EQ(FindTool(bin, OutsideTool::Archiver), bin + "/7za");
    writeScript(onPath, "7z", "true");
    EXPECT_EQ(FindTool("", OutsideTool::Archiver), onPath.str() + "/7z");
    ::setenv("PATH", oldPath.c_str(), 1);
}

} // namespace qs::test
