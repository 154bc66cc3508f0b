// Every fuzz target in one program; the environment variable QS_FUZZ_TARGET
// picks one. Each target feeds the fuzzer's bytes to one reader (or to the
// GCR and TAP decoders and the listing parsers, or to the MIDI player) and has
// a maximum input length that still covers everything the reader looks at, so
// that no input grows into a whole image. Where a reader reads far into a
// file, the input stands there and the rest of the file is implied as zeros.
// The first byte often picks a variant (a size class, an extension, a mode).
//
// LLVMFuzzerInitialize adds the target's -max_len before the caller's flags
// (which may override it) and writes its starting inputs, made here by the
// sample builders, into the corpus folder named on the command line.
#include "common/ErrorLog.h"
#include "common/ErrorTrap.h"
#include "common/VbError.h"
#include "intro/MidiFile.h"
#include "intro/Synth.h"
#include "media/mod_CRT.h"
#include "media/mod_D64.h"
#include "media/mod_D71.h"
#include "media/mod_D81.h"
#include "media/mod_G64.h"
#include "media/mod_PC64.h"
#include "media/mod_SID.h"
#include "media/mod_T64.h"
#include "media/mod_TAP.h"
#include "samples/CrtBuilder.h"
#include "samples/D81Builder.h"
#include "samples/G64Builder.h"
#include "samples/Pc64Builder.h"
#include "samples/SidBuilder.h"
#include "samples/T64Builder.h"
#include "samples/TapBuilder.h"
#include "standins/codec/GcrDecoder.h"
#include "standins/codec/TapDecoder.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace qs;
using namespace qs::samples;

class SilentSink final : public MessageSink {
  public:
    MsgAnswer messageBox(MsgIcon, MsgButtons, const std::string&, const std::string&) override {
        return MsgAnswer::Ok;
    }
};

// A file of `size` bytes, zero but for `bytes` standing at `offset`.
class PlacedBytes final : public ByteSource {
  public:
    PlacedBytes(std::string_view bytes, std::uint64_t offset, std::uint64_t size)
        : bytes_(bytes), offset_(offset), size_(size) {}
    std::uint64_t size() const override { return size_; }
    std::string read(std::uint64_t offset, std::size_t length) const override {
        if (offset >= size_)
            return {};
        std::string out(static_cast<std::size_t>(std::min<std::uint64_t>(length, size_ - offset)),
                        '\0');
        const std::uint64_t from = std::max(offset, offset_);
        const std::uint64_t to = std::min(offset + out.size(), offset_ + bytes_.size());
        if (from < to)
            std::copy_n(bytes_.data() + (from - offset_), to - from, out.data() + (from - offset));
        return out;
    }

  private:
    std::string_view bytes_;
    std::uint64_t offset_, size_;
};

// The outside program's listing of every image is the same text.
class FixedListing final : public ListingRunner {
  public:
    explicit FixedListing(std::string_view text) : text_(text) {}
    std::string listing(ListingProgram, const std::string&) const override {
        return std::string(text_);
    }

  private:
    std::string_view text_;
};

// Runs the reader with a silent trap on a file that holds `bytes` at
// `offset`; `size` 0 means the file ends with them.
void readAs(Reader reader, const std::string& path, std::string_view bytes,
            std::uint64_t offset = 0, std::uint64_t size = 0, std::string_view listing = {}) {
    SilentSink sink;
    const ErrorLog log(""); // an empty path writes nothing
    const ErrorTrap trap(sink, log);
    AnalysisRecords records;
    const FixedListing listings(listing);
    const std::uint64_t total = size != 0 ? size : offset + bytes.size();
    ReaderContext ctx{records, trap,
                      [=](const std::string&) -> std::unique_ptr<ByteSource> {
                          return std::make_unique<PlacedBytes>(bytes, offset, total);
                      },
                      &listings};
    reader(ctx, path);
}

std::string le(std::uint64_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>(value >> (8 * i) & 0xFF);
    return out;
}

// --- Disk images read from one directory track ---

constexpr std::uint64_t kD81Track40 = (kD81DirTrack - 1) * kD81TrackBytes;

// Picks one of the standard sizes, or (past them) a file ending with the input.
std::uint64_t sizeClass(std::uint8_t choice, std::vector<std::uint64_t> sizes) {
    const std::size_t pick = choice % (sizes.size() + 1);
    return pick < sizes.size() ? sizes[pick] : 0;
}

void fuzzD64(std::uint8_t choice, std::string_view track18) {
    readAs(analizzaD64, "fuzz.d64", track18, kTrack18Offset,
           sizeClass(choice, {174848, 175531, 196608, 197376}));
}

