// The command line against expected output files, in a fixed order.
#include "CliRunner.h"
#include "ExpectedOutput.h"
#include "TempDir.h"
#include "common/Text.h"
#include "samples/DiskBuilder.h"
#include "search/Output.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace qs;
using namespace qs::test;
using qs::samples::DiskBuilder;
using qs::samples::toPetscii;

namespace {

// A small fixed collection: two images at the top, one in a subfolder, and a
// broken one.
struct Collection {
    TempDir dir;
    Collection() {
        DiskBuilder games;
        games
            .name(toPetscii("GAMES DISK"), "GD\xA0"
                                           "2A")
            .formatBam();
        games.add({toPetscii("BLASTER"), 0x82, 12, 17, 0})
            .add({toPetscii("Blast Off"), 0xC2, 5, 17, 1})
            .add({toPetscii("README"), 0x81, 2, 17, 2})
            .add({toPetscii("OLD"), 0x00, 1, 17, 3});
        dir.write("games.d64", games.bytes());
        DiskBuilder tools;
        tools.name(toPetscii("TOOLS")).formatBam();
        tools.add({toPetscii("COPY"), 0x82, 20, 17, 0});
        dir.write("sub/tools.d64", tools.bytes());
        dir.write("sub/.hidden.d64", games.bytes());
    }
    std::string root() const { return dir.str(); }
};

} // namespace

TEST(Cli, TypicalSearch) {
    Collection c;
    const CliRun run = runCli({"-s", "BLAST", c.root()});
    EXPECT_EQ(run.out, expected("typical.out", c.root()));
    EXPECT_EQ(run.err, "Scan Completed (1 files analyzed, 2 matching expressions )\n");
    EXPECT_EQ(run.status, 0);
}

TEST(Cli, RecursiveSearchWithOptions) {
    Collection c;
    const CliRun run =
        runCli({"-r", "-q", "-c", "prg,seq,scr", "--container-name", "--file-name", c.root()});
    EXPECT_EQ(run.out, expected("recursive.out", c.root()));
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
}

TEST(Cli, NoMatchAndBrokenImage) {
    Collection c;
    c.dir.write("broken.d64", std::string(1000, '\x01'));
    const CliRun run = runCli({"-s", "NOTHING", "--no-partial", c.root()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Error Detected: [analizzaD64] - 9 - Subscript out of range (no byte at "
                       "offset 91396)\nFile: " +
                           c.root() +
                           "/broken.d64\n"
                           "Scan Completed (2 files analyzed, 0 matching expressions )\n");
}

TEST(Cli, RequestChecksEndAsStopped) {
    Collection c;
    const CliRun run = runCli({"-t", "", c.root()});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "Quillsift: At least one PC File Type must be selected\nProcess Stopped\n");
}

TEST(Cli, ResultsFileAndTheOverwriteQuestion) {
    Collection c;
    TempDir out;
    const std::string file = out.str() + "/r\xC3\xA9sultats.txt";
    CliRun run = runCli({"-s", "BLAST", "-o", file, c.root()});
    EXPECT_EQ(run.status, 0);
    const std::string first = readFile(file);
    EXPECT_EQ(first, ResultsHeaderLine() + "\r\n" +
                         replaceAll(expected("typical.out", c.root()), "\n", "\r\n"));

    // Without --overwrite the answer is Cancel: nothing changes.
    run = runCli({"-s", "COPY", "-r", "-o", file, c.root()});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "File overwriting..: The result file " + file +
                           " already exists.\nDo you want to overwrite it?\nProcess Stopped\n");
    EXPECT_EQ(readFile(file), first);

    run = runCli({"-s", "COPY", "-r", "-o", file, "--overwrite", c.root()});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(readFile(file).find("20   \"COPY\"             prg\r\n"), std::string::npos);
}

TEST(Cli, UsageAndVersion) {
    EXPECT_EQ(runCli({"--version"}).out.rfind(ProgramBanner() + "\n", 0), 0u);
    EXPECT_NE(runCli({"--help"}).out.find("quillsift-cli [OPTIONS] FOLDER"), std::string::npos);
    const CliRun bad = runCli({"--types", "XYZ", "/"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.err, "quillsift-cli: unknown type 'XYZ'\nTry 'quillsift-cli --help'.\n");
}
