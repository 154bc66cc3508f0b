#pragma once
// Runs a reader on fuzzer bytes served from memory, with a silent error trap.
#include "common/ErrorLog.h"
#include "common/ErrorTrap.h"
#include "media/Reader.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace qs::fuzz {

class SilentSink final : public MessageSink {
  public:
    MsgAnswer messageBox(MsgIcon, MsgButtons, const std::string&, const std::string&) override {
        return MsgAnswer::Ok;
    }
};

// The reader sees `path` (its extension may matter) holding exactly `data`.
inline void runReader(Reader reader, const std::string& path, const std::uint8_t* data,
                      std::size_t size) {
    SilentSink sink;
    const ErrorLog log(""); // an empty path writes nothing
    const ErrorTrap trap(sink, log);
    AnalysisRecords records;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    ReaderContext ctx{records, trap, [&bytes](const std::string&) -> std::unique_ptr<ByteSource> {
                          return std::make_unique<MemoryByteSource>(bytes);
                      }};
    reader(ctx, path);
}

} // namespace qs::fuzz