void fuzzD71(std::uint8_t choice, std::string_view track18) {
    readAs(analizzaD71, "fuzz.d71", track18, kTrack18Offset, sizeClass(choice, {349696, 351062}));
}

// Track 40 and the start of track 41, where a partition may lie.
void fuzzD81(std::uint8_t choice, std::string_view track40) {
    readAs(analizzaD81, "fuzz.d81", track40, kD81Track40,
           sizeClass(choice, {kD81Size, kD81SizeWithErrors}));
}

std::string disk(std::size_t size) {
    DiskBuilder d(size);
    d.name("FUZZ").formatBam();
    for (int i = 0; i < 10; ++i)
        d.add({"FILE" + std::to_string(i), static_cast<std::uint8_t>(0x80 + i % 6), 3});
    return d.bytes().substr(kTrack18Offset, kTrack18Length);
}

std::string d81Window() {
    D81Builder d;
    d.name("FUZZ").formatBam().add({"FIRST"}).partition("PART", 41, 2).add({"LAST", 0xC1});
    d.add({"INSIDE"}, 41);
    return d.bytes().substr(kD81Track40, kD81TrackBytes + 4 * 256);
}

// --- Files read from their start ---

void fuzzT64(std::uint8_t, std::string_view file) {
    readAs(analizzaT64, "fuzz.t64", file);
}

void fuzzPc64(std::uint8_t choice, std::string_view file) {
    const char* names[] = {"fuzz.p00", "fuzz.s01", "fuzz.u02", "fuzz.r03", "fuzz.q00"};
    readAs(analizzaPC64, names[choice % 5], file, 0, sizeClass(choice / 5, {1000000, 999999}));
}

void fuzzCrt(std::uint8_t, std::string_view file) {
    readAs(analizzaCRT, "fuzz.crt", file);
}

void fuzzSid(std::uint8_t choice, std::string_view file) {
    readAs(analizzaSID, "fuzz.sid", file, 0, sizeClass(choice, {130000, 130001}));
}

// --- G64: the GCR decoder as c1541 uses it, and the listing parser ---

// A G64 whose only track is track 18.
std::string g64WithTrack18(std::string_view gcr) {
    std::string image = "GCR-1541";
    image += '\0';
    image += static_cast<char>(84);
    image += le(7928, 2);
    image.resize(12 + 8 * 84, '\0');
    image.replace(12 + 4 * 34, 4, le(image.size(), 4));
    const std::size_t length = std::min<std::size_t>(gcr.size(), 0xFFFF);
    return image + le(length, 2) + std::string(gcr.substr(0, length));
}

