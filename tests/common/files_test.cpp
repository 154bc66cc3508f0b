// Files and folders, the private temporary folder, the error log and trap.
// (The lister's order shows in the search's walk; reads past the end, in the
// readers' tables.)
#include "FakeSink.h"
#include "TempDir.h"
#include "common/ByteView.h"
#include "common/Error.h"
#include "common/ErrorLog.h"
#include "common/ErrorTrap.h"
#include "common/FileLister.h"
#include "common/Files.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <functional>
#include <unistd.h>

using namespace qs;
using namespace qs::test;
namespace fs = std::filesystem;

namespace {

int errorNumber(const std::function<void()>& f) {
    try {
        f();
    } catch (const Error& e) {
        return e.number();
    }
    return 0;
}

} // namespace

// One reading of a folder gives both lists: links count as what they lead to,
// hidden entries and dangling links as nothing, files only when they fit.
TEST(Files, OneReadingListsFilesAndSubfolders) {
    TempDir dir;
    for (const char* f : {"b.d64", "A.D64", "c.txt", ".h.d64", "Sub/x.d64", "sub2/y.d64"})
        dir.write(f, "x");
    fs::create_directory(dir.path() / ".hidden");
    fs::create_directory_symlink(dir.path() / "Sub", dir.path() / "link");
    fs::create_symlink(dir.path() / "b.d64", dir.path() / "a-link.d64");
    fs::create_symlink(dir.path() / "gone.d64", dir.path() / "dangling.d64");
    const FolderListing listing = listFolder(dir.str(), "*.d64;*.SID");
    EXPECT_EQ(listing.files, (std::vector<std::string>{"a-link.d64", "A.D64", "b.d64"}));
    EXPECT_EQ(listing.subfolders, (std::vector<std::string>{"link", "Sub", "sub2"}));
    EXPECT_EQ(listFiles(dir.str(), "*.d64"), listing.files);
    EXPECT_EQ(errorNumber([&] { listFolder(dir.str() + "/none", "*"); }), err::PathNotFound);
}

TEST(Files, WholeFilesKeepEveryByteMissingOnesRaiseHiddenOnesStay) {
    TempDir dir;
    const std::string bytes("\x00\xA0\xFFxyz", 6);
    const std::string path = dir.write("bytes.bin", std::string(100, 'x'));
    EXPECT_TRUE(WriteWholeFile(path, bytes)); // an older, longer file leaves nothing behind
    EXPECT_EQ(ReadWholeFile(path), bytes);
    EXPECT_FALSE(WriteWholeFile(dir.str() + "/no/such/folder/x", "x"));

    FileByteSource src(path);
    EXPECT_EQ(src.size(), 6u);
    EXPECT_EQ(src.read(1, 2), "\xA0\xFF");
    EXPECT_EQ(src.read(4, 100), "yz");
    EXPECT_EQ(src.read(6, 1), "");
    EXPECT_EQ(errorNumber([&] { ReadWholeFile(dir.str() + "/missing"); }), err::FileNotFound);
    EXPECT_EQ(errorNumber([&] { FileByteSource s(dir.str() + "/missing"); }), err::FileNotFound);
    EXPECT_EQ(errorNumber([&] { FileByteSource s(dir.str()); }), err::PathFileAccess);
    // By name in an open folder: the same bytes and the same errors; a folder
    // that could not be opened leaves the path to do it.
    const OpenFolder folder(dir.str()), none(dir.str() + "/missing");
    EXPECT_EQ(FileByteSource(path, folder, "bytes.bin").read(0, 6), bytes);
    EXPECT_EQ(FileByteSource(path, none, "bytes.bin").size(), 6u);
    EXPECT_EQ(errorNumber([&] { FileByteSource s(dir.str() + "/x", folder, "x"); }),
              err::FileNotFound);
    fs::create_directory(dir.path() / "sub");
    EXPECT_EQ(errorNumber([&] { FileByteSource s(dir.str() + "/sub", folder, "sub"); }),
              err::PathFileAccess);

    // Exists, kill and create leave folders and hidden files alone.
    const std::string plain = dir.write("a.d64", "x");
    const std::string hidden = dir.write(".hidden.d64", "x");
    EXPECT_TRUE(FileExists(plain));
    EXPECT_FALSE(FileExists(dir.str()) || FileExists(hidden) || FileExists(""));
    KillFile(hidden);
    EXPECT_TRUE(fs::exists(hidden));
    KillFile(plain);
    EXPECT_FALSE(fs::exists(plain));
    EXPECT_NO_THROW(KillFile(plain)); // a missing file is no error

    EXPECT_TRUE(CreateFolderPath(dir.str() + "/X/Y/Z"));
    EXPECT_TRUE(fs::is_directory(dir.str() + "/X/Y/Z"));
    EXPECT_TRUE(CreateFolderPath(dir.str() + "/X/Y/Z")); // there already
    // A file in the way: nothing happens, and it says so.
    const Outcome blocked = CreateFolderPath(hidden + "/sub");
    ASSERT_FALSE(blocked);
    EXPECT_NE(blocked.failure().detail.find(hidden + "/sub"), std::string::npos);
    EXPECT_FALSE(fs::exists(hidden + "/sub"));
}

