// The format table: each row is whole, found by its own names, and has a fuzz
// target. (Each row's failure paths: the failure table; its sample and its
// listing: the sample collection's test.)
#include "ToolSession.h"
#include "common/Text.h"
#include "media/Formats.h"

#include <gtest/gtest.h>

#include <set>

using namespace qs;
using namespace qs::test;

TEST(FormatTable, EveryRowIsWholeAndFoundByItsNames) {
    std::set<std::string> tags, captions;
    const std::string fuzzTargets = upperAscii(" " QS_FUZZ_TARGETS " ");
    for (const ContainerFormat& f : ContainerFormats()) {
        const std::string tag(f.tag);
        SCOPED_TRACE(tag);
        EXPECT_TRUE(tags.insert(tag).second);
        EXPECT_TRUE(captions.insert(upperAscii(f.caption)).second);
        EXPECT_EQ(FormatByTag(tag), &f);
        std::string caption(f.caption);
        for (char& c : caption) // captions are taken without regard to case
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        EXPECT_EQ(FormatByCaption(caption), &f);
        ASSERT_FALSE(f.extensions.empty() && f.namePatterns.empty());
        EXPECT_FALSE(f.procedure.empty());
        EXPECT_NE(f.read, nullptr);
        EXPECT_EQ(f.bid != nullptr, !f.invalidName.empty());
        EXPECT_EQ(FormatOfFileName("/a.b/" + fileNameOf(f, "x")), &f);
        EXPECT_NE(fuzzTargets.find(" " + tag + " "), std::string::npos) << "no fuzz target";
    }
    EXPECT_EQ(FormatOfFileName("x.zip"), nullptr);
    EXPECT_EQ(FormatOfFileName("x.Q00"), nullptr); // no P00 letter
    EXPECT_EQ(FormatOfFileName("x.P0A"), nullptr); // nor digits
}

// A name known by its row wins over the extension it carries, unless that
// row is not among those asked for.
TEST(FormatTable, NamesBeforeExtensions) {
    const ContainerFormat* zipcode = FormatByTag("ZIPCODE");
    const ContainerFormat* d64 = FormatByTag("D64");
    const FormatSet onlyD64{d64};
    const struct {
        const char* name;
        const ContainerFormat* format;
        const FormatSet* among = nullptr;
    } cases[] = {
        {"1!GAME.Z64", zipcode},    {"/a/4!game", zipcode},  {"/5!.b/5!x.d64", zipcode},
        {"5!x.d64", d64, &onlyD64}, {"1!!six.z64", nullptr}, {"6!x.z64", nullptr},
        {"0!x.z64", nullptr},       {"a!x.z64", nullptr},    {"/1!/x.d64", d64},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatOfFileName(c.name, c.among), c.format) << c.name;
}
