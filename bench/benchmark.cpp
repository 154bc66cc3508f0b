// quillsift-benchmark [--runs N] [--folder DIR] [--reuse]: builds the
// benchmark collection and prints, in one run, the search's times against
// references on the same data, as medians of N runs (default 5):
//   archives      quillsift-cli -z against ugrep -z (ZIPs) and 7z t (7z)
//   plain files   quillsift-cli against the I/O floor program and ugrep -r
//   the window    its START button (offscreen) against quillsift-cli
// and the largest resident size any quillsift run reached.
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
#include <spawn.h>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
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

// Runs a command (no shell), its standard output to a file read back.
Run runOnce(const std::vector<std::string>& command) {
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

// The median time of `runs` runs; `own` runs count towards the peak size.
// `reported` takes the time a program printed (milliseconds) over the wall time.
double measure(const std::vector<std::string>& command, int runs, bool own = true,
               bool reported = false) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const Run run = runOnce(command);
        if (run.status < 0 || run.status > 1) { // 1: no match
            std::fprintf(stderr, "quillsift-benchmark: %s ended with status %d\n",
                         command.front().c_str(), run.status);
            std::exit(1);
        }
        if (own)
            peakKiB = std::max(peakKiB, run.peakKiB);
        times.push_back(reported ? std::atof(run.out.c_str()) / 1000.0 : run.seconds);
    }
    return median(times);
}

struct Row {
    std::string what;
    double ours;
    std::string reference;
    double theirs;
    std::string target;
};

void print(const std::vector<Row>& rows) {
    std::printf("| Measurement | Quillsift | Reference | Reference time | Ratio | Target |\n");
    std::printf("|---|---:|---|---:|---:|---|\n");
    for (const Row& r : rows)
        std::printf("| %s | %.3f s | %s | %.3f s | %.2f | %s |\n", r.what.c_str(), r.ours,
                    r.reference.c_str(), r.theirs, r.ours / r.theirs, r.target.c_str());
}

} // namespace

int main(int argc, char** argv) {
    int runs = 5;
    std::string folder = (fs::current_path() / "bench-collection").string();
    bool reuse = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--folder" && i + 1 < argc)
            folder = fs::absolute(argv[++i]).string();
        else if (arg == "--reuse")
            reuse = true;
        else {
            std::fprintf(stderr, "usage: quillsift-benchmark [--runs N] [--folder DIR] [--reuse]\n");
            return 2;
        }
    }
    const qs::bench::CollectionSize size;
    if (!reuse || !fs::exists(folder + "/window")) {
        std::fprintf(stderr, "Writing the collection into %s ...\n", folder.c_str());
        if (const std::string error = qs::bench::WriteCollection(folder, size); !error.empty()) {
            std::fprintf(stderr, "quillsift-benchmark: %s\n", error.c_str());
            return 1;
        }
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::string bin = binFolder(), cli = bin + "quillsift-cli";
    const std::string results = folder + "/results";
    fs::create_directories(results);
    const std::string zips = folder + "/zips", sevens = folder + "/7z", plain = folder + "/plain",
                      window = folder + "/window";
    // Everything read once, so that every program meets a warm cache.
    measure({bin + "quillsift-io-floor", folder}, 1, false);
    measure({"ugrep", "-z", "-r", "-c", "", folder}, 1, false);

    std::vector<Row> rows;
    const std::string none = "NOTHINGMATCHES";
    rows.push_back({std::to_string(size.zips) + " ZIPs of one D64",
                    measure({cli, "-q", "-z", "-r", "-s", none, "-t", "D64", zips}, runs),
                    "ugrep -z -r -i -l BLAST",
                    measure({"ugrep", "-z", "-r", "-i", "-l", "BLAST", zips}, runs, false),
                    "at most 1.0"});
    rows.push_back({std::to_string(2 * size.sevenZips) + " 7z of " +
                        std::to_string(size.sevenZipMembers) + " D64 (half solid)",
                    measure({cli, "-q", "-z", "-r", "-s", none, "-t", "D64", sevens}, runs),
                    "7z t, each archive",
                    measure({"sh", "-c", "for f in '" + sevens + "'/*.7z; do 7z t -bso0 \"$f\"; done"},
                            runs, false),
                    "-"});
    const std::string plainCount = std::to_string(size.plainDisks + size.plainTunes);
    const double plainOurs =
        measure({cli, "-q", "-r", "-s", none, "-t", "D64,SID", plain}, runs);
    rows.push_back({plainCount + " plain D64 and SID files", plainOurs,
                    "I/O floor (one thread)", measure({bin + "quillsift-io-floor", plain}, runs, false),
                    "at most 1.0"});
    rows.push_back({plainCount + " plain files, --jobs 1",
                    measure({cli, "-q", "-j", "1", "-r", "-s", none, "-t", "D64,SID", plain}, runs),
                    "I/O floor (one thread)", measure({bin + "quillsift-io-floor", plain}, runs, false),
                    "-"});
    rows.push_back({plainCount + " plain D64 and SID files", plainOurs, "ugrep -r -l BLAST",
                    measure({"ugrep", "-r", "-l", "BLAST", plain}, runs, false), "-"});
    for (const std::string search : {"BLAST", "*"}) {
        const double cliTime = measure({cli, "-q", "-s", search, "-o", results + "/cli.txt",
                                        "--overwrite", window},
                                       runs);
        const double windowTime =
            measure({bin + "quillsift-window-bench", window, search, results}, runs, true, true);
        rows.push_back({"window, " + std::to_string(size.windowDisks) + " D64, search " + search,
                        windowTime, "quillsift-cli, same request", cliTime, "at most 1.2"});
    }
    print(rows);
    const double perArchive = rows.front().ours / size.zips;
    std::printf("\nLargest resident size of a Quillsift run: %.1f MiB (target: under 64 MiB)\n",
                static_cast<double>(peakKiB) / 1024.0);
    std::printf("300,000 archived images at this rate: %.1f minutes (target: under 10)\n",
                perArchive * 300000 / 60.0);
    std::printf("Machine: %u processors; medians of %d runs.\n",
                std::thread::hardware_concurrency(), runs);
    return 0;
}
