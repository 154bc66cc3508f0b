// The private temporary folder, which G64 and TAP listings and the outside
// archiver need: where none can be made, each file that needs one is
// reported.
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
