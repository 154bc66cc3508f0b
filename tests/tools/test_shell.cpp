// The tool runner: no shell between us and the tool, output redirected, the
// time limit, a stop request, and where tools are looked for.
#include "ToolTestSupport.h"
#include "tools/modShell.h"

#include <cstdlib>
#include <gtest/gtest.h>

#include <atomic>
#include <signal.h>
#include <thread>

namespace qs::test {

namespace {

// Sets PATH for one test and puts the old value back.
class PathOverride {
  public:
    explicit PathOverride(const std::string& value) {
        if (const char* old = std::getenv("PATH"))
            old_ = old;
        ::setenv("PATH", value.c_str(), 1);
    }
    ~PathOverride() { ::setenv("PATH", old_.c_str(), 1); }

  private:
    std::string old_;
};

} // namespace

TEST(ExecuteAndWait, PassesEveryArgumentAsOneWordWithoutAShell) {
    TempDir dir;
    const std::string out = dir.str() + "/out.txt";
    const std::vector<std::string> args{"a b", "\"q\"", "x&y;z", "$HOME", "`id`", "*"};
    std::vector<std::string> printf{"%s|"};
    printf.insert(printf.end(), args.begin(), args.end());
    ASSERT_EQ(ExecuteAndWait({"/usr/bin/printf", printf}, out, dir.str(), std::chrono::seconds(10)),
              RunEnd::Exited);
    EXPECT_EQ(dir.read("out.txt"), "a b|\"q\"|x&y;z|$HOME|`id`|*|");

    // The tool runs inside the work folder, and a second run replaces the output.
    ASSERT_EQ(ExecuteAndWait({"/bin/pwd", {}}, out, dir.str(), std::chrono::seconds(10)),
              RunEnd::Exited);
    EXPECT_EQ(dir.read("out.txt"), std::filesystem::canonical(dir.path()).string() + "\n");

    EXPECT_EQ(
        ExecuteAndWait({dir.str() + "/missing", {}}, out, dir.str(), std::chrono::seconds(10)),
        RunEnd::NotStarted);
}

TEST(ExecuteAndWait, AStopRequestEndsTheToolBeforeItsTimeLimit) {
    TempDir dir;
    const std::string tool = writeScript(dir, "hang", "while :; do sleep 1; done");
    std::atomic<bool> cancel{false};
    std::thread asker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        cancel = true;
    });
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(ExecuteAndWait({tool, {}}, dir.str() + "/out.txt", dir.str(),
                             std::chrono::seconds(60), &cancel),
              RunEnd::TimedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    asker.join();
}

TEST(ExecuteAndWait, KillsAToolAndItsChildrenAtTheTimeLimit) {
    TempDir dir;
    const std::string tool =
        writeScript(dir, "hang", "sleep 300 &\necho $! > \"$1\"\nwhile :; do sleep 1; done");
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(ExecuteAndWait({tool, {dir.str() + "/child.pid"}}, dir.str() + "/out.txt", dir.str(),
                             std::chrono::milliseconds(700)),
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
    PathOverride path(onPath.str());
    EXPECT_EQ(FindTool(tools.str(), OutsideTool::Tape64), tools.str() + "/tape64");
    EXPECT_EQ(FindTool(tools.str(), OutsideTool::C1541), onPath.str() + "/c1541");
    EXPECT_EQ(FindTool(tools.str(), OutsideTool::Archiver), onPath.str() + "/7zz");
    writeScript(tools, "7za", "true");
    EXPECT_EQ(FindTool(tools.str(), OutsideTool::Archiver), tools.str() + "/7za");
    writeScript(onPath, "7z", "true");
    EXPECT_EQ(FindTool("", OutsideTool::Archiver), onPath.str() + "/7z");
}

} // namespace qs::test
