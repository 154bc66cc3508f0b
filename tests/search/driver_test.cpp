// The search run through its start button, as the user sees it: the report,
// the status texts, the message boxes and the error log. The report's lines
// themselves are checked with the command line's expected output.
#include "SearchHarness.h"
#include "common/Text.h"
#include "samples/DiskBuilder.h"
#include "search/Pipeline.h"
#include "search/Search.h"

#include <gtest/gtest.h>

#include <climits>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace qs;
using namespace qs::test;
using qs::samples::DiskBuilder;
using qs::samples::toPetscii;
namespace fs = std::filesystem;

namespace {

std::string disk(const std::string& entry) {
    DiskBuilder d;
    d.name(toPetscii("TEST DISK")).formatBam().link(1, 0, 255);
    d.add({toPetscii(entry), 0x82, 1, 17, 0});
    return d.bytes();
}

bool hasStatus(const FakeSink& v, const std::string& status) {
    return std::find(v.statuses.begin(), v.statuses.end(), status) != v.statuses.end();
}

// The report's file headings, in order.
std::vector<std::string> headings(const SearchHarness& h) {
    std::vector<std::string> out;
    for (const std::string& line : SplitLines(h.view.results, CrRule::Drop))
        if (line.rfind(h.root() + "/", 0) == 0)
            out.push_back(line.substr(h.root().size() + 1));
    return out;
}

} // namespace

// Each folder's subfolders together, then the subtree of each; files in name
// order without regard to case; hidden entries left out; no folder twice,
// however links lead back. The same whether the walk's reading of each folder
// is kept for the search (work starting while the walk goes on), kept in
// part, or not at all, and with one job or several.
TEST(SearchDriver, WalkOrder) {
    SearchHarness h;
    for (const char* f : {"b.d64", "A.D64", "c.d64", ".h.d64", "A/x.d64", "A/A2/z.d64",
                          "A/A1/y.d64", "B/B1/w.d64", ".hidden/v.d64"})
        h.write(f, disk("X"));
    fs::create_directory_symlink(h.root(), h.dir.path() / "root/A/A1/loop");
    fs::create_directory_symlink(h.root() + "/B", h.dir.path() / "root/A/toB");
    h.request.recurse = true;
    const std::size_t whole = h.setup.walkMemory;
    for (const std::size_t memory : {whole, std::size_t{0}, std::size_t{300}})
        for (const unsigned jobs : {1u, 4u}) {
            SCOPED_TRACE(std::to_string(memory) + " bytes, " + std::to_string(jobs) + " jobs");
            h.setup.walkMemory = memory;
            h.request.jobs = jobs;
            h.view.statuses.clear();
            h.view.fileCounts.clear();
            h.search();
            // Counted in files once the walk has found them all.
            EXPECT_EQ(h.view.fileCounts,
                      (decltype(h.view.fileCounts){
                          {0, 7}, {1, 7}, {2, 7}, {3, 7}, {4, 7}, {5, 7}, {6, 7}, {7, 7}}));
            EXPECT_EQ(headings(h),
                      (std::vector<std::string>{"A.D64", "b.d64", "c.d64", "A/x.d64", "A/A1/y.d64",
                                                "A/A2/z.d64", "B/B1/w.d64"}));
            EXPECT_TRUE(hasStatus(h.view, "6 folders to check"));
            EXPECT_TRUE(h.view.lastStatus().rfind("Scan Completed (7 files analyzed", 0) == 0);
        }
    // Without the walk, the folder's own files are counted when it is read.
    h.request.recurse = false;
    h.view.fileCounts.clear();
    h.search();
    EXPECT_EQ(h.view.fileCounts,
              (std::vector<std::pair<std::size_t, std::size_t>>{{1, 3}, {2, 3}, {3, 3}}));
}

// A folder that cannot be read and one that vanishes during the run are each
// shown and logged, and the search goes on. (Broken files: the readers' table.)
TEST(SearchDriver, FolderFailuresAreReportedAndTheSearchGoesOn) {
    SearchHarness h;
    h.write("locked/c.d64", disk("HIDDEN AWAY"));
    h.write("vanish/d.d64", disk("GONE"));
    h.write("z/e.d64", disk("LAST"));
    fs::permissions(h.dir.path() / "root/locked", fs::perms::none);
    const bool rightsIgnored = ::access((h.root() + "/locked").c_str(), R_OK) == 0; // root
    // Gone after the folder list was made (at the last folder's scan), before
    // its files are listed.
    int scans = 0;
    h.view.onPump = [&] {
        if (h.view.lastStatus().rfind("Folder Array creation (", 0) == 0 && ++scans == 4)
            fs::remove_all(h.dir.path() / "root/vanish");
    };
    h.request.recurse = true;
    h.request.jobs = 1; // one file after another, so that the folder goes before its turn
    h.search();

    ASSERT_EQ(h.view.messages.size(), rightsIgnored ? 1u : 2u);
    EXPECT_EQ(h.view.messages.back().text.rfind("[SearchC64File] - 76 - Path not found", 0), 0u);
    if (!rightsIgnored) {
        EXPECT_EQ(h.view.messages[0].text.rfind("[SearchC64File] - 70 - ", 0), 0u);
    }
    for (const ShownMessage& m : h.view.messages)
        EXPECT_NE(h.errorLog().find(m.text), std::string::npos) << m.text;
    EXPECT_EQ(headings(h).back(), "z/e.d64");
    EXPECT_EQ(h.view.results.find("GONE"), std::string::npos);
    EXPECT_EQ(h.outcome.filesAnalysed, rightsIgnored ? 2 : 1);
    EXPECT_EQ(h.outcome.end, SearchEnd::Completed);
}

