// quillsift-io-floor FOLDER: the least any search of FOLDER must do, single-
// threaded: walk it, open each D64 and SID file, read the bytes its reader
// needs (the directory track of a D64, the header of a SID), close it. The
// benchmark measures the search against this.
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: quillsift-io-floor FOLDER\n");
        return 2;
    }
    char buffer[19 * 256];
    long files = 0;
    long bytes = 0;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(argv[1], ec);
         it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (ec || !it->is_regular_file(ec))
            continue;
        const std::string ext = it->path().extension().string();
        const bool disk = ext == ".d64", tune = ext == ".sid";
        if (!disk && !tune)
            continue;
        const int fd = ::open(it->path().c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        const ssize_t n =
            disk ? ::pread(fd, buffer, sizeof buffer, 91392) : ::pread(fd, buffer, 126, 0);
        ::close(fd);
        ++files;
        bytes += n > 0 ? n : 0;
    }
    std::printf("%ld files, %ld bytes read\n", files, bytes);
    return 0;
}
