// quillsift-cli run against expected output files, in a fixed order, on a
// collection built here: expected/NAME.out holds the standard output (none:
// nothing) and expected/NAME.err, where a case has one, the standard error;
// @ROOT@ stands for the collection's folder.
#include "CliRunner.h"
#include "ToolSession.h"
#include "common/Text.h"
#include "media/AnalysisRecords.h"
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
#include <nlohmann/json.hpp>

#include <filesystem>
#include <set>
#include <tuple>

using namespace qs;
using namespace qs::samples;
using namespace qs::test;

namespace {

DiskBuilder disk(const std::string& name, std::vector<DirEntrySpec> entries) {
    DiskBuilder d;
    d.name(toPetscii(name), "QS\xA0"
                            "2A")
        .formatBam();
    for (DirEntrySpec& e : entries)
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
    // Listed with PC64 files (P??, R??) but not of their family: not analysed.
    for (const char* name : {"kinds/j.prg", "kinds/k.rar"})
        dir.write(name, makePc64(toPetscii("BLAST NOT"), 0x0801, "x"));
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
    const std::string odd = disk("LIST ME", {{"CLOSED", 0x82, 12},
                                             {"GONE", 0x00, 5},
                                             {"Half", 0x01, 3},
                                             {"ODD", 0x87, 1},
                                             {"\x5F\xB0", 0xC4, 2}})
                                .bytes();
    const std::vector<std::pair<std::string, std::string>> listed{
        {"disk.d64", odd},
        {"disk.g64", D64ToG64(odd)},
        {"big.d81", d81.bytes()},
        {"tape.tap", tap.bytes()},
        {"cart.crt", makeCrt("Blast Cart", 3, {ChipSpec{}, ChipSpec{1}})}};
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
    std::filesystem::create_directory(dir.path() / "empty");
}

enum class Err { Empty, File, Any };

struct Case {
    std::string name;
    std::vector<std::string> args;
    int status; // 0 matches reported, 1 none, 2 stopped or refused
    Err err = Err::Empty;
};

const Case kCases[] = {
    // Without -q the closing status goes to standard error.
    {"typical", {"-s", "BLAST", "@ROOT@/disks"}, 0, Err::File},
    // The broken image's error goes to standard error, and the search goes on.
    {"recursive",
     {"-q", "-r", "-c", "prg,seq,scr", "--container-name", "--file-name", "@ROOT@/disks"},
     0,
     Err::File},
    {"mask", {"-q", "-r", "-m", "g*", "@ROOT@/disks"}, 0},
    {"exact", {"-q", "-s", "BLAST", "--no-partial", "@ROOT@/disks"}, 1},
    {"case", {"-q", "-s", "Blast", "--match-case", "@ROOT@/disks"}, 0},
    {"empty", {"-q", "@ROOT@/empty"}, 1},
    {"kinds",
     {"-q", "-s", "BLAST", "-t", "D71,D81,T64,PC64,CRT,SID,G64,TAP", "-c", "PRG,CBM", "--sid",
      "name,author,copyright", "@ROOT@/kinds"},
     0},
    {"sid", {"-q", "-s", "j?rg", "-t", "sid", "--sid", "author", "@ROOT@/kinds"}, 0},
    // Cartridge names compare as stored; PC64 files have no medium name.
    {"crt-case",
     {"-q", "-s", "BLAST Cart", "--match-case", "--no-partial", "-t", "CRT", "@ROOT@/kinds"},
     0},
    {"names",
     {"-q", "--container-name", "--file-name", "-t", "PC64,CRT", "-c", "PRG,SEQ", "@ROOT@/kinds"},
     0},
    {"quiet-warnings", {"-q", "-s", "NOTHING", "-t", "D64,T64", "@ROOT@/odd"}, 1},
    {"warnings", {"-q", "--warnings", "-s", "NOTHING", "-t", "D64,T64", "@ROOT@/odd"}, 1},
    // Needs an archiver; fake.zip is no archive, and is said so.
    {"archives", {"-q", "-z", "-t", "D64,SID,G64", "--sid", "name", "@ROOT@/packs"}, 0, Err::File},
    // The refusal texts are the request check's own, tested with it.
    {"refused", {"-q", "-t", "", "@ROOT@/disks"}, 2, Err::Any},
    {"usage", {"--types", "XYZ", "@ROOT@"}, 2, Err::File},
    {"help", {"-t", "D65", "--help"}, 0}, // help wins over mistakes
    // An existing results file is replaced only with --overwrite.
    {"exists", {"-q", "-o", "@ROOT@/odd/fake.t64", "@ROOT@/disks"}, 2, Err::File},
    // What --list cannot show.
    {"list-broken", {"--list", "@ROOT@/disks/sub/broken.d64"}, 2, Err::File},
    {"list-broken-member", {"--list", "@ROOT@/list/all.zip::in/broken.d64"}, 2, Err::File},
    {"list-no-member", {"--list", "@ROOT@/list/all.zip::in/other.d64"}, 2, Err::File},
    {"list-invalid", {"--list", "@ROOT@/odd/fake.t64"}, 2, Err::File},
    {"list-unknown", {"--list", "@ROOT@/list/notes.txt"}, 2, Err::File},
    {"list-archive", {"--list", "@ROOT@/list/all.zip"}, 2, Err::File},
    {"list-folder", {"--list", "@ROOT@/list/disk.d64", "@ROOT@"}, 2, Err::File},
};

std::string withRoot(const std::string& text, const std::string& root) {
    return replaceAll(text, "@ROOT@", root);
}

std::string expected(const std::string& name, const std::string& root) {
    return withRoot(readFile(std::string(QS_CLI_EXPECTED_DIR) + "/" + name), root);
}

} // namespace