// 0: the input is the GCR data of track 18; 1: a whole G64 image; 2: the
// file and its c1541 listing.
void fuzzG64(std::uint8_t choice, std::string_view bytes) {
    if (choice % 3 == 2)
        return readAs(analizzaG64, "fuzz.g64", bytes, 0, 0, bytes);
    const std::string image = choice % 3 == 0 ? g64WithTrack18(bytes) : std::string(bytes);
    // What c1541 does: the directory track decoded into a D64, read as one.
    const std::string d64 = G64DirectoryAsD64(image);
    if (!d64.empty())
        readAs(analizzaD64, "fuzz.g64", d64);
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

// --- TAP: the pulse decoder as tape64 uses it, and the listing parser ---

// 0, 1: the input is the pulse data of a version 0 or 1 file; 2: the same
// behind a size field larger than the data; 3: the file and its tape64 listing.
void fuzzTap(std::uint8_t choice, std::string_view bytes) {
    if (choice % 4 == 3) {
        ScanTap(bytes);
        return readAs(analizzaTAP, "fuzz.tap", bytes, 0, 0, bytes);
    }
    std::string tap = "C64-TAPE-RAW";
    tap += static_cast<char>(choice % 4 == 0 ? 0 : 1);
    tap.append(3, '\0');
    tap += le(choice % 4 == 2 ? 0x7FFFFFFF : bytes.size(), 4);
    ScanTap(tap + std::string(bytes));
}

std::string tapFile(int version) {
    std::string header(kTapHeaderSize, ' ');
    header.replace(0, 5, "\x03\x01\x08\x09\x08", 5); // a program from $0801 to $0809
    header.replace(5, 5, "BLAST");
    TapBuilder b;
    b.block(header, 16).pause().block(std::string("\x0B\x08\x0A\x00\x9E\x32\x30\x36", 8), 16);
    return b.bytes(version);
}

// --- The MIDI player of the about window ---

// 0: the input is a MIDI file; 1: the events of its one track.
void fuzzMidi(std::uint8_t choice, std::string_view bytes) {
    std::string file(bytes);
    if (choice % 2 == 1) {
        file = std::string("MThd\0\0\0\6\0\0\0\1\0\x60MTrk", 18);
        for (int shift = 24; shift >= 0; shift -= 8)
            file += static_cast<char>((bytes.size() >> shift) & 0xFF);
        file += bytes;
    }
    try {
        const intro::MidiTune tune = intro::ParseMidi(file);
        intro::SynthSettings settings;
        settings.sampleRate = 1000;
        settings.maxSeconds = 5;
        (void)intro::RenderTune(tune, settings);
    } catch (const VbError&) {
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

std::string choose(std::uint8_t choice, const std::string& body) {
    return static_cast<char>(choice) + body;
}

struct Target {
    const char* name;
    std::size_t maxLen;
    void (*run)(std::uint8_t choice, std::string_view body);
    std::vector<std::string> (*starts)(); // starting inputs, choice byte first
};

const Target kTargets[] = {
    {"d64", 1 + kTrack18Length, fuzzD64,
     [] {
         return std::vector{choose(0, disk(DiskBuilder::kD64Size)), choose(4, disk(DiskBuilder::kD64Size))};
     }},
    {"d71", 1 + kTrack18Length, fuzzD71,
     [] { return std::vector{choose(0, disk(DiskBuilder::kD71Size))}; }},
    {"d81", 1 + kD81TrackBytes + 4 * 256, fuzzD81,
     [] {
         return std::vector{choose(0, d81Window()), choose(2, d81Window())};
     }},
    {"t64", 512, fuzzT64,
     [] {
         T64Builder t("FUZZ TAPE", 4);
         t.add({"ONE", "abc"}).add({"TWO", "defgh", 0xC000, 0x81});
         return std::vector{choose(0, t.bytes())};
     }},
    {"pc64", 64, fuzzPc64,
     [] {
         const std::string file = makePc64("GAME", 0x0801, "0123456789");
         return std::vector{choose(0, file), choose(6, file)};
     }},
    {"crt", 256, fuzzCrt,
     [] {
         return std::vector{choose(0, makeCrt("GAME", 3, {{0, 0x8000, std::string(16, '\0')}}))};
     }},
    {"sid", 256, fuzzSid,
     [] {
         return std::vector{choose(0, makeSid({"Tune", "Someone", "1987 Soft"}))};
     }},
    {"g64", 1 + 12 + 8 * 84 + 2 + kGcrBytes, fuzzG64,
     [] {
         const std::string gcr = track18Gcr();
         return std::vector{choose(0, gcr), choose(1, g64WithTrack18(gcr)),
                            choose(2, "GCR-1541\n0 \"FUZZ DISK       \" 01 2a\n3    \"BLAST\"     "
                                      "       prg \n1    \"OTHER\"            seq<\n"
                                      "660 BLOCKS FREE.\n")};
     }},
    {"tap", 1 + 9000, fuzzTap,
     [] {
         return std::vector{choose(0, tapFile(0).substr(kTapDataOffset)),
                            choose(1, tapFile(1).substr(kTapDataOffset)), choose(3, tapFile(1)),
                            choose(3, "C64-TAPE-RAW\r\n" +
                                          TapListingLine(3, "blast", 2049, 4096, "program") +
                                          "\r\n")};
     }},
    {"midi", 1024, fuzzMidi,
     [] {
         const std::string track = midiTrack();
         return std::vector{choose(0, intro::WriteMidiFile(1, 96, {track, track})),
                            choose(1, track.substr(8))};
     }},
};

const Target* chosen = nullptr;

// Writes the starting inputs into the corpus folder (the first argument that
// is not a flag), when it is a folder or does not exist yet.
void writeStartingInputs(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] == '-')
            continue;
        const std::filesystem::path folder(argv[i]);
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        if (!std::filesystem::is_directory(folder, ec))
            return; // a file to run once, as when a crash is replayed
        int n = 0;
        for (const std::string& input : chosen->starts()) {
            std::ofstream out(folder / ("start-" + std::to_string(++n)), std::ios::binary);
            out.write(input.data(), static_cast<std::streamsize>(input.size()));
        }
        return;
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    const char* name = std::getenv("QS_FUZZ_TARGET");
    for (const Target& t : kTargets)
        if (name != nullptr && std::strcmp(name, t.name) == 0)
            chosen = &t;
    if (chosen == nullptr) {
        std::fprintf(stderr, "Set QS_FUZZ_TARGET to one of:");
        for (const Target& t : kTargets)
            std::fprintf(stderr, " %s", t.name);
        std::fprintf(stderr, "\n");
        std::exit(2);
    }
    writeStartingInputs(*argc, *argv);
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
