#include "cli/CliOptions.h"

#include <gtest/gtest.h>

using namespace qs;

namespace {

std::optional<CliCommand> parse(std::vector<std::string> args, std::string* error = nullptr) {
    std::string e;
    args.push_back(::testing::TempDir());
    auto cmd = parseCommandLine(args, e);
    if (error)
        *error = e;
    return cmd;
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
    EXPECT_EQ(o.findStr, "*");
    EXPECT_EQ(o.fileMask, "*");
    EXPECT_EQ(ticked(o.fileTypes),
              (std::vector<std::string>{"D64", "T64", "D81", "PC64", "D71", "CRT"}));
    EXPECT_EQ(ticked(o.cbmTypes), (std::vector<std::string>{"PRG"}));
    EXPECT_TRUE(o.partial);
    EXPECT_FALSE(o.saveFile);
    EXPECT_TRUE(o.sidName);
    EXPECT_FALSE(o.zip.ticked());
    EXPECT_EQ(cmd->toolTimeout.count(), 60);
}

TEST(CliOptions, ListsByCaptionWithoutRegardToCase) {
    const auto cmd =
        parse({"-t", "d64,sid", "-c", "prg,others,Scr", "--sid", "Author,copyright", "-o",
               "out.txt", "--no-partial", "--match-case", "-z", "-r", "--tool-timeout=5"});
    ASSERT_TRUE(cmd);
    EXPECT_EQ(ticked(cmd->options.fileTypes), (std::vector<std::string>{"D64", "SID"}));
    EXPECT_EQ(ticked(cmd->options.cbmTypes), (std::vector<std::string>{"PRG", "SCR", "Others"}));
    EXPECT_FALSE(cmd->options.sidName);
    EXPECT_TRUE(cmd->options.sidAuthor && cmd->options.sidCopyright);
    EXPECT_TRUE(cmd->options.saveFile);
    EXPECT_EQ(cmd->options.resultsFile.front(), '/');
    EXPECT_FALSE(cmd->options.partial);
    EXPECT_TRUE(cmd->options.matchCase && cmd->options.zip.ticked() && cmd->options.recurse);
    EXPECT_EQ(cmd->toolTimeout.count(), 5);
    EXPECT_TRUE(ticked(parse({"-t", ""})->options.fileTypes).empty());
}

TEST(CliOptions, UsageErrors) {
    std::string error;
    EXPECT_FALSE(parse({"-t", "D65"}, &error));
    EXPECT_EQ(error, "unknown type 'D65'");
    EXPECT_FALSE(parse({"--bogus"}, &error));
    EXPECT_FALSE(parse({"-s"}, &error) && false);
    EXPECT_FALSE(parse({"--tool-timeout", "0"}, &error));
    EXPECT_FALSE(parse({"-o", "/no/such/folder/results.txt"}, &error));
    EXPECT_EQ(error, "/no/such/folder/results.txt: the folder /no/such/folder does not exist");
    std::string e;
    EXPECT_FALSE(parseCommandLine({"/no/such/folder"}, e));
    EXPECT_EQ(e, "/no/such/folder: no such folder");
    EXPECT_FALSE(parseCommandLine({}, e));
}
