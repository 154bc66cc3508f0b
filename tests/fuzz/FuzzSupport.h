#pragma once
// Runs a reader on fuzzer bytes served from memory, with a silent error trap.
#include "common/ErrorLog.h"
#include "common/ErrorTrap.h"
#include "media/Reader.h"

#include <algorithm>
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

// Bytes that stand at `offset` of a file whose earlier bytes are all 0,
// without building the zeros: images whose directory lies far in.
class OffsetByteSource final : public ByteSource {
  public:
    OffsetByteSource(std::string bytes, std::uint64_t offset)
        : bytes_(std::move(bytes)), offset_(offset) {}
    std::uint64_t size() const override { return offset_ + bytes_.size(); }
    std::string read(std::uint64_t offset, std::size_t length) const override {
        std::string out;
        if (offset < offset_) {
            const std::uint64_t zeros = std::min<std::uint64_t>(length, offset_ - offset);
            out.assign(static_cast<std::size_t>(zeros), '\0');
            length -= static_cast<std::size_t>(zeros);
            offset = offset_;
        }
        const std::uint64_t at = offset - offset_;
        if (at < bytes_.size())
            out += bytes_.substr(static_cast<std::size_t>(at), length);
        return out;
    }

  private:
    std::string bytes_;
    std::uint64_t offset_;
};

// The reader sees `path` holding `offset` bytes 0 followed by `data`.
inline void runReaderAt(Reader reader, const std::string& path, const std::uint8_t* data,
                        std::size_t size, std::uint64_t offset) {
    SilentSink sink;
    const ErrorLog log("");
    const ErrorTrap trap(sink, log);
    AnalysisRecords records;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    ReaderContext ctx{records, trap,
                      [&bytes, offset](const std::string&) -> std::unique_ptr<ByteSource> {
                          return std::make_unique<OffsetByteSource>(bytes, offset);
                      }};
    reader(ctx, path);
}

} // namespace qs::fuzz
