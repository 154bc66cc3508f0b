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

TEST(FindTool, LooksInTheToolFolderFirstThenOnPath) {
    TempDir tools, onPath;
    writeScript(tools, "tape64", "true");
    writeScript(onPath, "c1541", "true");
    writeScript(onPath, "7zz", "true");
    tools.write("c1541", "not executable");
    const std::string oldPath = std::getenv("PATH");
    ::setenv("PATH", onPath.str().c_str(), 1);
    EXPECT_EQ(FindTool(tools.str(), OutsideTool::Tape64), tools.str() + "/tape64");
    EXPECT_EQ(FindTool(tools.str(), OutsideTool::C1541), onPath.str() + "/c1541");
    EXPECT_EQ(FindTool(tools.str(), OutsideTool::Archiver), onPath.str() + "/7zz");
    writeScript(tools, "7za", "true");
    EXPECT_EQ(FindTool(tools.str(), OutsideTool::Archiver), tools.str() + "/7za");
    writeScript(onPath, "7z", "true");
    EXPECT_EQ(FindTool("", OutsideTool::Archiver), onPath.str() + "/7z");
    ::setenv("PATH", oldPath.c_str(), 1);
}

} // namespace qs::test
