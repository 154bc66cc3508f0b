// quillsift-benchmark [--runs N] [--folder DIR] [--reuse] [--memory]
// [--only TEXT]: builds the benchmark collection and prints, in one run, the
// search's times against references on the same data, as medians of N runs
// (default 11), each measurement run by turns with its reference:
//   archives      quillsift-cli -z against ugrep -z (ZIPs) and 7z t (7z)
//   plain files   quillsift-cli against the I/O floor program and ugrep -r
//   newer formats quillsift-cli -z -t all against the I/O floor program
//   the window    its START button (offscreen) against quillsift-cli
// then the largest resident size of the runs that hold the most (a ZIP of
// 400,000 members; --json -j 64 on 20,000 disks; archives within archives,
// a nested zip bomb among them), and of any quillsift run.
// With --memory, only those last rows (their part of the collection written
// when missing). With --only, only the rows whose text holds TEXT, and none
// of the totals under the tables.
#include "Collection.h"

#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <spawn.h>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

struct Run {
    double seconds = 0;
    long peakKiB = 0;
    int status = -1;
    std::string out;
};

std::string binFolder() {
    return fs::read_symlink("/proc/self/exe").parent_path().string() + "/";
}

// Runs a command (no shell), its standard output to a file read back when
// asked. (What this process holds, a program it starts inherits as its
// largest resident size: a large output is better not read.)
Run runOnce(const std::vector<std::string>& command, bool readOutput = true) {
    const std::string outPath = fs::temp_directory_path() / "quillsift-benchmark.out";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (const std::string& word : command)
        argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    Run run;
    const auto started = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        rusage usage{};
        ::wait4(pid, &status, 0, &usage);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.peakKiB = usage.ru_maxrss;
    }
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    posix_spawn_file_actions_destroy(&actions);
    if (!readOutput)
        return run;
    std::ifstream in(outPath);
    std::stringstream text;
    text << in.rdbuf();
    run.out = text.str();
    return run;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

long peakKiB = 0;

// The regular files below a folder.
long filesIn(const std::string& folder) {
    long files = 0;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec);
         it != fs::recursive_directory_iterator(); it.increment(ec))
        files += !ec && it->is_regular_file(ec) ? 1 : 0;
    return files;
}

struct Side {
    std::vector<std::string> command;
    bool own = true;             // a Quillsift run: counts towards the peak size
    bool reported = false;       // the time the program printed (ms), not the wall time
    std::string freshIndex = {}; // an index file removed before each run (not timed)
};

void removeIndex(const std::string& path) {
    std::error_code ec;
    for (const char* part : {"", "-wal", "-shm"})
        fs::remove(path + part, ec);
}

std::uintmax_t indexSize(const std::string& path) {
    std::error_code ec;
    std::uintmax_t bytes = 0;
    for (const char* part : {"", "-wal"})
        if (fs::exists(path + part, ec))
            bytes += fs::file_size(path + part, ec);
    return bytes;
}

double timeOf(const Side& side) {
    if (!side.freshIndex.empty())
        removeIndex(side.freshIndex);
    const Run run = runOnce(side.command, side.reported);
    if (run.status < 0 || run.status > 1) { // 1: no match
        std::fprintf(stderr, "quillsift-benchmark: %s ended with status %d\n",
                     side.command.front().c_str(), run.status);
        std::exit(1);
    }
    if (side.own)
        peakKiB = std::max(peakKiB, run.peakKiB);
    return side.reported ? std::atof(run.out.c_str()) / 1000.0 : run.seconds;
}

// The medians of `runs` runs of each side, run by turns, so that a change in
// the shared machine's load meets both alike.
std::pair<double, double> measure(const Side& ours, const Side& reference, int runs) {
    std::vector<double> a, b;
    for (int i = 0; i < runs; ++i) {
        a.push_back(timeOf(ours));
        b.push_back(timeOf(reference));
    }
    return {median(a), median(b)};
}

struct Row {
    std::string what;
    double ours;
    std::string reference;
    double theirs;
    std::string target;
};

// The largest resident size of one command (the largest of `runs` runs), in MiB.
double peakMiB(const std::vector<std::string>& command, int runs) {
    long most = 0;
    for (int i = 0; i < runs; ++i) {
        const Run run = runOnce(command, false);
        if (run.status < 0 || run.status > 1) {
            std::fprintf(stderr, "quillsift-benchmark: %s ended with status %d\n",
                         command.front().c_str(), run.status);
            std::exit(1);
        }
        most = std::max(most, run.peakKiB);
    }
    peakKiB = std::max(peakKiB, most);
    return static_cast<double>(most) / 1024.0;
}

