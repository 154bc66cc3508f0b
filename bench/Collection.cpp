#include "Collection.h"

#include "CollectionFiles.h"

#include "samples/ArchiveWriter.h"
#include "samples/DiskBuilder.h"
#include "samples/Pc64Builder.h"
#include "samples/SidBuilder.h"

#include <archive.h>
#include <archive_entry.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <unistd.h>
#include <utility>

namespace fs = std::filesystem;

namespace qs::bench {

std::string Disk(int n) {
    samples::DiskBuilder d;
    d.name(samples::toPetscii("DISK " + std::to_string(n))).formatBam();
    const int entries = 4 + n % 12;
    for (int i = 0; i < entries; ++i) {
        const std::string name = (i == 0 && n % 50 == 0 ? "BLAST " : "GAME ") + std::to_string(n) +
                                 "-" + std::to_string(i);
        d.add({samples::toPetscii(name), 0x82, static_cast<std::uint16_t>(10 + i), 17, 0});
    }
    return d.bytes();
}

bool WriteSparse(const fs::path& path, const std::string& image,
                 const std::vector<Extent>& extents) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    bool ok = true;
    for (const Extent& e : extents)
        ok = ok && e.offset + e.length <= image.size() &&
             ::pwrite(fd, image.data() + e.offset, e.length, static_cast<off_t>(e.offset)) ==
                 static_cast<ssize_t>(e.length);
    ok = ok && ::ftruncate(fd, static_cast<off_t>(image.size())) == 0;
    return ::close(fd) == 0 && ok;
}

bool WriteSparseDisk(const fs::path& path, const std::string& image) {
    return WriteSparse(path, image, {{kTrack18, kTrack18Bytes}});
}

