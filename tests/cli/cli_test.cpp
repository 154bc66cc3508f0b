// quillsift-cli run against expected output files, in a fixed order, on a
// collection built here: expected/NAME.out holds the standard output (none:
// nothing) and expected/NAME.err, where a case has one, the standard error;
// @ROOT@ stands for the collection's folder.
#include "CliRunner.h"
#include "ToolSession.h"
#include "common/Text.h"
#include "samples/CrtBuilder.h"
#include "samples/D81Builder.h"
#include "samples/DiskBuilder.h"
#include "samples/G64Builder.h"
#include "samples/Pc64Builder.h"
#include "samples/SidBuilder.h"
#include "samples/T64Builder.h"
#include "samples/TapBuilder.h"
#include "samples/ZipWriter.h"
#include "search/Output.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace qs;
using namespace qs::samples;
using namespace qs::test;

namespace {

DiskBuilder disk(const std::string& name, std::vector<DirEntryPlan> entries) {
    DiskBuilder d;
    d.name(toPetscii(name), "QS\2402A").formatBam();
    for (DirEntryPlan& e : entries)
        d.add({toPetscii(e.name), e.type, e.blocks, 17, 0});
    return d;
}

// disks/ for the searches and recursion (with a broken image one level down),
// kinds/ with one file of every kind, odd/ with doubtful files, packs/ with
// an archive, list/ with what --list shows whole and in an archive, and an
// empty folder.
void writeCollection(const TempDir& dir) {
    DiskBuilder games = disk(
        "GAMES DISK",
        {{"BLASTER", 0x82, 12}, {"Blast Off", 0xC2, 5}, {"README", 0x81, 2}, {"OLD", 0x00, 1}});
    dir.write("disks/games.d64", games.bytes());
    dir.write("disks/sub/tools.v2.d64", disk("TOOLS", {{"COPY", 0x82, 20}}).bytes());
    dir.write("disks/sub/.hidden.d64", games.bytes());
    dir.write("disks/sub/broken.d64", std::string(1000, '\x01'));

    DiskBuilder d71(DiskBuilder::kD71Size);
    d71.name(toPetscii("TWIN")).formatBam().add({toPetscii("BLAST ZONE"), 0x82, 220, 36, 0});
    dir.write("kinds/a.d71", d71.bytes());
    D81Builder d81;
    d81.name(toPetscii("BIG")).formatBam();
    d81.add({toPetscii("MENU"), 0x82, 5, 1, 0}).partition(toPetscii("BLAST PART"), 60, 2);
    d81.add({toPetscii("BLASTOID"), 0xC2, 80, 60, 10}, 60).add({toPetscii("LAST"), 0x81, 1, 2, 0});
    dir.write("kinds/b.d81", d81.bytes());
    T64Builder tape(toPetscii("TAPE"), 4);
    tape.add({toPetscii("BLAST RUNNER"), std::string(381, 'x')}).add({"BLAST", "x"});
    dir.write("kinds/c.t64", tape.bytes());
    dir.write("kinds/d.p00", makePc64(toPetscii("BLASTER"), 0x0801, std::string(2048, 'x')));
    dir.write("kinds/e.s00", makePc64(toPetscii("NO MATCH"), 0x0801, "x"));
    // Listed with PC64 files (P??, R??) but a PRG file: not analysed unless PRG is ticked.
    // k.rar, an archive by its content, is read as one with -z.
    dir.write("kinds/j.prg", makePc64(toPetscii("BLAST NOT"), 0x0801, "x"));
    dir.write("kinds/k.rar", StoredZip({{"notes.txt", "text"}}));
    dir.write("kinds/f.crt", makeCrt("BLAST Cart", 0));
    dir.write("kinds/g.sid", makeSid({"Blast Theme", "J\xF6rg", "1987 Blast"}));
    dir.write("kinds/h.g64", D64ToG64(disk("GCR", {{"BLAST GCR", 0x82, 33}}).bytes()));
    TapBuilder tap;
    tap.program(toPetscii("BLAST TAPE"), 0x0801, std::string(600, '*'), 1);
    dir.write("kinds/i.tap", tap.bytes());

    DiskBuilder cross = disk("CROSS", {{"FIRST", 0x82, 1}});
    cross.link(1, 19, 0);
    dir.write("odd/cross.d64", cross.bytes());
    dir.write("odd/long.d64", disk("LONG", {{"FIRST", 0x82, 1}}).bytes() + "x");
    dir.write("odd/fake.t64", "not a tape archive");

    dir.write("packs/games.zip", StoredZip({{"Disks/packed.d64", games.bytes()},
                                            {"tunes/theme.sid", makeSid({"Packed", "Me", "1990"})},
                                            {"gcr.g64", D64ToG64(cross.bytes())}}));
    dir.write("packs/fake.zip", "not an archive");

    // Scratched, unclosed and odd types, graphics in a name; 1581 partitions.
    // clang-format off
    const std::string odd = disk("LIST ME", {{"CLOSED", 0x82, 12}, {"GONE", 0x00, 5},
                                             {"Half", 0x01, 3}, {"ODD", 0x87, 1},
                                             {"\x5F\xB0", 0xC4, 2}}).bytes();
    const std::vector<std::pair<std::string, std::string>> listed{
        {"disk.d64", odd}, {"disk.g64", D64ToG64(odd)}, {"big.d81", d81.bytes()},
        {"tape.tap", tap.bytes()},
        {"cart.crt", makeCrt("Blast Cart", 3, {ChipPlan{}, ChipPlan{1}})}};
    // clang-format on
    for (const auto& [name, bytes] : listed)
        dir.write("list/" + name, bytes);
    // Members that fail, are invalid or have no medium name; tunes too large and too short.
    auto members = listed;
    members.insert(members.end(), {{"in/broken.d64", "short"},
                                   {"bad.t64", "not a tape"},
                                   {"p/blaster.p00", makePc64(toPetscii("BLASTER"), 0x0801, "x")}});
    dir.write("list/all.zip", StoredZip(members));
    dir.write("list/notes.txt", "text");
    dir.write("list/huge.sid", std::string(130001, 'x'));
    dir.write("list/short.sid", "PSID");
    // A gigabyte of zeros, as a hole: no image's size, nothing in it (hidden,
    // so that the searches pass it by).
    std::filesystem::resize_file(dir.write("huge/.huge.d64", ""), 1ull << 30);
    std::filesystem::create_directory(dir.path() / "empty");
}

enum class Err { Empty, File, Any };

struct Case {
    std::string name;
    std::vector<std::string> args;
    int status; // 0 matches reported, 1 none, 2 stopped or refused
    Err err = Err::Empty;
};

// clang-format off
const Case kCases[] = {
    // Without -q the closing status goes to standard error.
    {"typical", {"-s", "BLAST", "@ROOT@/disks"}, 0, Err::File},
    // The broken image's error goes to standard error, and the search goes on.
    {"recursive", {"-q", "-r", "-c", "prg,seq,scr", "--container-name", "--file-name",
                   "@ROOT@/disks"}, 0, Err::File},
    {"mask", {"-q", "-r", "-m", "g*", "@ROOT@/disks"}, 0},
    {"exact", {"-q", "-s", "BLAST", "--no-partial", "@ROOT@/disks"}, 1},
    {"case", {"-q", "-s", "Blast", "--match-case", "@ROOT@/disks"}, 0},
    {"empty", {"-q", "@ROOT@/empty"}, 1},
    {"kinds", {"-q", "-s", "BLAST", "-t", "D71,D81,T64,PC64,CRT,SID,G64,TAP", "-c", "PRG,CBM",
               "--sid", "name,author,copyright", "@ROOT@/kinds"}, 0},
    {"sid", {"-q", "-s", "j?rg", "-t", "sid", "--sid", "author", "@ROOT@/kinds"}, 0},
    // Cartridge names compare as stored; PC64 files have no medium name.
    {"crt-case", {"-q", "-s", "BLAST Cart", "--match-case", "--no-partial", "-t", "CRT",
                  "@ROOT@/kinds"}, 0},
    {"names", {"-q", "--container-name", "--file-name", "-t", "PC64,CRT", "-c", "PRG,SEQ",
               "@ROOT@/kinds"}, 0},
    {"quiet-warnings", {"-q", "-s", "NOTHING", "-t", "D64,T64", "@ROOT@/odd"}, 1},
    {"warnings", {"-q", "--warnings", "-s", "NOTHING", "-t", "D64,T64", "@ROOT@/odd"}, 1},
    // Needs an archiver; fake.zip is no archive, and is said so.
    {"archives", {"-q", "-z", "-t", "D64,SID,G64", "--sid", "name", "@ROOT@/packs"}, 0, Err::File},
    // The refusal texts are the request check's own, tested with it.
    {"refused", {"-q", "-t", "", "@ROOT@/disks"}, 2, Err::Any},
    {"usage", {"--types", "XYZ", "@ROOT@"}, 2, Err::File},
    // Refused as JSON Lines: still closed by the summary.
    {"json-refused", {"--json", "--types", "XYZ", "@ROOT@"}, 2, Err::File},
    {"json-no-folder", {"--json", "@ROOT@/none"}, 2, Err::File},
    {"help", {"-t", "D65", "--help"}, 0}, // help wins over mistakes
    // JSON Lines: every hit, warning and error, then the summary; the errors
    // still go to standard error.
    {"json", {"-q", "--json", "--warnings", "-r", "-z", "--file-name", "--container-name", "-t",
              "D64,T64,D81,G64,PC64,D71,TAP,CRT,SID", "-c", "PRG,DEL,SEQ,USR,REL,CBM,SCR,Others",
              "--sid", "name,author,copyright", "@ROOT@"}, 0, Err::File},
    // Without --warnings neither warnings nor errors are records.
    {"json-quiet", {"-q", "--json", "-r", "-s", "NOTHING", "-t", "D64", "@ROOT@/disks"}, 2,
     Err::File},
    // An existing results file is replaced only with --overwrite.
    {"exists", {"-q", "-o", "@ROOT@/odd/fake.t64", "@ROOT@/disks"}, 2, Err::File},
    // What --list cannot show.
    {"list-broken", {"--list", "@ROOT@/disks/sub/broken.d64"}, 2, Err::File},
    {"list-broken-member", {"--list", "@ROOT@/list/all.zip::in/broken.d64"}, 2, Err::File},
    {"list-no-member", {"--list", "@ROOT@/list/all.zip::in/other.d64"}, 2, Err::File},
    {"list-invalid", {"--list", "@ROOT@/odd/fake.t64"}, 2, Err::File},
    {"list-unknown", {"--list", "@ROOT@/list/notes.txt"}, 2, Err::File},
    {"list-archive", {"--list", "@ROOT@/list/all.zip"}, 2, Err::File},
    {"list-huge", {"--list", "@ROOT@/huge/.huge.d64"}, 2, Err::File},
    {"list-folder", {"--list", "@ROOT@/list/disk.d64", "@ROOT@"}, 2, Err::File},
};
// clang-format on

std::string withRoot(const std::string& text, const std::string& root) {
    return replaceAll(text, "@ROOT@", root);
}

// With `actual`, made anew from it under QS_WRITE_EXPECTED.
std::string expected(const std::string& name, const std::string& root,
                     const std::string* actual = nullptr) {
    if (actual != nullptr)
        return expectedOutput(QS_CLI_EXPECTED_DIR, name, root, *actual);
    return withRoot(readFile(std::string(QS_CLI_EXPECTED_DIR) + "/" + name), root);
}

} // namespace

