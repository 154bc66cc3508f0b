// Every fuzz target in one program, picked by QS_FUZZ_TARGET: one per format,
// named by its tag in lower case, and the MIDI player. Each feeds the input
// to one reader (or decoder, listing parser, MIDI player), no longer than
// all the reader looks at; where it reads far into a file, the input stands
// there among zeros. The first byte often picks a variant (size, extension).
#include "common/Error.h"
#include "common/ErrorLog.h"
#include "common/ErrorTrap.h"
#include "intro/MidiFile.h"
#include "intro/Synth.h"
#include "media/D64Reader.h"
#include "media/D71Reader.h"
#include "media/D80Reader.h"
#include "media/D81Reader.h"
#include "media/Formats.h"
#include "media/NibReader.h"
#include "media/TapReader.h"
#include "media/X64Reader.h"
#include "media/ZipcodeReader.h"
#include "samples/ArchiveBuilders.h"
#include "samples/CrtBuilder.h"
#include "samples/D80Builder.h"
#include "samples/D81Builder.h"
#include "samples/G64Builder.h"
#include "samples/NibBuilder.h"
#include "samples/Pc64Builder.h"
#include "samples/SidBuilder.h"
#include "samples/T64Builder.h"
#include "samples/TapBuilder.h"
#include "samples/X64Builder.h"
#include "samples/ZipcodeBuilder.h"
#include "standins/codec/GcrDecoder.h"
#include "standins/codec/TapDecoder.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace qs;
using namespace qs::samples;

struct SilentSink final : MessageSink {
    MsgAnswer messageBox(MsgIcon, MsgButtons, const std::string&, const std::string&) override {
        return MsgAnswer::Ok;
    }
};

// A file of `size` bytes, zero but for `bytes` standing at `offset`.
struct PlacedBytes final : ByteSource {
    std::string_view bytes;
    std::uint64_t offset, total;
    PlacedBytes(std::string_view b, std::uint64_t o, std::uint64_t t)
        : bytes(b), offset(o), total(t) {}
    std::uint64_t size() const override { return total; }
    std::string read(std::uint64_t from, std::size_t length) const override {
        std::string out(from >= total ? 0 : std::min<std::uint64_t>(length, total - from), '\0');
        const std::uint64_t first = std::max(from, offset);
        const std::uint64_t end = std::min(from + out.size(), offset + bytes.size());
        if (first < end)
            std::copy_n(bytes.data() + (first - offset), end - first, out.data() + (first - from));
        return out;
    }
};

// The outside program's listing of every image is the same text.
struct FixedListing final : ListingRunner {
    std::string_view text;
    explicit FixedListing(std::string_view t) : text(t) {}
    std::string listing(ListingProgram, const std::string&, const ByteSource&) const override {
        return std::string(text);
    }
};

// Runs the reader of the format `tag` with a silent trap, as the dispatcher
// does, on a file that holds `bytes` at `offset`; `size` 0 means the file
// ends with them.
void readAs(const char* tag, const std::string& path, std::string_view bytes,
            std::uint64_t offset = 0, std::uint64_t size = 0, std::string_view listing = {},
            const SiblingOpener* siblings = nullptr) {
    SilentSink sink;
    const ErrorLog log(""); // an empty path writes nothing
    const ErrorTrap trap(sink, log);
    AnalysisRecords records;
    const FixedListing listings(listing);
    const std::uint64_t total = size != 0 ? size : offset + bytes.size();
    ReadContainer(
        *FormatByTag(tag), records, trap, path,
        [=] { return std::make_unique<PlacedBytes>(bytes, offset, total); }, &listings, {},
        siblings);
}

// `count` bytes of `value`, the lowest first unless `bigEndian`.
std::string le(std::uint64_t value, int count, bool bigEndian = false) {
    std::string out;
    for (int i = 0; i < count; ++i)
        out += static_cast<char>(value >> (8 * (bigEndian ? count - 1 - i : i)) & 0xFF);
    return out;
}

// --- Disk images read from one directory track, files read from their start ---

constexpr std::uint64_t kD81Track40 = (kD81DirTrack - 1) * kD81TrackBytes;

