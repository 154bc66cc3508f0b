#pragma once
// What the two stand-in programs share: CBM names shown as the drive shows
// them, and an error trap that reports on standard error.
#include "common/ErrorLog.h"
#include "common/ErrorTrap.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace qs::standin {

// PETSCII 65-90 print as a-z and 193-218 as A-Z; line ends and quotes, which
// would break a listing line, print as "?".
inline std::string ListingText(const std::string& petscii) {
    std::string out = petscii;
    for (char& c : out) {
        const auto b = static_cast<std::uint8_t>(c);
        if (b >= 65 && b <= 90)
            c = static_cast<char>(b + 32);
        else if (b >= 193 && b <= 218)
            c = static_cast<char>(b - 128);
        else if (b == '\n' || b == '\r' || b == '"')
            c = '?';
    }
    return out;
}

// Writes the bytes of a line as they are (a name may hold a zero byte) and
// the line end.
inline void PrintLine(const std::string& line, const char* end = "\n") {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputs(end, stdout);
}

// Standard output written out to the end: true, or false (said on standard
// error) when it could not be, so that a listing cut short by a full disk
// never passes for a whole one.
inline bool OutputWritten(const char* program) {
    errno = 0;
    if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0)
        return true;
    std::fprintf(stderr, "%s: cannot write the listing: %s\n", program,
                 errno != 0 ? std::strerror(errno) : "write error");
    return false;
}

class StderrSink final : public MessageSink {
  public:
    MsgAnswer messageBox(MsgIcon, MsgButtons, const std::string& title,
                         const std::string& text) override {
        std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
        return MsgAnswer::Ok;
    }
};

// A trap that shows errors on standard error and logs nothing.
struct StderrTrap {
    StderrSink sink;
    ErrorLog log{""};
    ErrorTrap trap{sink, log};
};

} // namespace qs::standin