// The first place that works takes the folder, owner-only, and it goes with
// everything in it; the user is told when it was not the first, or none.
TEST(Files, ThePrivateTempFolderFallsBackAndSaysSo) {
    TempDir dir;
    const std::string file = dir.write("file", "x");
    const std::string missing = dir.str() + "/missing/", underFile = file + "/tmp/";
    const std::string good = dir.str() + "/good/", cache = dir.str() + "/cache/quillsift/";
    fs::create_directory(good);
    const struct {
        std::vector<TempFolderPlace> places;
        std::string used; // the place that holds the folder; empty: none
        std::string notice;
    } cases[] = {
        // clang-format off
        {{{good}, {missing}}, good, ""},
        {{{missing}, {good}}, good,
         "the temporary folder " + missing + " cannot be used (No such file or directory); using "},
        {{{underFile}, {missing}, {cache, true}}, cache,
         "the temporary folder " + underFile + " cannot be used (Not a directory); using "},
        {{{missing}, {underFile, true}}, "",
         "the temporary folder " + missing + " cannot be used (No such file or directory) and no "
         "other private folder can be made: G64 and TAP images, and archives that need the "
         "outside archiver, cannot be searched"},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.notice);
        std::string path;
        {
            const PrivateTempFolder temp(c.places);
            path = temp.path();
            const std::string own = c.used + "quillsift-" + std::to_string(::getpid()) + "-";
            EXPECT_EQ(path.rfind(own, 0), c.used.empty() ? std::string::npos : 0u);
            EXPECT_EQ(path.size(), c.used.empty() ? 0u : own.size() + 7);
            EXPECT_EQ(temp.notice(),
                      c.notice.empty() || c.used.empty() ? c.notice : c.notice + path + " instead");
            if (!c.used.empty()) {
                EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, fs::perms::owner_all);
                EXPECT_TRUE(WriteWholeFile(path + "left-over.txt", "x"));
            }
        }
        EXPECT_TRUE(path.empty() || !fs::exists(path));
    }
    EXPECT_FALSE(fs::exists(missing));
}

// A run that was killed leaves its folder behind; the next run removes it,
// and nothing else: not a live run's folder, not another user's, not a link
// or what it leads to, not a name of another shape.
TEST(Files, FoldersOfDeadRunsGoAtStartAndNothingElse) {
    TempDir dir, outside;
    const std::string dead = std::to_string(std::stoll(readFile("/proc/sys/kernel/pid_max")) + 1);
    const std::string own = std::to_string(::getpid());
    const std::string target = outside.write("keep/file", "x");
    const std::string gone = dir.write("quillsift-" + dead + "-aB3xYz/sub/file", "x");
    fs::create_symlink(target, dir.path() / ("quillsift-" + dead + "-aB3xYz/sub/link"));
    fs::create_directory_symlink(outside.path() / "keep",
                                 dir.path() / ("quillsift-" + dead + "-link00"));
    const std::vector<std::string> kept{
        "quillsift-" + own + "-abcdef/file",   "quillsift-" + dead + "-abcde/file",
        "quillsift-" + dead + "-abcdefg/file", "quillsift-x" + dead + "-abcdef/file",
        "quillsift-" + dead + "-ab.def/file",  "quillsift-" + dead + "-other0/file",
        "quillsift-" + dead + "-file00"};
    for (const std::string& name : kept)
        dir.write(name, "x");
    // Another user's: only root can make one here.
    const bool otherUser =
        ::chown((dir.str() + "/quillsift-" + dead + "-other0").c_str(), 65534, 65534) == 0;
    { const PrivateTempFolder temp({{TrailingSlash(dir.str())}}); }
    EXPECT_FALSE(fs::exists(fs::path(gone).parent_path().parent_path()));
    EXPECT_TRUE(fs::is_symlink(dir.path() / ("quillsift-" + dead + "-link00")));
    EXPECT_TRUE(fs::exists(target));
    for (const std::string& name : kept)
        EXPECT_EQ(fs::exists(dir.path() / name),
                  otherUser || name.find("other0") == std::string::npos)
            << name;
}