// Picks one of the standard sizes, or (past them) a file ending with the input.
std::uint64_t sizeClass(std::uint8_t choice, const std::vector<std::uint64_t>& sizes) {
    const std::size_t pick = choice % (sizes.size() + 1);
    return pick < sizes.size() ? sizes[pick] : 0;
}

using Run = std::function<void(std::uint8_t choice, std::string_view body)>;

// The input stands at `offset` in a file of the size the choice byte picks.
Run placed(const char* tag, const char* path, std::uint64_t offset = 0,
           std::vector<std::uint64_t> sizes = {}) {
    return [=](std::uint8_t choice, std::string_view bytes) {
        readAs(tag, path, bytes, offset, sizeClass(choice, sizes));
    };
}

std::string disk(std::size_t size) {
    DiskBuilder d(size);
    d.name("FUZZ").formatBam();
    for (int i = 0; i < 10; ++i)
        d.add({"FILE" + std::to_string(i), static_cast<std::uint8_t>(0x80 + i % 6), 3});
    return d.bytes().substr(kTrack18Offset, kTrack18Length);
}

// Tracks 38 and 39 of an 8050 or 8250 disk: the BAM and the directory.
constexpr std::size_t kD80Window = 2 * 29 * 256;

std::string d80Window(std::size_t size) {
    D80Builder d(size);
    d.name("FUZZ").formatBam();
    for (int i = 0; i < 10; ++i)
        d.add({"FILE" + std::to_string(i), static_cast<std::uint8_t>(0x80 + i % 6), 3});
    return d.bytes().substr(kD80Track38Offset, kD80Window);
}

// Track 40 and the start of track 41, where a partition may lie.
std::string d81Window() {
    D81Builder d;
    d.name("FUZZ").formatBam().add({"FIRST"}).partition("PART", 41, 2).add({"LAST", 0xC1});
    d.add({"INSIDE"}, 41);
    return d.bytes().substr(kD81Track40, kD81TrackBytes + 4 * 256);
}

void fuzzPc64(std::uint8_t choice, std::string_view file) {
    const char* names[] = {"fuzz.p00", "fuzz.s01", "fuzz.u02", "fuzz.r03", "fuzz.q00"};
    readAs("PC64", names[choice % 5], file, 0, sizeClass(choice / 5, {1000000, 999999}));
}

// An X64: the header's bytes after the magic, then the directory track of
// the image behind it, of the size the choice byte picks (a D81's track 40,
// else track 18; past the sizes, an image that ends with the input).
void fuzzX64(std::uint8_t choice, std::string_view bytes) {
    const std::uint64_t sizes[] = {
        kD64Size, kD64SizeWithErrors, kD64Size40,        kD64Size40WithErrors,
        kD71Size, kD81Size,           kD81SizeWithErrors};
    const std::string_view head = bytes.substr(0, kX64HeaderBytes - kX64Magic.size());
    const std::string_view track = bytes.substr(head.size());
    const std::size_t pick = choice % (std::size(sizes) + 1);
    const std::uint64_t image =
        pick < std::size(sizes) ? sizes[pick] : kTrack18Offset + track.size();
    const std::uint64_t at = kX64HeaderBytes + (image >= kD81Size ? kD81Track40 : kTrack18Offset);
    std::string file = std::string(kX64Magic) + std::string(head);
    file.resize(kX64HeaderBytes + image, '\0');
    file.replace(at, std::min<std::uint64_t>(track.size(), file.size() - at), track);
    readAs("X64", "fuzz.x64", file);
}

// The file's name is the input, its size the choice byte's multiple of 255:
// a PRG's entry is its host file's name and its length.
void fuzzPrg(std::uint8_t choice, std::string_view name) {
    readAs("PRG", "/c/" + std::string(name) + ".prg", {}, 0, choice * 255ULL);
}

// --- G64: the GCR decoder as c1541 uses it, and the listing parser ---

// A G64 whose only track is track 18.
std::string g64WithTrack18(std::string_view gcr) {
    std::string image = std::string("GCR-1541\0\x54", 10) + le(7928, 2);
    image.resize(12 + 8 * 84, '\0');
    image.replace(12 + 4 * 34, 4, le(image.size(), 4));
    const std::size_t length = std::min<std::size_t>(gcr.size(), 0xFFFF);
    return image + le(length, 2) + std::string(gcr.substr(0, length));
}

