#pragma once
// How readers get at bytes. A ByteSource is the file (or an in-memory copy);
// a ByteView is a window over bytes already read, with one bounds check per
// read: text reads are clipped (a short file gives a shorter or empty text),
// single-byte reads past the end raise error 9 naming the offset.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace qs {

// Writes bytes into a new file, as a whole or not at all: what could not be
// written (a full disk) raises, and the part written goes.
class NewFile {
  public:
    explicit NewFile(std::string path); // raises when it cannot be made
    ~NewFile();
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;
    void write(std::string_view bytes);
    void close(); // the file is complete only once closed

  private:
    [[noreturn]] void fail(int error);
    std::string path_;
    int fd_ = -1;
};

class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    // Up to `length` bytes from `offset`; shorter or empty past the end.
    virtual std::string read(std::uint64_t offset, std::size_t length) const = 0;
    // The whole content.
    std::string readAll() const { return read(0, static_cast<std::size_t>(size())); }
    // The file these bytes are, when they are a whole file on disk.
    virtual const std::string* pathOnDisk() const { return nullptr; }
    // Where byte 0 lies in the file the bytes come from: a view into a
    // larger file names that file's offsets in its errors.
    virtual std::uint64_t origin() const { return 0; }
    // Writes the bytes to a new file at `path`; raises when it cannot be
    // written whole (a full disk), leaving no part of it behind.
    virtual void writeTo(const std::string& path) const;
};

// A folder held open, so that its files open by name alone: the system then
// looks up one name instead of every folder of the path again. Not valid
// (fd() < 0) when the folder could not be opened.
class OpenFolder {
  public:
    explicit OpenFolder(const std::string& path);
    ~OpenFolder();
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;
    int fd() const { return fd_; }

  private:
    int fd_ = -1;
};

// Bytes of a file on disk, open from construction to destruction (one
// reader's run). Construction raises "File not found" and friends for a
// missing or unreadable path, and for a folder.
class FileByteSource final : public ByteSource {
  public:
    explicit FileByteSource(std::string path);
    // The file `name` of an open folder; `path` (the folder's path and the
    // name) is what messages call it.
    FileByteSource(std::string path, const OpenFolder& folder, const std::string& name);
    ~FileByteSource() override;
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;
    std::uint64_t size() const override { return size_; }
    std::string read(std::uint64_t offset, std::size_t length) const override;
    const std::string* pathOnDisk() const override { return &path_; }
    const std::string& path() const { return path_; }

  private:
    void measure(); // the size, raising for a folder

    std::string path_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

class MemoryByteSource final : public ByteSource {
  public:
    explicit MemoryByteSource(std::string bytes) : bytes_(std::move(bytes)) {}
    std::uint64_t size() const override { return bytes_.size(); }
    std::string read(std::uint64_t offset, std::size_t length) const override;

  private:
    std::string bytes_;
};

// The bytes from `offset` of another source (which must outlive it), to
// its end: an image behind a header.
class ByteRange final : public ByteSource {
  public:
    ByteRange(const ByteSource& whole, std::uint64_t offset)
        : whole_(whole), offset_(std::min(offset, whole.size())) {}
    std::uint64_t size() const override { return whole_.size() - offset_; }
    std::string read(std::uint64_t offset, std::size_t length) const override;
    std::uint64_t origin() const override { return whole_.origin() + offset_; }

  private:
    const ByteSource& whole_;
    std::uint64_t offset_;
};

class ByteView {
  public:
    ByteView() = default;
    // `base` is the file offset of the first byte, used in error messages only.
    explicit ByteView(std::string_view bytes, std::uint64_t base = 0)
        : bytes_(bytes), base_(base) {}

    std::size_t size() const { return bytes_.size(); }
    bool empty() const { return bytes_.empty(); }
    std::string_view bytes() const { return bytes_; }
    std::uint64_t base() const { return base_; }

    // Checked single reads: past the end is error 9. (The byte read and the
    // view are inline: readers make tens of them for every file.)
    std::uint8_t u8(std::size_t offset) const {
        check(offset, 1);
        return static_cast<std::uint8_t>(bytes_[offset]);
    }
    std::uint16_t u16le(std::size_t offset) const;
    std::uint16_t u16be(std::size_t offset) const;
    std::uint32_t u32le(std::size_t offset) const;
    std::uint32_t u32be(std::size_t offset) const;

    // Clipped reads: what lies inside the view, possibly nothing.
    std::string text(std::size_t offset, std::size_t length) const;
    ByteView sub(std::size_t offset, std::size_t length) const {
        if (offset >= bytes_.size())
            return ByteView(std::string_view{}, base_ + offset);
        return ByteView(bytes_.substr(offset, length), base_ + offset);
    }

  private:
    void check(std::size_t offset, std::size_t width) const {
        if (offset > bytes_.size() || bytes_.size() - offset < width)
            outOfRange(offset);
    }
    [[noreturn]] void outOfRange(std::size_t offset) const;

    std::string_view bytes_;
    std::uint64_t base_ = 0;
};

} // namespace qs
