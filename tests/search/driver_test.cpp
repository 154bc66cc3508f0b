#include "SearchHarness.h"
#include "samples/DiskBuilder.h"
#include "search/Output.h"
#include "search/SearchDriver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <unistd.h>

using namespace qs;
using namespace qs::test;
using qs::samples::DiskBuilder;
using qs::samples::toPetscii;
namespace fs = std::filesystem;

namespace {

std::string disk(std::initializer_list<std::pair<const char*, int>> entries) {
    DiskBuilder d;
    d.name(toPetscii("TEST DISK")).formatBam().link(1, 0, 255);
    for (const auto& [name, blocks] : entries)
        d.add({toPetscii(name), 0x82, static_cast<std::uint16_t>(blocks), 17, 0});
    return d.bytes();
}

std::vector<std::string> statusesStartingWith(const FakeView& v, const std::string& prefix) {
    std::vector<std::string> out;
    for (const auto& s : v.statuses)
        if (s.rfind(prefix, 0) == 0)
            out.push_back(s.substr(prefix.size()));
    return out;
}

} // namespace

TEST(SearchDriver, TypicalRequestGivesTheWholeReport) {
    SearchHarness h;
    h.write("blast.d64", disk({{"BLASTER", 12}, {"OTHER", 3}}));
    h.view.opts.findStr = "BLAST";
    StartButtonClick(h.session);
    const std::string root = h.root();
    EXPECT_EQ(h.view.results, "\r\nSearching for: BLAST\r\nStarting Folder: " + root +
                                  "\r\n------\r\n" + root +
                                  "/blast.d64\r\n[1] entries found:\r\n"
                                  "\r\n12   \"BLASTER\"          prg\r\n"
                                  "\r\n-------------------------\r\n------"
                                  "\r\nScan: 1 files analyzed\r\nTotal: 1 matching expressions");
    EXPECT_EQ(h.view.lastStatus(), "Scan Completed (1 files analyzed, 1 matching expressions )");
    EXPECT_EQ(h.session.lastOutcome.end, SearchEnd::Completed);
    EXPECT_EQ(h.session.startState, StartState::Stopped);
    EXPECT_FALSE(h.view.running);
}

TEST(SearchDriver, EmptyFolderStillReportsHeadAndSummary) {
    SearchHarness h;
    StartButtonClick(h.session);
    EXPECT_NE(std::find(h.view.statuses.begin(), h.view.statuses.end(), "1 folders to check"),
              h.view.statuses.end());
    EXPECT_EQ(h.view.results.substr(h.view.results.find("------")),
              "------\r\n------\r\nScan: 0 files analyzed\r\nTotal: 0 matching expressions");
    EXPECT_EQ(h.view.lastStatus(), "Scan Completed (0 files analyzed, 0 matching expressions )");
}

TEST(SearchDriver, FolderOrderFileOrderHiddenEntriesAndLinks) {
    SearchHarness h;
    for (const char* f : {"B/B1", "A/A2", "A/A1", ".hidden"})
        fs::create_directories(h.dir.path() / "root" / f);
    const std::string img = disk({{"X", 1}});
    for (const char* f : {"b.d64", "A.D64", "c.d64", ".h.d64", "A/x.d64", ".hidden/y.d64"})
        h.write(f, img);
    // Links back to an ancestor and to a sibling must not make folders appear twice.
    fs::create_directory_symlink(h.root(), h.dir.path() / "root" / "A" / "A1" / "loop");
    fs::create_directory_symlink(h.root() + "/B", h.dir.path() / "root" / "A" / "toB");
    h.view.opts.recurse = true;
    StartButtonClick(h.session);
    const std::string r = h.root();
    EXPECT_EQ(
        statusesStartingWith(h.view, "Checking folder "),
        (std::vector<std::string>{r, r + "/A", r + "/B", r + "/A/A1", r + "/A/A2", r + "/B/B1"}));
    EXPECT_NE(std::find(h.view.statuses.begin(), h.view.statuses.end(), "6 folders to check"),
              h.view.statuses.end());
    EXPECT_EQ(statusesStartingWith(h.view, "Analyzing file "),
              (std::vector<std::string>{r + "/A.D64", r + "/b.d64", r + "/c.d64", r + "/A/x.d64"}));
    EXPECT_EQ(h.session.lastOutcome.filesAnalysed, 4);
}