// 0: the input is the GCR data of track 18; 1: a whole G64 image; 2: the
// file and its c1541 listing.
void fuzzG64(std::uint8_t choice, std::string_view bytes) {
    if (choice % 3 == 2)
        return readAs("G64", "fuzz.g64", bytes, 0, 0, bytes);
    // What c1541 does: the directory track decoded into a D64, read as one.
    const std::string d64 =
        G64DirectoryAsD64(choice % 3 == 0 ? g64WithTrack18(bytes) : std::string(bytes));
    if (!d64.empty())
        readAs("D64", "fuzz.g64", d64);
}

// The GCR data of sectors 0 to 5 of track 18: the header and the first
// directory sectors, enough for every path of the decoder at a fraction of
// the time a whole track takes.
constexpr std::size_t kGcrBytes = 2400;

std::string track18Gcr() {
    DiskBuilder d;
    d.name("FUZZ").formatBam().add({"BLAST"}).add({"OTHER", 0x81});
    const std::string g64 = D64ToG64(d.bytes());
    return g64.substr(G64TrackOffset(g64, 18), kGcrBytes);
}

// --- NIB and NBZ: the track table, the GCR decoder on a capture, the inflater ---

// A NIB whose one table entry is track 18, its slot `gcr`.
std::string nibWithTrack18(std::string_view gcr) {
    std::string header(kNibHeaderBytes, '\0');
    header.replace(0, kNibMagic.size(), kNibMagic);
    header.replace(0x10, 2, "\x24\x02"); // halftrack 36, speed zone 2
    return header + std::string(gcr.substr(0, kNibSlotBytes));
}

// 0: the input is the slot of track 18; 1: a whole NIB file; 2: an NBZ file.
void fuzzNib(std::uint8_t choice, std::string_view bytes) {
    if (choice % 3 == 0)
        return readAs("NIB", "fuzz.nib", nibWithTrack18(bytes));
    readAs("NIB", choice % 3 == 1 ? "fuzz.nib" : "fuzz.nbz", bytes);
}

// --- TAP: the pulse decoder as tape64 uses it, and the listing parser ---

// 0, 1: the input is the pulse data of a version 0 or 1 file; 2: the same
// behind a size field larger than the data; 3: the file and its tape64 listing.
void fuzzTap(std::uint8_t choice, std::string_view bytes) {
    if (choice % 4 == 3) {
        ScanTap(bytes);
        return readAs("TAP", "fuzz.tap", bytes, 0, 0, bytes);
    }
    const std::string head = std::string("C64-TAPE-RAW") + static_cast<char>(choice % 4 != 0);
    ScanTap(head + std::string(3, '\0') + le(choice % 4 == 2 ? 0x7FFFFFFF : bytes.size(), 4) +
            std::string(bytes));
}

std::string tapFile(int version) {
    std::string header(kTapHeaderSize, ' ');
    header.replace(0, 5, "\x03\x01\x08\x09\x08", 5); // a program from $0801 to $0809
    header.replace(5, 5, "BLAST");
    TapBuilder b;
    b.block(header, 16).pause().block(std::string("\x0B\x08\x0A\x00\x9E\x32\x30\x36", 8), 16);
    return b.bytes(version);
}

// --- The C64's own archives: the input is the whole file ---

std::vector<ArchiveFilePlan> fewFiles() {
    return {{"ONE", 'P',
             "\x01\x08"
             "abc"},
            {"TWO", 'S', "text"},
            {"REL", 'R', "rr"}};
}

// --- Zipcode: one part's record stream, the other parts of its set whole ---

// A 40-track disk with a directory, as the parts of its set.
const std::vector<std::string>& zipcodeSet() {
    static const std::vector<std::string> set = [] {
        DiskBuilder d(196608);
        d.name("FUZZ").formatBam().add({"BLAST"}).add({"OTHER", 0x81});
        d.bytes()[sectorOffset1541(17, 3) + 7] = 9; // a sector packed as runs
        return ZipcodeSet(d.bytes());
    }();
    return set;
}

