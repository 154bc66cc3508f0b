// quillsift-samples OUTDIR (or --help): writes the small sample collection that the run
// command searches. Each kind of file has its own writer below.
#include "samples/ArchiveBuilders.h"
#include "samples/ArchiveWriter.h"
#include "samples/CrtBuilder.h"
#include "samples/D80Builder.h"
#include "samples/D81Builder.h"
#include "samples/DiskBuilder.h"
#include "samples/G64Builder.h"
#include "samples/NibBuilder.h"
#include "samples/Pc64Builder.h"
#include "samples/SidBuilder.h"
#include "samples/T64Builder.h"
#include "samples/TapBuilder.h"
#include "samples/X64Builder.h"
#include "samples/ZipWriter.h"
#include "samples/ZipcodeBuilder.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace qs::samples;

namespace {

bool writeD64Samples(const fs::path& root) {
    const fs::path games = root / "Games";
    const fs::path demos = root / "Demos";
    const fs::path tools = root / "Tools" / "Disk Utilities";
    fs::create_directories(games);
    fs::create_directories(demos);
    fs::create_directories(tools);

    DiskBuilder blast;
    blast
        .name(toPetscii("BLAST COLLECTION"), "BC\xA0"
                                             "2A")
        .formatBam();
    blast.add({toPetscii("BLASTER"), 0x82, 12, 17, 0})
        .add({toPetscii("BLAST OFF"), 0x82, 54, 19, 0})
        .add({toPetscii("Space Blaster"), 0xC2, 98, 20, 0})
        .add({toPetscii("HIGHSCORES"), 0x81, 2, 21, 0})
        .add({toPetscii("OLD BLAST"), 0x00, 0, 0, 0});

    DiskBuilder arcade;
    arcade
        .name(toPetscii("ARCADE CLASSICS"), "AC\xA0"
                                            "2A")
        .formatBam();
    for (const char* n :
         {"PAC RUNNER", "GALAXY RAID", "FROG CROSSING", "BRICK BREAKER", "ASTEROID BELT",
          "TANK DUEL", "MAZE HUNTER", "SKY PILOT", "DIVER", "CAVE ESCAPE"})
        arcade.add({toPetscii(n), 0x82, 40, 17, 0});

    DiskBuilder demo;
    demo.name(toPetscii("MEGADEMO 1988"), "MD\xA0"
                                          "2A")
        .formatBam();
    demo.add({toPetscii("MEGADEMO"), 0x82, 150, 17, 0})
        .add({toPetscii("NOTE"), 0x81, 3, 19, 0})
        .add({"\xC0\xC0\xC0\xC0\xC0\xC0\xC0\xC0", 0x82, 0, 18, 0}); // a line of graphics

    DiskBuilder util;
    util.name(toPetscii("DISK TOOLS"), "DT\xA0"
                                       "2A")
        .formatBam();
    util.add({toPetscii("FAST COPY"), 0x82, 18, 17, 0})
        .add({toPetscii("DIR MASTER"), 0x82, 9, 17, 5});

    return blast.save((games / "Blast Collection.d64").string()) &&
           arcade.save((games / "ARCADE.D64").string()) &&
           demo.save((demos / "megademo.d64").string()) &&
           util.save((tools / "disktools.d64").string());
}

bool writeBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// A C64 program file of `length` bytes, load address $0801 first.
std::string program(std::size_t length) {
    std::string bytes(length, '\xEA');
    bytes.replace(0, 2, "\x01\x08", std::min<std::size_t>(length, 2));
    return bytes;
}

// A 1571 disk, a 1581 disk with a partition, a tape archive and P00 files.
bool writeNativeSamples(const fs::path& root) {
    const fs::path games = root / "Games";
    const fs::path tapes = root / "Tapes";
    fs::create_directories(games);
    fs::create_directories(tapes);

    DiskBuilder d71(DiskBuilder::kD71Size);
    d71.name(toPetscii("BLAST TWIN SIDES")).formatBam();
    d71.add({toPetscii("BLAST ZONE"), 0x82, 220, 36, 0})
        .add({toPetscii("ZONE MUSIC"), 0x82, 31, 40, 0});

    D81Builder d81;
    d81.name(toPetscii("TOOLBOX 1581")).formatBam();
    d81.add({toPetscii("MENU"), 0x82, 5, 1, 0})
        .partition(toPetscii("BLAST GAMES"), 60, 5)
        .add({toPetscii("README"), 0x81, 2, 2, 0});
    d81.add({toPetscii("BLASTOID"), 0x82, 80, 60, 10}, 60)
        .add({toPetscii("BLAST HISCORE"), 0x81, 1, 61, 0}, 60);

    T64Builder tape(toPetscii("BLAST TAPES"), 8);
    tape.add({toPetscii("BLAST RUNNER"), std::string(6000, '\xEA'), 0x0801})
        .add({toPetscii("LOADER"), std::string(200, '\xEA'), 0xC000})
        .add({toPetscii("TAPE BLASTER"), std::string(12000, '\xEA'), 0x0801});

    return d71.save((games / "Blast Twin.d71").string()) &&
           d81.save((games / "toolbox.d81").string()) &&
           writeBytes(tapes / "Blast Tapes.t64", tape.bytes()) &&
           writeBytes(tapes / "BLASTER.P00",
                      makePc64(toPetscii("BLASTER"), 0x0801, std::string(2048, '\xEA'))) &&
           writeBytes(tapes / "NOTES.S00", makePc64(toPetscii("BLAST NOTES"), 0x2020, "READ ME"));
}

// Cartridges and SID tunes.
bool writeCartridgeAndTuneSamples(const fs::path& root) {
    const fs::path carts = root / "Cartridges";
    const fs::path music = root / "Music";
    fs::create_directories(carts);
    fs::create_directories(music);
    const std::string bank(8192, '\xFF');
    return writeBytes(carts / "Blast Cart.crt", makeCrt("BLAST CARTRIDGE", 0)) &&
           writeBytes(carts / "freezer.crt",
                      makeCrt("Blast Freezer", 1, {{0, 0x8000, bank}, {1, 0x8000, bank}})) &&
           writeBytes(music / "Blast Theme.sid",
                      makeSid({"Blast Theme", "J\xF6rg M\xFCller", "1987 Blast Soft"})) &&
           writeBytes(music / "Space Tune.sid", makeSid({"Space Tune", "Anna Blast", "198? Unknown",
                                                         0x2000, 0x2000, 0x2006}));
}

// An 8050 or 8250 disk for the archive.
std::string pet(std::size_t size) {
    D80Builder d(size);
    d.name(toPetscii("ZIPPED 8050"), "Z8\xA0"
                                     "2C")
        .formatBam();
    d.add({toPetscii("BLAST FROM 8050"), 0x82, 77, 1, 0});
    return d.bytes();
}

// The kinds listed by outside programs: a G64, a TAP, and a ZIP holding
// images in subfolders (a disk of each kind read in process besides); the
// G64's image also behind an X64 header.
bool writeToolSamples(const fs::path& root) {
    // Disk ID, a shifted space and DOS type 2A.
    auto idField = [](const char* id) { return std::string(id) + '\xA0' + "2A"; };
    const fs::path tapes = root / "Tapes";
    const fs::path archives = root / "Archives";
    fs::create_directories(tapes);
    fs::create_directories(archives);

    DiskBuilder gcr;
    gcr.name(toPetscii("BLAST GCR"), idField("GC")).formatBam();
    gcr.add({toPetscii("BLAST ATTACK"), 0x82, 33, 17, 0})
        .add({toPetscii("LOADER"), 0x82, 2, 19, 0});

    TapBuilder tape;
    tape.program(toPetscii("BLAST TAPE"), 0x0801, std::string(600, '\x2A'), 1)
        .program(toPetscii("Turbo Blast"), 0xC000, std::string(300, '\xEA'))
        .dataFile(toPetscii("HISCORES"), "ACE 100");

    DiskBuilder zipped;
    zipped.name(toPetscii("ZIPPED DISK"), idField("ZD")).formatBam();
    zipped.add({toPetscii("BLAST FROM ZIP"), 0x82, 21, 17, 0})
        .add({toPetscii("README"), 0x81, 1, 19, 0});
    DiskBuilder other;
    other.name(toPetscii("SECOND DISK"), idField("SD")).formatBam();
    other.add({toPetscii("PUZZLE"), 0x82, 30, 17, 0});

    return writeBytes(root / "Games" / "blast gcr.g64", D64ToG64(gcr.bytes())) &&
           writeBytes(root / "Games" / "blast gcr.x64", makeX64(gcr.bytes())) &&
           writeBytes(tapes / "Blast Tape.tap", tape.bytes()) &&
           writeBytes(archives / "collection.zip",
                      StoredZip({{"Disks/zipped.d64", zipped.bytes()},
                                 {"Disks/More/second.d64", other.bytes()},
                                 {"Programs/Blast Zipped.prg", program(1000)},
                                 {"Disks/wrapped.x64", makeX64(other.bytes())},
                                 {"Disks/8050/zipped.d80", pet(D80Builder::kD80Size)},
                                 {"Disks/8050/zipped.d82", pet(D80Builder::kD82Size)}}));
}

// The disks of Commodore's 8050 and 8250 drives.
bool writeOfficeSamples(const fs::path& root) {
    const fs::path office = root / "Office";
    fs::create_directories(office);
    D80Builder letters;
    letters
        .name(toPetscii("BLAST OFFICE"), "BO\xA0"
                                         "2C")
        .formatBam();
    letters.add({toPetscii("BLAST WRITER"), 0x82, 48, 1, 0})
        .add({toPetscii("LETTERS"), 0x81, 120, 2, 0})
        .add({toPetscii("ADDRESSES"), 0x84, 60, 3, 0});
    D80Builder archive(D80Builder::kD82Size);
    archive
        .name(toPetscii("BLAST ARCHIVE"), "BA\xA0"
                                          "2C")
        .formatBam();
    archive.add({toPetscii("LEDGER 1984"), 0x81, 900, 80, 0})
        .add({toPetscii("BLAST LEDGER"), 0xC2, 35, 1, 0});
    return writeBytes(office / "blast office.d80", letters.bytes()) &&
           writeBytes(office / "Blast Archive.d82", archive.bytes());
}

// Bare C64 files, named after their host file: a PC name, which may be
// longer than a CBM name.
bool writeProgramSamples(const fs::path& root) {
    const fs::path programs = root / "Programs";
    fs::create_directories(programs);
    return writeBytes(programs / "Blast Off.prg", program(3000)) &&
           writeBytes(programs / "Blast Intro Deluxe Edition.prg", program(509));
}

// Collections inside collections: an archive in an archive, and an image
// kept compressed.
bool writeNestedSamples(const fs::path& root) {
    const fs::path archives = root / "Archives";
    DiskBuilder deep;
    deep.name(toPetscii("DEEP DISK"), std::string("DP") + '\xA0' + "2A").formatBam();
    deep.add({toPetscii("BLAST FROM BELOW"), 0x82, 14, 17, 0});
    DiskBuilder squeezed;
    squeezed.name(toPetscii("SQUEEZED"), std::string("SQ") + '\xA0' + "2A").formatBam();
    squeezed.add({toPetscii("BLAST PACKED"), 0x82, 9, 17, 0});
    return writeBytes(archives / "nested.zip",
                      StoredZip({{"Inner/more.zip", StoredZip({{"deep.d64", deep.bytes()}})}})) &&
           writeBytes(archives / "squeezed.d64.gz", Compress("gz", squeezed.bytes()));
}

// Nibbled disks: a NIB with a halftrack table, and the same disk packed as
// an NBZ.
bool writeNibSamples(const fs::path& root) {
    const fs::path nibbled = root / "Nibbled";
    fs::create_directories(nibbled);
    DiskBuilder disk;
    disk.name(toPetscii("BLAST NIBBLES"), std::string("NB") + '\xA0' + "2A").formatBam();
    disk.add({toPetscii("BLAST RAW"), 0x82, 64, 17, 0})
        .add({toPetscii("INTRO"), 0x82, 7, 19, 0})
        .add({toPetscii("SCORES"), 0xC1, 1, 20, 0});
    const std::string nib = D64ToNib(disk.bytes(), {.halftracks = true, .start = 1000});
    return writeBytes(nibbled / "Blast Nibbles.nib", nib) &&
           writeBytes(nibbled / "blast packed.nbz", PackNbz(nib));
}

// The C64's own archives: Lynx, Arkive, ARC and SDA, self-extracting LHA.
bool writeC64ArchiveSamples(const fs::path& root) {
    const fs::path archives = root / "C64 Archives";
    fs::create_directories(archives);
    const std::string program(3000, '\xEA');
    const std::vector<ArchiveFilePlan> lynx{{toPetscii("BLAST LYNX"), 'P', "\x01\x08" + program},
                                            {toPetscii("LYNX NOTES"), 'S', "READ ME"},
                                            {toPetscii("HISCORE"), 'U', std::string(300, '\x00')}};
    const std::vector<ArchiveFilePlan> ark{{toPetscii("BLAST ARK"), 'P', "\x01\x08" + program},
                                           {toPetscii("TOOLS"), 'P', program, true}};
    const std::vector<ArchiveFilePlan> arc{{toPetscii("BLAST ARC"), 'P', "\x01\x08" + program},
                                           {toPetscii("ARC DOCS"), 'S', "SOME TEXT"}};
    // An SFX keeps its names ASCII-cased.
    const std::vector<ArchiveFilePlan> sfx{{"BLAST SFX", 'P', "\x01\x08" + program},
                                           {"sfx readme", 'S', "TEXT"}};
    return writeBytes(archives / "Blast Pack.lnx", makeLynx(lynx)) &&
           writeBytes(archives / "blast tools.ark", makeArk(ark)) &&
           writeBytes(archives / "blast arc.arc", makeArc(arc, {.padding = 100})) &&
           writeBytes(archives / "Blast Dissolve.sda", makeArc(arc, {.sdaLine = 10})) &&
           writeBytes(archives / "blast self.sfx", makeSfx(sfx));
}

// Zipcode sets of four parts: one in a folder of its own, one in a ZIP and
// one in a TAR.
bool writeZipcodeSamples(const fs::path& root) {
    const fs::path zipcode = root / "Zipcode";
    fs::create_directories(zipcode);
    auto parts = [](const std::string& disk, const std::string& name) {
        Members members;
        const std::vector<std::string> set = ZipcodeSet(disk);
        for (std::size_t i = 0; i < set.size(); ++i)
            members.push_back({std::to_string(i + 1) + "!" + name, set[i]});
        return members;
    };
    DiskBuilder packed;
    packed
        .name(toPetscii("BLAST PACKED"), "BP\xA0"
                                         "2A")
        .formatBam();
    packed.add({toPetscii("BLAST ZIPCODE"), 0x82, 40, 17, 0})
        .add({toPetscii("INTRO"), 0x82, 8, 19, 0});
    bool ok = true;
    for (const auto& [name, bytes] : parts(packed.bytes(), "blastpack.z64"))
        ok = ok && writeBytes(zipcode / name, bytes);
    DiskBuilder zipped;
    zipped
        .name(toPetscii("MODEM DISK"), "MD\xA0"
                                       "2A")
        .formatBam();
    zipped.add({toPetscii("BLAST BY MODEM"), 0x82, 25, 17, 0});
    DiskBuilder tarred;
    tarred
        .name(toPetscii("TARRED SET"), "TS\xA0"
                                       "2A")
        .formatBam();
    tarred.add({toPetscii("BLAST IN TAR"), 0x82, 12, 17, 0});
    return ok &&
           writeBytes(root / "Archives" / "zipcode set.zip",
                      WriteArchive("zip", parts(zipped.bytes(), "MODEM.Z64"))) &&
           writeBytes(root / "Archives" / "zipcode set.tar",
                      WriteArchive("tar", parts(tarred.bytes(), "tarred")));
}

// Marks a folder as a sample collection, which a later run may replace.
const char* const kMark = ".quillsift-samples";

const char* const kUsage =
    "usage: quillsift-samples OUTDIR\n"
    "Writes the sample collection into OUTDIR. OUTDIR must be missing, empty or a\n"
    "collection written before, which is then replaced.\n";

// Only a missing or empty folder or an earlier collection is replaced: a
// mistyped OUTDIR must never cost anyone their files.
bool replaceable(const fs::path& root) {
    std::error_code ec;
    const fs::file_status st = fs::symlink_status(root, ec);
    if (st.type() == fs::file_type::not_found)
        return true;
    if (st.type() != fs::file_type::directory)
        return false;
    return fs::is_empty(root, ec) || fs::exists(fs::symlink_status(root / kMark, ec));
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && args[0] == "--help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (args.size() != 1 || args[0].empty() || args[0][0] == '-') {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const fs::path root = args[0];
    if (!replaceable(root)) {
        std::fprintf(stderr,
                     "quillsift-samples: %s is neither empty nor a sample collection; nothing "
                     "written\n",
                     args[0].c_str());
        return 1;
    }
    std::error_code ec;
    fs::remove_all(root, ec);
    fs::create_directories(root, ec);
    bool ok = !ec && writeBytes(root / kMark, "");
    ok = ok && writeD64Samples(root);
    ok = ok && writeNativeSamples(root);
    ok = ok && writeCartridgeAndTuneSamples(root);
    ok = ok && writeToolSamples(root);
    ok = ok && writeNestedSamples(root);
    ok = ok && writeNibSamples(root);
    ok = ok && writeC64ArchiveSamples(root);
    ok = ok && writeProgramSamples(root);
    ok = ok && writeOfficeSamples(root);
    ok = ok && writeZipcodeSamples(root);
    if (!ok) {
        std::fprintf(stderr, "quillsift-samples: could not write the samples into %s\n",
                     args[0].c_str());
        return 1;
    }
    return 0;
}
