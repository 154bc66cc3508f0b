// The listing line of an entry. What matches under which option, and the
// report blocks as a whole, are checked with the command line's expected
// outputs.
#include "search/Matcher.h"

#include <gtest/gtest.h>

using namespace qs;

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