TEST(SearchDriver, BrokenImagesAndUnreadableFoldersDoNotEndTheSearch) {
    SearchHarness h;
    h.write("a_short.d64", std::string(1000, '\0'));
    h.write("b_good.d64", disk({{"GOOD", 1}}));
    h.write("locked/c.d64", disk({{"HIDDEN AWAY", 1}}));
    h.write("z/d.d64", disk({{"LAST", 1}}));
    fs::permissions(h.dir.path() / "root" / "locked", fs::perms::none);
    const bool rootIgnoresRights = ::access((h.root() + "/locked").c_str(), R_OK) == 0;
    h.view.opts.recurse = true;
    StartButtonClick(h.session);

    ASSERT_GE(h.view.messages.size(), 1u);
    EXPECT_EQ(h.view.messages[0].text.rfind("[analizzaD64] - 9 - ", 0), 0u);
    EXPECT_NE(h.errorLog().find(" - [analizzaD64] - 9 - "), std::string::npos);
    EXPECT_NE(h.errorLog().find("\r\nFile: " + h.root() + "/a_short.d64\r\n"), std::string::npos);
    if (!rootIgnoresRights) {
        EXPECT_NE(h.errorLog().find("[SearchC64File] - 70 - "), std::string::npos);
    }
    EXPECT_NE(h.view.results.find("\"GOOD\""), std::string::npos);
    EXPECT_NE(h.view.results.find("\"LAST\""), std::string::npos);
    EXPECT_EQ(h.session.lastOutcome.end, SearchEnd::Completed);
    // The short image was analysed as far as it goes and counted.
    EXPECT_EQ(h.session.lastOutcome.filesAnalysed, rootIgnoresRights ? 4 : 3);
}

TEST(SearchDriver, RequestFailureAndOverwriteCancelEndAsStopped) {
    SearchHarness h;
    h.view.results = "old";
    h.view.opts.findStr = "";
    StartButtonClick(h.session);
    EXPECT_EQ(h.view.results, "");
    EXPECT_EQ(h.view.lastStatus(), "Process Stopped");
    EXPECT_EQ(h.session.lastOutcome.end, SearchEnd::Stopped);

    SearchHarness s;
    s.view.opts.saveFile = true;
    s.dir.write("Quillsift Results.txt", "keep");
    s.view.answers = {MsgAnswer::Cancel};
    StartButtonClick(s.session);
    EXPECT_EQ(s.view.messages.at(0).title, "File overwriting..");
    EXPECT_EQ(s.view.messages.at(0).text, "The result file " + s.view.opts.resultsFile +
                                              " already exists.\r\nDo you want to overwrite it?");
    EXPECT_EQ(s.dir.read("Quillsift Results.txt"), "keep");
    EXPECT_EQ(s.view.lastStatus(), "Process Stopped");
}

TEST(SearchDriver, ResultsFileStartsWithHeaderAndEmptyLine) {
    SearchHarness h;
    h.write("game.d64", disk({{"GAME", 7}}));
    h.view.opts.saveFile = true;
    h.dir.write("Quillsift Results.txt", "old content that goes");
    h.view.answers = {MsgAnswer::Ok};
    StartButtonClick(h.session);
    const std::string file = h.dir.read("Quillsift Results.txt");
    EXPECT_EQ(file.rfind(ResultsHeaderLine() + "\r\nSearching for: *\r\n", 0), 0u);
    EXPECT_NE(file.find("7    \"GAME\"             prg\r\n"), std::string::npos);
    const std::string tail = "Total: 1 matching expressions\r\n";
    EXPECT_EQ(file.substr(file.size() - tail.size()), tail);
    EXPECT_EQ(file.find("old content"), std::string::npos);
}