// Whether a row is to be run: every row, or those whose text holds --only's.
std::string onlyText;
bool wanted(const std::string& what) {
    return what.find(onlyText) != std::string::npos;
}

// Archives within archives, beside the collection (its whole-collection
// rows would inflate the zip bomb on every run).
std::string nestedFolder(const std::string& folder) {
    return fs::path(folder).parent_path() / "bench-nested";
}
std::string mixedFolder(const std::string& folder) {
    return fs::path(folder).parent_path() / "bench-mixed";
}

// The runs that hold the most, each against the target.
void printMemory(const std::string& cli, const std::string& folder,
                 const qs::bench::CollectionSize& size, int runs) {
    const std::string members = folder + "/members", json = folder + "/json";
    const std::string nested = nestedFolder(folder);
    const std::string count = std::to_string(size.zipMembers);
    const std::pair<std::string, std::vector<std::string>> rows[] = {
        {"ZIP of " + count + " members, no match",
         {cli, "-q", "-z", "-t", "PC64", "-s", "NOTHINGMATCHES", members}},
        {"ZIP of " + count + " members, search *", {cli, "-q", "-z", "-t", "PC64", members}},
        {"--json -j 64, " + std::to_string(size.jsonDisks) + " D64, search *",
         {cli, "-q", "--json", "-j", "64", "-r", json}},
        {"--json -j 8, " + std::to_string(size.jsonDisks) + " D64, search *",
         {cli, "-q", "--json", "-j", "8", "-r", json}},
        {"nested zip bomb (a ZIP of 40 TARs of 30 MiB), search BLAST",
         {cli, "-q", "-z", "-r", "-s", "BLAST", nested + "/bomb"}},
        {"nested archives (self-holding ZIP, 7z of .tar.gz of .d64.gz, ZIP in ZIP), search *",
         {cli, "-q", "-z", "-r", "-s", "*", nested + "/rest"}},
    };
    bool header = false;
    for (const auto& [what, command] : rows) {
        if (!wanted(what))
            continue;
        if (!std::exchange(header, true))
            std::printf("\n| Largest resident size | MiB | Target |\n|---|---:|---|\n");
        std::printf("| %s | %.1f | under 64 MiB |\n", what.c_str(), peakMiB(command, runs));
    }
}

void print(const std::vector<Row>& rows) {
    std::printf("| Measurement | Quillsift | Reference | Reference time | Ratio | Target |\n");
    std::printf("|---|---:|---|---:|---:|---|\n");
    for (const Row& r : rows)
        std::printf("| %s | %.3f s | %s | %.3f s | %.2f | %s |\n", r.what.c_str(), r.ours,
                    r.reference.c_str(), r.theirs, r.ours / r.theirs, r.target.c_str());
}

} // namespace

