// The mixed collection: the newer kinds of file, each made by the project's
// own builders from the benchmark's disks, in a few folders. Images are
// written sparse (only what their readers read), as the plain D64s are.
#include "Collection.h"
#include "CollectionFiles.h"

#include "samples/ArchiveBuilders.h"
#include "samples/ArchiveWriter.h"
#include "samples/D80Builder.h"
#include "samples/NibBuilder.h"
#include "samples/X64Builder.h"
#include "samples/ZipcodeBuilder.h"

#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace qs::bench {

namespace {

constexpr std::size_t kNibHeader = 256;
constexpr std::size_t kNibSlot = 8192;
constexpr std::size_t kX64Header = 64;

std::string entryName(int n, int i) {
    return (i == 0 && n % 50 == 0 ? "BLAST " : "GAME ") + std::to_string(n) + "-" +
           std::to_string(i);
}

// A program file: its load address, then `length` bytes.
std::string program(int n, int length) {
    return "\x01\x08" + std::string(static_cast<std::size_t>(length), static_cast<char>(n));
}

// A few files for the C64's own archives; an SFX keeps its names as stored.
std::vector<samples::ArchiveFilePlan> archiveFiles(int n, bool petscii) {
    std::vector<samples::ArchiveFilePlan> files;
    for (int i = 0; i < 2 + n % 3; ++i) {
        const std::string name = entryName(n, i);
        files.push_back({petscii ? samples::toPetscii(name) : name, i == 1 ? 'S' : 'P',
                         program(n, 500 + 300 * i)});
    }
    return files;
}

// An 8050 (or 8250) disk; the BAM and the directory lie on tracks 38 and 39.
std::string office(int n, std::size_t size) {
    samples::D80Builder d(size);
    d.name(samples::toPetscii("OFFICE " + std::to_string(n))).formatBam();
    for (int i = 0; i < 3 + n % 8; ++i)
        d.add({samples::toPetscii(entryName(n, i)), 0x82, 20, 1, 0});
    return d.bytes();
}

bool writeOffice(const fs::path& path, int n, std::size_t size) {
    const std::size_t from = samples::sectorOffset8050(samples::D80Builder::kBamTrack, 0);
    const std::size_t to = samples::sectorOffset8050(samples::D80Builder::kDirTrack + 1, 0);
    return WriteSparse(path, office(n, size), {{from, to - from}});
}

// The NIB's header and the slot of track 18 (halftrack 36).
bool writeNib(const fs::path& path, const std::string& nib) {
    const std::size_t slot = samples::NibSlotOffset(nib, 36);
    return slot != std::string::npos && WriteSparse(path, nib, {{0, kNibHeader}, {slot, kNibSlot}});
}

bool writeOne(const fs::path& folder, int n) {
    const std::string name = "game" + std::to_string(n), disk = Disk(n);
    const std::string nib = samples::D64ToNib(disk, {.halftracks = n % 2 == 0});
    bool ok = writeNib(folder / (name + ".nib"), nib) &&
              WriteFile(folder / (name + ".nbz"), samples::PackNbz(nib)) &&
              WriteFile(folder / (name + ".prg"), program(n, 1000 + 37 * (n % 200))) &&
              WriteFile(folder / (name + ".lnx"), samples::makeLynx(archiveFiles(n, true))) &&
              WriteFile(folder / (name + ".ark"), samples::makeArk(archiveFiles(n, true))) &&
              WriteFile(folder / (name + ".arc"), samples::makeArc(archiveFiles(n, true))) &&
              WriteFile(folder / (name + ".sda"),
                        samples::makeArc(archiveFiles(n, true), {.sdaLine = 10})) &&
              WriteFile(folder / (name + ".sfx"), samples::makeSfx(archiveFiles(n, false))) &&
              WriteSparse(folder / (name + ".x64"), samples::makeX64(disk),
                          {{0, kX64Header}, {kX64Header + kTrack18, kTrack18Bytes}}) &&
              writeOffice(folder / ("office" + std::to_string(n) + ".d80"), n,
                          samples::D80Builder::kD80Size) &&
              writeOffice(folder / ("office" + std::to_string(n) + ".d82"), n,
                          samples::D80Builder::kD82Size) &&
              WriteFile(folder / (name + ".d64.gz"), samples::Compress("gz", disk)) &&
              WriteFile(folder / (name + ".d6z"), samples::Compress("bz2", disk)) &&
              WriteFile(folder / ("office" + std::to_string(n) + ".d8z"),
                        samples::Compress("xz", office(n, samples::D80Builder::kD80Size)));
    const std::vector<std::string> parts = samples::ZipcodeSet(disk);
    for (std::size_t i = 0; i < parts.size(); ++i)
        ok = ok && WriteFile(folder / (std::to_string(i + 1) + "!set" + std::to_string(n) + ".z64"),
                             parts[i]);
    return ok;
}

} // namespace

std::string WriteMixedCollection(const std::string& rootText, const CollectionSize& size) {
    // Written aside and then renamed, so that a folder that exists is whole.
    const fs::path root(rootText), part(rootText + ".part");
    std::error_code ec;
    fs::remove_all(root, ec);
    fs::remove_all(part, ec);
    for (int n = 0; n < size.mixedEach; ++n) {
        const fs::path folder = part / ("shelf" + std::to_string(n / 50));
        fs::create_directories(folder, ec);
        if (ec || !writeOne(folder, n))
            return "cannot write the newer formats under " + folder.string();
    }
    fs::rename(part, root, ec);
    return ec ? "cannot rename " + part.string() + ": " + ec.message() : std::string();
}

} // namespace qs::bench
