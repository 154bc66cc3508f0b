// quillsift-cli when the world fails it: a report that cannot be written, a
// stop by hang-up or signal while an outside program runs, a temporary
// folder on a full disk, a results file that exists, an archive of very many
// members.
#include "CliRunner.h"
#include "ToolSession.h"
#include "samples/DiskBuilder.h"
#include "samples/G64Builder.h"
#include "samples/Pc64Builder.h"
#include "samples/ZipWriter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <unistd.h>

using namespace qs;
using namespace qs::samples;
using namespace qs::test;

namespace {

std::string disk(const std::string& entry) {
    DiskBuilder d;
    d.name(toPetscii("FAULTS")).formatBam().add({toPetscii(entry), 0x82, 3, 17, 0});
    return d.bytes();
}

// Whether one of the program's private folders is left in `folder`.
bool runFolderLeft(const std::string& folder) {
    return shell("ls " + quoted(folder) + " | grep -q ^quillsift-") == 0;
}

} // namespace

// A report that cannot be written whole fails the run, said, as grep's: on a
// full disk, a closed standard output, a pipe nobody reads (which stops the
// search and leaves nothing behind); a results file that cannot be written
// whole ends the JSON Lines as failed.
TEST(CliFaults, AReportThatCannotBeWrittenFails) {
    TempDir dir;
    const std::string files = dir.str() + "/files";
    dir.write("files/a.d64", disk("BLASTER"));
    const std::pair<CliEnv::Out, const char*> outs[] = {{CliEnv::Out::Full, "No space left"},
                                                        {CliEnv::Out::Closed, "Bad file"},
                                                        {CliEnv::Out::BrokenPipe, "Broken pipe"}};
    const std::vector<std::string> commands[] = {
        {"-q", files}, {"-q", "--json", files}, {"--list", files + "/a.d64"}};
    for (const auto& [out, why] : outs)
        for (const std::vector<std::string>& args : commands) {
            SCOPED_TRACE(std::string(why) + " " + args[1]);
            CliEnv env{nullptr, {}, {{"TMPDIR", dir.str()}}};
            env.out = out;
            const CliRun run = runCli(args, env);
            EXPECT_EQ(run.status, 2);
            EXPECT_NE(run.err.find(std::string(" could not be written: ") + why), std::string::npos)
                << run.err;
            EXPECT_FALSE(runFolderLeft(dir.str()));
        }
    const CliRun json = runCli({"-q", "--json", "-o", "/dev/full", files});
    EXPECT_EQ(json.status, 2);
    EXPECT_TRUE(json.out.ends_with(",\"end\":\"failed\"}\n")) << json.out;
}

// A stop signal (Ctrl-C, a termination request, a hang-up) while an outside
// program runs ends the program long before its time limit, and the search
// with it: no summary in the text, a "stopped" one in JSON Lines, exit status
// 2; and the private folder goes.
TEST(CliFaults, StopSignalsEndTheRunningToolAndLeaveNothingBehind) {
    const std::pair<int, bool> stops[] = {{SIGINT, false},
                                          {SIGINT, true},
                                          {SIGTERM, false},
                                          {SIGHUP, true}}; // the signal, and JSON Lines
    for (const auto& [sig, json] : stops) {
        SCOPED_TRACE(std::to_string(sig) + (json ? " json" : ""));
        TempDir dir;
        const std::string started = dir.str() + "/started", tools = dir.str() + "/tools";
        writeScript(dir, "tools/7z",
                    "echo $$ > '" + started + ".pid'; /bin/mv '" + started + ".pid' '" + started +
                        "'\nwhile :; do /bin/sleep 1; done");
        dir.write("files/a.zip", "anything");
        dir.write("tmp/keep", "");
        CliEnv env{tools.c_str(), started, {{"TMPDIR", dir.str() + "/tmp"}}};
        env.signal = sig;
        const auto begin = std::chrono::steady_clock::now();
        const CliRun run = runCli({"-q", "-z", json ? "--json" : "-r", dir.str() + "/files"}, env);
        EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(20));
        EXPECT_EQ(run.status, 2);
        if (json)
            EXPECT_TRUE(run.out.ends_with(",\"end\":\"stopped\"}\n")) << run.out;
        else
            EXPECT_TRUE(run.out.starts_with("Searching for: *") &&
                        run.out.find("Scan:") == std::string::npos)
                << run.out;
        EXPECT_NE(::kill(std::stoi(dir.read("started")), 0), 0) << "the tool still runs";
        EXPECT_FALSE(runFolderLeft(dir.str() + "/tmp"));
    }
}