int main(int argc, char** argv) {
    int runs = 11;
    std::string folder = (fs::current_path() / "bench-collection").string();
    bool reuse = false, memoryOnly = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--folder" && i + 1 < argc)
            folder = fs::absolute(argv[++i]).string();
        else if (arg == "--reuse")
            reuse = true;
        else if (arg == "--memory")
            memoryOnly = true;
        else if (arg == "--only" && i + 1 < argc)
            onlyText = argv[++i];
        else {
            std::fprintf(stderr, "usage: quillsift-benchmark [--runs N] [--folder DIR] [--reuse] "
                                 "[--memory] [--only TEXT]\n");
            return 2;
        }
    }
    const qs::bench::CollectionSize size;
    const bool write =
        memoryOnly ? !fs::exists(folder + "/json")
                   : !reuse || !fs::exists(folder + "/window") || !fs::exists(folder + "/json");
    // The folders beside the collection, each written when missing (or
    // anew, as the collection, without --reuse).
    const bool anew = !reuse && !memoryOnly;
    const bool writeNested = anew || !fs::exists(nestedFolder(folder));
    const bool writeMixed = !memoryOnly && (anew || !fs::exists(mixedFolder(folder)));
    if (write || writeNested || writeMixed) {
        std::string error;
        if (write) {
            std::fprintf(stderr, "Writing the collection into %s ...\n", folder.c_str());
            error = memoryOnly ? qs::bench::WriteMemoryCollection(folder, size)
                               : qs::bench::WriteCollection(folder, size);
        }
        if (error.empty() && writeNested) {
            std::fprintf(stderr, "Writing %s ...\n", nestedFolder(folder).c_str());
            error = qs::bench::WriteNestedCollection(nestedFolder(folder));
        }
        if (error.empty() && writeMixed) {
            std::fprintf(stderr, "Writing %s ...\n", mixedFolder(folder).c_str());
            error = qs::bench::WriteMixedCollection(mixedFolder(folder), size);
        }
        if (!error.empty()) {
            std::fprintf(stderr, "quillsift-benchmark: %s\n", error.c_str());
            return 1;
        }
        // Writing the large ZIP takes this process past 100 MiB, and a program
        // it starts inherits that as its largest resident size: the runs are
        // made by a fresh process.
        std::vector<char*> again(argv, argv + argc);
        again.push_back(const_cast<char*>("--reuse"));
        again.push_back(nullptr);
        ::execv("/proc/self/exe", again.data());
    }
    if (memoryOnly) {
        printMemory(binFolder() + "quillsift-cli", folder, size, std::min(runs, 3));
        return 0;
    }
    // The index keeps no file changed within the last two seconds (its
    // clock may not tell a change in them apart).
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::string bin = binFolder(), cli = bin + "quillsift-cli";
    const std::string results = folder + "/results";
    fs::create_directories(results);
    const std::string zips = folder + "/zips", sevens = folder + "/7z", plain = folder + "/plain",
                      window = folder + "/window";
    const std::string mixed = mixedFolder(folder);
    // Everything read once, so that every program meets a warm cache (with
    // --only, each row's own sides are run once first instead).
    if (onlyText.empty())
        for (const std::string& part : {folder, mixed}) {
            timeOf({{bin + "quillsift-io-floor", part}, false});
            timeOf({{"ugrep", "-z", "-r", "-c", "", part}, false});
        }

    std::vector<Row> rows;
    auto row = [&](const std::string& what, const Side& ours, const std::string& reference,
                   const Side& theirs, const std::string& target) {
        if (!wanted(what))
            return;
        if (!onlyText.empty()) {
            timeOf(ours);
            timeOf(theirs);
        }
        const auto [oursTime, theirTime] = measure(ours, theirs, runs);
        rows.push_back({what, oursTime, reference, theirTime, target});
    };
    const std::string none = "NOTHINGMATCHES";
    row(std::to_string(size.zips) + " ZIPs of one D64",
        {{cli, "-q", "-z", "-r", "-s", none, "-t", "D64", zips}}, "ugrep -z -r -i -l BLAST",
        {{"ugrep", "-z", "-r", "-i", "-l", "BLAST", zips}, false}, "at most 1.0");
    row(std::to_string(2 * size.sevenZips) + " 7z of " + std::to_string(size.sevenZipMembers) +
            " D64 (half solid)",
        {{cli, "-q", "-z", "-r", "-s", none, "-t", "D64", sevens}}, "7z t, each archive",
        {{"sh", "-c", "for f in '" + sevens + "'/*.7z; do 7z t -bso0 \"$f\"; done"}, false}, "-");
    const std::string plainCount = std::to_string(size.plainDisks + size.plainTunes);
    const Side floor{{bin + "quillsift-io-floor", plain}, false};
    row(plainCount + " plain D64 and SID files",
        {{cli, "-q", "-r", "-s", none, "-t", "D64,SID", plain}}, "I/O floor (one thread)", floor,
        "at most 1.0");
    row(plainCount + " plain files, search BLAST",
        {{cli, "-q", "-r", "-s", "BLAST", "-t", "D64,SID", plain}}, "I/O floor (one thread)", floor,
        "-");
    row(plainCount + " plain files, --jobs 1",
        {{cli, "-q", "-j", "1", "-r", "-s", none, "-t", "D64,SID", plain}},
        "I/O floor (one thread)", floor, "-");
    row(plainCount + " plain D64 and SID files",
        {{cli, "-q", "-r", "-s", none, "-t", "D64,SID", plain}}, "ugrep -r -l BLAST",
        {{"ugrep", "-r", "-l", "BLAST", plain}, false}, "-");
    row(std::to_string(filesIn(mixed)) + " files of the newer formats, -z -t all",
        {{cli, "-q", "-r", "-z", "-t", "all", "-s", none, mixed}}, "I/O floor (one thread)",
        {{bin + "quillsift-io-floor", mixed}, false}, "-");
    for (const std::string search : {"BLAST", "*"})
        row("window, " + std::to_string(size.windowDisks) + " D64, search " + search,
            {{bin + "quillsift-window-bench", window, search, results}, true, true},
            "quillsift-cli, same request",
            {{cli, "-q", "-s", search, "-o", results + "/cli.txt", "--overwrite", window}},
            "at most 1.2");

    // The index: the ZIPs searched again (every file still checked), the
    // whole collection answered from the index alone, the first run that
    // makes the index, and its size; then a large collection of archives.
    const std::string indexFile = fs::path(folder).parent_path() / "bench-index/index.sqlite";
    const std::string firstIndex = fs::path(folder).parent_path() / "bench-index/first.sqlite";
    fs::create_directories(fs::path(indexFile).parent_path());
    const std::vector<std::string> whole{cli, "-q", "-z", "-r", "-s", none, "-t", "D64,SID"};
    auto with = [](std::vector<std::string> args, std::initializer_list<std::string> more) {
        args.insert(args.end(), more.begin(), more.end());
        return args;
    };
    const std::string again = std::to_string(size.zips) + " ZIPs again, --index",
                      indexOnly = "whole collection, --index-only";
    if (wanted(again) || wanted(indexOnly)) {
        removeIndex(indexFile);
        timeOf({with(whole, {"--index", "--index-file", indexFile, folder})});
    }
    const std::vector<std::string> zipSearch{cli, "-q", "-z", "-r", "-s", none, "-t", "D64"};
    row(again, {with(zipSearch, {"--index", "--index-file", indexFile, zips})},
        "the same without it", {with(zipSearch, {zips})}, "at most 0.1");
    row(indexOnly, {with(whole, {"--index-only", "--index-file", indexFile, folder})},
        "the same without it", {with(whole, {folder})}, "at most 0.05");
    row("whole collection, first --index run",
        {with(whole, {"--index", "--index-file", firstIndex, folder}), true, false, firstIndex},
        "the same without it", {with(whole, {folder})}, "at most 1.3");
    const double bytesPerEntry = static_cast<double>(indexSize(firstIndex)) /
                                 static_cast<double>(qs::bench::DirectoryEntries(size));

    const std::string many = fs::path(folder).parent_path() / "bench-many";
    const std::string manyIndex = fs::path(folder).parent_path() / "bench-index/many.sqlite";
    const std::string manyRow = std::to_string(size.manyZips) + " ZIPs, --index-only, search BLAST";
    double manyFirst = 0, manyPerEntry = 0;
    if (wanted(manyRow)) {
        if (!reuse || !fs::exists(many)) {
            std::fprintf(stderr, "Writing %d ZIPs into %s ...\n", size.manyZips, many.c_str());
            if (const std::string error = qs::bench::WriteManyZips(many, size); !error.empty()) {
                std::fprintf(stderr, "quillsift-benchmark: %s\n", error.c_str());
                return 1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2100));
        }
        const std::vector<std::string> manySearch{cli,  "-q",    "-z", "-r",
                                                  "-s", "BLAST", "-t", "D64"};
        removeIndex(manyIndex);
        manyFirst = timeOf({with(manySearch, {"--index", "--index-file", manyIndex, many})});
        row(manyRow, {with(manySearch, {"--index-only", "--index-file", manyIndex, many})},
            "the same with --index",
            {with(manySearch, {"--index", "--index-file", manyIndex, many})}, "-");
        manyPerEntry = static_cast<double>(indexSize(manyIndex)) /
                       static_cast<double>(qs::bench::DirectoryEntriesOfMany(size));
    }

    print(rows);
    printMemory(cli, folder, size, std::min(runs, 3));
    if (!onlyText.empty())
        return 0;
    const double perArchive = rows.front().ours / size.zips;
    std::printf("\nLargest resident size of a Quillsift run: %.1f MiB (target: under 64 MiB)\n",
                static_cast<double>(peakKiB) / 1024.0);
    std::printf("300,000 archived images at this rate: %.1f minutes (target: under 10)\n",
                perArchive * 300000 / 60.0);
    std::printf("Index size: %.0f bytes per directory entry (whole collection), %.0f (%d ZIPs) "
                "(target: at most 200)\n",
                bytesPerEntry, manyPerEntry, size.manyZips);
    std::printf("300,000 archived images answered from the index alone: %.2f s, from %d "
                "measured (target: under 1 s); their first --index run took %.1f s\n",
                rows.back().ours * 300000 / size.manyZips, size.manyZips, manyFirst);
    std::printf("Machine: %u processors; medians of %d runs.\n",
                std::thread::hardware_concurrency(), runs);
    return 0;
}
