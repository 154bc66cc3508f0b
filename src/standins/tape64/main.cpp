// tape64 -i:PATH: scans a TAP recording for the headers of the C64's ROM
// loader and prints one line per program found, for example
//   searching... found(3)blaster              2049-  4096  absolute program
// Data files and the end-of-tape mark get lines of their own shape.
// Exit status 0 scanned, 1 not a readable TAP file or the listing not written
// whole, 2 usage.
#include "StandinSupport.h"
#include "common/Files.h"
#include "media/TapReader.h"
#include "standins/codec/TapDecoder.h"

#include <cstdio>
#include <string>

namespace {

using namespace qs;

const char* kindOf(std::uint8_t type) {
    switch (static_cast<TapHeaderType>(type)) {
    case TapHeaderType::RelocatableProgram:
        return "relocatable program";
    case TapHeaderType::Program:
        return "absolute program";
    case TapHeaderType::DataFile:
        return "data file";
    case TapHeaderType::EndOfTape:
        return "end of tape";
    case TapHeaderType::DataBlock:
        break;
    }
    return "";
}

} // namespace

int main(int argc, char** argv) {
    const std::string arg = argc == 2 ? argv[1] : "";
    if (arg.compare(0, 3, "-i:") != 0 || arg.size() == 3) {
        std::fprintf(stderr, "usage: tape64 -i:PATH\n");
        return 2;
    }
    const std::string path = arg.substr(3);

    standin::StderrTrap t;
    TapScan scan;
    if (!t.trap.runOnFile("tape64", path, [&] { scan = ScanTap(ReadWholeFile(path)); }))
        return 1;
    if (!scan.isTap) {
        std::printf("%s: not a TAP file\n", path.c_str());
        return 1;
    }
    if (!scan.supported) {
        std::printf("%s: TAP version %d is not supported\n", path.c_str(), scan.version);
        return 1;
    }
    std::printf("tape64: scanning %s (TAP version %d)\n", path.c_str(), scan.version);
    int programs = 0;
    for (const TapHeader& h : scan.headers) {
        const std::string name = standin::ListingText(h.name);
        const bool program = h.type == static_cast<std::uint8_t>(TapHeaderType::Program) ||
                             h.type == static_cast<std::uint8_t>(TapHeaderType::RelocatableProgram);
        if (program) {
            ++programs;
            standin::PrintLine(TapListingLine(h.type, name, h.start, h.end, kindOf(h.type)),
                               "\r\n");
        } else {
            standin::PrintLine(std::string(kindOf(h.type)) + ": " + name, "\r\n");
        }
    }
    std::printf("%d programs found\r\n", programs);
    return standin::OutputWritten("tape64") ? 0 : 1;
}