// With the temporary folder on a full disk of its own (where the test can
// mount one): a plain G64 is still listed (listings come through a pipe), and
// members that need the disk fail, each named with the reason and counted.
TEST(CliFaults, AFullTemporaryFolderFailsWhatNeedsItAndNothingElse) {
    if (shell("unshare --mount --map-root-user true 2>/dev/null") != 0 || !haveArchiver())
        GTEST_SKIP() << "cannot mount a file system of its own, or no 7z";
    TempDir dir;
    dir.write("files/a.g64", D64ToG64(disk("BLAST GCR")));
    dir.write("files/c.zip", StoredZip({{"d.g64", D64ToG64(disk("BLAST MEMBER"))}}));
    const std::string full = dir.str() + "/full";
    for (const bool external : {false, true}) {
        SCOPED_TRACE(external);
        const std::string command =
            "unshare --mount --map-root-user sh -c 'mkdir -p \"$0\" && mount -t tmpfs -o size=64k "
            "tmpfs \"$0\" && "
            "(head -c 1M /dev/zero >\"$0/fill\") 2>/dev/null; TMPDIR=\"$0\" exec \"$@\"' " +
            quoted(full) + " " + quoted(BinFolder() + "quillsift-cli") + " -q --json -z -t G64 " +
            (external ? "--external-archiver " : "") + quoted(dir.str() + "/files") + " >" +
            quoted(dir.str() + "/out") + " 2>" + quoted(dir.str() + "/err");
        EXPECT_EQ(shell(command), 0); // a.g64 matched
        const std::string out = dir.read("out"), err = dir.read("err");
        EXPECT_NE(out.find("\"text\":\"BLAST GCR\""), std::string::npos) << out;
        EXPECT_TRUE(out.ends_with("\"files_failed\":1,\"end\":\"completed\"}\n")) << out;
        EXPECT_NE(err.find("\nFile: d.g64 in " + dir.str() + "/files/c.zip"), std::string::npos)
            << err;
    }
}

// An existing results file without --overwrite: on a terminal (script(1)'s,
// the answer typed ahead) the question is asked, the file replaced on yes.
TEST(CliFaults, AnExistingResultsFileIsAskedAboutOnATerminal) {
    for (const bool yes : {true, false}) {
        TempDir dir;
        dir.write("files/a.d64", disk("BLASTER"));
        const std::string results = dir.write("results.txt", "earlier");
        const std::string cli = BinFolder() + "quillsift-cli -q -o " + quoted(results) + " " +
                                quoted(dir.str() + "/files");
        EXPECT_EQ(shell(std::string("printf '") + (yes ? "y" : "n") + "\\n' | script -qec " +
                        quoted(cli) + " /dev/null >" + quoted(dir.str() + "/shown")),
                  yes ? 0 : 2);
        EXPECT_NE(dir.read("shown").find("Do you want to overwrite it? [y/N]"), std::string::npos);
        EXPECT_EQ(readFile(results) == "earlier", !yes);
    }
}

// An archive of very many small members costs no memory per member, whether
// they match or not.
TEST(CliFaults, ManyMembersCostNoMemoryEach) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizer keeps what is freed";
#endif
    TempDir dir;
    std::vector<std::pair<std::string, std::string>> members;
    for (int i = 0; i < 60000; ++i)
        members.emplace_back("m" + std::to_string(i) + ".p00",
                             makePc64(toPetscii("GAME " + std::to_string(i)), 0x0801, "x"));
    dir.write("zip/many.zip", StoredZip(members));
    for (const char* find : {"NOTHING", "*"}) {
        const CliRun run = runCli({"-q", "-z", "-t", "PC64", "-s", find, dir.str() + "/zip"});
        EXPECT_EQ(run.status, find[0] == '*' ? 0 : 1);
        EXPECT_LT(run.peakKiB, 24 * 1024) << find;
    }
}
