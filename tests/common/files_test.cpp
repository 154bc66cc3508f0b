// Files and folders: whole-file reads and writes, the appending writer, the
// byte sources of the readers, the private temporary folder, and the error log
// with the error trap. (The file lister's order shows in the search's walk.)
#include "TempDir.h"
#include "common/ByteView.h"
#include "common/ErrorLog.h"
#include "common/ErrorTrap.h"
#include "common/VbError.h"
#include "common/modGeneral.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <functional>

using namespace qs;
using namespace qs::test;
namespace fs = std::filesystem;

namespace {

struct RecordingSink : MessageSink {
    MsgAnswer messageBox(MsgIcon icon, MsgButtons, const std::string& title,
                         const std::string& text) override {
        EXPECT_EQ(icon, MsgIcon::Critical);
        EXPECT_EQ(title, "Error Detected");
        texts.push_back(text);
        return MsgAnswer::Ok;
    }
    std::vector<std::string> texts;
};

int errorNumber(const std::function<void()>& f) {
    try {
        f();
    } catch (const VbError& e) {
        return e.number();
    }
    return 0;
}

} // namespace

TEST(ByteView, ReadsPastTheEndRaiseSubscriptErrorsTextsAreClipped) {
    const std::string bytes = "\x01\x02\x03";
    const ByteView v(bytes, 1000);
    EXPECT_EQ(v.u8(2), 3);
    EXPECT_EQ(v.u16le(0), 0x0201);
    EXPECT_EQ(v.u16be(1), 0x0203);
    EXPECT_EQ(errorNumber([&] { v.u16le(2); }), err::SubscriptOutOfRange);
    EXPECT_EQ(errorNumber([&] { v.u32le(0); }), err::SubscriptOutOfRange);
    EXPECT_EQ(errorNumber([] { ByteView().u8(0); }), err::SubscriptOutOfRange);
    EXPECT_EQ(v.text(1, 10), "\x02\x03");
    EXPECT_EQ(v.text(100, 2), "");
    EXPECT_EQ(v.sub(2, 100).size(), 1u);
}

TEST(Files, WholeFilesKeepEveryByteAndMissingOnesRaise) {
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
}

TEST(Files, ExistsKillAndCreateLeaveFoldersAndHiddenFilesAlone) {
    TempDir dir;
    const std::string plain = dir.write("a.d64", "x");
    const std::string hidden = dir.write(".hidden.d64", "x");
    EXPECT_TRUE(FileExists(plain));
    EXPECT_FALSE(FileExists(dir.str()) || FileExists(hidden) || FileExists(""));
    KillFile(hidden);
    EXPECT_TRUE(fs::exists(hidden));
    KillFile(plain);
    EXPECT_FALSE(fs::exists(plain));
    EXPECT_NO_THROW(KillFile(plain)); // a missing file is no error

    CreateFolderPath(dir.str() + "/X/Y/Z");
    EXPECT_TRUE(fs::is_directory(dir.str() + "/X/Y/Z"));
    CreateFolderPath(hidden + "/sub"); // a file in the way: nothing happens
    EXPECT_FALSE(fs::exists(hidden + "/sub"));
}

TEST(Files, ThePrivateTempFolderIsOwnerOnlyAndGoesWithEverythingInIt) {
    std::string path;
    {
        PrivateTempFolder temp;
        path = temp.path();
        ASSERT_EQ(path.back(), '/');
        EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, fs::perms::owner_all);
        EXPECT_TRUE(WriteWholeFile(path + "left-over.txt", "x"));
    }
    EXPECT_FALSE(fs::exists(path));
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
    RecordingSink sink;
    const ErrorLog log(dir.str() + "/ErrorLog.txt");
    const ErrorTrap trap(sink, log);
    bool after = false;
    EXPECT_FALSE(trap.runOnFile("analizzaD64", "/x/a.d64", [&] {
        qs::raise(err::SubscriptOutOfRange);
        after = true;
    }));
    EXPECT_FALSE(after);
    EXPECT_TRUE(trap.run("Result", [] {}));
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
    EXPECT_THROW(file.open(dir.str() + "/missing/out.txt"), VbError);
    file.open("/dev/full");
    for (int i = 0; i < 10000; ++i)
        file.write(trap, "a report line that the disk has no room for");
    file.close(trap);
    EXPECT_TRUE(file.failed());
    ASSERT_EQ(sink.texts.size(), 3u);
    EXPECT_EQ(sink.texts[0], "[analizzaD64] - 9 - Subscript out of range\r\nFile: /x/a.d64");
    EXPECT_EQ(sink.texts[1], "[DirPrg_Change] - 7 - Out of memory");
    EXPECT_EQ(sink.texts[2], "[WriteFile] - 75 - Path/File access error (No space left on "
                             "device; the results file is incomplete)\r\nFile: /dev/full");
    const std::string logged = dir.read("ErrorLog.txt");
    EXPECT_NE(logged.find(sink.texts[0]), std::string::npos);
    EXPECT_EQ(logged.find("DirPrg_Change"), std::string::npos);
}
