// How long the search takes per file: the D64 reader and matcher on one
// image in memory, and a whole search of a folder of images on disk.
#include "FakeSink.h"
#include "TempDir.h"
#include "samples/DiskBuilder.h"
#include "search/Matcher.h"
#include "search/Search.h"

#include <benchmark/benchmark.h>

using namespace qs;

namespace {

std::string fullDisk() {
    samples::DiskBuilder d;
    d.name(samples::toPetscii("BENCH DISK")).formatBam();
    for (int i = 0; i < 144; ++i)
        d.add({samples::toPetscii("PROGRAM " + std::to_string(i)), 0x82, 10, 17, 0});
    return d.bytes();
}

void ReadAndMatchOneImage(benchmark::State& state) {
    const std::string bytes = fullDisk();
    test::FakeSink view;
    const ErrorLog log("");
    const ErrorTrap trap(view, log);
    SearchRequest request;
    request.pattern = "PROGRAM 1?";
    const ContainerFormat& d64 = *FormatByTag("D64");
    AnalysisRecords records;
    for (auto _ : state) {
        ReadContainer(
            d64, records, trap, "/bench/disk.d64",
            [&] { return std::make_unique<MemoryByteSource>(bytes); }, nullptr);
        FileReport report;
        benchmark::DoNotOptimize(MatchFile(request, d64, records, report, "/bench/disk.d64", ""));
    }
}
BENCHMARK(ReadAndMatchOneImage);

void SearchFolder(benchmark::State& state) {
    test::TempDir dir;
    const std::string bytes = fullDisk();
    for (int i = 0; i < state.range(0); ++i)
        dir.write("images/disk" + std::to_string(i) + ".d64", bytes);
    test::FakeSink view;
    SearchRequest request;
    request.pattern = "NO MATCH";
    request.folder = dir.str() + "/images";
    const SearchEngine engine({"", "", dir.str() + "/ErrorLog.txt"});
    std::atomic<bool> stop{false};
    for (auto _ : state)
        engine.Search(request, view, StopToken(stop));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(SearchFolder)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
