// How typed text meets names that are not ASCII. What matches under which
// option, the listing lines and the report blocks as a whole are checked with
// the command line's expected outputs.
#include "search/Matcher.h"

#include <gtest/gtest.h>

using namespace qs;

// The typed (UTF-8) string meets each name as the report shows it: SID texts
// as Latin-1, medium names as code page 437 glyphs, entry names as the glyphs
// of their listing lines, a PRG's name (a PC text) as a file name is met.
// ASCII stands for its own bytes, as ever.
TEST(Matching, TypedTextMeetsNamesAsShown) {
    enum class Field { SidAuthor, MediaName, Entry, PcEntry };
    const struct {
        Field field;
        const char* stored; // before the case swap
        const char* typed;
        int matches;
        const char* shown; // the match's line, where checked
    } cases[] = {
        {Field::SidAuthor, "M\xE4rta Svensson", "Märta*", 1, "[SID Author match] Märta Svensson"},
        {Field::SidAuthor, "M\xE4rta Svensson", "m?rta*", 1, nullptr}, // "?": one shown character
        {Field::SidAuthor, "M\xE4rta Svensson", "M??rta*", 0, nullptr},
        {Field::SidAuthor, "M\xE4rta Svensson", "[ä-ö]*", 0, nullptr},
        {Field::SidAuthor, "M\xE4rta Svensson", "?[ä-ö]*", 1, nullptr},
        {Field::SidAuthor, "\xA4 Euro", "€*", 0, nullptr}, // not a Latin-1 character
        {Field::Entry, "\xC0\xC0", "─?", 1, "1    \"──\"               prg"},
        {Field::Entry, "_game", "←GAME", 1, "1    \"←GAME\"            prg"},
        {Field::Entry, "_game", "_GAME", 1, nullptr},
        {Field::Entry, "\x8E\x84", "Ää", 1, nullptr},
        {Field::Entry, "\x8E\x84", "ÄÄ", 0, nullptr}, // only a-z are folded
        {Field::MediaName, "_disk", "_DISK", 1, "[MediaName match] _DISK"},
        {Field::MediaName, "_disk", "←DISK", 0, nullptr}, // shown as "_" here
        {Field::MediaName, "\xE9\x8E", "Θ?", 1, nullptr},
        // No PETSCII case swap; lined up by the characters shown, escaped as a path.
        {Field::PcEntry, "J\xC3\xB6rg's", "jö*", 1, "1    \"Jörg's\"           prg"},
        {Field::PcEntry, "J\xC3\xB6rg's", "JÖ*", 0, nullptr},    // only a-z are folded
        {Field::PcEntry, "J\xC3\xB6rg's", "J??rg*", 1, nullptr}, // "?": one byte, as in paths
        {Field::PcEntry, "tab\there", "tab?here", 1, "1    \"tab\\there\"        prg"},
        {Field::PcEntry, "Longer than sixteen", "*SIXTEEN", 1, "1    \"Longer than sixteen\" prg"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        SearchRequest o;
        o.pattern = c.typed;
        o.partial = false;
        o.sid.name = false;
        o.sid.author = o.mediumNames = o.records = true;
        AnalysisRecords records;
        const char* tag = c.field == Field::SidAuthor ? "SID"
                          : c.field == Field::PcEntry ? "PRG"
                                                      : "D64";
        const ContainerFormat& format = *FormatByTag(tag);
        if (c.field == Field::SidAuthor) {
            records.media.MediaType = "SID";
            records.sid.Author = c.stored;
        } else if (c.field == Field::MediaName) {
            records.media.MediaType = "D64";
            records.media.MediaName = c.stored;
        } else {
            records.media.MediaType = tag;
            CbmEntry& e = records.appendEntry();
            e.Name = c.stored;
            e.FileType = "prg";
            e.Blocks = 1;
        }
        FileReport report;
        EXPECT_EQ(MatchFile(o, format, records, report, "/f", ""), c.matches);
        if (c.shown) {
            // The block's three texts, then the match's record: its name as
            // shown, and as stored.
            ASSERT_EQ(report.events.size(), 4u);
            EXPECT_NE(report.events[1].text.find(c.shown), std::string::npos)
                << report.events[1].text;
            ASSERT_TRUE(report.events[3].match);
            EXPECT_TRUE(std::string(c.shown).ends_with(report.events[3].match->shown) ||
                        std::string(c.shown).find('"' + report.events[3].match->shown + '"') !=
                            std::string::npos);
            EXPECT_EQ(report.events[3].match->bytes, c.stored);
        }
    }
}