// The input is the part the choice byte picks (1-5).
void fuzzZipcode(std::uint8_t choice, std::string_view bytes) {
    const int part = choice % 5 + 1;
    const SiblingOpener siblings = [](const std::string& name) -> std::unique_ptr<ByteSource> {
        return std::make_unique<MemoryByteSource>(
            zipcodeSet().at(static_cast<std::size_t>(ZipcodePartOf(name) - 1)));
    };
    readAs("ZIPCODE", std::to_string(part) + "!fuzz.z64", bytes, 0, 0, {}, &siblings);
}

// --- The MIDI player of the about window ---

// 0: the input is a MIDI file; 1: the events of its one track.
void fuzzMidi(std::uint8_t choice, std::string_view bytes) {
    const std::string file = choice % 2 == 0 ? std::string(bytes)
                                             : std::string("MThd\0\0\0\6\0\0\0\1\0\x60MTrk", 18) +
                                                   le(bytes.size(), 4, true) + std::string(bytes);
    try {
        intro::SynthSettings settings;
        settings.sampleRate = 1000;
        settings.maxSeconds = 5;
        (void)intro::RenderTune(intro::ParseMidi(file), settings);
    } catch (const Error&) {
        // A broken file is refused; that is all it may do.
    }
}

std::string midiTrack() {
    intro::MidiTrackWriter t;
    t.Tempo(0, 500000);
    t.Program(0, 0, 80);
    for (int key : {60, 64, 67}) {
        t.NoteOn(0, 0, key, 100);
        t.NoteOff(48, 0, key, key == 64);
    }
    t.Controller(0, 9, 7, 100);
    t.NoteOn(0, 9, 36, 120);
    t.Text(24, "end");
    return t.Chunk(96);
}

// --- The table ---

std::string at(char choice, const std::string& body) {
    return choice + body;
}

struct Target {
    const char* name;
    std::size_t maxLen;
    Run run;
    std::vector<std::string> starts; // the choice byte first
};

// Made on first use, when the sample builders' own constants are ready.
const std::vector<Target>& targets() {
    const std::string pc64 = makePc64("GAME", 0x0801, "0123456789");
    // clang-format off
    static const std::vector<Target> all{
        {"d64", 1 + kTrack18Length,
         placed("D64", "fuzz.d64", kTrack18Offset, {174848, 175531, 196608, 197376}),
         {at(0, disk(DiskBuilder::kD64Size)), at(4, disk(DiskBuilder::kD64Size))}},
        {"d71", 1 + kTrack18Length,
         placed("D71", "fuzz.d71", kTrack18Offset, {349696, 351062}),
         {at(0, disk(DiskBuilder::kD71Size))}},
        {"d81", 1 + kD81TrackBytes + 4 * 256,
         placed("D81", "fuzz.d81", kD81Track40, {kD81Size, kD81SizeWithErrors}),
         {at(0, d81Window()), at(2, d81Window())}},
        {"d80", 1 + kD80Window, placed("D80", "fuzz.d80", kD80Track38Offset, {kD80Size}),
         {at(0, d80Window(D80Builder::kD80Size))}},
        {"d82", 1 + kD80Window, placed("D82", "fuzz.d82", kD80Track38Offset, {kD82Size}),
         {at(0, d80Window(D80Builder::kD82Size))}},
        {"t64", 512, placed("T64", "fuzz.t64"),
         {at(0, T64Builder("FUZZ TAPE", 4).add({"ONE", "abc"}).add({"TWO", "defgh", 0xC000, 0x81})
                    .bytes())}},
        {"pc64", 64, fuzzPc64, {at(0, pc64), at(6, pc64)}},
        {"crt", 256, placed("CRT", "fuzz.crt"),
         {at(0, makeCrt("GAME", 3, {{0, 0x8000, std::string(16, '\0')}}))}},
        {"sid", 256, placed("SID", "fuzz.sid", 0, {130000, 130001}),
         {at(0, makeSid({"Tune", "Someone", "1987 Soft"}))}},
        {"x64", 1 + 60 + kD81TrackBytes + 4 * 256, fuzzX64,
         {at(0, makeX64("").substr(4) + disk(DiskBuilder::kD64Size)),
          at(5, makeX64("", kX64Drive1581).substr(4) + d81Window())}},
        {"prg", 64, fuzzPrg, {at(0, "Game"), at(3, "a.b/J\xC3\xB6rg\t.x")}},
        {"g64", 1 + 12 + 8 * 84 + 2 + kGcrBytes, fuzzG64,
         {at(0, track18Gcr()), at(1, g64WithTrack18(track18Gcr())),
          at(2, "GCR-1541\n0 \"FUZZ DISK       \" 01 2a\n3    \"BLAST\"            prg \n"
                "1    \"OTHER\"            seq<\n660 BLOCKS FREE.\n")}},
        {"nib", 1 + kNibHeaderBytes + kGcrBytes, fuzzNib,
         {at(0, track18Gcr()), at(1, nibWithTrack18(track18Gcr())),
          at(2, PackNbz(nibWithTrack18(track18Gcr())))}},
        {"tap", 1 + 9000, fuzzTap,
         {at(0, tapFile(0).substr(kTapDataOffset)), at(1, tapFile(1).substr(kTapDataOffset)),
          at(3, tapFile(1)),
          at(3, "C64-TAPE-RAW\r\n" + TapListingLine(3, "blast", 2049, 4096, "program") + "\r\n")}},
        {"lnx", 1024, placed("LNX", "fuzz.lnx"),
         {at(0, makeLynx(fewFiles())), at(0, makeLynx(fewFiles(), {.stub = false,
                                                                   .lastUsage = false}))}},
        {"ark", 1024, placed("ARK", "fuzz.ark"), {at(0, makeArk(fewFiles()))}},
        {"arc", 1024, placed("ARC", "fuzz.arc"),
         {at(0, makeArc(fewFiles(), {.padding = 20})),
          at(0, makeArc(fewFiles(), {.version = 1, .sdaLine = 7}))}},
        {"sfx", 512, placed("SFX", "fuzz.sfx"), {at(0, makeSfx(fewFiles()))}},
        {"zipcode", 4096, fuzzZipcode,
         {at(0, zipcodeSet()[0]), at(2, zipcodeSet()[2]), at(4, zipcodeSet()[4])}},
        {"midi", 1024, fuzzMidi,
         {at(0, intro::WriteMidiFile(1, 96, {midiTrack(), midiTrack()})),
          at(1, midiTrack().substr(8))}},
    };
    // clang-format on
    return all;
}

