// c1541 IMAGE -list: prints the directory of a G64, D64, D71 or D81 image in
// the shape of the 1541 DOS listing:
//   0 "DISK NAME       " ID 2A
//   12   "PROGRAM"          prg
//   664 BLOCKS FREE.
// A G64 is read from its GCR track data; the other kinds through the disk
// readers of the core. Exit status 0 listed, 1 unreadable or the listing not
// written whole, 2 usage.
#include "StandinSupport.h"
#include "common/Files.h"
#include "common/Text.h"
#include "media/Formats.h"
#include "standins/codec/GcrDecoder.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace qs;

std::string entryLine(const CbmEntry& e) {
    std::string line = std::to_string(e.Blocks);
    line.resize(std::max<std::size_t>(line.size() + 1, 6), ' ');
    line += "\"" + standin::ListingText(e.Name.substr(0, 16)) + "\"";
    // Type in columns 27-29, the lock mark in column 30, and in column 26
    // "*" for a file left open, shown with its closed type as the drive does.
    line.resize(std::max<std::size_t>(line.size(), 25), ' ');
    const bool unclosed = e.FileType == "ukw" && (e.TypeByte & 0x80) == 0;
    line += unclosed ? '*' : ' ';
    std::string type =
        unclosed ? TypeText(static_cast<std::uint8_t>(e.TypeByte | 0x80)) : e.FileType;
    type.resize(3, ' ');
    const bool locked = e.Locked || (unclosed && (e.TypeByte & 0x40) != 0);
    return line + type + (locked ? "<" : " ");
}

void printListing(const AnalysisRecords& records) {
    const MediaInfo& m = records.media;
    // The quotes around the disk name frame it; everything else is shown as
    // the drive shows names.
    std::string header = standin::ListingText(m.HeaderLine);
    for (std::size_t at : {std::size_t{0}, m.MediaName.size() + 1})
        if (at < header.size() && m.HeaderLine[at] == '"')
            header[at] = '"';
    standin::PrintLine("0 " + header);
    for (std::size_t i = 1; i < records.entries().size(); ++i) {
        const CbmEntry& e = records.entries()[i];
        // Unused directory slots are not shown, as on the drive.
        if (e.FileType == "scr" && (e.Name.empty() || e.Name[0] == '\0'))
            continue;
        standin::PrintLine(entryLine(e));
    }
    std::printf("%d BLOCKS FREE.\n", m.BlocksFree);
}

int usage() {
    std::fprintf(stderr, "usage: c1541 IMAGE -list\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() != 2 || (args[0] != "-list" && args[1] != "-list"))
        return usage();
    const std::string path = args[0] == "-list" ? args[1] : args[0];

    standin::StderrTrap t;
    AnalysisRecords records;
    bool listed = false;
    t.trap.runOnFile("c1541", path, [&] {
        const std::string head = FileByteSource(path).read(0, 8);
        if (upperAscii(head) == "GCR-1541") {
            const std::string d64 = G64DirectoryAsD64(ReadWholeFile(path));
            if (d64.empty()) {
                std::fprintf(stderr, "c1541: %s: the directory track cannot be read\n",
                             path.c_str());
                return;
            }
            // Its directory track, decoded, is read as a D64's.
            ReadContainer(
                *FormatByTag("D64"), records, t.trap, path,
                [&d64] { return std::make_unique<MemoryByteSource>(d64); }, nullptr);
        } else {
            // The disk images read in process, each a file of its own.
            FormatSet images;
            for (const ContainerFormat& f : ContainerFormats())
                if (f.kind == ContainerKind::Disk && !f.listedBy && !f.fileSet)
                    images.add(f);
            const ContainerFormat* format = FormatOfFileName(path, &images);
            if (format == nullptr) {
                std::fprintf(stderr, "c1541: %s: not a disk image\n", path.c_str());
                return;
            }
            ReadContainer(
                *format, records, t.trap, path,
                [&path] { return std::make_unique<FileByteSource>(path); }, nullptr);
        }
        listed = true;
    });
    if (!listed)
        return 1;
    printListing(records);
    return standin::OutputWritten("c1541") ? 0 : 1;
}