bool WriteFile(const fs::path& path, const std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

namespace {

// A ZIP of deflated members, `member(n)` giving the name and bytes of the
// nth of `count`, written by libarchive.
template <class Member> bool writeZip(const fs::path& path, int count, Member member) {
    const std::unique_ptr<archive, decltype(&archive_write_free)> a(archive_write_new(),
                                                                    archive_write_free);
    archive_write_set_format_zip(a.get());
    if (archive_write_open_filename(a.get(), path.c_str()) != ARCHIVE_OK)
        return false;
    for (int n = 0; n < count; ++n) {
        const auto [name, bytes] = member(n);
        const std::unique_ptr<archive_entry, decltype(&archive_entry_free)> e(archive_entry_new(),
                                                                              archive_entry_free);
        archive_entry_set_pathname(e.get(), name.c_str());
        archive_entry_set_filetype(e.get(), AE_IFREG);
        archive_entry_set_perm(e.get(), 0644);
        archive_entry_set_size(e.get(), static_cast<la_int64_t>(bytes.size()));
        if (archive_write_header(a.get(), e.get()) != ARCHIVE_OK ||
            archive_write_data(a.get(), bytes.data(), bytes.size()) !=
                static_cast<la_ssize_t>(bytes.size()))
            return false;
    }
    return archive_write_close(a.get()) == ARCHIVE_OK;
}

std::string quote(const std::string& word) {
    std::string out = "'";
    for (char c : word)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

long long entriesOfDisks(int count) {
    long long entries = 0;
    for (int n = 0; n < count; ++n)
        entries += 4 + n % 12;
    return entries;
}

} // namespace

long long DirectoryEntries(const CollectionSize& size) {
    return entriesOfDisks(size.plainDisks) + size.plainTunes + entriesOfDisks(size.zips) +
           2LL * size.sevenZips * entriesOfDisks(size.sevenZipMembers) +
           entriesOfDisks(size.windowDisks) + entriesOfDisks(size.jsonDisks);
}

long long DirectoryEntriesOfMany(const CollectionSize& size) {
    return entriesOfDisks(size.manyZips);
}

std::string WriteManyZips(const std::string& rootText, const CollectionSize& size) {
    const fs::path root(rootText);
    std::error_code ec;
    fs::remove_all(root, ec);
    for (int n = 0; n < size.manyZips; ++n) {
        const fs::path folder = root / ("set" + std::to_string(n / 300));
        fs::create_directories(folder, ec);
        if (!writeZip(folder / ("game" + std::to_string(n) + ".zip"), 1, [n](int) {
                return std::pair{"game" + std::to_string(n) + ".d64", Disk(n)};
            }))
            return "cannot write a ZIP under " + folder.string();
    }
    return {};
}

std::string WriteCollection(const std::string& rootText, const CollectionSize& size) {
    const fs::path root(rootText);
    std::error_code ec;
    fs::remove_all(root, ec);
    for (const char* sub : {"plain", "zips", "7z", "window", "work"})
        fs::create_directories(root / sub, ec);
    if (ec)
        return "cannot create " + rootText + ": " + ec.message();

    for (int n = 0; n < size.plainDisks; ++n) {
        const fs::path folder = root / "plain" / ("disks" + std::to_string(n / 1000));
        fs::create_directories(folder, ec);
        if (!WriteSparseDisk(folder / ("game" + std::to_string(n) + ".d64"), Disk(n)))
            return "cannot write a disk under " + folder.string();
    }
    for (int n = 0; n < size.plainTunes; ++n) {
        const fs::path folder = root / "plain" / ("tunes" + std::to_string(n / 1000));
        fs::create_directories(folder, ec);
        samples::SidPlan tune;
        tune.name = "Tune " + std::to_string(n);
        tune.author = n % 40 == 0 ? "Blast Crew" : "Composer " + std::to_string(n % 97);
        tune.released = "19" + std::to_string(80 + n % 15) + " Group";
        if (!WriteFile(folder / ("tune" + std::to_string(n) + ".sid"), samples::makeSid(tune)))
            return "cannot write a tune under " + folder.string();
    }
    for (int n = 0; n < size.windowDisks; ++n)
        if (!WriteSparseDisk(root / "window" / ("disk" + std::to_string(n) + ".d64"), Disk(n)))
            return "cannot write a disk under " + (root / "window").string();
    for (int n = 0; n < size.zips; ++n)
        if (!writeZip(root / "zips" / ("game" + std::to_string(n) + ".zip"), 1, [n](int) {
                return std::pair{"game" + std::to_string(n) + ".d64", Disk(n)};
            }))
            return "cannot write a ZIP under " + (root / "zips").string();

    // 7z archives of many whole images, built by 7z from a work folder.
    const fs::path work = root / "work";
    for (int n = 0; n < size.sevenZipMembers; ++n)
        if (!WriteFile(work / ("member" + std::to_string(n) + ".d64"), Disk(n)))
            return "cannot write " + work.string();
    for (int n = 0; n < size.sevenZips; ++n)
        for (const bool solid : {true, false}) {
            const fs::path out =
                root / "7z" / ((solid ? "solid" : "plain") + std::to_string(n) + ".7z");
            const std::string command = "cd " + quote(work.string()) + " && 7z a -bd -bso0 " +
                                        (solid ? "-ms=on " : "-ms=off ") + quote(out.string()) +
                                        " . >/dev/null 2>&1";
            if (std::system(command.c_str()) != 0)
                return "7z could not write " + out.string();
        }
    fs::remove_all(work, ec);
    return WriteMemoryCollection(rootText, size);
}

std::string WriteMemoryCollection(const std::string& rootText, const CollectionSize& size) {
    const fs::path root(rootText);
    std::error_code ec;
    for (const char* sub : {"members", "json"}) {
        fs::remove_all(root / sub, ec);
        fs::create_directories(root / sub, ec);
    }
    if (ec)
        return "cannot create " + rootText + ": " + ec.message();
    if (!writeZip(root / "members" / "many.zip", size.zipMembers, [](int n) {
            const std::string name = std::to_string(n);
            return std::pair{"part" + std::to_string(n / 1000) + "/game" + name + ".p00",
                             samples::makePc64(samples::toPetscii("GAME " + name), 0x0801,
                                               std::string(static_cast<std::size_t>(n % 50), 'x'))};
        }))
        return "cannot write " + (root / "members" / "many.zip").string();
    for (int n = 0; n < size.jsonDisks; ++n) {
        const fs::path folder = root / "json" / ("disks" + std::to_string(n / 1000));
        fs::create_directories(folder, ec);
        if (!WriteSparseDisk(folder / ("game" + std::to_string(n) + ".d64"), Disk(n)))
            return "cannot write a disk under " + folder.string();
    }
    return {};
}

namespace {

std::string smallDisk(const std::string& name, const std::string& entry) {
    samples::DiskBuilder d;
    d.name(samples::toPetscii(name)).formatBam();
    d.add({samples::toPetscii(entry), 0x82, 7, 17, 0});
    return d.bytes();
}

} // namespace

std::string WriteNestedCollection(const std::string& rootText) {
    // Written aside and then renamed, so that a folder that exists is whole.
    const fs::path root(rootText), part(rootText + ".part");
    std::error_code ec;
    fs::remove_all(root, ec);
    fs::remove_all(part, ec);
    for (const char* sub : {"bomb", "rest"})
        fs::create_directories(part / sub, ec);
    if (ec)
        return "cannot create " + part.string() + ": " + ec.message();

    // The bomb: 40 TARs of a 30 MiB "disk" (a D64 and zeros), each deflated
    // to about 30 KiB; inflating them all would take far more than 1 GiB.
    // The ZIP is written a member at a time, not held whole.
    std::string padded = smallDisk("BOMB", "BLAST BOMB");
    padded.resize(std::size_t{30} << 20, '\0');
    const std::string layer = samples::WriteArchive("tar", {{"bomb.d64", padded}});
    padded = {};
    if (!writeZip(part / "bomb" / "bomb.zip", 40, [&layer](int n) {
            return std::pair{"layer" + std::to_string(10 + n) + ".tar", layer};
        }))
        return "cannot write " + (part / "bomb" / "bomb.zip").string();

    // An archive that holds itself as far as a reader can tell (the same
    // name eight levels down), a 7z of a .tar.gz of a .d64.gz, a ZIP in a ZIP.
    std::string self =
        samples::WriteArchive("zip", {{"SELF.D64", smallDisk("SELF", "BLAST SELF")}});
    for (int level = 1; level < 8; ++level)
        self = samples::WriteArchive("zip", {{"self.zip", self}});
    const std::string tarball = samples::WriteArchive(
        "tar.gz", {{"disk.d64.gz", samples::Compress("gz", smallDisk("TARRED", "BLAST TAR"))}});
    const std::string inner =
        samples::WriteArchive("zip", {{"game.d64", smallDisk("INNER", "BLAST INNER")}});
    const fs::path rest = part / "rest";
    if (!WriteFile(rest / "self.zip", self) ||
        !WriteFile(rest / "bundle.7z", samples::WriteArchive("7z", {{"pack.tar.gz", tarball}})) ||
        !WriteFile(rest / "nested.zip", samples::WriteArchive("zip", {{"inner.zip", inner}})))
        return "cannot write under " + rest.string();
    fs::rename(part, root, ec);
    return ec ? "cannot rename " + part.string() + ": " + ec.message() : std::string();
}

} // namespace qs::bench
