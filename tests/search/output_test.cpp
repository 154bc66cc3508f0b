// The output step: every report line goes to the view and, when saving, to the
// results file; what happens when the view is full. (What the window says
// then is tested with the window.)
#include "SearchHarness.h"
#include "common/Text.h"
#include "search/Output.h"

#include <gtest/gtest.h>

using namespace qs;
using namespace qs::test;

namespace {

struct Writer {
    SearchHarness h;
    ErrorLog log{""};
    ErrorTrap trap{h.view, log};
    std::unique_ptr<ReportWriter> out;
    explicit Writer(bool saving) {
        out = std::make_unique<ReportWriter>(h.view, trap, StopToken(h.stop), saving,
                                             h.request.resultsFile);
    }
};

} // namespace

TEST(Output, LinesGoToTheViewAndWhenSavingToTheFileUntilAStop) {
    Writer w(true);
    w.out->text("one");
    w.out->text("two\r\nlines");
    w.h.stop = true;
    w.out->text("after stop");
    w.out->close();
    EXPECT_EQ(w.h.view.results, "\r\none\r\ntwo\r\nlines");
    EXPECT_EQ(w.h.dir.read("Quillsift Results.txt"), "one\r\ntwo\r\nlines\r\n");
}

// The view holds 50 characters and a results file "keep me" exists; then a
// line of 60 and the line "later" arrive. In the expected file @HEAD@ and
// @BIG@ stand for the header line and the long line.
TEST(Output, AFullViewAsksOnceAndNeverLosesTheReport) {
    using enum SearchQuestions::FullView;
    const struct {
        const char* what;
        bool saving;
        SearchQuestions::FullView answer;
        bool stops;
        const char* file;
    } cases[] = {
        {"not saving, stop", false, Stop, true, "keep me"},
        {"not saving, go on in the file", false, GoOnInFile, false,
         "@HEAD@\r\n\r\nbefore\r\n\r\n@BIG@\r\nlater\r\n"},
        {"saving: the file goes on", true, GoOn, false, "keep mebefore\r\n@BIG@\r\nlater\r\n"},
    };
    const std::string big(60, 'y');
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // Saving, the file is appended to (a search would have replaced it first).
        Writer w(c.saving);
        w.h.dir.write("Quillsift Results.txt", "keep me");
        w.h.view.viewLimit = 50;
        w.h.view.fullAnswers = {c.answer};
        w.out->text("before");
        w.out->text(big);
        w.out->text("later");
        w.out->close();
        EXPECT_EQ(w.h.view.fullAsked, std::vector<std::string>{c.saving ? "saving" : "not saving"});
        EXPECT_EQ(w.h.stop.load(), c.stops);
        EXPECT_EQ(w.h.view.results, "\r\nbefore"); // nothing after the first text it refused
        std::string file = replaceAll(c.file, "@HEAD@", ResultsHeaderLine());
        file = replaceAll(file, "@BIG@", big);
        EXPECT_EQ(w.h.dir.read("Quillsift Results.txt"), file);
    }
}
