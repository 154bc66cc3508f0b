#include "media/LynxReader.h"

#include "common/Error.h"
#include "common/Text.h"
#include "media/ArchiveEntries.h"

#include <algorithm>
#include <optional>

namespace qs {

namespace {

constexpr char kCr = '\x0D';
// The stub's BASIC program ends with three zero bytes, the header follows a CR.
constexpr std::string_view kStubEnd("\0\0\0\x0D", 4);
constexpr std::size_t kStubSearch = 1024;
constexpr std::size_t kHeaderLine = 80; // far beyond the 24-character signatures
// The directory's size in blocks is written by the C64 and a disk directory
// holds 144 entries: anything larger than this is not read as directory.
constexpr std::uint64_t kMaxDirectoryBytes = 256 * 254;
constexpr std::size_t kMaxDigits = 9;
constexpr std::size_t kNumberLine = 32; // digits and the blanks around them

struct Header {
    std::uint64_t dirBlocks;
    std::size_t end; // the offset after the header line
};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The number that starts `line` after blanks; none without digits or past
// nine of them.
std::optional<std::uint32_t> leadingNumber(std::string_view line, std::size_t& at) {
    while (at < line.size() && line[at] == ' ')
        ++at;
    std::uint32_t value = 0;
    std::size_t digits = 0;
    for (; at < line.size() && isDigit(line[at]) && digits <= kMaxDigits; ++at, ++digits)
        value = value * 10 + static_cast<std::uint32_t>(line[at] - '0');
    if (digits == 0 || digits > kMaxDigits)
        return std::nullopt;
    return value;
}

// The header after the stub: " 2  *LYNX BY ..." CR.
std::optional<Header> findHeader(std::string_view head) {
    const std::size_t stub = head.substr(0, kStubSearch + kStubEnd.size() - 1).find(kStubEnd);
    const std::size_t start = stub == std::string_view::npos ? 0 : stub + kStubEnd.size();
    const std::string_view rest = head.substr(std::min(start, head.size()), kHeaderLine);
    const std::size_t cr = rest.find(kCr);
    if (cr == std::string_view::npos)
        return std::nullopt;
    const std::string_view line = rest.substr(0, cr);
    std::size_t at = 0;
    const std::optional<std::uint32_t> blocks = leadingNumber(line, at);
    if (!blocks || *blocks == 0 || upperAscii(line.substr(at)).find("LYNX") == std::string::npos)
        return std::nullopt;
    return Header{*blocks, start + cr + 1};
}

std::string headBytes(const ByteSource& bytes) {
    return bytes.read(0, kStubSearch + kStubEnd.size() + kHeaderLine);
}

// Reads the directory's lines. Running into the end of the file is error 9,
// like every read past the end; running into the file data, or a line that
// is not what it should be, is a damaged directory.
class DirectoryLines {
  public:
    DirectoryLines(const ByteView& dir, std::size_t at, bool fileEnds)
        : dir_(dir), at_(at), fileEnds_(fileEnds) {}

    std::size_t offset() const { return at_; }
    // True at the directory's end or at the zero filler after its entries.
    bool atFiller() const { return at_ >= dir_.size() || dir_.u8(at_) == 0; }
    bool atNumber() const {
        return at_ < dir_.size() &&
               (dir_.u8(at_) == ' ' || isDigit(static_cast<char>(dir_.u8(at_))));
    }

    // The bytes before the next CR (at most `limit`), passing the CR.
    std::string line(std::size_t limit, const std::string& what) {
        const std::size_t start = at_;
        std::string text;
        for (;;) {
            const char c = next(what);
            if (c == kCr)
                return text;
            if (text.size() == limit)
                damaged(start, what + " longer than " + std::to_string(limit) + " bytes");
            text += c;
        }
    }

    // " n " CR: blanks, digits, blanks.
    std::uint32_t number(const std::string& what) {
        const std::size_t start = at_;
        const std::string text = line(kNumberLine, what);
        std::size_t at = 0;
        const std::optional<std::uint32_t> value = leadingNumber(text, at);
        if (!value || !trimBlanks(text.substr(at)).empty())
            damaged(start, what + " not a number");
        return *value;
    }

    [[noreturn]] void damaged(std::size_t at, const std::string& what) const {
        raise(err::InvalidCall, what + " at offset " + std::to_string(dir_.base() + at));
    }

  private:
    char next(const std::string& what) {
        if (at_ >= dir_.size() && !fileEnds_)
            damaged(at_, what + " runs into the file data");
        return static_cast<char>(dir_.u8(at_++)); // past the file's end: error 9
    }

    ByteView dir_;
    std::size_t at_;
    bool fileEnds_;
};

} // namespace

Bid bidLynx(const ByteSource& bytes) {
    return findHeader(headBytes(bytes)) ? Bid::Mine : Bid::NotMine;
}

void readLynx(ReadInput& in) {
    AnalysisRecords& rec = in.records;
    StartArchiveListing(rec.media, in.path);
    const std::optional<Header> header = findHeader(headBytes(in.bytes));
    if (!header)
        raise(err::InvalidCall, "no Lynx header");
    const std::uint64_t dataStart = header->dirBlocks * 254;
    const std::string dirBytes =
        in.bytes.read(0, static_cast<std::size_t>(std::min(dataStart, kMaxDirectoryBytes)));
    const ByteView dir(dirBytes);
    DirectoryLines lines(dir, header->end, dirBytes.size() < dataStart);

    const std::uint32_t count = lines.number("entry count");
    std::uint64_t blocks = 0;
    for (std::uint32_t i = 1; i <= count; ++i) {
        if (lines.atFiller()) {
            rec.media.Status = "[WARNING] - The Lynx directory ends after " +
                               std::to_string(i - 1) + " of its " + std::to_string(count) +
                               " entries";
            return;
        }
        const std::string entry = "entry " + std::to_string(i) + ": ";
        const std::string name = lines.line(16, entry + "name");
        const std::uint32_t size = lines.number(entry + "block count");
        const std::size_t typeAt = lines.offset();
        const std::string letter = trimBlanks(lines.line(kNumberLine, entry + "type"));
        const std::string type = letter.size() == 1 ? TypeOfLetter(letter[0]) : "";
        if (type.empty())
            lines.damaged(typeAt, entry + "type not P, S, U, R or D");
        if (type == "rel")
            lines.number(entry + "record length");
        // Old Lynx versions leave out the last file's last-sector usage.
        if (i < count || lines.atNumber())
            lines.number(entry + "last-sector usage");
        AddArchiveEntry(rec, CutAtPadding(name), type, static_cast<std::int32_t>(size));
        blocks += size;
    }
    if (blocks > 0 && in.bytes.size() <= dataStart + 254 * (blocks - 1))
        rec.media.Status = kArchiveCutShort;
}

} // namespace qs
