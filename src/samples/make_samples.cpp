// quillsift-samples OUTDIR: writes the small sample collection that the run
// command searches. Each kind of file has its own writer below.
#include "samples/DiskBuilder.h"

#include <cstdio>
#include <filesystem>
#include <string>

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
        .add({"\xC3\xC3\xC3\xC3\xC3\xC3\xC3\xC3", 0x82, 0, 18, 0}); // a line of graphics

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

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: quillsift-samples OUTDIR\n");
        return 2;
    }
    const fs::path root = argv[1];
    std::error_code ec;
    fs::remove_all(root, ec);
    fs::create_directories(root, ec);
    bool ok = !ec;
    ok = ok && writeD64Samples(root);
    if (!ok) {
        std::fprintf(stderr, "quillsift-samples: could not write the samples into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
