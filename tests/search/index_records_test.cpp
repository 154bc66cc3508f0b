// The readings the index keeps: records back as the reader left them, every
// field (the structs' field lists), damage refused rather than misread; and
// the narrowing by literal runs, which must never drop a name the matcher
// takes.
#include "TempDir.h"
#include "common/Error.h"
#include "common/Petscii.h"
#include "common/Wildcard.h"
#include "search/IndexRecords.h"
#include "search/IndexStore.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace qs;

namespace {

// Every field a value of its own, so that a field lost or swapped shows.
template <class T> void fillFields(T& record, int first) {
    int n = first;
    std::apply(
        [&](auto&... field) {
            auto one = [&](auto& f) {
                using F = std::decay_t<decltype(f)>;
                ++n;
                if constexpr (std::is_same_v<F, std::string>)
                    f = std::string("f") + std::to_string(n) + std::string("\0\xff\xa0", 3);
                else if constexpr (std::is_same_v<F, bool>)
                    f = n % 2 == 0;
                else if constexpr (std::is_same_v<F, std::uint8_t>)
                    f = static_cast<std::uint8_t>(200 + n);
                else
                    f = n % 3 == 0 ? -n * 100000 : n * 1000;
            };
            (one(field), ...);
        },
        FieldsOf(record));
}

AnalysisRecords sampleRecords() {
    AnalysisRecords r;
    fillFields(r.media, 0);
    fillFields(r.sid, 100);
    for (int i = 0; i < 3; ++i)
        fillFields(r.appendEntry(), 200 + 20 * i);
    return r;
}

KeptReading::Kept onlyStep(const KeptReading& k) {
    KeptReading::Cursor cursor(k.bytes());
    const auto step = cursor.next();
    EXPECT_TRUE(step && !cursor.next());
    return *step;
}

} // namespace

TEST(IndexRecords, EveryFieldComesBack) {
    const AnalysisRecords read = sampleRecords();
    KeptReading k;
    k.read("GAME.D64", *FormatByTag("D64"), read);
    const KeptReading::Kept step = onlyStep(k);
    EXPECT_EQ(step.name, "GAME.D64");
    EXPECT_EQ(step.tag, "D64");
    AnalysisRecords back;
    DecodeRecords(step.head, step.entries, back);
    EXPECT_TRUE(FieldsOf(back.media) == FieldsOf(read.media));
    EXPECT_TRUE(FieldsOf(back.sid) == FieldsOf(read.sid));
    ASSERT_EQ(back.entryCount(), 3u);
    for (std::size_t i = 1; i <= 3; ++i)
        EXPECT_TRUE(FieldsOf(back.entries()[i]) == FieldsOf(read.entries()[i])) << i;
    // Without the entries: the medium's and tune's fields alone.
    DecodeRecords(step.head, {}, back);
    EXPECT_EQ(back.entryCount(), 0u);
    EXPECT_TRUE(FieldsOf(back.media) == FieldsOf(read.media));
}

// A reading cut anywhere, or with a step byte of nothing, is refused.
TEST(IndexRecords, DamagedReadingsAreRefused) {
    KeptReading k;
    std::vector<std::size_t> between; // where a whole step ends
    k.enter("inner.zip");
    between.push_back(k.bytes().size());
    k.read("GAME.D64", *FormatByTag("D64"), sampleRecords());
    between.push_back(k.bytes().size());
    k.passed("notes.txt");
    between.push_back(k.bytes().size());
    k.leave();
    const std::string whole = k.bytes();
    for (std::size_t cut = 1; cut < whole.size(); ++cut) {
        bool refused = false;
        try {
            KeptReading::Cursor cursor(std::string_view(whole).substr(0, cut));
            while (const auto step = cursor.next()) {
                AnalysisRecords r;
                if (step->step == KeptReading::Step::Read)
                    DecodeRecords(step->head, step->entries, r);
            }
        } catch (const Error&) {
            refused = true;
        }
        // Cut between whole steps it reads as fewer steps; inside one, never.
        const bool betweenSteps = std::find(between.begin(), between.end(), cut) != between.end();
        EXPECT_TRUE(refused || betweenSteps) << "cut at " << cut;
    }
    KeptReading::Cursor nothing(std::string_view("\x09", 1));
    EXPECT_THROW(nothing.next(), Error);
}

