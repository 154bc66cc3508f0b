// The report must not depend on how it was made: archives read in process or
// by the outside archiver, one job or several. Each case runs quillsift-cli
// both ways and compares the bytes. A zip bomb costs neither memory nor disk.
#include "CliRunner.h"
#include "ToolSession.h"
#include "samples/CrtBuilder.h"
#include "samples/DiskBuilder.h"
#include "samples/G64Builder.h"
#include "samples/Pc64Builder.h"
#include "samples/SidBuilder.h"
#include "samples/T64Builder.h"
#include "samples/ZipWriter.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace qs::test {

using namespace samples;

namespace {

// Equal texts, or where they part (whole reports would flood the log).
testing::AssertionResult same(const std::string& a, const std::string& b) {
    if (a == b)
        return testing::AssertionSuccess();
    const auto at = std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first - a.begin();
    const std::size_t from = static_cast<std::size_t>(std::max<long>(at - 200, 0));
    return testing::AssertionFailure() << "they part at byte " << at << ":\n"
                                       << a.substr(from, 400) << "\n---- versus ----\n"
                                       << b.substr(from, 400);
}

void writeSamples(const TempDir& dir) {
    ASSERT_EQ(shell(quoted(BinFolder() + "quillsift-samples") + " " + dir.str() + "/samples"), 0);
    // The writer's marker file: Debian's arj never ends on a hidden empty file.
    std::filesystem::remove(dir.path() / "samples/.quillsift-samples");
}

// arch/lib holds archives that libarchive reads, arch/ext what it leaves to
// the outside archiver: ARJ, damage, a text named .zip.
void writeArchives(const TempDir& dir) {
    writeSamples(dir);
    const std::string samples = dir.str() + "/samples", lib = dir.str() + "/arch/lib/";
    const std::string disk = readFile(samples + "/Games/ARCADE.D64");
    // Names in mixed case against upper-case patterns; a folder whose name
    // fits the mask takes its members along.
    // clang-format off
    dir.write("arch/lib/mixed.zip",
              StoredZip({{"Sub/BlAsT.D64", disk}, {"sub/blast.d64", disk},
                         {"Blast1.D64/Nested.d64", disk},
                         {"Tunes/BLAST Tune.SID", readFile(samples + "/Music/Blast Theme.sid")},
                         {"other.D64", disk}, {"empty.d64", ""}}));
    dir.write("arch/lib/evil.zip", StoredZip({{"../up.d64", disk}, {"/abs.d64", disk},
                                              {"a/../../b.d64", disk}, {"ok/fine.d64", disk}}));
    // clang-format on
    for (int i = 0; i < 150; ++i) { // for the solid 7z
        T64Builder tape(toPetscii("TAPE"));
        tape.add({toPetscii((i % 3 != 0 ? "Blast " : "GAME ") + std::to_string(i)), "x"});
        dir.write("many/" + std::string(i % 2 != 0 ? "Blast/" : "misc/") +
                      (i % 4 != 0 ? "Tape" : "BLAST") + std::to_string(i) +
                      (i % 5 != 0 ? ".t64" : ".T64"),
                  tape.bytes());
    }
    const std::string commands[] = {
        (shell("command -v zip >/dev/null") == 0 ? "zip -r -q " : "7z a -tzip ") + lib +
            "deflate.zip .",
        "7z a -tzip -mx0 " + lib + "Deeper/stored.zip Games Music",
        "7z a -t7z -ms=off " + lib + "Deeper/More/normal.7z .",
        "7z a -t7z -ms=on " + lib + "solid.7z . ../many",
        "lha a " + lib + "tree.lzh Games Tapes Music",
        "arj a -r " + dir.str() + "/arch/ext/tree.arj '*'"};
    ASSERT_EQ(shell("mkdir -p " + lib + "Deeper/More " + dir.str() + "/arch/ext"), 0);
    for (const std::string& command : commands)
        ASSERT_EQ(shell("cd " + samples + " && " + command + " >/dev/null"), 0) << command;
    // The same ZIP cut short (no central directory; kept apart, below), and
    // with bytes of one member's compressed data changed.
    std::string bytes = readFile(lib + "deflate.zip");
    dir.write("cut/cut.zip", bytes.substr(0, 3000));
    const std::size_t at = bytes.find("Games/ARCADE.D64") + 100;
    for (std::size_t i = at; i < at + 100; ++i)
        bytes[i] = static_cast<char>(bytes[i] ^ 0x55);
    dir.write("arch/ext/corrupt.zip", bytes);
    dir.write("arch/ext/fake.zip", "not an archive");
}

} // namespace

