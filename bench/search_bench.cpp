// How long the search takes per file: the D64 reader and matcher on one
// image in memory, and a whole search of a folder of images on disk.
#include "FakeView.h"
#include "TempDir.h"
#include "media/D64Reader.h"
#include "samples/DiskBuilder.h"
#include "search/Matcher.h"
#include "search/SearchDriver.h"
#include "search/Session.h"

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
    test::FakeView view;
    view.opts.findStr = "PROGRAM 1?";
    test::TempDir dir;
    Session session(view, ToolEnv{}, dir.str() + "/ErrorLog.txt");
    ReaderContext ctx{session.records, session.trap,
                      [&](const std::string&) -> std::unique_ptr<ByteSource> {
                          return std::make_unique<MemoryByteSource>(bytes);
                      }};
    for (auto _ : state) {
        readD64(ctx, "/bench/disk.d64");
        view.results.clear();
        benchmark::DoNotOptimize(AnalyzePrograms(session, "/bench/disk.d64", ""));
    }
}
BENCHMARK(ReadAndMatchOneImage);

void SearchFolder(benchmark::State& state) {
    test::TempDir dir;
    const std::string bytes = fullDisk();
    for (int i = 0; i < state.range(0); ++i)
        dir.write("images/disk" + std::to_string(i) + ".d64", bytes);
    test::FakeView view;
    view.limited = false;
    view.opts.saveFile = false;
    view.opts.findStr = "NO MATCH";
    view.opts.startFolder = dir.str() + "/images";
    Session session(view, ToolEnv{}, dir.str() + "/ErrorLog.txt");
    for (auto _ : state)
        StartButtonClick(session);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(SearchFolder)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