TEST(ErrorLog, EntriesAppendWithDayMonthYearStampAndCrLf) {
    TempDir dir;
    const std::string path = dir.str() + "/ErrorLog.txt";
    const ErrorLog log(path, [] {
        std::tm t{};
        t.tm_year = 124, t.tm_mon = 1, t.tm_mday = 14, t.tm_hour = 9, t.tm_min = 5;
        t.tm_isdst = -1;
        return std::chrono::system_clock::from_time_t(std::mktime(&t));
    });
    log.LogError("[SearchC64File] - 76 - Path not found");
    log.LogError("[analizzaD64] - 9 - Subscript out of range\r\nFile: /x/a.d64");
    EXPECT_EQ(readFile(path), "14/02/2024 09:05 - [SearchC64File] - 76 - Path not found\r\n"
                              "14/02/2024 09:05 - [analizzaD64] - 9 - Subscript out of range\r\n"
                              "File: /x/a.d64\r\n");
    EXPECT_NO_THROW(ErrorLog("/nonexistent-folder/ErrorLog.txt").LogError("lost, silently"));
}

TEST(ErrorTrap, ShowsLogsAndLeavesTheProcedure) {
    TempDir dir;
    FakeSink sink;
    const ErrorLog log(dir.str() + "/ErrorLog.txt");
    const ErrorTrap trap(sink, log);
    bool after = false;
    EXPECT_FALSE(trap.runOnFile("analizzaD64", "/x/a.d64", [&] {
        qs::raise(err::SubscriptOutOfRange);
        after = true;
    }));
    EXPECT_FALSE(after);
    EXPECT_FALSE(trap.runUnlogged("DirPrg_Change", [] { throw std::bad_alloc(); }));
    // The results file: appended text by text; a full disk is said once,
    // naming the file and that it is incomplete, and nothing more is written.
    const std::string out = dir.str() + "/out.txt";
    AppendingFile file;
    file.open(out);
    file.write(trap, "header\r\n");
    file.write(trap, "");
    file.close(trap);
    EXPECT_EQ(readFile(out), "header\r\n\r\n\r\n");
    EXPECT_THROW(file.open(dir.str() + "/missing/out.txt"), Error);
    file.open("/dev/full");
    for (int i = 0; i < 10000; ++i)
        file.write(trap, "a report line that the disk has no room for");
    file.close(trap);
    EXPECT_TRUE(file.failed());
    const std::vector<std::string> texts{
        "[analizzaD64] - 9 - Subscript out of range\r\nFile: /x/a.d64",
        "[DirPrg_Change] - 7 - Out of memory",
        "[WriteFile] - 75 - Path/File access error (No space left on device; the results file "
        "is incomplete)\r\nFile: /dev/full"};
    ASSERT_EQ(sink.messages.size(), texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(sink.messages[i].text, texts[i]);
        EXPECT_EQ(sink.messages[i].title, "Error Detected");
        EXPECT_EQ(sink.messages[i].icon, MsgIcon::Critical);
    }
    const std::string logged = dir.read("ErrorLog.txt");
    EXPECT_NE(logged.find(texts[0]), std::string::npos);
    EXPECT_EQ(logged.find("DirPrg_Change"), std::string::npos);
}
