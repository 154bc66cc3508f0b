#include "FakeView.h"
#include "common/VbError.h"
#include "search/Request.h"

#include <gtest/gtest.h>

using namespace qs;
using namespace qs::test;

namespace {

std::string onlyMessage(FakeView& v) {
    EXPECT_EQ(v.messages.size(), 1u);
    if (v.messages.empty())
        return {};
    EXPECT_EQ(v.messages[0].icon, MsgIcon::Information);
    EXPECT_EQ(v.messages[0].title, "Quillsift");
    return v.messages[0].text;
}

} // namespace

TEST(RequestCheck, MessagesInOrderFirstFailureOnly) {
    {
        FakeView v;
        v.opts.fileMask = "";
        v.opts.findStr = "";
        EXPECT_FALSE(CheckRequest(v));
        EXPECT_EQ(onlyMessage(v),
                  "The file mask cannot be empty. If you want to match ALL files, just insert an "
                  "asterisk (*).\r\nDon't type the extension! Extension is added on the basis of "
                  "PC File Type checks.");
    }
    {
        FakeView v;
        v.opts.findStr = "";
        EXPECT_FALSE(CheckRequest(v));
        EXPECT_EQ(onlyMessage(v), "The search string cannot be empty. If you want to match ALL "
                                  "files, just insert an asterisk (*)");
    }
    {
        FakeView v;
        for (auto& b : v.opts.fileTypes)
            b.value = 0;
        EXPECT_FALSE(CheckRequest(v));
        EXPECT_EQ(onlyMessage(v), "At least one PC File Type must be selected");
    }
    {
        FakeView v;
        v.opts.fileMask = " ";
        v.opts.findStr = " ";
        EXPECT_TRUE(CheckRequest(v));
        EXPECT_TRUE(v.messages.empty());
    }
}

TEST(FilePattern, MaskJoinedWithEveryTickedExtension) {
    SearchOptions o;
    for (auto& b : o.fileTypes)
        b.value = 0;
    EXPECT_EQ(BuildFilePattern(o), "abcdefghilmno");
    o.fileTypes[0].value = 1; // D64
    o.fileTypes[4].value = 1; // PC64
    o.fileMask = "BLAST*";
    EXPECT_EQ(BuildFilePattern(o), "BLAST*.D64;BLAST*.P??;BLAST*.S??;BLAST*.U??;BLAST*.R??");
    o.fileTypes[0].value = 0;
    o.fileMask = "*";
    EXPECT_EQ(BuildFilePattern(o), "*.P??;*.S??;*.U??;*.R??");
    o.fileMask = " ";
    o.fileTypes = defaultFileTypes();
    EXPECT_EQ(BuildFilePattern(o).substr(0, 6), " .D64;");
    o.fileMask = "BLAST*.D64";
    EXPECT_EQ(BuildFilePattern(o).substr(0, 15), "BLAST*.D64.D64;");
    // Start states: D64, T64, D81, PC64, D71, CRT.
    o.fileMask = "*";
    EXPECT_EQ(BuildFilePattern(o), "*.D64;*.T64;*.D81;*.P??;*.S??;*.U??;*.R??;*.D71;*.CRT");
}

TEST(ControlArrays, LookupByTagAndStateChanges) {
    std::vector<CheckBox> pc = defaultFileTypes(), cbm = defaultCbmTypes();
    EXPECT_FALSE(GetControlValueByTag(pc, "PRG"));
    EXPECT_TRUE(GetControlValueByTag(cbm, "prg"));
    EXPECT_FALSE(GetControlValueByTag(cbm, "PRG")); // case-sensitive
    EXPECT_FALSE(GetControlValueByTag(cbm, "inf"));
    cbm[0].value = 2; // greyed counts as ticked
    EXPECT_TRUE(GetControlValueByTag(cbm, "prg"));

    SetControlStateByTag(pc, "G64", "false", "false");
    EXPECT_FALSE(pc[3].enabled);
    EXPECT_EQ(pc[3].value, 0);
    EXPECT_TRUE(pc[0].enabled);

    SetControlStateByTag(cbm, "NOSEARCH", "LEAVECURRENT", "0");
    for (const auto& b : cbm) {
        EXPECT_TRUE(b.enabled);
        EXPECT_EQ(b.value, 0);
    }
    SetControlStateByTag(cbm, "seq", "True", "-1");
    EXPECT_EQ(cbm[2].value, 1);
    EXPECT_THROW(SetControlStateByTag(cbm, "seq", "maybe", "0"), VbError);
}

TEST(FileMaskBox, KeyFilterAndPeriodWarning) {
    for (char32_t c : {U'\\', U'/', U':', U'"', U'>', U'<', U'|'})
        EXPECT_FALSE(FileMaskAcceptsKey(c));
    for (char32_t c : {U'*', U'?', U'.', U'a', U' '})
        EXPECT_TRUE(FileMaskAcceptsKey(c));

    FakeView v;
    EXPECT_TRUE(ConfirmFileMask(v, "BLAST*"));
    EXPECT_TRUE(v.messages.empty());
    v.answers = {MsgAnswer::Cancel};
    EXPECT_FALSE(ConfirmFileMask(v, "BLAST*.D64"));
    ASSERT_EQ(v.messages.size(), 1u);
    EXPECT_EQ(v.messages[0].title, "Possible mistyping");
    EXPECT_NE(v.messages[0].text.find("PC File Type.For example"), std::string::npos);
    EXPECT_TRUE(ConfirmFileMask(v, "x.y"));
}
