// The command line's options: what each sets in the request, and the reason
// given for a bad line (the exit status, the wording around the reason and
// the help text are checked with the expected outputs).
#include "cli/CliOptions.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace qs;

namespace {

const std::string kDir = ::testing::TempDir();

std::optional<CliCommand> parse(std::vector<std::string> args) {
    std::string error;
    args.push_back(kDir);
    return parseCommandLine(args, error);
}

std::vector<std::string> captions(const FormatSet& formats) {
    std::vector<std::string> out;
    for (const ContainerFormat* f : formats.formats())
        out.emplace_back(f->caption);
    return out;
}

} // namespace

TEST(CliOptions, ListsByCaptionWithoutRegardToCase) {
    const auto cmd = parse({"-t", "d64,sid", "-c", "prg, others,,Scr", "--sid", "Author,copyright",
                            "-o", "out.txt", "--no-partial", "--match-case", "-zr", "-q",
                            "--tool-timeout=5", "-s", "A", "--search", "-B-"});
    ASSERT_TRUE(cmd);
    const SearchRequest& o = cmd->request;
    EXPECT_EQ(captions(o.formats), (std::vector<std::string>{"D64", "SID"}));
    EXPECT_EQ(o.entryTypes, (std::vector<std::string>{"prg", "scr", "ukw"}));
    EXPECT_TRUE(!o.sid.name && o.sid.author && o.sid.copyright);
    EXPECT_TRUE(o.saveResults);
    EXPECT_EQ(o.resultsFile, std::filesystem::current_path() / "out.txt");
    EXPECT_TRUE(!o.partial && o.matchCase && o.archives && o.recurse);
    EXPECT_TRUE(cmd->settings.quiet);
    EXPECT_EQ(o.toolTimeout.count(), 5);
    EXPECT_EQ(o.pattern, "-B-"); // the last one counts, a leading '-' included
    // "all" ticks every format, whatever else the list names.
    for (const char* list : {"all", "D64,All", "all,,"})
        EXPECT_EQ(parse({"-t", list}).value_or(CliCommand{}).request.formats, FormatSet::all())
            << list;
    EXPECT_FALSE(parse({"-c", "all"})); // entry types have no "all"
    // --version wins over mistakes, as --help does.
    std::string error;
    EXPECT_EQ(parseCommandLine({"--version", "-t", "D65"}, error).value_or(CliCommand{}).action,
              CliCommand::Action::Version);
}

TEST(CliOptions, UsageErrorsGiveTheirReason) {
    const std::string timeout = "--tool-timeout needs a positive number of seconds";
    const struct {
        std::vector<std::string> args;
        std::string error; // empty: CLI11's own wording
    } cases[] = {
        {{"-c", "prg,xx", kDir}, "unknown type 'xx'"},
        {{"--sid", "name,x", kDir}, "unknown SID field 'x'"},
        {{"--tool-timeout", "0", kDir}, timeout},
        {{"--tool-timeout=5s", kDir}, timeout},
        {{"--tool-timeout", "-3", kDir}, timeout},
        {{"-o", "/no/such/folder/r.txt", kDir},
         "/no/such/folder/r.txt: the folder /no/such/folder does not exist"},
        {{"/no/such/folder"}, "/no/such/folder: no such folder"},
        {{"--reindex", "--index-only", kDir},
         "--reindex reads the folder, --index-only does not: give one of them"},
        {{"-q"}, "no FOLDER given"},
        {{kDir, kDir}, "only one FOLDER may be given"},
        {{"--", kDir, "-q"}, "only one FOLDER may be given"},
        {{"--bogus", kDir}, ""},
        {{kDir, "-s"}, ""},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(parseCommandLine(c.args, error)) << c.args[0];
        EXPECT_EQ(c.error.empty() ? !error.empty() : error == c.error, true) << error;
    }
}

// The index options: answering alone takes a folder that is not there (an
// offline disk); --reindex implies --index.
TEST(CliOptions, IndexUse) {
    using Use = SearchRequest::IndexUse;
    const struct {
        std::vector<std::string> args;
        Use use;
        bool reindex;
    } cases[] = {
        {{kDir}, Use::Off, false},
        {{"--index", kDir}, Use::Use, false},
        {{"--reindex", kDir}, Use::Use, true},
        {{"--index", "--index-only", "/no/such/folder"}, Use::Only, false},
    };
    for (const auto& c : cases) {
        std::string error;
        const auto cmd = parseCommandLine(c.args, error);
        ASSERT_TRUE(cmd) << error;
        EXPECT_EQ(cmd->request.index, c.use) << c.args[0];
        EXPECT_EQ(cmd->request.reindex, c.reindex) << c.args[0];
    }
}

TEST(CliOptions, HugeToolTimeoutKeepsTheDeadlineOnTheClock) {
    using namespace std::chrono;
    const auto cmd = parse({"--tool-timeout", "10000000000"});
    ASSERT_TRUE(cmd);
    const auto headroom = steady_clock::duration::max() - steady_clock::now().time_since_epoch();
    EXPECT_LT(cmd->request.toolTimeout, duration_cast<seconds>(headroom));
    EXPECT_GE(cmd->request.toolTimeout, hours(24 * 365));
}