TEST(Cli, ExpectedOutputs) {
    TempDir dir;
    writeCollection(dir);
    const bool archiver = haveArchiver();
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        if (c.name == "archives" && !archiver)
            continue;
        std::vector<std::string> args;
        for (const std::string& a : c.args)
            args.push_back(withRoot(a, dir.str()));
        const CliRun run = runCli(args);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.out, expected(c.name + ".out", dir.str()));
        if (c.err == Err::File)
            EXPECT_EQ(run.err, expected(c.name + ".err", dir.str()));
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

namespace {

// One match or warning: the heading of its block (or the invalid file's
// name), what it is, and its text as the report shows it; an entry's text
// also carries its blocks, type and lock mark.
using Hit = std::tuple<std::string, std::string, std::string>;

std::multiset<Hit> textHits(const std::string& report) {
    static const std::pair<std::string, std::string> kLabels[] = {
        {"[Filename match] ", "file name"},
        {"[MediaName match] ", "medium name"},
        {"[SID Name match] ", "sid name"},
        {"[SID Author match] ", "sid author"},
        {"[SID Copyright match] ", "sid copyright"}};
    const std::string invalid = " is an invalid file";
    std::multiset<Hit> hits;
    const std::vector<std::string> lines = SplitLines(report, CrRule::Keep);
    std::string heading;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& l = lines[i];
        if (i + 1 < lines.size() && lines[i + 1].ends_with("] entries found:")) {
            heading = l;
            ++i;
        } else if (l == "-------------------------") {
            heading.clear();
        } else if (l.ends_with(invalid)) {
            hits.insert({l.substr(0, l.size() - invalid.size()), "warning", "INVALID FILE"});
        } else if (!heading.empty() && !l.empty()) {
            const auto label = std::ranges::find_if(
                kLabels, [&](const auto& lb) { return l.starts_with(lb.first); });
            const auto q = l.find('"'), endQ = l.rfind('"');
            if (label != std::end(kLabels))
                hits.insert({heading, label->second, l.substr(label->first.size())});
            else if (q != std::string::npos && endQ > q && l[0] >= '0' && l[0] <= '9')
                hits.insert({heading, "entry",
                             l.substr(q + 1, endQ - q - 1) + "|" + trimBlanks(l.substr(0, q)) +
                                 "|" + trimBlanks(l.substr(endQ + 1))});
            else
                hits.insert({heading, "warning", l});
        }
    }
    return hits;
}

struct JsonRun {
    std::multiset<Hit> hits;
    std::multiset<std::string> errors;
    nlohmann::json summary;
};

JsonRun jsonHits(const std::string& out) {
    JsonRun run;
    const std::vector<std::string> lines = SplitLines(out, CrRule::Keep);
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        SCOPED_TRACE(lines[i]);
        nlohmann::json j;
        EXPECT_NO_THROW(j = nlohmann::json::parse(lines[i]));
        EXPECT_TRUE(run.summary.is_null()) << "the summary comes last";
        const std::string record = j.value("record", "");
        if (record == "summary") {
            run.summary = j;
            continue;
        }
        const std::string file = j["file"], text = j["text"];
        const std::string member = j["member"].is_null() ? "" : j["member"];
        const std::string kind = j["container"].is_null() ? "" : j["container"];
        const std::string named = member.empty() ? file : member + " in " + file;
        if (record == "error") {
            // A message that names its file names the one the record has.
            const auto at = text.rfind("\nFile: ");
            if (at != std::string::npos) {
                EXPECT_EQ(text.substr(at + 7), named);
            }
            run.errors.insert(text);
            continue;
        }
        const std::string heading =
            member.empty()
                ? file
                : FileNameField(member) + (kind == "SID" ? "" : "." + kind) + " in " + file;
        if (record == "warning") {
            run.hits.insert({text == "INVALID FILE" ? named : heading, record, text});
            continue;
        }
        EXPECT_EQ(record, "match");
        if (j["matched"] != "entry") {
            run.hits.insert({heading, j["matched"], text});
            continue;
        }
        // Lock marks and positions where the container keeps them.
        const bool disk = kind == "D64" || kind == "D71" || kind == "D81" || kind == "G64";
        EXPECT_EQ(j["locked"].is_null(), !disk);
        EXPECT_EQ(j["entry"].is_null(), kind == "PC64" || kind == "CRT");
        run.hits.insert({heading, "entry",
                         text + "|" + std::to_string(j["blocks"].get<int>()) + "|" +
                             j["type"].get<std::string>() + (j["locked"] == true ? "<" : "")});
    }
    EXPECT_TRUE(out.ends_with("\n"));
    return run;
}