TEST(IndexRecords, LiteralRuns) {
    struct Case {
        const char* pattern;
        bool matchCase;
        std::vector<std::string> runs;
    };
    const Case cases[] = {
        {"blast", false, {"BLAST"}},
        {"blast", true, {"blast"}},
        {"*bl?st*", false, {"BL", "ST"}},
        {"  game 1  ", false, {"GAME 1"}},
        {"a#b[xyz]cd", false, {"A", "B", "CD"}},
        {"[open", false, {"[OPEN"}},
        {"m\xc3\xa4rta", false, {"M", "RTA"}}, // a typed character shown as several bytes
        {"*", false, {}},
        {"?#[A-Z]", false, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LiteralRuns(c.pattern, c.matchCase), c.runs) << c.pattern;
}

// Whatever the matcher takes, the narrowing keeps: names as readers give
// them (PETSCII shifted letters, lower case, Latin-1), patterns of every kind.
TEST(IndexRecords, NarrowingKeepsEveryMatch) {
    struct Case {
        std::string name; // as the reader stored it
        const char* pattern;
        bool matchCase;
        ShownAs shown;
        bool swapped; // the matcher compares it case-swapped (PETSCII media)
    };
    const Case cases[] = {
        {"BLASTER", "blast", false, ShownAs::Listing, true},
        {"\xc2\xcc\xc1\xd3\xd4", "BLAST", false, ShownAs::Listing, true},
        {"\xc2\xcc\xc1\xd3\xd4", "BLAST", true, ShownAs::Listing, true},
        {"blaster", "BLAST", true, ShownAs::Listing, true},
        {"Blast Crew", "bla?t c", false, ShownAs::Latin1, false},
        {"M\xe4rta", "m\xc3\xa4rta", false, ShownAs::Latin1, false},
        {"GAME 12", "game #2", false, ShownAs::Itself, false},
        {"  PADDED  ", "padded", false, ShownAs::Cp437, true},
        {"[OPEN", "[open", false, ShownAs::Listing, true},
    };
    for (const Case& c : cases) {
        AnalysisRecords r;
        r.appendEntry().Name = c.name;
        KeptReading k;
        k.read("X.D64", *FormatByTag("D64"), r);
        const std::string compared = c.swapped ? SwapPetsciiCase(c.name) : c.name;
        const std::string typed = std::string("*") + c.pattern + "*";
        ASSERT_TRUE(LikePattern(typed, c.matchCase, c.shown).matches(compared)) << c.pattern;
        EXPECT_TRUE(NameRuns(c.pattern, c.matchCase).mayMatch(k.bytes())) << c.pattern;
    }
    AnalysisRecords r;
    r.appendEntry().Name = "GAME";
    KeptReading k;
    k.read("X.D64", *FormatByTag("D64"), r);
    EXPECT_FALSE(NameRuns("blast", false).mayMatch(k.bytes()));
    // A long reading is looked through in pieces: a run is found wherever
    // it lies, across a piece's end too, however long.
    const NameRuns blast("blast", false);
    for (std::size_t at = 16378; at < 16386; ++at) {
        std::string reading(40000, 'x');
        reading.replace(at, 5, "bLaSt");
        EXPECT_TRUE(blast.mayMatch(reading)) << at;
    }
    const std::string longRun(9000, 'q');
    std::string reading(40000, 'x');
    reading.replace(12000, longRun.size(), longRun);
    EXPECT_TRUE(NameRuns(longRun, false).mayMatch(reading));
    EXPECT_FALSE(NameRuns(longRun + "q", false).mayMatch(reading));
}

// The members an archive passed over are kept apart, by name, and in the
// reading only their shapes: thousands alike cost a step.
TEST(IndexRecords, PassedMembersKeptApart) {
    KeptReading k;
    k.enter("inner.zip");
    for (int n = 0; n < 20000; ++n)
        k.passed("part" + std::to_string(n / 1000) + "/game" + std::to_string(n) + ".p00");
    k.passed("notes.txt");
    k.leave();
    EXPECT_LT(k.bytes().size(), 100u);
    std::vector<std::string> names;
    ForEachPassedName(k.passedNames(), [&](std::string_view name) {
        names.emplace_back(name);
        return true;
    });
    ASSERT_EQ(names.size(), 20001u);
    EXPECT_EQ(names[12345], "part12/game12345.p00");
    EXPECT_EQ(names.back(), "notes.txt");
    int shapes = 0;
    KeptReading::Cursor cursor(k.bytes());
    while (const auto step = cursor.next())
        shapes += step->step == KeptReading::Step::Passed;
    EXPECT_EQ(shapes, 2);
    EXPECT_THROW(ForEachPassedName("\x05"
                                   "ab",
                                   [](std::string_view) { return true; }),
                 Error);
}

// A folder listed as it was kept, within the minute its time is told to, is
// not written again; another minute or another listing is.
TEST(IndexStore, AFolderFoundAsKeptIsNotWrittenAgain) {
    const test::TempDir dir;
    std::vector<IndexNotice> notices;
    IndexStore store(dir.str() + "/index.sqlite", IndexStore::Mode::Write, notices);
    const std::string folder = dir.str() + "/c";
    auto keep = [&](std::int64_t at, std::vector<std::string> files) {
        store.keepFolder(folder, {at, {}, std::move(files), {}});
        store.commit();
        return store.folder(folder)->readAt;
    };
    EXPECT_EQ(keep(600, {"a.d64"}), 600);
    EXPECT_EQ(keep(659, {"a.d64"}), 600);
    EXPECT_EQ(keep(660, {"a.d64"}), 660);
    EXPECT_EQ(keep(661, {"a.d64", "b.d64"}), 661);
}
