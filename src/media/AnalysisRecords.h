#pragma once
// What a reader learns about one file, read by the matcher right after.
// The dispatcher hands every reader freshly reset records.
#include <concepts>
#include <cstdint>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

namespace qs {

struct MediaInfo {
    std::string FileName;  // file name without folder and last four characters, upper case
    std::string MediaName; // disk/tape/cartridge name, as stored (byte text)
    std::string MediaType; // "D64", "PC64", "SID", ...
    std::int32_t BlocksFree = 0;
    std::string HeaderLine;
    std::string Status; // "", "INVALID FILE", "FALSE EXTENSION", or a warning
    bool Tracks40 = false;
    bool ErrorInfo = false;
};

struct CbmEntry {
    std::string Name; // byte text, up to 16 characters on CBM media
    std::string FileType;
    std::int32_t Blocks = 0;
    std::int32_t EntryNo = 0;
    std::int32_t Track = 0;
    std::int32_t Sector = 0;
    bool Locked = false;
    std::int32_t LoadAddress = 0;
    std::int32_t EndAddress = 0;
    bool Valid = false;
    // The directory type byte as disk images record it (for a G64, the byte
    // its listing line describes); 0 for other media. The report goes by
    // FileType; a directory listing needs the byte for the unclosed mark.
    std::uint8_t TypeByte = 0;
};

struct SidInfo {
    std::string FileName;
    std::string Name;
    std::string Author;
    std::string Year;
    std::string Copyright;
    std::string Status; // "" or "NOT A VALID FILE"
    std::string LoadAddress;
    std::string EndAddress;
    std::string InitAddress;
    std::string PlayAddress;
};

// Every field of the records, in declaration order, for code that keeps
// records whole (the index stores them field by field): a field added to one
// of the structs goes into its list here too, which the index checks against
// the struct when it is compiled.
template <class M>
requires std::same_as<std::remove_const_t<M>, MediaInfo>
auto FieldsOf(M& m) {
    return std::tie(m.FileName, m.MediaName, m.MediaType, m.BlocksFree, m.HeaderLine, m.Status,
                    m.Tracks40, m.ErrorInfo);
}
template <class E>
requires std::same_as<std::remove_const_t<E>, CbmEntry>
auto FieldsOf(E& e) {
    return std::tie(e.Name, e.FileType, e.Blocks, e.EntryNo, e.Track, e.Sector, e.Locked,
                    e.LoadAddress, e.EndAddress, e.Valid, e.TypeByte);
}
template <class S>
requires std::same_as<std::remove_const_t<S>, SidInfo>
auto FieldsOf(S& s) {
    return std::tie(s.FileName, s.Name, s.Author, s.Year, s.Copyright, s.Status, s.LoadAddress,
                    s.EndAddress, s.InitAddress, s.PlayAddress);
}

// Status texts shared by several readers.
namespace status {
inline constexpr const char* InvalidFile = "INVALID FILE";
inline constexpr const char* FalseExtension = "FALSE EXTENSION";
inline constexpr const char* NonStandardSize = "NON-STANDARD FILE SIZE, MAY BE CORRUPTED";
} // namespace status

class AnalysisRecords {
  public:
    MediaInfo media;
    SidInfo sid;

    AnalysisRecords() { restartEntries(); }

    // Back to the state before any reader ran.
    void reset() {
        media = MediaInfo{};
        sid = SidInfo{};
        restartEntries();
    }

    // Index 0 never holds an entry; the medium's entries stand at 1..n.
    CbmEntry& appendEntry() { return entries_.emplace_back(); }
    std::vector<CbmEntry>& entries() { return entries_; }
    const std::vector<CbmEntry>& entries() const { return entries_; }
    // The highest index: the number of entries.
    std::size_t entryCount() const { return entries_.size() - 1; }

  private:
    void restartEntries() { entries_.assign(1, CbmEntry{}); }

    std::vector<CbmEntry> entries_;
};

// "prg", "seq", ... for the type byte of a CBM directory entry.
std::string TypeText(std::uint8_t typeByte);
// The type byte a directory listing line describes: the closed type of
// `typeText` ("ukw" and other texts as type 6), the lock bit when `locked`,
// the closed bit cleared when `unclosed`; "scr" is 0.
std::uint8_t ListedTypeByte(const std::string& typeText, bool unclosed, bool locked);

// File name without its last four characters, upper case (ASCII letters).
std::string FileNameField(const std::string& path);
// Last three characters of the path, upper case.
std::string MediaTypeField(const std::string& path);
// Sets FileName and MediaType from the path.
void SetNameFields(MediaInfo& media, const std::string& path);

} // namespace qs
