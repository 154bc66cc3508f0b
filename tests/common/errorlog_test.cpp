#include "TempDir.h"
#include "common/ErrorLog.h"
#include "common/ErrorTrap.h"

#include <gtest/gtest.h>

#include <ctime>

using namespace qs;
using namespace qs::test;

namespace {

std::chrono::system_clock::time_point localTime(int y, int mo, int d, int h, int mi) {
    std::tm t{};
    t.tm_year = y - 1900;
    t.tm_mon = mo - 1;
    t.tm_mday = d;
    t.tm_hour = h;
    t.tm_min = mi;
    t.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&t));
}

struct RecordingSink : MessageSink {
    std::vector<std::string> texts;
    MsgAnswer messageBox(MsgIcon icon, MsgButtons, const std::string& title,
                         const std::string& text) override {
        EXPECT_EQ(icon, MsgIcon::Critical);
        EXPECT_EQ(title, "Error Detected");
        texts.push_back(text);
        return MsgAnswer::Ok;
    }
};

} // namespace

TEST(ErrorLog, EntriesAppendWithDayMonthYearStampAndCrLf) {
    TempDir dir;
    const std::string path = dir.str() + "/ErrorLog.txt";
    const ErrorLog log(path, [] { return localTime(2024, 2, 14, 9, 5); });
    log.LogError("[SearchC64File] - 76 - Path not found");
    log.LogError("[analizzaD64] - 9 - Subscript out of range\r\nFile: /x/a.d64");
    EXPECT_EQ(readFile(path), "14/02/2024 09:05 - [SearchC64File] - 76 - Path not found\r\n"
                              "14/02/2024 09:05 - [analizzaD64] - 9 - Subscript out of range\r\n"
                              "File: /x/a.d64\r\n");
}

TEST(ErrorLog, UnwritableLogIsSwallowed) {
    const ErrorLog log("/nonexistent-folder/ErrorLog.txt");
    EXPECT_NO_THROW(log.LogError("anything"));
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
    ASSERT_EQ(sink.texts.size(), 1u);
    EXPECT_EQ(sink.texts[0], "[analizzaD64] - 9 - Subscript out of range\r\nFile: /x/a.d64");
    EXPECT_NE(dir.read("ErrorLog.txt").find(sink.texts[0]), std::string::npos);

    EXPECT_TRUE(trap.run("Result", [] {}));
    EXPECT_FALSE(trap.runUnlogged("DirPrg_Change", [] { throw std::bad_alloc(); }));
    EXPECT_EQ(sink.texts.back(), "[DirPrg_Change] - 7 - Out of memory");
    EXPECT_EQ(dir.read("ErrorLog.txt").find("DirPrg_Change"), std::string::npos);
}
