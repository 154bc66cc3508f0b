// Matching a file's names against the search string, and its listing lines.
// The report blocks as a whole are checked with the command line's expected
// output; here are the options' finer rules.
#include "SearchHarness.h"
#include "search/Matcher.h"

#include <gtest/gtest.h>

using namespace qs;
using namespace qs::test;

TEST(ListingLines, ColumnsAndLockMark) {
    const struct {
        std::string name;
        int blocks;
        bool locked;
        std::string line;
    } cases[] = {
        {"GAME", 12, false, "12   \"GAME\"             prg"},
        {"A", 5, true, "5    \"A\"                prg<"},
        {"SIXTEEN CHARS!!!", 123456, false, "123456\"SIXTEEN CHARS!!!\" prg"},
        {"\xC0\xC0", 1, false, "1    \"\u2500\u2500\"               prg"}, // box drawing
    };
    for (const auto& c : cases) {
        CbmEntry e;
        e.Name = c.name;
        e.FileType = "prg";
        e.Blocks = c.blocks;
        e.Locked = c.locked;
        EXPECT_EQ(ListingLine(e), c.line);
    }
}

namespace {

struct Entry {
    std::string name;
    std::string type = "prg";
};

const std::string kBlaster = "\xC2\xCC\xC1\xD3\xD4\xC5\xD2"; // BLASTER as the 1541 stores it
const std::string kBlast = "\xC2\xCC\xC1\xD3\xD4";

// Options: w whole names only, c match case, f file name, m medium name, a all entry types.
struct Case {
    const char* what;
    std::vector<Entry> entries;
    const char* find;
    const char* options;
    const char* kind; // MediaType
    int matches;
    std::vector<std::string> shown = {}; // fragments the report holds
};

// clang-format off
const Case kCases[] = {
    {"whole names", {{kBlaster}, {kBlast}, {"blast"}}, "BLAST", "w", "D64", 2},
    {"any case", {{kBlaster}, {"blast"}}, "blast", "", "D64", 2, {"\"BLASTER\"", "\"BLAST\""}},
    {"match case", {{kBlaster}, {"blast"}}, "blast", "c", "D64", 0},
    {"shifted letters", {{"\xC1\xC2\xC3"}, {"ABC"}}, "*", "", "D64", 2, {"\"ABC\"", "\"abc\""}},
    {"cartridge names as stored", {{"abc"}}, "abc", "c", "CRT", 1, {"\"abc\""}},
    {"types not ticked", {{"SEQFILE", "seq"}, {"DELETED", "scr"}}, "*", "", "D64", 0},
    {"empty scratched slots, unknown types",
     {{"SEQFILE", "seq"}, {std::string(16, '\0'), "scr"}, {"", "scr"}, {"DELETED", "scr"},
      {"INFO", "inf"}},
     "*", "a", "D64", 2, {"\"seqfile\"          seq", "\"deleted\"          scr"}},
    {"file name", {{"\xC7\xC1\xCD\xC5\xD3 ONE"}}, "GAMES", "f", "D64", 2,
     {"[Filename match] GAMES\r\n\r\n"}},
    {"medium name", {}, "GAMES", "m", "D64", 1, {"[MediaName match] GAMES 1          \r\n"}},
    // PC64 has none of its own; no kind: the reader failed before naming it.
    {"no medium name for PC64", {}, "GAMES", "m", "PC64", 0},
    {"no medium name without a kind", {}, "GAMES", "m", "", 0},
};
// clang-format on

} // namespace

TEST(Matcher, OptionsDecideWhatMatches) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        SearchHarness h;
        AnalysisRecords& r = h.session.records;
        r.media.FileName = "GAMES";
        r.media.MediaName = "\xC7\xC1\xCD\xC5\xD3 1          "; // GAMES 1
        for (const Entry& e : c.entries) {
            CbmEntry& added = r.appendEntry();
            added.Name = e.name;
            added.FileType = e.type;
            added.Blocks = 1;
            added.Valid = e.type != "scr";
        }
        SearchOptions& o = h.view.opts;
        o.findStr = c.find;
        const std::string options = c.options;
        o.partial = options.find('w') == std::string::npos;
        o.matchCase = options.find('c') != std::string::npos;
        o.fileName = options.find('f') != std::string::npos;
        o.header = options.find('m') != std::string::npos;
        if (options.find('a') != std::string::npos)
            tickOnly(o.cbmTypes, {"PRG", "DEL", "SEQ", "USR", "REL", "CBM", "SCR", "Others"});
        r.media.MediaType = c.kind;
        EXPECT_EQ(AnalyzePrograms(h.session, "/c/GAMES.d64", ""), c.matches);
        EXPECT_EQ(h.view.results.empty(), c.matches == 0) << h.view.results;
        for (const std::string& s : c.shown)
            EXPECT_NE(h.view.results.find(s), std::string::npos) << s << " in " << h.view.results;
    }
}