TEST(ArchivePaths, InProcessAndOutsideArchiverGiveTheSameReport) {
    if (shell("(command -v 7z && command -v lha && command -v arj) >/dev/null") != 0)
        GTEST_SKIP() << "needs 7z, lha and arj";
    TempDir dir;
    writeArchives(dir);
    for (const char* root : {"/samples", "/arch"})
        for (const char* mask : {"*", "BLAST*"}) {
            SCOPED_TRACE(std::string(root) + " " + mask);
            std::vector<std::string> args =
                searchAll({"--warnings", "-q", "-m", mask, dir.str() + root});
            const CliRun inProcess = runCli(args);
            args.push_back("--external-archiver");
            const CliRun outside = runCli(args);
            EXPECT_EQ(inProcess.status, outside.status);
            EXPECT_TRUE(same(inProcess.out, outside.out));
            EXPECT_TRUE(same(inProcess.err, outside.err));
            EXPECT_NE(inProcess.out.find("\"BLASTER\""), std::string::npos);
        }
    // With an archiver that lists nothing, libarchive's archives read the same.
    TempDir tools;
    writeScript(tools, "7z", "exit 0");
    const std::string toolPath = tools.str();
    const auto args = searchAll({"--warnings", "-q", dir.str() + "/arch/lib"});
    const CliRun inProcess = runCli(args);
    EXPECT_TRUE(same(runCli(args, {toolPath.c_str(), ""}).out, inProcess.out));
    for (const char* name : {"solid.7z", "More/normal.7z", "stored.zip", "tree.lzh", "mixed.zip"})
        EXPECT_NE(inProcess.out.find(std::string(name) + "\n"), std::string::npos) << name;
    // A ZIP cut short: libarchive reads the members before the cut, which 7z
    // cannot; both say that the archive fails.
    auto cut = searchAll({"-q", dir.str() + "/cut"});
    const CliRun cutInProcess = runCli(cut);
    EXPECT_NE(cutInProcess.out.find("BLAST THEME in " + dir.str() + "/cut/cut.zip\n"),
              std::string::npos);
    cut.push_back("--external-archiver");
    EXPECT_EQ(runCli(cut).err, cutInProcess.err);
}

// 200 MiB of zeros in 250 KB is reported as not read: the run's memory stays
// small, the archiver (which would unpack it to disk) is never asked, and the
// program writes no file that large (the write would end it).
TEST(ArchivePaths, AZipBombIsReportedAndNeverInflated) {
    if (shell("command -v 7z >/dev/null") != 0)
        GTEST_SKIP() << "needs 7z";
    TempDir dir;
    const std::string bomb = dir.str() + "/bomb/bomb.zip", asked = dir.str() + "/asked";
    ASSERT_EQ(shell("mkdir " + dir.str() + "/bomb && head -c 200M /dev/zero | 7z a -tzip -mx1 " +
                    "-sibomb.d64 " + bomb + " >/dev/null"),
              0);
    writeScript(dir, "tools/7z", ": > " + asked);
    const std::string tools = dir.str() + "/tools";
    CliEnv bombEnv;
    bombEnv.path = tools.c_str();
    bombEnv.fileSizeLimit = 128ul << 20; // more than any error log
    const CliRun run = runCli({"-q", "-z", "--warnings", dir.str() + "/bomb"}, bombEnv);
    EXPECT_EQ(run.status, 2); // nothing matched, and the bomb could not be searched
    EXPECT_EQ(run.err, "Error Detected: [SearchC64File] - 7 - Out of memory (larger than 64 MiB, "
                       "not read)\nFile: bomb.d64 in " +
                           bomb + "\n");
    EXPECT_LT(run.peakKiB, 64 * 1024);
    EXPECT_FALSE(std::filesystem::exists(asked));
}

