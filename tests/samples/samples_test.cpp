// The sample collection: quillsift-samples' command line (--help and usage
// errors write nothing, and an output folder is replaced only when it is
// empty or a collection), and a sample of every format.
#include "CliRunner.h"
#include "TempDir.h"
#include "media/Formats.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

using namespace qs::test;
namespace fs = std::filesystem;

TEST(Samples, WritesOnlyToAnEmptyFolderOrOverAnEarlierCollection) {
    TempDir dir;
    const std::string keep = dir.write("mine/keep.txt", "mine");
    fs::create_directory(dir.path() / "empty");
    const struct {
        std::vector<std::string> args;
        int status;
    } cases[] = {
        {{"--help"}, 0}, {{"-x"}, 2},          {{"--bogus"}, 2},       {{}, 2},
        {{"a", "b"}, 2}, {{"--help", "a"}, 2}, {{"new"}, 0},           {{"new"}, 0},
        {{"empty"}, 0},  {{"mine"}, 1},        {{"mine/keep.txt"}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.empty() ? "(none)" : c.args.front());
        const CliRun run = runProgram("quillsift-samples", c.args, {nullptr, {}, {}, dir.str()});
        EXPECT_EQ(run.status, c.status) << run.err;
        if (c.args.size() == 1 && c.args[0][0] != '-') {
            EXPECT_EQ(fs::is_directory(dir.path() / c.args[0] / "Games"), c.status == 0);
            continue;
        }
        // The usage: asked for, on standard output; after a mistake, on standard error.
        const std::string& usage = c.status == 0 ? run.out : run.err;
        EXPECT_EQ(usage.rfind("usage: quillsift-samples OUTDIR\n", 0), 0u) << usage;
        EXPECT_EQ((c.status == 0 ? run.err : run.out), "");
    }
    EXPECT_EQ(readFile(keep), "mine");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path() / "mine"), {}), 1);
    // Nothing else was written: no "a", no "b".
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 3);
}

// Every format of the table has a file in the sample collection, and the
// command line lists it.
TEST(Samples, HoldEveryFormatAndEachLists) {
    TempDir dir;
    ASSERT_EQ(runProgram("quillsift-samples", {dir.str() + "/c"}).status, 0);
    std::map<const qs::ContainerFormat*, std::string> sample;
    for (const auto& entry : fs::recursive_directory_iterator(dir.path() / "c"))
        if (const qs::ContainerFormat* f = qs::FormatOfFileName(entry.path().string()))
            sample.emplace(f, entry.path().string());
    for (const qs::ContainerFormat& f : qs::ContainerFormats()) {
        SCOPED_TRACE(std::string(f.tag));
        ASSERT_TRUE(sample.contains(&f)) << "no sample";
        const CliRun run = runCli({"-q", "--list", sample[&f]});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_FALSE(run.out.empty());
    }
}
