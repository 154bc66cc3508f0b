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

std::vector<std::string> ticked(const std::vector<CheckBox>& boxes) {
    std::vector<std::string> out;
    for (const auto& b : boxes)
        if (b.ticked())
            out.push_back(b.caption);
    return out;
}

} // namespace

TEST(CliOptions, DefaultsMirrorTheWindowExceptSaving) {
    const auto cmd = parse({});
    ASSERT_TRUE(cmd);
    const SearchOptions& o = cmd->options;
    EXPECT_EQ(cmd->action, CliCommand::Action::Search);
    EXPECT_EQ(o.findStr, "*");
    EXPECT_EQ(o.fileMask, "*");
    EXPECT_EQ(ticked(o.fileTypes),
              (std::vector<std::string>{"D64", "T64", "D81", "PC64", "D71", "CRT"}));
    EXPECT_EQ(ticked(o.cbmTypes), (std::vector<std::string>{"PRG"}));
    EXPECT_TRUE(o.partial && o.sidName);
    EXPECT_FALSE(o.saveFile || o.matchCase || o.recurse || o.sidAuthor || o.zip.ticked());
    EXPECT_FALSE(cmd->settings.quiet || cmd->settings.overwrite);
    EXPECT_EQ(cmd->toolTimeout.count(), 60);
    EXPECT_EQ(o.startFolder, std::filesystem::path(kDir).lexically_normal().parent_path());
}

TEST(CliOptions, ListsByCaptionWithoutRegardToCase) {
    const auto cmd = parse({"-t", "d64,sid", "-c", "prg, others,,Scr", "--sid", "Author,copyright",
                            "-o", "out.txt", "--no-partial", "--match-case", "-zr", "-q",
                            "--tool-timeout=5", "-s", "A", "--search", "-B-"});
    ASSERT_TRUE(cmd);
    EXPECT_EQ(ticked(cmd->options.fileTypes), (std::vector<std::string>{"D64", "SID"}));
    EXPECT_EQ(ticked(cmd->options.cbmTypes), (std::vector<std::string>{"PRG", "SCR", "Others"}));
    EXPECT_FALSE(cmd->options.sidName);
    EXPECT_TRUE(cmd->options.sidAuthor && cmd->options.sidCopyright);
    EXPECT_TRUE(cmd->options.saveFile);
    EXPECT_EQ(cmd->options.resultsFile, std::filesystem::current_path() / "out.txt");
    EXPECT_FALSE(cmd->options.partial);
    EXPECT_TRUE(cmd->options.matchCase && cmd->options.zip.ticked() && cmd->options.recurse);
    EXPECT_TRUE(cmd->settings.quiet);
    EXPECT_EQ(cmd->toolTimeout.count(), 5);
    EXPECT_EQ(cmd->options.findStr, "-B-"); // the last one counts, a leading '-' included
    EXPECT_TRUE(ticked(parse({"-t", ""})->options.fileTypes).empty());
}

TEST(CliOptions, UsageErrorsGiveTheirReason) {
    const std::string timeout = "--tool-timeout needs a positive number of seconds";
    const struct {
        std::vector<std::string> args;
        std::string error; // empty: CLI11's own wording
    } cases[] = {
        {{"-t", "D65", kDir}, "unknown type 'D65'"},
        {{"-c", "prg,xx", kDir}, "unknown type 'xx'"},
        {{"--sid", "name,x", kDir}, "unknown SID field 'x'"},
        {{"--tool-timeout", "0", kDir}, timeout},
        {{"--tool-timeout=5s", kDir}, timeout},
        {{"--tool-timeout", "-3", kDir}, timeout},
        {{"-o", "/no/such/folder/r.txt", kDir},
         "/no/such/folder/r.txt: the folder /no/such/folder does not exist"},
        {{"/no/such/folder"}, "/no/such/folder: no such folder"},
        {{"-q"}, "no FOLDER given"},
        {{kDir, kDir}, "only one FOLDER may be given"},
        {{"--", kDir, "-q"}, "only one FOLDER may be given"},
        {{"--bogus", kDir}, ""},
        {{kDir, "-s"}, ""},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(parseCommandLine(c.args, error)) << c.args[0];
        if (c.error.empty())
            EXPECT_FALSE(error.empty()) << c.args[0];
        else
            EXPECT_EQ(error, c.error);
    }
}

TEST(CliOptions, HelpAndVersionNeedNoFolderAndWinOverMistakes) {
    std::string error;
    using A = CliCommand::Action;
    EXPECT_EQ(parseCommandLine({"-h"}, error).value_or(CliCommand{}).action, A::Help);
    EXPECT_EQ(parseCommandLine({"-t", "D65", "--help"}, error).value_or(CliCommand{}).action,
              A::Help);
    EXPECT_EQ(parseCommandLine({"--version", "-t", "D65"}, error).value_or(CliCommand{}).action,
              A::Version);
    const std::string help = usageText();
    EXPECT_EQ(help.rfind("Usage: quillsift-cli [OPTIONS] FOLDER\n", 0), 0u);
    EXPECT_NE(help.find("LIST=D64,T64,D81,PC64,D71,CRT"), std::string::npos);
    EXPECT_TRUE(help.ends_with(
        "\nExit status: 0 matches reported, 1 no match, 2 stopped, failed or usage error.\n"));
}

TEST(CliOptions, HugeToolTimeoutKeepsTheDeadlineOnTheClock) {
    using namespace std::chrono;
    const auto cmd = parse({"--tool-timeout", "10000000000"});
    ASSERT_TRUE(cmd);
    const auto headroom = steady_clock::duration::max() - steady_clock::now().time_since_epoch();
    EXPECT_LT(cmd->toolTimeout, duration_cast<seconds>(headroom));
    EXPECT_GE(cmd->toolTimeout, hours(24 * 365));
}
