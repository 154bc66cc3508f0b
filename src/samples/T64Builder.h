#pragma once
// Builds T64 tape archives: the 64-byte header, a directory of MaxEntries
// 32-byte records and the files' data after it.
#include <cstdint>
#include <string>
#include <vector>

namespace qs::samples {

struct TapeFilePlan {
    std::string name;             // padded with blanks to 16
    std::string data;             // program bytes after the load address
    std::uint16_t start = 0x0801; // load address
    std::uint8_t fileType = 0x82; // C64 file type (closed PRG)
    std::uint8_t entryType = 1;   // 0 marks a free record
};

class T64Builder {
  public:
    explicit T64Builder(std::string tapeName, std::uint16_t maxEntries = 30);

    // Adds a file in the next free record; end address = start + data length.
    T64Builder& add(const TapeFilePlan& file);
    // The whole archive. UsedEntries is the number of files added.
    std::string bytes() const;

    static constexpr std::size_t kHeaderBytes = 64;
    static constexpr std::size_t kRecordBytes = 32;

  private:
    std::string tapeName_;
    std::uint16_t maxEntries_;
    std::vector<TapeFilePlan> files_;
};

} // namespace qs::samples
