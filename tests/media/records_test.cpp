#include "media/AnalysisRecords.h"

#include <gtest/gtest.h>

using namespace qs;

TEST(AnalysisRecords, TypeTextTable) {
    const std::pair<int, const char*> cases[] = {
        {0, "scr"},   {64, "scr"},  {128, "del"}, {192, "del"}, {129, "seq"}, {193, "seq"},
        {130, "prg"}, {194, "prg"}, {131, "usr"}, {195, "usr"}, {132, "rel"}, {196, "rel"},
        {133, "cbm"}, {197, "cbm"}, {66, "ukw"},  {2, "ukw"},   {134, "ukw"}, {255, "ukw"}};
    for (const auto& [byte, text] : cases)
        EXPECT_EQ(TypeText(static_cast<std::uint8_t>(byte)), text) << byte;
}

TEST(AnalysisRecords, NameFields) {
    MediaInfo m;
    SetNameFields(m, "/games/Blast Off.d64");
    EXPECT_EQ(m.FileName, "BLAST OFF");
    EXPECT_EQ(m.MediaType, "D64");
    EXPECT_EQ(FileNameField("/games/.d64"), "");
    EXPECT_EQ(FileNameField("/games/ARCHIVE.OLD.T64"), "ARCHIVE.OLD");
}