namespace {

// Zero blocks are left as holes, so that a thousand disks cost little disk.
void writeSparse(const TempDir& dir, const std::string& relative, const std::string& bytes) {
    static const std::string zeros(4096, '\0');
    const std::string path = dir.write(relative, "");
    {
        std::ofstream out(path, std::ios::binary);
        for (std::size_t at = 0; at < bytes.size(); at += zeros.size()) {
            const std::size_t length = std::min(zeros.size(), bytes.size() - at);
            if (bytes.compare(at, length, zeros, 0, length) != 0)
                out.seekp(static_cast<std::streamoff>(at))
                    .write(bytes.data() + at, static_cast<std::streamsize>(length));
        }
    }
    std::filesystem::resize_file(path, bytes.size());
}

// 2,000 files in nested folders: disks with 0 to 8 entries, images cut short
// (errors) or too long (warnings), tunes, tapes, PC64 files, cartridges, ZIPs
// with a broken member, and a few G64s for c1541.
void writeLargeCollection(const TempDir& dir) {
    for (int i = 0; i < 2000; ++i) {
        const std::string n = std::to_string(i);
        DiskBuilder disk;
        disk.name(toPetscii("DISK " + n)).formatBam();
        for (int e = 0; e < i % 9; ++e)
            disk.add({toPetscii((e % 2 != 0 ? "BLAST " : "GAME ") + n + "." + std::to_string(e)),
                      static_cast<std::uint8_t>(0x80 + e % 5), static_cast<std::uint16_t>(e + i)});
        T64Builder tape(toPetscii("TAPE " + n));
        tape.add({toPetscii("PROG " + n), std::string(static_cast<std::size_t>(i % 40), 'x')});
        const std::string tune = makeSid({"Tune " + n, "Author " + std::to_string(i % 13), "1987"});
        const std::string broken(static_cast<std::size_t>(i % 900), static_cast<char>(i));
        const auto cut = static_cast<std::size_t>(91396 + 97 * i % 70000); // in the directory
        std::string extension = ".d64", bytes = disk.bytes();
        if (i % 10 == 3)
            bytes = i % 20 == 3 ? broken : bytes.substr(0, cut);
        else if (i % 10 == 4)
            extension = ".sid", bytes = tune;
        else if (i % 10 == 5)
            extension = ".t64", bytes = tape.bytes();
        else if (i % 10 == 6)
            extension = ".p00", bytes = makePc64(toPetscii("PROG " + n), 0x0801, "x");
        else if (i % 10 == 7)
            extension = ".crt", bytes = makeCrt("Cart " + n, static_cast<std::uint16_t>(i % 3));
        else if (i % 20 == 8)
            extension = ".zip",
            bytes = StoredZip({{"in/a.sid", tune}, {"b.t64", tape.bytes()}, {"c.d64", broken}});
        else if (i % 100 == 9)
            extension = ".g64", bytes = D64ToG64(bytes);
        else if (i % 10 == 9)
            bytes += "x";
        writeSparse(dir,
                    "big/f" + std::to_string(i % 7) +
                        (i % 3 != 0 ? "/" : "/deep/d" + std::to_string(i % 5) + "/") + n +
                        extension,
                    bytes);
    }
}

} // namespace

// The report, the messages and the results file come out in walk order,
// whichever file is finished first.
TEST(Jobs, OneJobAndFourGiveTheSameBytes) {
    TempDir dir;
    writeSamples(dir);
    writeLargeCollection(dir);
    for (const char* root : {"/samples", "/big"})
        for (const bool outside : {false, true}) {
            SCOPED_TRACE(std::string(root) + (outside ? " outside" : ""));
            std::vector<CliRun> runs;
            std::vector<std::string> files;
            for (const char* jobs : {"1", "4"}) {
                files.push_back(dir.str() + root + (outside ? "-outside-" : "-") + jobs + ".txt");
                auto args =
                    searchAll({"--warnings", "-j", jobs, "-o", files.back(), dir.str() + root});
                if (outside)
                    args.push_back("--external-archiver");
                runs.push_back(runCli(args));
            }
            EXPECT_EQ(runs[0].status, runs[1].status);
            EXPECT_TRUE(same(runs[0].out, runs[1].out));
            EXPECT_TRUE(same(runs[0].err, runs[1].err));
            EXPECT_TRUE(same(readFile(files[0]), readFile(files[1])));
            EXPECT_NE(runs[0].err.find("Scan Completed"), std::string::npos) << runs[0].err;
        }
}

} // namespace qs::test
