#pragma once
// Runs a reader on bytes built in the test, recording the trapped messages.
#include "FakeView.h"
#include "common/ErrorLog.h"
#include "common/ErrorTrap.h"
#include "media/Reader.h"

#include <memory>
#include <string>

namespace qs::test {

struct ReaderHarness {
    FakeView view;
    ErrorLog log{""};
    ErrorTrap trap{view, log};
    AnalysisRecords records;

    // The reader sees `path` holding `bytes`.
    void run(Reader reader, const std::string& path, const std::string& bytes) {
        ReaderContext ctx{records, trap,
                          [bytes](const std::string&) -> std::unique_ptr<ByteSource> {
                              return std::make_unique<MemoryByteSource>(bytes);
                          }};
        reader(ctx, path);
    }
    // The reader reads the file on disk.
    void runFile(Reader reader, const std::string& path) {
        ReaderContext ctx{records, trap};
        reader(ctx, path);
    }
    const MediaInfo& media() const { return records.media; }
    const CbmEntry& entry(std::size_t i) const { return records.entries().at(i); }
    std::size_t count() const { return records.entryCount(); }
};

} // namespace qs::test