const Target* chosen = nullptr;

} // namespace

// Puts the target's -max_len before the caller's flags (which may override it)
// and its starting inputs into the corpus folder, the first non-flag argument
// (unless that is a file to run once, as when a crash is replayed).
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    const char* name = std::getenv("QS_FUZZ_TARGET");
    for (const Target& t : targets())
        if (name != nullptr && std::strcmp(name, t.name) == 0)
            chosen = &t;
    // A format without a target of its own would go unfuzzed.
    for (const ContainerFormat& f : ContainerFormats()) {
        std::string name(f.tag);
        for (char& c : name)
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        if (std::none_of(targets().begin(), targets().end(),
                         [&](const Target& t) { return name == t.name; })) {
            std::fprintf(stderr, "No fuzz target for the format %s\n", name.c_str());
            std::exit(2);
        }
    }
    if (chosen == nullptr) {
        std::fprintf(stderr, "Set QS_FUZZ_TARGET to one of:");
        for (const Target& t : targets())
            std::fprintf(stderr, " %s", t.name);
        std::fprintf(stderr, "\n");
        std::exit(2);
    }
    char** const end = *argv + *argc;
    char** const folder = std::find_if(*argv + 1, end, [](char* a) { return a[0] != '-'; });
    std::error_code ec;
    if (folder != end)
        std::filesystem::create_directories(*folder, ec);
    if (folder != end && std::filesystem::is_directory(*folder, ec)) {
        int n = 0;
        for (const std::string& input : chosen->starts)
            std::ofstream(std::filesystem::path(*folder) / ("start-" + std::to_string(++n)),
                          std::ios::binary)
                << input;
    }
    static std::string maxLen = "-max_len=" + std::to_string(chosen->maxLen);
    static std::vector<char*> args;
    args.assign(*argv, *argv + *argc);
    args.insert(args.begin() + 1, maxLen.data());
    args.push_back(nullptr);
    *argc += 1;
    *argv = args.data();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    chosen->run(size == 0 ? 0 : data[0], bytes.substr(size == 0 ? 0 : 1));
    return 0;
}
