// Collections inside collections, against expected outputs (nested-*.out,
// @ROOT@ for the collection's folder): archives within archives to a depth
// of four, images kept compressed, tar bundles, Zipcode sets whose parts lie
// in a folder or an archive, and what must not run away (an archive that
// holds itself, a nested zip bomb, the parts of too many sets). The same
// bytes with one job and several; the outside archiver reaches what it can.
#include "CliRunner.h"
#include "ToolSession.h"
#include "common/Text.h"
#include "samples/ArchiveWriter.h"
#include "samples/D81Builder.h"
#include "samples/DiskBuilder.h"
#include "samples/G64Builder.h"
#include "samples/ZipcodeBuilder.h"

#include <gtest/gtest.h>

using namespace qs;
using namespace qs::samples;
using namespace qs::test;

namespace {

std::string disk(const std::string& name, const std::string& entry) {
    DiskBuilder d;
    d.name(toPetscii(name), "QS\2402A").formatBam();
    d.add({toPetscii(entry), 0x82, 7, 17, 0});
    return d.bytes();
}

// An archive holding itself, as far as a reader can tell: the same name,
// every level down.
std::string selfHolding(int levels) {
    std::string inner = WriteArchive("zip", {{"SELF.D64", disk("SELF", "BLAST SELF")}});
    for (int i = 1; i < levels; ++i)
        inner = WriteArchive("zip", {{"self.zip", inner}});
    return inner;
}

// Zips of 30 MiB (a disk and zeros, stored), deflated many times over into
// one small zip: opening them all would inflate far more than 1 GiB.
std::string nestedBomb() {
    std::string padded = disk("BOMB", "BLAST BOMB");
    padded.resize(30u << 20, '\0');
    const std::string layer = WriteArchive("tar", {{"bomb.d64", padded}});
    Members layers;
    for (int i = 0; i < 40; ++i)
        layers.push_back({"layer" + std::to_string(10 + i) + ".tar", layer});
    return WriteArchive("zip", layers);
}

// The parts of a disk's Zipcode set as `N!name` members, but those left out
// (by number); the part `grown` (when given) reaching `size` bytes.
Members zipcodeParts(const std::string& name, const std::string& entry,
                     const std::vector<int>& leftOut = {}, int grown = 0, std::size_t size = 0) {
    Members parts;
    const std::vector<std::string> set =
        ZipcodeSet(disk(upperAscii(name.substr(0, name.find('.'))), entry));
    for (int part = 1; part <= static_cast<int>(set.size()); ++part) {
        if (std::find(leftOut.begin(), leftOut.end(), part) != leftOut.end())
            continue;
        std::string bytes = set[static_cast<std::size_t>(part) - 1];
        if (part == grown)
            bytes.resize(size, '\0');
        parts.push_back({std::to_string(part) + "!" + name, bytes});
    }
    return parts;
}

// Sets whole, without their first part (headed by the second), without the
// part that holds the directory, and with a part too large, in a folder
// (beside two disks named like parts of one set) and in a ZIP (their parts
// in no order, a disk among them).
void writeSets(const TempDir& dir) {
    Members all;
    for (const Members& set : {zipcodeParts("whole.z64", "BLAST WHOLE"),
                               zipcodeParts("nofirst.z64", "BLAST SECOND", {1}),
                               zipcodeParts("nodir.z64", "BLAST NO DIR", {3}),
                               zipcodeParts("big", "BLAST BIG", {}, 2, 1024 * 1024 + 1)})
        for (const auto& [name, bytes] : set) {
            dir.write("sets/" + name, bytes);
            all.insert(all.begin() + static_cast<std::ptrdiff_t>(all.size() / 2), {name, bytes});
        }
    all.insert(all.begin() + 3, {"among.d64", disk("AMONG", "BLAST AMONG")});
    for (const char* twin : {"1!twin.d64", "2!twin.d64"}) {
        const std::string bytes = disk(twin, std::string("BLAST TWIN ") + twin[0]);
        dir.write("sets/" + std::string(twin), bytes);
        all.push_back({twin, bytes});
    }
    dir.write("sets/sets.zip", WriteArchive("zip", all));
}

void writeCollection(const TempDir& dir, bool bomb) {
    const std::string game = disk("GAMES", "BLAST GAME");
    dir.write("nest/a zip in a zip.zip",
              WriteArchive("zip", {{"Inner/inner.zip", WriteArchive("zip", {{"GAME.D64", game}})},
                                   {"plain.d64", disk("PLAIN", "BLAST PLAIN")}}));
    const std::string tarball =
        WriteArchive("tar.gz", {{"disk.d64.gz", Compress("gz", disk("TARRED", "BLAST TAR"))}});
    dir.write("nest/bundle.7z", WriteArchive("7z", {{"pack.tar.gz", tarball}}));
    D81Builder d81;
    d81.name(toPetscii("SQUEEZED")).formatBam().add({toPetscii("BLAST 81"), 0x82, 3, 1, 0});
    dir.write("nest/big.d81.bz2", Compress("bz2", d81.bytes()));
    dir.write("nest/gcr.g6z", Compress("gz", D64ToG64(disk("GCR", "BLAST GCR"))));
    dir.write("nest/bundle.tar.xz", WriteArchive("tar.xz", {{"x/one.d64", game}}));
    dir.write("nest/not really.d64.gz", "plain text, not gzip");
    std::string deep = WriteArchive("zip", {{"DEEP.D64", disk("DEEP", "BLAST DEEP")}});
    for (int level = 4; level >= 1; --level)
        deep = WriteArchive("zip", {{"level" + std::to_string(level) + ".zip", deep}});
    dir.write("nest/deep.zip", deep);
    dir.write("nest/self.zip", selfHolding(8));
    dir.write("nest/zipcode.tar", WriteArchive("tar", zipcodeParts("Tarred.Z64", "BLAST GAME")));
    writeSets(dir);
    if (bomb)
        dir.write("bomb/bomb.zip", nestedBomb());
}

std::string withRoot(const std::string& text, const std::string& root) {
    return replaceAll(text, "@ROOT@", root);
}

} // namespace