// A folder whose path is longer than the system allows cannot be searched:
// it is shown and logged once through the folder scan's trap, never passed
// over silently, and the search goes on. (mkdir -p cannot make such a tree;
// each level is made relative to the one above.)
TEST(SearchDriver, FoldersBeyondThePathLimitAreReported) {
    SearchHarness h;
    h.write("a.d64", disk("TOP"));
    const std::string level(200, 'd');
    std::string path = h.root();
    int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY);
    std::string first; // the first level beyond the limit
    for (int i = 0; fd >= 0 && i < PATH_MAX / 200 + 2; ++i) {
        path += "/" + level;
        if (first.empty() && path.size() >= PATH_MAX)
            first = path;
        ASSERT_EQ(::mkdirat(fd, level.c_str(), 0700), 0);
        const int next = ::openat(fd, level.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
    }
    ASSERT_GE(fd, 0);
    ::close(::openat(fd, "deep.d64", O_WRONLY | O_CREAT, 0600));
    ::close(fd);
    h.request.recurse = true;
    h.search();

    ASSERT_EQ(h.view.messages.size(), 1u);
    EXPECT_EQ(h.view.messages[0].text,
              "[DirArray2] - 75 - Path/File access error (File name too long)\r\nFile: " + first);
    EXPECT_NE(h.errorLog().find(h.view.messages[0].text), std::string::npos);
    EXPECT_EQ(h.outcome.end, SearchEnd::Completed);
    EXPECT_EQ(h.outcome.filesAnalysed, 1);
    EXPECT_EQ(h.outcome.filesFailed, 1);               // counted as a folder without permission is
    shell("rm -rf " + quoted(h.root() + "/" + level)); // deeper than remove_all goes
}