TEST(SearchDriver, StopClickedBetweenFilesEndsWithoutSummary) {
    SearchHarness h;
    for (const char* f : {"a.d64", "b.d64", "c.d64"})
        h.write(f, disk({{"GAME", 1}}));
    int analysing = 0;
    h.view.onDoEvents = [&] {
        if (h.view.lastStatus().rfind("Analyzing file ", 0) == 0 && ++analysing == 2)
            StartButtonClick(h.session); // the second click arrives during the run
    };
    StartButtonClick(h.session);
    EXPECT_EQ(h.view.lastStatus(), "Process Stopped");
    EXPECT_EQ(h.view.results.find("Scan:"), std::string::npos);
    EXPECT_EQ(h.session.lastOutcome.filesAnalysed, 2);
    EXPECT_EQ(h.session.lastOutcome.end, SearchEnd::Stopped);
    EXPECT_EQ(h.session.startState, StartState::Stopped);
}

TEST(SearchDriver, StopDuringFolderScanEndsBeforeTheReportHead) {
    SearchHarness h;
    fs::create_directories(h.dir.path() / "root" / "A" / "A1");
    fs::create_directories(h.dir.path() / "root" / "B");
    h.view.opts.recurse = true;
    h.view.onDoEvents = [&] {
        if (h.view.lastStatus().rfind("Folder Array creation (", 0) == 0)
            StartButtonClick(h.session);
    };
    StartButtonClick(h.session);
    EXPECT_EQ(h.view.lastStatus(), "Process Stopped");
    EXPECT_EQ(h.view.results, "");
    EXPECT_EQ(statusesStartingWith(h.view, "Folder Array creation (").size(), 3u);
}

TEST(SearchDriver, ArchiveNamesFollowTheArchivePatterns) {
    SearchOptions o;
    EXPECT_FALSE(IsArchiveName(o, "GAME.ZIP"));
    o.zip.value = 1;
    EXPECT_TRUE(IsArchiveName(o, "game.zip"));
    EXPECT_TRUE(IsArchiveName(o, "GAME.R"));
    EXPECT_TRUE(IsArchiveName(o, "GAME.Z"));
    EXPECT_FALSE(IsArchiveName(o, "GAME.D64"));
    EXPECT_FALSE(IsArchiveName(o, "GAME.R00"));
}

TEST(SearchDriver, FolderVanishingDuringTheRunIsReportedAndSkipped) {
    SearchHarness h;
    h.write("a/one.d64", disk({{"ONE", 1}}));
    h.write("b/two.d64", disk({{"TWO", 1}}));
    h.view.opts.recurse = true;
    h.view.onDoEvents = [&] {
        if (h.view.lastStatus() == "Checking folder " + h.root())
            fs::remove_all(h.dir.path() / "root" / "a");
    };
    StartButtonClick(h.session);
    ASSERT_EQ(h.view.messages.size(), 1u);
    EXPECT_EQ(h.view.messages[0].text.rfind("[SearchC64File] - 76 - Path not found", 0), 0u);
    EXPECT_NE(h.errorLog().find("[SearchC64File] - 76 - "), std::string::npos);
    EXPECT_NE(h.view.results.find("\"TWO\""), std::string::npos);
    EXPECT_EQ(h.view.lastStatus(), "Scan Completed (1 files analyzed, 1 matching expressions )");
}

TEST(SearchDriver, CancelRequestSeenWithoutWindowEventsStopsAfterTheFile) {
    SearchHarness h;
    for (const char* f : {"a.d64", "b.d64"})
        h.write(f, disk({{"GAME", 1}}));
    std::atomic<bool> cancel{false};
    h.session.tools.cancel = &cancel;
    h.view.onDoEvents = [&] {
        if (h.view.lastStatus().rfind("Analyzing file ", 0) == 0)
            cancel = true; // as a Ctrl-C during the reader
    };
    StartButtonClick(h.session);
    EXPECT_EQ(h.view.lastStatus(), "Process Stopped");
    EXPECT_EQ(h.session.lastOutcome.filesAnalysed, 1);
}