// The trapped errors on standard error ("Error Detected: " and the text),
// before the closing status.
std::multiset<std::string> errorsOf(std::string err) {
    err = err.substr(0, err.find("Scan Completed ("));
    const std::string mark = "Error Detected: ";
    std::multiset<std::string> errors;
    for (auto at = err.find(mark); at != std::string::npos;) {
        const auto next = err.find(mark, at + mark.size());
        std::string text = err.substr(at + mark.size(), next - at - mark.size());
        if (text.ends_with("\n"))
            text.pop_back();
        errors.insert(text);
        at = next;
    }
    return errors;
}

// "Scan: N files analyzed" and the like: the number after `label`.
int numberAfter(const std::string& text, const std::string& label) {
    const auto at = text.find(label);
    return at == std::string::npos ? 0 : std::atoi(text.c_str() + at + label.size());
}

} // namespace

// --json reports each hit of the text report once, with the same place and
// text, and nothing else; warnings and errors only with --warnings; a closing
// summary with the text report's counts. The results file, replaced with
// --overwrite, keeps the text.
TEST(Cli, JsonFollowsTheTextReport) {
    TempDir dir;
    writeCollection(dir);
    const std::string samples = dir.str() + "/samples";
    ASSERT_EQ(runProgram("quillsift-samples", {samples}).status, 0);

    for (const std::string& folder : {dir.str(), samples})
        for (const bool warnings : {true, false}) {
            SCOPED_TRACE(folder + (warnings ? " with warnings" : ""));
            std::vector<std::string> args = searchAll({folder});
            if (warnings)
                args.push_back("--warnings");
            const CliRun text = runCli(args);
            const TempDir saved;
            const std::string file = saved.write("r\xC3\xA9sultats.txt", "earlier results");
            args.insert(args.begin(), {"--json", "--overwrite", "-o", file});
            const CliRun json = runCli(args);
            EXPECT_EQ(json.status, text.status);
            EXPECT_EQ(json.err, "File overwriting..: The result file " + file +
                                    " already exists.\nDo you want to overwrite it?\n" + text.err);
            EXPECT_EQ(readFile(file),
                      ResultsHeaderLine() + "\r\n" + replaceAll(text.out, "\n", "\r\n"));

            const JsonRun records = jsonHits(json.out);
            const std::multiset<Hit> expectedHits = textHits(text.out);
            EXPECT_GT(expectedHits.size(), 20u);
            EXPECT_EQ(records.hits, expectedHits);
            EXPECT_EQ(records.errors, warnings ? errorsOf(text.err) : std::multiset<std::string>{});
            EXPECT_EQ(records.summary["files_analysed"], numberAfter(text.out, "\nScan: "));
            EXPECT_EQ(records.summary["matches"], numberAfter(text.out, "\nTotal: "));
            EXPECT_EQ(records.summary["files_failed"],
                      numberAfter(text.err, "matching expressions ) - "));
            EXPECT_EQ(records.summary["end"], "completed");
        }
}

// Ctrl-C while an outside program runs ends the program long before its time
// limit, and the search with it: no summary, exit status 2.
TEST(Cli, CtrlCEndsARunningToolAndTheSearch) {
    TempDir dir;
    const std::string started = dir.str() + "/started";
    writeScript(dir, "tools/7z", ": > '" + started + "'\nwhile :; do /bin/sleep 1; done");
    dir.write("files/a.zip", "anything");
    const auto begin = std::chrono::steady_clock::now();
    const std::string tools = dir.str() + "/tools";
    const CliRun run = runCli({"-q", "-z", dir.str() + "/files"}, {tools.c_str(), started});
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(20));
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.out.find("Searching for: *"), std::string::npos);
    EXPECT_EQ(run.out.find("Scan:"), std::string::npos);

    // As JSON Lines the run still closes with its summary, which says so.
    std::filesystem::remove(started);
    const CliRun json =
        runCli({"-q", "-z", "--json", dir.str() + "/files"}, {tools.c_str(), started});
    EXPECT_EQ(json.status, 2);
    EXPECT_EQ(jsonHits(json.out).summary["end"], "stopped");
}