TEST(Cli, ExpectedOutputs) {
    TempDir dir;
    writeCollection(dir);
    const bool archiver = haveArchiver();
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        if ((c.name == "archives" || c.name == "json") && !archiver)
            continue;
        std::vector<std::string> args;
        for (const std::string& a : c.args)
            args.push_back(withRoot(a, dir.str()));
        const CliRun run = runCli(args);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.out, expected(c.name + ".out", dir.str(), &run.out));
        if (c.err == Err::File)
            EXPECT_EQ(run.err, expected(c.name + ".err", dir.str(), &run.err));
        else
            EXPECT_EQ(run.err.empty(), c.err == Err::Empty) << run.err;
    }
    EXPECT_EQ(readFile(dir.str() + "/odd/fake.t64"), "not a tape archive");
}

// Our kinds whole and as archive members, read in process and by the outside
// archiver (G64 and TAP members through their listing programs).
TEST(Cli, ListsOurKindsWholeAndAsArchiveMembers) {
    TempDir dir;
    writeCollection(dir);
    const std::string list = dir.str() + "/list/";
    const bool archiver = haveArchiver();
    for (const std::string name : {"disk.d64", "disk.g64", "big.d81", "tape.tap", "cart.crt"}) {
        SCOPED_TRACE(name);
        const std::string want = expected("list-" + name.substr(0, name.find('.')) + ".out", "");
        const std::string member = list + "all.zip::" + name;
        std::vector<std::vector<std::string>> runs{{"-q", "--list", list + name},
                                                   {"-q", "--list", member}};
        if (archiver)
            runs.push_back({"-q", "--external-archiver", "--list", member});
        for (const std::vector<std::string>& args : runs) {
            const CliRun run = runCli(args);
            EXPECT_EQ(run.status, 0);
            EXPECT_EQ(run.out, want) << args.back();
            EXPECT_EQ(run.err, "");
        }
    }
}

// Under --json the results file, replaced with --overwrite, keeps the text report.
TEST(Cli, JsonLeavesTheResultsFileAsText) {
    TempDir dir;
    writeCollection(dir);
    const std::string file = dir.write("r\xC3\xA9sultats.txt", "earlier results");
    const CliRun json =
        runCli({"--json", "--overwrite", "-o", file, "-s", "BLAST", dir.str() + "/disks"});
    EXPECT_EQ(json.status, 0);
    EXPECT_EQ(json.err, "File overwriting..: The result file " + file +
                            " already exists.\nDo you want to overwrite it?\n" +
                            expected("typical.err", ""));
    EXPECT_EQ(readFile(file), ResultsHeaderLine() + "\r\n" +
                                  replaceAll(expected("typical.out", dir.str()), "\n", "\r\n"));
}
