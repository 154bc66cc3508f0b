#include "common/ByteView.h"

#include "common/Error.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace qs {

namespace {

std::string clip(std::string_view bytes, std::uint64_t offset, std::size_t length) {
    if (offset >= bytes.size())
        return {};
    return std::string(bytes.substr(static_cast<std::size_t>(offset), length));
}

} // namespace

// Non-blocking, so that a pipe that looks like a file cannot hold the search.
constexpr int kOpenFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;

OpenFolder::OpenFolder(const std::string& path)
    : fd_(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}

OpenFolder::~OpenFolder() {
    if (fd_ >= 0)
        ::close(fd_);
}

FileByteSource::FileByteSource(std::string path) : path_(std::move(path)) {
    fd_ = ::open(path_.c_str(), kOpenFlags);
    measure();
}

FileByteSource::FileByteSource(std::string path, const OpenFolder& folder, const std::string& name)
    : path_(std::move(path)) {
    fd_ = folder.fd() >= 0 ? ::openat(folder.fd(), name.c_str(), kOpenFlags)
                           : ::open(path_.c_str(), kOpenFlags);
    measure();
}

void FileByteSource::measure() {
    if (fd_ < 0)
        raise(errorNumberFromErrno(errno), path_);
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        const int e = errno;
        ::close(fd_);
        raise(errorNumberFromErrno(e), path_);
    }
    if (S_ISDIR(st.st_mode)) {
        ::close(fd_);
        raise(err::PathFileAccess, path_ + " is a folder");
    }
    size_ = static_cast<std::uint64_t>(st.st_size);
}

FileByteSource::~FileByteSource() {
    ::close(fd_);
}

std::string FileByteSource::read(std::uint64_t offset, std::size_t length) const {
    if (offset >= size_ || length == 0)
        return {};
    const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(length, size_ - offset));
    // The bytes up to `wanted`, fewer if the file shrank since it was measured.
    auto fill = [&](char* out) {
        std::size_t got = 0;
        while (got < wanted) {
            const ssize_t n =
                ::pread(fd_, out + got, wanted - got, static_cast<off_t>(offset + got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                raise(err::PathFileAccess, path_);
            if (n == 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        return got;
    };
    // A directory track or a header, read for every file of a search, is
    // read on the stack, so that its string is made once and not cleared first.
    if (char small[8192]; wanted <= sizeof small)
        return std::string(small, fill(small));
    std::string out(wanted, '\0');
    out.resize(fill(out.data()));
    return out;
}

NewFile::NewFile(std::string path) : path_(std::move(path)) {
    fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd_ < 0)
        raise(errorNumberFromErrno(errno), "cannot write " + path_ + ": " + std::strerror(errno));
}

NewFile::~NewFile() {
    if (fd_ >= 0) { // not closed: an error left it incomplete
        ::close(fd_);
        ::unlink(path_.c_str());
    }
}

void NewFile::fail(int error) {
    ::close(fd_);
    fd_ = -1;
    ::unlink(path_.c_str());
    raise(errorNumberFromErrno(error), "cannot write " + path_ + ": " + std::strerror(error));
}

void NewFile::write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            fail(n < 0 ? errno : ENOSPC);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

void NewFile::close() {
    if (::close(std::exchange(fd_, -1)) != 0) {
        const int error = errno;
        ::unlink(path_.c_str());
        raise(errorNumberFromErrno(error), "cannot write " + path_ + ": " + std::strerror(error));
    }
}

void ByteSource::writeTo(const std::string& path) const {
    NewFile file(path);
    constexpr std::size_t kStep = 256 * 1024;
    for (std::uint64_t at = 0; at < size(); at += kStep) {
        const std::string part = read(at, kStep);
        if (part.empty())
            break;
        file.write(part);
    }
    file.close();
}

std::string MemoryByteSource::read(std::uint64_t offset, std::size_t length) const {
    return clip(bytes_, offset, length);
}

std::string ByteRange::read(std::uint64_t offset, std::size_t length) const {
    if (offset >= size())
        return {};
    return whole_.read(offset_ + offset, length);
}

void ByteView::outOfRange(std::size_t offset) const {
    raise(err::SubscriptOutOfRange, "no byte at offset " + std::to_string(base_ + offset));
}

std::uint16_t ByteView::u16le(std::size_t offset) const {
    check(offset, 2);
    return static_cast<std::uint16_t>(u8(offset) | (u8(offset + 1) << 8));
}

std::uint16_t ByteView::u16be(std::size_t offset) const {
    check(offset, 2);
    return static_cast<std::uint16_t>((u8(offset) << 8) | u8(offset + 1));
}

std::uint32_t ByteView::u32le(std::size_t offset) const {
    check(offset, 4);
    return static_cast<std::uint32_t>(u16le(offset)) |
           (static_cast<std::uint32_t>(u16le(offset + 2)) << 16);
}

std::uint32_t ByteView::u32be(std::size_t offset) const {
    check(offset, 4);
    return (static_cast<std::uint32_t>(u16be(offset)) << 16) | u16be(offset + 2);
}

std::string ByteView::text(std::size_t offset, std::size_t length) const {
    return clip(bytes_, offset, length);
}

} // namespace qs
