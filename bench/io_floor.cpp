// quillsift-io-floor FOLDER: the least any search of FOLDER must do, single-
// threaded: walk it, open each file of a kind searched, read the bytes its
// reader needs, close it. The benchmark measures the search against this.
// What a reader needs: a D64's directory track, a SID's header, an X64's
// header and directory track, a D80 or D82's BAM and directory tracks, a
// NIB's header and the slot of track 18; a PRG only its size (no bytes);
// the C64's own archives, NBZ files, images compressed whole and Zipcode
// parts are read whole (the search must unpack them, or walk their headers
// through them).
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr long kTrack18 = 91392;
constexpr long kTrack18Bytes = 19 * 256;
constexpr long kNibHeader = 256, kNibSlot = 8192, kNibTableAt = 0x10;
constexpr long kWhole = -1;

struct Extent {
    long offset;
    long length; // kWhole: to the end
};

struct Needs {
    std::vector<Extent> extents; // none: a file of a kind not searched
    bool nib = false;            // then the slot its header names
};

// The parts of a file of this name that its reader needs.
Needs needs(const fs::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const std::string name = path.filename().string();
    if (name.size() > 2 && name[0] >= '1' && name[0] <= '5' && name[1] == '!')
        return {{{0, kWhole}}}; // a Zipcode part
    if (ext == ".d64")
        return {{{kTrack18, kTrack18Bytes}}};
    if (ext == ".sid")
        return {{{0, 126}}};
    if (ext == ".x64")
        return {{{0, 64}, {64 + kTrack18, kTrack18Bytes}}};
    if (ext == ".d80" || ext == ".d82")
        return {{{37 * 29 * 256, 2 * 29 * 256}}};
    if (ext == ".nib")
        return {{{0, kNibHeader}}, true};
    if (ext == ".prg")
        return {{{0, 0}}};
    for (const char* whole : {".lnx", ".ark", ".arc", ".sda", ".sfx", ".nbz", ".gz", ".bz2", ".xz",
                              ".d6z", ".d7z", ".d8z", ".x6z"})
        if (ext == whole)
            return {{{0, kWhole}}};
    return {};
}

// Reads `length` bytes from `at` (kWhole: to the end) into `buffer`, a
// piece at a time; answers how many it read.
long readPart(int fd, long at, long length, std::vector<char>& buffer) {
    if (length == kWhole) {
        struct stat st {};
        length = ::fstat(fd, &st) == 0 ? static_cast<long>(st.st_size) - at : 0;
    }
    long read = 0;
    while (read < length) {
        const long piece = std::min(length - read, static_cast<long>(buffer.size()));
        const ssize_t n = ::pread(fd, buffer.data(), static_cast<std::size_t>(piece), at + read);
        if (n <= 0)
            break;
        read += n;
    }
    return read;
}

// The slot of halftrack 36 in the NIB header held in `header`, as its table
// of pairs (halftrack, density) says; -1 for none.
long nibSlot(const std::vector<char>& header, long headerBytes) {
    for (long pair = 0; kNibTableAt + 2 * pair < headerBytes; ++pair)
        if (static_cast<unsigned char>(header[static_cast<std::size_t>(kNibTableAt + 2 * pair)]) ==
            36)
            return kNibHeader + pair * kNibSlot;
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: quillsift-io-floor FOLDER\n");
        return 2;
    }
    std::vector<char> buffer(1 << 16);
    long files = 0;
    long bytes = 0;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(argv[1], ec);
         it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (ec || !it->is_regular_file(ec))
            continue;
        const Needs what = needs(it->path());
        if (what.extents.empty())
            continue;
        const int fd = ::open(it->path().c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        for (const Extent& e : what.extents)
            bytes += readPart(fd, e.offset, e.length, buffer);
        if (what.nib) { // the header was read last, into the buffer
            const long slot = nibSlot(buffer, kNibHeader);
            bytes += slot < 0 ? 0 : readPart(fd, slot, kNibSlot, buffer);
        }
        ::close(fd);
        ++files;
    }
    std::printf("%ld files, %ld bytes read\n", files, bytes);
    return 0;
}
