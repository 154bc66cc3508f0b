// The private temporary folder, which G64 and TAP listings and the outside
// archiver need: where the usual one cannot be made the command line says so
// once and still searches; where none can be made, each file that needs one
// is reported.
#include "CliRunner.h"
#include "FakeView.h"
#include "TempDir.h"
#include "common/Text.h"
#include "common/modGeneral.h"
#include "samples/DiskBuilder.h"
#include "samples/G64Builder.h"
#include "samples/TapBuilder.h"
#include "samples/ZipWriter.h"
#include "search/SearchDriver.h"
#include "search/Session.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace qs;
using namespace qs::samples;
using namespace qs::test;

namespace {

std::string blastDisk() {
    DiskBuilder d;
    d.name(toPetscii("GCR")).formatBam().add({toPetscii("BLAST GCR"), 0x82, 3, 17, 0});
    return d.bytes();
}

// a.g64, b.tap and c.zip holding d.g64: each needs the temporary folder.
void writeFiles(const TempDir& dir) {
    dir.write("root/a.g64", D64ToG64(blastDisk()));
    dir.write("root/b.tap",
              TapBuilder().program("BLAST TAPE", 0x0801, std::string(600, '*')).bytes());
    dir.write("root/c.zip", StoredZip({{"d.g64", D64ToG64(blastDisk())}}));
}

std::string binFolder() {
    const char* dir = std::getenv("QS_BIN_DIR");
    return TrailingSlash(dir != nullptr ? dir : ApplicationFolder() + "../bin");
}

} // namespace

TEST(TempFolder, WhenTheUsualOneCannotBeMadeTheCommandLineSaysSoOnceAndStillSearches) {
    TempDir dir;
    writeFiles(dir);
    const std::string file = dir.write("file", "x");
    const std::vector<std::string> args{
        "-q", "-s", "BLAST", "-t", "G64,TAP", "-z", dir.str() + "/root"};
    const CliRun usual = runCli(args, {nullptr, {}, {{"TMPDIR", dir.str()}}});
    ASSERT_EQ(usual.status, 0);
    EXPECT_EQ(usual.err, "");
    EXPECT_NE(usual.out.find("\nTotal: 3 matching expressions\n"), std::string::npos) << usual.out;

    const struct {
        std::string tmpdir;
        std::string reason;
    } cases[] = {
        {dir.str() + "/missing", "No such file or directory"},
        {file + "/tmp", "Not a directory"}, // not even root can make this one
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tmpdir);
        const CliRun run = runCli(args, {nullptr, {}, {{"TMPDIR", c.tmpdir}}});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, usual.out);
        const std::string head = "quillsift-cli: the temporary folder " + c.tmpdir +
                                 "/ cannot be used (" + c.reason + "); using ";
        const std::string tail = "/ instead\n";
        ASSERT_EQ(run.err.rfind(head, 0), 0u) << run.err;
        ASSERT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
        ASSERT_GT(run.err.size(), head.size() + tail.size());
        const std::string used =
            run.err.substr(head.size(), run.err.size() - head.size() - tail.size());
        EXPECT_NE(used.find("/quillsift-"), std::string::npos);
        EXPECT_FALSE(std::filesystem::exists(used)); // removed at the end
    }
}

TEST(TempFolder, WithoutAnyEachFileThatNeedsOneIsReported) {
    TempDir dir;
    writeFiles(dir);
    const std::string root = dir.str() + "/root";
    const std::string noFolder = " - 76 - Path not found (no private temporary folder)\r\nFile: ";
    const bool archiver = !FindTool("", OutsideTool::Archiver).empty();
    for (const bool external : {false, true}) {
        SCOPED_TRACE(external);
        if (external && !archiver)
            continue;
        FakeView view;
        Session session(view, ToolEnv{binFolder(), ""}, dir.str() + "/ErrorLog.txt");
        session.externalArchiver = external;
        view.opts.findStr = "BLAST";
        view.opts.saveFile = false;
        view.opts.startFolder = root;
        view.opts.zip.value = 1;
        tickOnly(view.opts.fileTypes, {"G64", "TAP"});
        StartButtonClick(session);

        std::vector<std::string> texts;
        for (const ShownMessage& m : view.messages)
            texts.push_back(m.text);
        EXPECT_EQ(texts, (std::vector<std::string>{
                             "[analizzaG64]" + noFolder + root + "/a.g64",
                             "[analizzaTAP]" + noFolder + root + "/b.tap",
                             external ? "[SearchC64File]" + noFolder + root + "/c.zip"
                                      : "[analizzaG64]" + noFolder + "d.g64 in " + root + "/c.zip",
                         }));
        EXPECT_EQ(session.lastOutcome.end, SearchEnd::Completed);
        EXPECT_EQ(session.lastOutcome.matches, 0);
    }
}
