#pragma once
// Runs one reader on bytes held in memory (or on a file) with a scripted
// window, so that a test sees the records and every trapped message.
#include "FakeView.h"
#include "common/ErrorLog.h"
#include "common/ErrorTrap.h"
#include "media/Reader.h"

#include <memory>
#include <string>

namespace qs::test {

struct ReaderHarness {
    FakeView view;
    ErrorLog log{""}; // writes nothing
    ErrorTrap trap{view, log};
    AnalysisRecords records;

    // The reader sees `path` holding exactly `bytes`; the records are reset
    // first, as the dispatcher does.
    void run(Reader reader, const std::string& path, const std::string& bytes) {
        records.reset();
        ReaderContext ctx{records, trap,
                          [bytes](const std::string&) -> std::unique_ptr<ByteSource> {
                              return std::make_unique<MemoryByteSource>(bytes);
                          }};
        reader(ctx, path);
    }
    // The reader reads the file on disk.
    void runOnDisk(Reader reader, const std::string& path) {
        records.reset();
        ReaderContext ctx{records, trap};
        reader(ctx, path);
    }

    const MediaInfo& media() const { return records.media; }
    const CbmEntry& entry(std::size_t i) const { return records.entries().at(i); }
    std::size_t count() const { return records.entryCount(); }
    std::string lastMessage() const {
        return view.messages.empty() ? "" : view.messages.back().text;
    }
};

} // namespace qs::test

#include <cstdlib>

namespace qs::test {

// Runs a shell command of an outside oracle tool quietly; answers its exit status.
inline int runQuietly(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str());
}

} // namespace qs::test