// Every way a run ends early: "Process Stopped", no summary, an existing
// results file untouched. A stop (a click, Ctrl-C) comes with the nth status
// that starts so.
TEST(SearchDriver, EveryStopEndsTheSameWay) {
    enum class Act { None, Stop };
    const struct {
        const char* what;
        const char* find;
        bool saving; // the overwrite question is answered Cancel
        const char* status;
        int nth;
        Act act;
        int filesAnalysed;
    } cases[] = {
        {"a refused request", "", false, "", 0, Act::None, 0},
        {"Cancel to the overwrite question", "*", true, "", 0, Act::None, 0},
        {"a stop between files", "*", false, "Analyzing file ", 2, Act::Stop, 2},
        {"a stop during the folder scan", "*", false, "Folder Array creation (", 1, Act::Stop, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SearchHarness h;
        for (const char* f : {"a.d64", "b.d64", "c.d64", "A/A1/d.d64", "B/e.d64"})
            h.write(f, disk("GAME"));
        h.dir.write("Quillsift Results.txt", "keep");
        h.view.results = "left from before";
        h.request.pattern = c.find;
        h.request.saveResults = c.saving;
        h.request.recurse = true;
        h.view.replace = false;
        int seen = 0;
        h.view.onPump = [&] {
            if (c.act == Act::None || h.view.lastStatus().rfind(c.status, 0) != 0 ||
                ++seen != c.nth)
                return;
            h.stop = true;
        };
        h.search();
        EXPECT_EQ(h.view.lastStatus(), "Process Stopped");
        EXPECT_EQ(h.outcome.end, SearchEnd::Stopped);
        EXPECT_EQ(h.outcome.filesAnalysed, c.filesAnalysed);
        EXPECT_EQ(h.view.results.empty(), c.filesAnalysed == 0) << h.view.results;
        EXPECT_EQ(h.view.results.find("Scan:"), std::string::npos);
        EXPECT_EQ(h.dir.read("Quillsift Results.txt"), "keep");
    }
}

// A stop while a file's matches are shown: the summary counts the matches
// whose records went out, no more, with one job or several.
TEST(SearchDriver, AStopAmidAFilesMatchesCountsThoseShown) {
    for (const unsigned jobs : {1u, 2u}) {
        SearchHarness h;
        for (const char* f : {"a.d64", "b.d64", "c.d64"})
            h.write(f, disk("GAME"));
        h.request.records = true;
        h.request.fileNames = h.request.mediumNames = true; // three matches a file
        h.request.jobs = jobs;
        h.view.onMatch = [&] { h.stop = h.view.matches.size() == 4; };
        h.search();
        EXPECT_EQ(h.view.matches.size(), 4u);
        EXPECT_EQ(h.outcome.matches, 4);
    }
}

// Folder and file names that would break a report line or its UTF-8 are shown
// escaped, in the report, the status texts, the messages and the error log;
// other names as they are.
TEST(SearchDriver, OddNamesAreShownEscaped) {
    SearchHarness h;
    for (const char* f : {"line\nbreak/a.d64", "bad\xFF\xFE/b.d64", "J\xC3\xB6rg/c\\d.d64"})
        h.write(f, disk("X"));
    // Its error names it: no control sequence reaches the terminal, and its
    // log entry stays two lines.
    h.write("x\x1B[2Jy\nz.d64", "");
    h.request.recurse = true;
    h.request.fileNames = true;
    h.search();
    EXPECT_EQ(headings(h),
              (std::vector<std::string>{"x\\x1B[2Jy\\nz.d64", "bad\\xFF\\xFE/b.d64",
                                        "J\xC3\xB6rg/c\\\\d.d64", "line\\nbreak/a.d64"}));
    EXPECT_NE(h.view.results.find("[Filename match] C\\\\D\r\n"), std::string::npos);
    EXPECT_TRUE(hasStatus(h.view, "Checking folder " + h.root() + "/line\\nbreak"));
    EXPECT_TRUE(hasStatus(h.view, "Analyzing file " + h.root() + "/bad\\xFF\\xFE/b.d64"));
    // Every line of the report and every status is whole, valid UTF-8.
    std::vector<std::string> shown = SplitLines(h.view.results, CrRule::Drop);
    shown.insert(shown.end(), h.view.statuses.begin(), h.view.statuses.end());
    for (const std::string& line : shown) {
        std::size_t pos = 0;
        while (pos < line.size())
            ASSERT_TRUE(nextUtf8(line, pos)) << line;
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
    }
    ASSERT_EQ(h.view.messages.size(), 1u);
    const std::string& text = h.view.messages[0].text;
    EXPECT_TRUE(text.ends_with("\r\nFile: " + h.root() + "/x\\x1B[2Jy\\nz.d64")) << text;
    EXPECT_EQ(text.find_first_of("\x1B\n"), text.find("\r\n") + 1) << text;
    EXPECT_EQ(SplitLines(h.errorLog(), CrRule::Drop).size(), 3u) << h.errorLog();
}

// What workers make ahead of the caller stays within the budget (here ten
// items, and ten more of the task taken from), however much one task makes,
// and comes in the order given, with one job or several.
TEST(OrderedPipeline, ItemsComeInOrderWithinTheBudget) {
    for (const unsigned jobs : {1u, 2u, 8u}) {
        std::atomic<long> made{0};
        long taken = 0, most = 0;
        OrderedPipeline<long> p(jobs, 4 * jobs, 100, [](const long&) { return 10; });
        for (long task = 0; task < 6; ++task)
            p.submit([&made, task](const OrderedPipeline<long>::Emit& emit) {
                for (long i = 0; i < 1000; ++i) {
                    emit(task * 1000 + i);
                    ++made;
                }
            });
        while (!p.empty())
            p.next([&](long& item) {
                EXPECT_EQ(item, taken);
                most = std::max(most, made - ++taken);
                return true;
            });
        EXPECT_EQ(taken, 6000) << jobs;
        EXPECT_LE(most, 20 + static_cast<long>(jobs)) << jobs;
    }
}

// The index in the search itself, with several jobs (the threaded test runs
// it under ThreadSanitizer): made, answered from and answering alone, the
// report is the one without it, and the same after a file changed.
TEST(SearchDriver, IndexGivesTheSameReportWithSeveralJobs) {
    SearchHarness h;
    for (int n = 0; n < 300; ++n)
        h.write("f" + std::to_string(n % 7) + "/d" + std::to_string(n) + ".d64",
                disk(n % 9 == 0 ? "BLAST " + std::to_string(n) : "GAME"));
    // Ten seconds old, as files the index keeps are.
    const auto back = fs::file_time_type::clock::now() - std::chrono::seconds(10);
    for (const auto& e : fs::recursive_directory_iterator(h.root()))
        fs::last_write_time(e.path(), back);
    h.request.recurse = true;
    h.request.pattern = "BLAST";
    h.request.jobs = 4;
    h.request.indexFile = h.dir.str() + "/index.sqlite";
    auto report = [&](SearchRequest::IndexUse use) {
        h.request.index = use;
        h.view.results.clear();
        h.search();
        EXPECT_TRUE(h.view.messages.empty());
        return h.view.results;
    };
    const std::string live = report(SearchRequest::IndexUse::Off);
    EXPECT_NE(live.find("BLAST 297"), std::string::npos);
    for (const auto use : {SearchRequest::IndexUse::Use, SearchRequest::IndexUse::Use,
                           SearchRequest::IndexUse::Only})
        EXPECT_EQ(report(use), live);
    h.write("f3/d297.d64", disk("GAME"));
    const std::string changed = report(SearchRequest::IndexUse::Off);
    EXPECT_EQ(changed.find("BLAST 297"), std::string::npos);
    EXPECT_EQ(report(SearchRequest::IndexUse::Use), changed);
}
