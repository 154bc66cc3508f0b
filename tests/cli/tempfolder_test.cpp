// The private temporary folder, which G64 and TAP listings and the outside
// archiver need: where the usual one cannot be made the command line says so
// once and still searches; where none can be made, each file that needs one
// is reported.
#include "CliRunner.h"
#include "ToolSession.h"
#include "samples/DiskBuilder.h"
#include "samples/G64Builder.h"
#include "samples/TapBuilder.h"
#include "samples/ZipWriter.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace qs;
using namespace qs::samples;
using namespace qs::test;

namespace {

// a.g64, b.tap and c.zip holding d.g64: each needs the temporary folder.
void writeFiles(const TempDir& dir) {
    DiskBuilder d;
    d.name(toPetscii("GCR")).formatBam().add({toPetscii("BLAST GCR"), 0x82, 3, 17, 0});
    dir.write("root/a.g64", D64ToG64(d.bytes()));
    dir.write("root/b.tap",
              TapBuilder().program("BLAST TAPE", 0x0801, std::string(600, '*')).bytes());
    dir.write("root/c.zip", StoredZip({{"d.g64", D64ToG64(d.bytes())}}));
}

} // namespace

TEST(TempFolder, WhenTheUsualOneCannotBeMadeTheCommandLineSaysSoOnceAndStillSearches) {
    TempDir dir;
    writeFiles(dir);
    const std::vector<std::string> args{
        "-q", "-s", "BLAST", "-t", "G64,TAP", "-z", dir.str() + "/root"};
    const CliRun usual = runCli(args, {nullptr, {}, {{"TMPDIR", dir.str()}}});
    ASSERT_EQ(usual.status, 0);
    EXPECT_EQ(usual.err, "");
    EXPECT_NE(usual.out.find("\nTotal: 3 matching expressions\n"), std::string::npos) << usual.out;

    // Once, with the reason; the other reasons are the temporary folder's own test.
    const std::string missing = dir.str() + "/missing";
    const CliRun run = runCli(args, {nullptr, {}, {{"TMPDIR", missing}}});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, usual.out);
    const std::string said = "quillsift-cli: the temporary folder " + missing +
                             "/ cannot be used (No such file or directory); using ";
    ASSERT_TRUE(run.err.starts_with(said) && run.err.ends_with("/ instead\n")) << run.err;
    const std::string used = run.err.substr(said.size(), run.err.size() - said.size() - 10);
    EXPECT_EQ(used.find('\n'), std::string::npos);
    EXPECT_NE(used.find("/quillsift-"), std::string::npos) << used;
    EXPECT_FALSE(std::filesystem::exists(used)); // removed at the end
}

TEST(TempFolder, WithoutAnyEachFileThatNeedsOneIsReported) {
    TempDir dir;
    writeFiles(dir);
    const std::string root = dir.str() + "/root";
    const std::string noFolder = " - 76 - Path not found (no private temporary folder)\r\nFile: ";
    for (const bool external : {false, true}) {
        SCOPED_TRACE(external);
        if (external && !haveArchiver())
            continue;
        ToolSession t;
        t.setup.tempFolder.clear();
        t.request.externalArchiver = external;
        t.search(root, "BLAST", {"G64", "TAP"});
        EXPECT_EQ(t.said(),
                  (std::vector<std::string>{
                      "[analizzaG64]" + noFolder + root + "/a.g64",
                      "[analizzaTAP]" + noFolder + root + "/b.tap",
                      external ? "[SearchC64File]" + noFolder + root + "/c.zip"
                               : "[analizzaG64]" + noFolder + "d.g64 in " + root + "/c.zip",
                  }));
        EXPECT_EQ(t.lastOutcome.end, SearchEnd::Completed);
        EXPECT_EQ(t.lastOutcome.matches, 0);
    }
}
