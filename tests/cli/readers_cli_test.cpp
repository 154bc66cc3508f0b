// quillsift-cli end to end on one file of every natively read kind: the
// report lines, the --types selection, and bad files that do not stop a search.
#include "CliRunner.h"
#include "TempDir.h"
#include "samples/CrtBuilder.h"
#include "samples/D81Builder.h"
#include "samples/DiskBuilder.h"
#include "samples/Pc64Builder.h"
#include "samples/SidBuilder.h"
#include "samples/T64Builder.h"

#include <gtest/gtest.h>

using namespace qs::samples;
using qs::test::TempDir;

namespace {

using qs::test::CliRun;

// The collection in dir/files, quietly.
CliRun runCli(const TempDir& dir, std::vector<std::string> args) {
    args.insert(args.begin(), "-q");
    args.push_back(dir.str() + "/files");
    return qs::test::runCli(args);
}

// One file of each kind, each holding something named BLAST.
void writeCollection(const TempDir& dir) {
    DiskBuilder d71(DiskBuilder::kD71Size);
    d71.name(toPetscii("TWIN")).formatBam().add({toPetscii("BLAST ZONE"), 0x82, 220, 36, 0});
    dir.write("files/a.d71", d71.bytes());

    D81Builder d81;
    d81.name(toPetscii("BIG")).formatBam();
    d81.add({toPetscii("MENU"), 0x82, 5, 1, 0}).partition(toPetscii("BLAST PART"), 60, 2);
    d81.add({toPetscii("BLASTOID"), 0xC2, 80, 60, 10}, 60);
    dir.write("files/b.d81", d81.bytes());

    T64Builder tape(toPetscii("TAPE"), 4);
    tape.add({toPetscii("BLAST RUNNER"), std::string(381, 'x')}).add({"BLAST", "x"});
    dir.write("files/c.t64", tape.bytes());

    dir.write("files/d.p00", makePc64(toPetscii("BLASTER"), 0x0801, std::string(2048, 'x')));
    dir.write("files/e.s00", makePc64(toPetscii("NO MATCH"), 0x0801, "x"));
    dir.write("files/f.crt", makeCrt("BLAST Cart", 0));
    dir.write("files/g.sid", makeSid({"Blast Theme", "J\xF6rg", "1987 Blast"}));
}

} // namespace

TEST(ReadersCli, ReportLinesOfEveryKind) {
    TempDir dir;
    writeCollection(dir);
    const std::string root = dir.str() + "/files";
    const CliRun run = runCli(dir, {"-s", "BLAST", "-t", "D71,D81,T64,PC64,CRT,SID", "-c",
                                    "PRG,CBM", "--sid", "name,author,copyright"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "Searching for: BLAST\n"
                       "Starting Folder: " +
                           root + "\n------\n" + root +
                           "/a.d71\n[1] entries found:\n\n"
                           "220  \"BLAST ZONE\"       prg\n\n"
                           "-------------------------\n" +
                           root +
                           "/b.d81\n[2] entries found:\n\n"
                           "80   \"BLAST PART\"       cbm\n"
                           "80   \"BLASTOID\"         prg<\n\n"
                           "-------------------------\n" +
                           root +
                           "/c.t64\n[2] entries found:\n\n"
                           "2    \"BLAST RUNNER\"     prg\n"
                           "0    \"blast\"            prg\n\n"
                           "-------------------------\n" +
                           root +
                           "/d.p00\n[1] entries found:\n\n"
                           "8    \"BLASTER\"          prg\n\n"
                           "-------------------------\n" +
                           root +
                           "/f.crt\n[1] entries found:\n\n"
                           "32   \"BLAST Cart\"       prg\n\n"
                           "-------------------------\n" +
                           root +
                           "/g.sid\n[2] entries found:\n"
                           "[SID Name match] Blast Theme\n"
                           "[SID Copyright match] 1987 Blast\n\n"
                           "-------------------------\n"
                           "------\n"
                           "Scan: 7 files analyzed\n"
                           "Total: 9 matching expressions\n");
}

TEST(ReadersCli, TypesSelectTheKindsAndCartridgesKeepTheirCase) {
    TempDir dir;
    writeCollection(dir);
    // With the letter case kept, the cartridge's name matches as stored.
    const CliRun crt =
        runCli(dir, {"-s", "BLAST Cart", "--match-case", "--no-partial", "-t", "CRT"});
    EXPECT_EQ(crt.status, 0);
    EXPECT_NE(crt.out.find("32   \"BLAST Cart\"       prg"), std::string::npos);
    EXPECT_NE(crt.out.find("Scan: 1 files analyzed"), std::string::npos);

    const CliRun sidOnly = runCli(dir, {"-s", "j?rg", "-t", "SID", "--sid", "author"});
    EXPECT_EQ(sidOnly.status, 0) << sidOnly.err;
    EXPECT_NE(sidOnly.out.find("[SID Author match] J\xC3\xB6rg"), std::string::npos);
    EXPECT_EQ(sidOnly.out.find(".crt"), std::string::npos);

    const CliRun pc64 = runCli(dir, {"-s", "*", "-t", "PC64", "-c", "PRG,SEQ"});
    EXPECT_NE(pc64.out.find("\"NO MATCH\"         seq"), std::string::npos);
    EXPECT_NE(pc64.out.find("Scan: 2 files analyzed"), std::string::npos);
}

TEST(ReadersCli, LyingHeadersAreReportedAndTheSearchGoesOn) {
    TempDir dir;
    writeCollection(dir);
    std::string tape = T64Builder("LIAR", 1).add({toPetscii("BLAST LIAR"), ""}).bytes();
    tape[34] = tape[35] = '\xFF'; // MaxEntries 65535
    dir.write("files/bad.t64", tape);
    D81Builder cut(D81Builder::offset(50, 0));
    cut.partition(toPetscii("BLAST MISSING"), 70, 1);
    dir.write("files/cut.d81", cut.bytes());

    const CliRun run =
        runCli(dir, {"-s", "BLAST", "-t", "D71,D81,T64,PC64,CRT,SID", "-c", "PRG,CBM"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.err.find("[analizzaT64] - 9 - "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("[AnalizzaTracciaDirD81] - 9 - "), std::string::npos);
    EXPECT_NE(run.out.find("\"BLAST LIAR\""), std::string::npos);
    EXPECT_NE(run.out.find("\"BLAST MISSING\""), std::string::npos);
    EXPECT_NE(run.out.find("Scan: 9 files analyzed"), std::string::npos);
}