TEST(Nested, ExpectedOutputs) {
    TempDir dir;
    writeCollection(dir, true);
    const struct {
        const char* name;
        std::vector<std::string> args;
        int status;
    } cases[] = {
        {"nested", {"-q", "-z", "-s", "BLAST", "-t", "D64,D81,G64,ZIPCODE", "@ROOT@/nest"}, 0},
        {"nested-sets", {"-q", "-z", "--warnings", "-s", "BLAST", "@ROOT@/sets"}, 0},
        {"nested-json", {"-q", "-z", "--json", "-s", "BLAST GAME", "@ROOT@/nest"}, 0},
        {"nested-bomb", {"-q", "-z", "-s", "BLAST", "@ROOT@/bomb"}, 0},
        {"nested-list",
         {"-q", "--list", "@ROOT@/nest/a zip in a zip.zip::Inner/inner.zip::GAME.D64"},
         0},
        {"nested-list-set", {"-q", "--list", "@ROOT@/sets/sets.zip::3!nofirst.z64"}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args;
        for (const std::string& a : c.args)
            args.push_back(withRoot(a, dir.str()));
        // The bomb takes a second to inflate: once is enough.
        for (const char* jobs : {"1", "3"}) {
            if (std::string(c.name) == "nested-bomb" && jobs[0] == '1')
                continue;
            std::vector<std::string> run = args;
            run.insert(run.begin(), {"-j", jobs});
            const CliRun result = runCli(run);
            EXPECT_EQ(result.status, c.status) << jobs << " jobs";
            const std::string name = c.name;
            EXPECT_EQ(result.out,
                      expectedOutput(QS_CLI_EXPECTED_DIR, name + ".out", dir.str(), result.out))
                << jobs;
            EXPECT_EQ(result.err,
                      expectedOutput(QS_CLI_EXPECTED_DIR, name + ".err", dir.str(), result.err))
                << jobs;
            // Whatever it holds, a file is read in bounded memory.
#ifndef QS_SANITIZED
            EXPECT_LT(result.peakKiB, 64 * 1024) << jobs;
#endif
        }
    }
}

// The outside archiver opens what it reads, in process what it holds.
TEST(Nested, TheOutsideArchiverReachesWhatItCan) {
    if (!haveArchiver())
        GTEST_SKIP() << "no 7z archiver installed";
    TempDir dir;
    writeCollection(dir, false);
    const CliRun run = runCli({"-q", "-z", "--external-archiver", "-s", "BLAST", "-t",
                               "D64,ZIPCODE", dir.str() + "/nest"});
    // 7z takes a .tar.gz apart in two steps, the .tar a level of its own. A
    // set's parts are unpacked, held and read together.
    for (const std::string& heading :
         {"GAME.D64 in Inner/inner.zip in " + dir.str() + "/nest/a zip in a zip.zip",
          "DISK.D64 in pack.tar in pack.tar.gz in " + dir.str() + "/nest/bundle.7z",
          "1!TARRED.Z64 in " + dir.str() + "/nest/zipcode.tar"})
        EXPECT_NE(run.out.find(heading + "\n[1] entries found:"), std::string::npos)
            << heading << "\n"
            << run.out << run.err;
}

// The set parts of one archive are held up to 64 MiB: sixteen sets of four
// parts of 1 MiB each (records, then padding) are read, and a set past them
// is said, not read.
TEST(Nested, SetPartsHeldUpToALimit) {
    TempDir dir;
    Members parts;
    for (int set = 0; set < 16; ++set)
        for (auto& part : zipcodeParts("fill" + std::to_string(10 + set), "FILLER")) {
            part.second.resize(1024 * 1024, '\x1A');
            parts.push_back(std::move(part));
        }
    const Members last = zipcodeParts("last.z64", "BLAST LAST");
    parts.insert(parts.end(), last.begin(), last.end());
    dir.write("held.zip", WriteArchive("zip", parts));
    const CliRun run = runCli({"-q", "-z", "-s", "*", dir.str()});
    EXPECT_EQ(run.out.find("BLAST LAST"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Scan: 17 files analyzed"), std::string::npos) << run.out;
    EXPECT_EQ(run.err, "Error Detected: [analizzaZIPCODE] - 7 - Out of memory (not held: the set "
                       "parts of the archive pass 64 MiB)\nFile: 1!last.z64 in " +
                           dir.str() + "/held.zip\n");
}
