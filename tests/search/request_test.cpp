// The request before a search: its checks, the file pattern, and which options
// the missing outside programs switch off.
#include "SearchHarness.h"
#include "search/Request.h"
#include "search/ToolPolicy.h"

#include <gtest/gtest.h>

#include <map>

using namespace qs;
using namespace qs::test;

TEST(RequestCheck, OnlyTheFirstFailingCheckIsShown) {
    const struct {
        const char* mask;
        const char* find;
        std::vector<std::string> types;
        const char* message; // null: the request passes
        const char* folder = "/";
    } cases[] = {
        // clang-format off
        {"", "", {}, "The file mask cannot be empty. If you want to match ALL files, just insert "
                     "an asterisk (*).\r\nDon't type the extension! Extension is added on the "
                     "basis of PC File Type checks."},
        {"*", "", {}, "The search string cannot be empty. If you want to match ALL files, just "
                      "insert an asterisk (*)"},
        {"*", "*", {}, "At least one PC File Type must be selected"},
        {" ", " ", {"SID"}, nullptr},
        {"*", "*", {"D64"}, "/no/such/folder: no such folder", "/no/such/folder"},
        // clang-format on
    };
    for (const auto& c : cases) {
        FakeSink v;
        SearchRequest r;
        r.mask = c.mask;
        r.pattern = c.find;
        r.folder = c.folder;
        r.formats = formatsOf(c.types);
        EXPECT_EQ(CheckRequest(r, v), c.message == nullptr) << c.mask << "|" << c.find;
        ASSERT_EQ(v.messages.size(), c.message == nullptr ? 0u : 1u);
        if (c.message != nullptr) {
            EXPECT_EQ(v.messages[0].icon, MsgIcon::Information);
            EXPECT_EQ(v.messages[0].title, "Quillsift");
            EXPECT_EQ(v.messages[0].text, c.message);
        }
    }
}

TEST(FilePattern, MaskJoinedWithEveryTickedExtension) {
    const struct {
        const char* mask;
        std::vector<std::string> types;
        const char* pattern;
    } cases[] = {
        {"*", {}, "abcdefghilmno"}, // fits no file
        {"BLAST*", {"D64", "PC64"}, "BLAST*.D64;BLAST*.P??;BLAST*.S??;BLAST*.U??;BLAST*.R??"},
        {"BLAST*.D64", {"D64"}, "BLAST*.D64.D64"},
        {" ", {"T64"}, " .T64"},
        {"BLAST*", {"ZIPCODE", "T64"}, "BLAST*.T64;?!BLAST*.*;?!BLAST*"},
    };
    for (const auto& c : cases) {
        SearchRequest r;
        r.mask = c.mask;
        r.formats = formatsOf(c.types);
        EXPECT_EQ(BuildFilePattern(r), c.pattern);
    }
    EXPECT_EQ(BuildFilePattern(SearchRequest{}), // the start states
              "*.D64;*.T64;*.D81;*.P??;*.S??;*.U??;*.R??;*.D71;*.CRT;*.NIB;*.NBZ;"
              "*.LNX;*.ARK;*.ARC;*.SDA;*.SFX;*.PRG;*.X64;*.D80;*.D82;?!*.*;?!*");
}

// The command line looks only for the programs that the request needs; the
// window's start-up check (all of them) is tested with the window.
const std::map<OutsideTool, std::string> kMissingTexts{
    {OutsideTool::C1541,
     "C1541.exe is missing in the application folder: G64 files analyzing is disabled"},
    {OutsideTool::Tape64,
     "Tape64.exe is missing in the application folder: TAP files analyzing is disabled"},
    {OutsideTool::Archiver, "7za.exe (7-zip) is missing in the application folder: compressed "
                            "file option is disabled"}};

TEST(OutsideTools, AMissingProgramSwitchesOffTheOptionThatNeedsIt) {
    using enum OutsideTool;
    const struct {
        std::vector<std::string> types;
        bool archives;
        std::vector<OutsideTool> missing; // of those asked for
    } cases[] = {
        {{"D64"}, false, {}},
        {{"G64", "TAP"}, true, {C1541, Tape64, Archiver}},
        {{"TAP"}, true, {Tape64, Archiver}},
    };
    for (const auto& c : cases) {
        FakeSink v;
        EXPECT_EQ(CheckOutsideTools([](OutsideTool) { return false; }, v, formatsOf(c.types),
                                    c.archives, true),
                  c.missing);
        ASSERT_EQ(v.messages.size(), c.missing.size());
        for (std::size_t i = 0; i < c.missing.size(); ++i)
            EXPECT_EQ(v.messages[i].text, kMissingTexts.at(c.missing[i]));
    }
    FakeSink v;
    EXPECT_TRUE(CheckOutsideTools([](OutsideTool) { return true; }, v, FormatSet::all(), true, true)
                    .empty());
    EXPECT_TRUE(v.messages.empty());
}
