// The index against the readers: a request searched without the index, with
// it (made, then answered from it) and from it alone gives the same report
// and exit status, byte for byte, on the sample collection and on made
// collections; after files change between runs; after a run killed while it
// made the index; with two runs at once; with a damaged index file.
#include "CliRunner.h"
#include "TempDir.h"
#include "samples/ArchiveWriter.h"
#include "samples/DiskBuilder.h"
#include "samples/Pc64Builder.h"
#include "samples/T64Builder.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <thread>

using namespace qs;
using namespace qs::samples;
using namespace qs::test;
namespace fs = std::filesystem;

namespace {

using Args = std::vector<std::string>;

// Dates a file ten seconds back, as files the index keeps are (it keeps
// none changed within the last two seconds).
void settle(const fs::path& path) {
    const auto back = std::chrono::system_clock::now() - std::chrono::seconds(10);
    const auto ns =
        std::chrono::duration_cast<std::chrono::nanoseconds>(back.time_since_epoch()).count();
    const timespec when{static_cast<time_t>(ns / 1'000'000'000),
                        static_cast<long>(ns % 1'000'000'000)};
    const timespec times[2] = {when, when};
    ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}
void settleAll(const fs::path& root) {
    for (const auto& entry : fs::recursive_directory_iterator(root))
        settle(entry.path());
}

constexpr std::size_t kForty = DiskBuilder::kD64Size + 5 * 17 * 256; // a 40-track image

std::string disk(const std::string& name, const std::vector<std::string>& entries,
                 std::size_t size = DiskBuilder::kD64Size) {
    DiskBuilder d(size);
    d.name(toPetscii(name)).formatBam();
    std::uint16_t blocks = 3;
    for (const std::string& e : entries)
        d.add({toPetscii(e), 0x82, blocks++, 17, 0});
    return d.bytes();
}

std::string tape(const std::string& name, const std::string& entry) {
    T64Builder t(name);
    t.add({entry, std::string(40, '\x60')});
    return t.bytes();
}

// A collection of one kind of each thing the index keeps: plain images,
// archives within archives, compressed images, a damaged image, an invalid
// tape, a file no reader takes.
void writeMade(const TempDir& dir) {
    dir.write("c/Disks/blast.d64", disk("BLAST DISK", {"BLASTER", "blast off", "SCORE"}));
    dir.write("c/Disks/forty.d64", disk("FORTY", {"BLAST 40"}, kForty));
    dir.write("c/Disks/cut.d64", disk("CUT", {"BLAST CUT"}).substr(0, 91500));
    dir.write("c/Tapes/blast.t64", tape("BLAST TAPE", "BLAST TAPED"));
    dir.write("c/Tapes/bad.t64", "not a tape at all, but named like one");
    dir.write("c/Tapes/prog.p00", makePc64("BLAST PRG", 0x0801, "\x60"));
    const Members inner = {{"GAME.D64", disk("GAMES", {"BLAST IN"})},
                           {"x.t64", tape("T", "BLAST T")}};
    const Members pack = {{"Inner/inner.zip", WriteArchive("zip", inner)},
                          {"plain.d64", disk("PLAIN", {"BLAST PLAIN"})},
                          {"notes.txt", "what the archive holds"},
                          {"b.d64.gz", Compress("gz", disk("GZ", {"BLAST GZ"}))}};
    dir.write("c/nest/pack.zip", WriteArchive("zip", pack));
    const Members tarred = {{"t.d64", disk("TAR", {"TARRED"})}};
    const Members bundle = {{"pack.tar.gz", WriteArchive("tar.gz", tarred)},
                            {"two.t64", tape("TWO", "BLAST TWO")}};
    dir.write("c/nest/bundle.7z", WriteArchive("7z", bundle));
    dir.write("c/nest/image.d64.gz", Compress("gz", disk("WHOLE", {"BLAST WHOLE"})));
    settleAll(dir.path() / "c");
}

// Runs one request three ways against the index file in `dir`.
struct Searches {
    TempDir dir;
    std::string index = dir.str() + "/index/index.sqlite";
    std::string root = dir.str() + "/c";

    CliRun run(Args args, const std::string& how = {}, CliEnv env = {}) {
        args.insert(args.begin(), "-q");
        if (!how.empty()) {
            args.push_back(how);
            args.push_back("--index-file");
            args.push_back(index);
        }
        args.push_back(root);
        env.vars.emplace_back("XDG_CACHE_HOME", dir.str() + "/cache");
        return runCli(args, env);
    }
    // The search without the index, and with it (made or brought up to
    // date, then answered from it) and from it alone: all the same.
    void expectSame(const Args& args) {
        SCOPED_TRACE(testing::PrintToString(args));
        const CliRun live = run(args);
        for (const char* how : {"--index", "--index", "--index-only"}) {
            SCOPED_TRACE(how);
            const CliRun indexed = run(args, how);
            EXPECT_EQ(indexed.out, live.out);
            EXPECT_EQ(indexed.err, live.err);
            EXPECT_EQ(indexed.status, live.status);
        }
    }
};

const std::vector<Args> kRequests = {
    {"-r", "-t", "D64", "-s", "BLAST"},
    {"-r", "-z", "-s", "BLAST"},
    {"-r", "-z", "-s", "*", "--warnings"},
    {"-r", "-z", "-s", "bl?st", "--json", "--warnings"},
    {"-r", "-z", "-s", "[A-C]*", "--no-partial"},
    {"-r", "-z", "-s", "#", "-c", "PRG,SEQ,DEL,SCR"},
    {"-r", "-z", "-s", "blast", "--match-case"},
    {"-r", "-z", "-s", "BLAST", "--match-case", "--container-name"},
    {"-r", "-z", "-t", "T64,PC64", "-s", "*", "--warnings"},
    {"-r", "-z", "-t", "D64", "-m", "b*", "-s", "*"},
    {"-r", "-z", "--file-name", "-s", "BLA"},
    {"-z", "-s", "*", "--warnings"},
    {"-r", "-z", "-j", "1", "-s", "A", "--json"},
    searchAll({"-s", "*", "--warnings", "--json"}),
    searchAll({"-s", "BLAST", "--sid", "author,copyright"}),
    searchAll({"-s", "*", "--warnings", "--external-archiver"}),
};

} // namespace

TEST(Index, SameReportsOnTheSampleCollection) {
    Searches s;
    ASSERT_EQ(runProgram("quillsift-samples", {s.root}).status, 0);
    settleAll(s.root);
    for (const Args& args : kRequests)
        s.expectSame(args);
}

TEST(Index, SameReportsOnAMadeCollection) {
    Searches s;
    writeMade(s.dir);
    for (const Args& args : kRequests)
        s.expectSame(args);
    // Answering alone with the collection gone, a file the index does not
    // hold as the search reads it is said and counted, never passed over.
    Searches offline;
    writeMade(offline.dir);
    offline.run({"-r", "-z", "-t", "D64", "-s", "BLAST"}, "--index");
    fs::rename(offline.root, offline.root + "-away");
    const CliRun only =
        offline.run({"-r", "-z", "-t", "D64,T64", "-s", "BLAST", "--json"}, "--index-only");
    EXPECT_NE(only.out.find("BLAST WHOLE"), std::string::npos) << only.out;
    for (const char* file : {"blast.t64", "bad.t64", "cut.d64", "bundle.7z", "pack.zip"})
        EXPECT_NE(only.err.find(std::string(file) + "\n"), std::string::npos) << file << only.err;
    EXPECT_NE(only.out.find("\"files_failed\":5"), std::string::npos) << only.out;
}

// A reading of megabytes (an archive of very many members) is kept in
// pieces and answers as any other, its members passed over too.
TEST(Index, AnArchiveOfVeryManyMembers) {
    Searches s;
    Members members;
    for (int n = 0; n < 40000; ++n)
        members.push_back({"part" + std::to_string(n / 1000) + "/game" + std::to_string(n) + ".p00",
                           makePc64("GAME " + std::to_string(n), 0x0801, "\x60")});
    s.dir.write("c/many.zip", WriteArchive("zip", members));
    settleAll(s.root);
    // Kept with its members passed over, then asked for some of them: by a
    // mask that looks past their shapes (their names are checked), and by
    // one that does not.
    s.expectSame({"-r", "-z", "-t", "D64", "-s", "GAME*"});
    s.expectSame({"-r", "-z", "-t", "PC64", "-m", "game1234*", "-s", "GAME*"});
    s.expectSame({"-r", "-z", "-t", "PC64", "-m", "g*", "-s", "GAME?1234?"});
    s.expectSame({"-r", "-z", "-t", "PC64", "-s", "GAME?1234?"});
}

TEST(Index, FilesChangedBetweenRuns) {
    Searches s;
    writeMade(s.dir);
    const Args args = searchAll({"-s", "*", "--warnings"});
    s.run(args, "--index");
    const fs::path c = s.root;
    struct Change {
        const char* what;
        std::function<void()> apply;
    };
    const std::vector<Change> changes = {
        {"changed, same size",
         [&] {
             s.dir.write("c/Disks/blast.d64",
                         disk("BLAST DISK", {"CHANGED", "blast off", "SCORE"}));
             settle(c / "Disks/blast.d64");
         }},
        {"changed, same size, time put back",
         [&] {
             struct stat before {};
             ::stat((c / "Disks/blast.d64").c_str(), &before);
             s.dir.write("c/Disks/blast.d64", disk("BLAST DISK", {"AGAIN", "blast off", "SCORE"}));
             const timespec times[2] = {before.st_atim, before.st_mtim};
             ::utimensat(AT_FDCWD, (c / "Disks/blast.d64").c_str(), times, 0);
         }},
        {"added",
         [&] {
             s.dir.write("c/Disks/new.d64", disk("NEW", {"BLAST NEW"}));
             settle(c / "Disks/new.d64");
         }},
        {"removed", [&] { fs::remove(c / "Disks/forty.d64"); }},
        {"renamed", [&] { fs::rename(c / "Tapes/blast.t64", c / "Tapes/renamed.t64"); }},
        {"touched without change", [&] { settle(c / "Disks/new.d64"); }},
        {"touched just now",
         [&] { ::utimensat(AT_FDCWD, (c / "Disks/new.d64").c_str(), nullptr, 0); }},
        {"replaced by another size",
         [&] {
             s.dir.write("c/Disks/new.d64", disk("NEW", {"BLAST NEW", "MORE"}, kForty));
             settle(c / "Disks/new.d64");
         }},
        {"an archive's member changed",
         [&] {
             const Members other = {{"plain.d64", disk("PLAIN", {"OTHER PLAIN"})}};
             s.dir.write("c/nest/pack.zip", WriteArchive("zip", other));
             settle(c / "nest/pack.zip");
         }},
        {"a folder removed", [&] { fs::remove_all(c / "Tapes"); }},
        {"a folder added",
         [&] {
             s.dir.write("c/Later/late.d64", disk("LATE", {"BLAST LATE"}));
             settleAll(c / "Later");
         }},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        change.apply();
        const CliRun live = s.run(args);
        const CliRun indexed = s.run(args, "--index");
        EXPECT_EQ(indexed.out, live.out);
        EXPECT_EQ(indexed.status, live.status);
        const CliRun only = s.run(args, "--index-only");
        EXPECT_EQ(only.out, live.out);
        if (std::string(change.what) != "touched just now") { // read, not kept, just now
            EXPECT_EQ(only.err, live.err);
        }
    }
}

// A run killed (SIGKILL) while it makes the index, at several moments:
// the next run with the index, and the index alone after it, are right.
TEST(Index, RunKilledWhileIndexing) {
    Searches s;
    for (int f = 0; f < 12; ++f)
        for (int n = 0; n < 150; ++n)
            s.dir.write("c/f" + std::to_string(f) + "/p" + std::to_string(n) + ".p00",
                        makePc64("BLAST " + std::to_string(f * 1000 + n), 0x0801, "\x60"));
    writeMade(s.dir);
    const Args args = {"-r", "-z", "-t", "D64,T64,PC64", "-s", "BLAST 1"};
    const CliRun live = s.run(args);
    for (const int ms : {5, 30, 80, 200}) {
        SCOPED_TRACE(std::to_string(ms) + " ms");
        CliEnv kill;
        kill.killAfterMs = ms;
        s.run({"-r", "-z", "-t", "D64,T64,PC64", "-s", "*"}, ms % 2 ? "--index" : "--reindex",
              kill);
        const CliRun indexed = s.run(args, "--index");
        EXPECT_EQ(indexed.out, live.out);
        EXPECT_EQ(indexed.err, live.err);
        EXPECT_EQ(s.run(args, "--index-only").out, live.out);
    }
}

TEST(Index, TwoRunsAtOnce) {
    Searches s;
    for (int n = 0; n < 600; ++n)
        s.dir.write("c/f" + std::to_string(n % 6) + "/p" + std::to_string(n) + ".p00",
                    makePc64("BLAST " + std::to_string(n), 0x0801, "\x60"));
    writeMade(s.dir);
    const Args args = searchAll({"-s", "BLAST"});
    const CliRun live = s.run(args);
    CliRun first, second;
    std::thread other([&] { second = s.run(args, "--reindex"); });
    first = s.run(args, "--index");
    other.join();
    EXPECT_EQ(first.out, live.out);
    EXPECT_EQ(second.out, live.out);
    EXPECT_EQ(s.run(args, "--index").out, live.out);
    EXPECT_EQ(s.run(args, "--index-only").out, live.out);
}

// What lies at the index path and is no index of ours is said (with the
// path and the reason) and set aside, never deleted; the search goes on and
// a new index is made.
TEST(Index, DamagedOrForeignIndexFileIsSetAside) {
    struct Case {
        const char* what;
        std::function<void(const std::string& path)> write;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {"not a database", [](const std::string& p) { std::ofstream(p) << "hello, world\n"; },
         "it is not an index"},
        {"another program's database",
         [](const std::string& p) {
             sqlite3* db = nullptr;
             sqlite3_open(p.c_str(), &db);
             sqlite3_exec(db, "CREATE TABLE notes(text); INSERT INTO notes VALUES('mine');",
                          nullptr, nullptr, nullptr);
             sqlite3_close(db);
         },
         "another program's database"},
        {"cut short", [](const std::string& p) { fs::resize_file(p, fs::file_size(p) / 2); },
         "damaged"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Searches s;
        writeMade(s.dir);
        for (int n = 0; n < 300; ++n)
            s.dir.write("c/many/p" + std::to_string(n) + ".p00",
                        makePc64("MANY " + std::to_string(n), 0x0801, "\x60"));
        settleAll(s.root);
        const Args args = searchAll({"-s", "BLAST"});
        const CliRun live = s.run(args);
        fs::create_directories(fs::path(s.index).parent_path());
        if (std::string(c.what) == "cut short") {
            s.run(args, "--index");
            s.run({"-s", "x"}, "--index"); // checkpointed into the file itself
        }
        c.write(s.index);
        const std::string before = readFile(s.index);
        const CliRun indexed = s.run(args, "--index");
        EXPECT_EQ(indexed.out, live.out);
        EXPECT_NE(indexed.err.find(s.index), std::string::npos) << indexed.err;
        EXPECT_NE(indexed.err.find(c.reason), std::string::npos) << indexed.err;
        bool kept = false;
        for (const auto& e : fs::directory_iterator(fs::path(s.index).parent_path()))
            kept = kept || (e.path().filename().string().rfind("index.sqlite.damaged-", 0) == 0 &&
                            readFile(e.path()) == before);
        EXPECT_TRUE(kept) << "the file set aside holds what was there";
        s.run(args, "--index");
        EXPECT_EQ(s.run(args, "--index-only").out, live.out);
    }
}
