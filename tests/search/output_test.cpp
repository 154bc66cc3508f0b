// The output step: every report line goes to the box and, when saving, to the
// results file; what happens when the box is full.
#include "SearchHarness.h"
#include "common/Text.h"
#include "search/Output.h"

#include <gtest/gtest.h>

using namespace qs;
using namespace qs::test;

TEST(Output, LinesGoToTheBoxAndWhenSavingToTheFileUntilAStop) {
    SearchHarness h;
    Result(h.session, "one");
    Result(h.session, "two\r\nlines");
    EXPECT_EQ(h.view.results, "\r\none\r\ntwo\r\nlines");
    h.view.opts.saveFile = true;
    Result(h.session, "three");
    h.session.StopSearch = true;
    Result(h.session, "after stop");
    EXPECT_EQ(h.view.results, "\r\none\r\ntwo\r\nlines\r\nthree");
    EXPECT_EQ(h.dir.read("Quillsift Results.txt"), "three\r\n");
}

// The box holds 65,001 characters and a results file "keep me" exists; then a
// line of 600 and the line "later" arrive. In the expected file @HEAD@, @BOX@
// and @BIG@ stand for the header line, the box's text and the long line.
TEST(Output, AFullBoxAsksOnceAndNeverLosesTheReport) {
    using enum MsgAnswer;
    const struct {
        const char* what;
        bool saving;
        bool limited;          // the front end's box has the 65,535 limit
        std::size_t failAbove; // the box itself refuses text past this length
        std::deque<MsgAnswer> answers;
        std::size_t messages;
        const char* told; // in the first message
        bool stops;
        const char* file;
    } cases[] = {
        // clang-format off
        {"not saving, No", false, true, 0, {No}, 1, "(65535 chars)", true, "keep me"},
        {"not saving, Yes: the file takes over", false, true, 0, {Yes, Ok}, 2, "(65535 chars)",
         false, "@HEAD@\r\n@BOX@\r\n\r\n@BIG@\r\nlater\r\n"},
        {"not saving, Yes, but the old file stays", false, true, 0, {Yes, Cancel}, 2,
         "(65535 chars)", true, "keep me"},
        {"saving: told once", true, true, 0, {}, 1, "Complete results will be anyway available",
         false, "keep me@BIG@\r\nlater\r\n"},
        {"the box refuses text", true, false, 65300, {}, 1, "(32K)", false,
         "keep me@BIG@\r\nlater\r\n"},
        {"no limit", false, false, 0, {}, 0, "", false, "keep me"},
        // clang-format on
    };
    const std::string before = "\r\n" + std::string(64999, 'x');
    const std::string big(600, 'y');
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SearchHarness h;
        h.view.opts.saveFile = c.saving;
        h.view.limited = c.limited;
        h.view.failAppendAbove = c.failAbove;
        h.view.answers = c.answers;
        h.view.results = before;
        h.dir.write("Quillsift Results.txt", "keep me");
        Result(h.session, big);
        Result(h.session, "later");
        ASSERT_EQ(h.view.messages.size(), c.messages);
        if (c.messages > 0) {
            EXPECT_NE(h.view.messages[0].text.find(c.told), std::string::npos);
        }
        EXPECT_EQ(h.session.StopSearch, c.stops);
        const bool boxTakesMore = c.messages == 0;
        EXPECT_EQ(h.view.results, boxTakesMore ? before + "\r\n" + big + "\r\nlater" : before);
        EXPECT_EQ(h.view.opts.saveFile, c.saving || c.answers.size() > 1);
        std::string file = replaceAll(c.file, "@HEAD@", ResultsHeaderLine());
        file = replaceAll(replaceAll(file, "@BOX@", before), "@BIG@", big);
        EXPECT_EQ(h.dir.read("Quillsift Results.txt"), file);
    }
}
