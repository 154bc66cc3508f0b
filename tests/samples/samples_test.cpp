// quillsift-samples' command line: --help and usage errors write nothing, and
// an output folder is replaced only when it is empty or a collection.
#include "CliRunner.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace qs::test;
namespace fs = std::filesystem;

TEST(Samples, HelpAndUsageErrorsWriteNothing) {
    TempDir dir;
    const struct {
        std::vector<std::string> args;
        int status;
        bool usageOnStdout;
    } cases[] = {
        {{"--help"}, 0, true}, {{"-x"}, 2, false},     {{"--bogus"}, 2, false},
        {{}, 2, false},        {{"a", "b"}, 2, false}, {{"--help", "a"}, 2, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.empty() ? "(none)" : c.args.front());
        const CliRun run = runProgram("quillsift-samples", c.args, {nullptr, {}, {}, dir.str()});
        EXPECT_EQ(run.status, c.status);
        const std::string& usage = c.usageOnStdout ? run.out : run.err;
        EXPECT_EQ(usage.rfind("usage: quillsift-samples OUTDIR\n", 0), 0u) << usage;
        EXPECT_EQ((c.usageOnStdout ? run.err : run.out), "");
    }
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST(Samples, OnlyAnEmptyFolderOrAnEarlierCollectionIsReplaced) {
    TempDir dir;
    const std::string keep = dir.write("mine/keep.txt", "mine");
    fs::create_directory(dir.path() / "empty");
    const struct {
        const char* folder;
        int status;
    } cases[] = {{"new", 0}, {"new", 0}, {"empty", 0}, {"mine", 1}, {"mine/keep.txt", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        const CliRun run =
            runProgram("quillsift-samples", {c.folder}, {nullptr, {}, {}, dir.str()});
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_EQ(fs::is_directory(dir.path() / c.folder / "Games"), c.status == 0);
    }
    EXPECT_EQ(readFile(keep), "mine");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path() / "mine"), {}), 1);
}
