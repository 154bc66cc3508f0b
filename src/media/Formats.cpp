#include "media/Formats.h"

#include "common/Text.h"
#include "common/Wildcard.h"
#include "media/ArcReader.h"
#include "media/ArkReader.h"
#include "media/CrtReader.h"
#include "media/D64Reader.h"
#include "media/D71Reader.h"
#include "media/D80Reader.h"
#include "media/D81Reader.h"
#include "media/G64Reader.h"
#include "media/LynxReader.h"
#include "media/NibReader.h"
#include "media/Pc64Reader.h"
#include "media/PrgReader.h"
#include "media/SfxReader.h"
#include "media/SidReader.h"
#include "media/Signature.h"
#include "media/T64Reader.h"
#include "media/TapReader.h"
#include "media/X64Reader.h"
#include "media/ZipcodeReader.h"

#include <algorithm>

namespace qs {

namespace {

template <const char* signature> Bid signed_(const ByteSource& bytes) {
    return HasSignature(bytes, signature) ? Bid::Mine : Bid::NotMine;
}

constexpr char kG64[] = "GCR-1541";
constexpr char kTap[] = "C64-TAPE-RAW";
constexpr char kCrt[] = "C64 CARTRIDGE";
constexpr char kT64[] = "C64";
constexpr char kPc64[] = "C64FILE";

Bid x64Bid(const ByteSource& bytes) {
    return HasMagic(bytes, kX64Magic) ? Bid::Mine : Bid::NotMine;
}

// Too big to be a single C64 file: not one, without looking.
Bid pc64Bid(const ByteSource& bytes) {
    return bytes.size() >= kPc64SizeLimit ? Bid::NotMine : signed_<kPc64>(bytes);
}

// A NIB, or an NBZ that inflates to one: by its content, whatever its name.
Bid nibBid(const ByteSource& bytes) {
    return NibKindOf(bytes) == NibKind::None ? Bid::NotMine : Bid::Mine;
}

// P00 to P99, S.., U.., R..: the letter is the file's type, the digits tell
// files of one name apart.
bool p00Family(std::string_view ext) {
    return ext.size() == 3 && ext[1] >= '0' && ext[1] <= '9' && ext[2] >= '0' && ext[2] <= '9';
}

// A Zipcode part's load address: $03FE for the first part (two ID bytes
// follow), $0400 for every part.
Bid zipcodeBid(const ByteSource& bytes) {
    const std::string start = bytes.read(0, 2);
    return start == std::string("\xFE\x03", 2) || start == std::string("\x00\x04", 2)
               ? Bid::Mine
               : Bid::NotMine;
}

// Formats listed by an outside program warn that they slow the search.
constexpr std::string_view kSlowG64 = "G64 search uses an external program and can slower the "
                                      "process a lot. Don't select it if you think it's not "
                                      "necessary";
constexpr std::string_view kSlowTap = "TAP search uses an external program and can slower the "
                                      "process a lot. Don't select it if you think it's not "
                                      "necessary";

// clang-format off
std::vector<ContainerFormat> makeTable() {
    using enum ContainerKind;
    return {
        {.tag = "D64", .caption = "D64", .extensions = {"D64"}, .compressedExtensions = {"D6Z"},
         .procedure = "analizzaD64",
         .read = readD64, .kind = Disk, .lockBits = true, .entryPositions = true},
        {.tag = "T64", .caption = "T64", .extensions = {"T64"}, .procedure = "analizzaT64",
         .read = readT64, .bid = signed_<kT64>, .invalidName = "T64", .kind = Tape,
         .entryPositions = true},
        {.tag = "D81", .caption = "D81", .extensions = {"D81"}, .compressedExtensions = {"D8Z"},
         .procedure = "analizzaD81",
         .read = readD81, .kind = Disk, .lockBits = true, .entryPositions = true,
         .partitions = true},
        {.tag = "G64", .caption = "G64", .extensions = {"G64"},
         .compressedExtensions = {"G6Z", "G4Z"}, .procedure = "analizzaG64",
         .read = readG64, .bid = signed_<kG64>, .invalidName = "G64 IMAGE", .kind = Disk,
         .lockBits = true, .entryPositions = true, .listedBy = ListingProgram::C1541,
         .onByDefault = false, .note = kSlowG64},
        {.tag = "PC64", .caption = "PC64", .extensions = {"P??", "S??", "U??", "R??"},
         .takesExtension = p00Family, .procedure = "analizzaPC64", .read = readPc64,
         .bid = pc64Bid, .invalidName = "PC64", .kind = SingleFile, .mediumName = false,
         .note = "Includes all types (P00, S00, U00, etc..)"},
        {.tag = "D71", .caption = "D71", .extensions = {"D71"}, .compressedExtensions = {"D7Z"},
         .procedure = "analizzaD71",
         .read = readD71, .kind = Disk, .lockBits = true, .entryPositions = true},
        {.tag = "TAP", .caption = "TAP", .extensions = {"TAP"}, .procedure = "analizzaTAP",
         .read = readTap, .bid = signed_<kTap>, .invalidName = "TAPE RAW IMAGE", .kind = Tape,
         .entryPositions = true, .mediumName = false, .headerIsFileName = true,
         .listedBy = ListingProgram::Tape64, .onByDefault = false, .note = kSlowTap},
        {.tag = "CRT", .caption = "CRT", .extensions = {"CRT"}, .procedure = "analizzaCRT",
         .read = readCrt, .bid = signed_<kCrt>, .invalidName = "CARTRIDGE", .kind = Cartridge,
         .namesAsStored = true},
        {.tag = "SID", .caption = "SID", .extensions = {"SID"}, .procedure = "analizzaSID",
         .read = readSid, .kind = Tune, .onByDefault = false},
        {.tag = "NIB", .caption = "NIB", .extensions = {"NIB", "NBZ"}, .procedure = "analizzaNIB",
         .read = readNib, .bid = nibBid, .invalidName = "NIB IMAGE", .kind = Disk,
         .lockBits = true, .entryPositions = true},
        // The C64's own archives, listed from their headers like tapes: no
        // medium name, the header line names the PC file.
        {.tag = "LNX", .caption = "LNX", .extensions = {"LNX"}, .procedure = "analizzaLNX",
         .read = readLynx, .bid = bidLynx, .invalidName = "LYNX", .kind = Tape,
         .entryPositions = true, .mediumName = false, .headerIsFileName = true},
        {.tag = "ARK", .caption = "ARK", .extensions = {"ARK"}, .procedure = "analizzaARK",
         .read = readArk, .bid = bidArk, .invalidName = "C64 ARK", .kind = Tape, .lockBits = true,
         .entryPositions = true, .mediumName = false, .headerIsFileName = true},
        {.tag = "ARC", .caption = "ARC", .extensions = {"ARC", "SDA"}, .procedure = "analizzaARC",
         .read = readArc, .bid = bidArc, .invalidName = "C64 ARC", .kind = Tape,
         .entryPositions = true, .mediumName = false, .headerIsFileName = true,
         .note = "Includes SDA files (ARC archives that unpack themselves)"},
        {.tag = "SFX", .caption = "SFX", .extensions = {"SFX"}, .procedure = "analizzaSFX",
         .read = readSfx, .bid = bidSfx, .invalidName = "C64 SFX", .kind = Tape,
         .entryPositions = true, .mediumName = false, .namesAsStored = true,
         .headerIsFileName = true, .note = "Self-extracting LHA archives"},
        // Named after the host file; the one entry has no place in a directory.
        {.tag = "PRG", .caption = "PRG", .extensions = {"PRG"}, .procedure = "analizzaPRG",
         .read = readPrg, .kind = SingleFile, .mediumName = false, .pcEntryNames = true,
         .headerIsFileName = true},
        // A D64, D71 or D81 image behind a header, listed as that image.
        {.tag = "X64", .caption = "X64", .extensions = {"X64"}, .compressedExtensions = {"X6Z"},
         .procedure = "analizzaX64",
         .read = readX64, .bid = x64Bid, .invalidName = "X64", .kind = Disk, .lockBits = true,
         .entryPositions = true, .partitions = true},
        {.tag = "D80", .caption = "D80", .extensions = {"D80"}, .compressedExtensions = {"D8Z"},
         .imageSizes = {kD80Size}, .procedure = "analizzaD80",
         .read = readD80, .kind = Disk, .lockBits = true, .entryPositions = true},
        {.tag = "D82", .caption = "D82", .extensions = {"D82"}, .compressedExtensions = {"D8Z"},
         .imageSizes = {kD82Size}, .procedure = "analizzaD82",
         .read = readD82, .kind = Disk, .lockBits = true, .entryPositions = true},
        {.tag = "ZIPCODE", .caption = "ZIPCODE", .namePatterns = {"?!%.*", "?!%"},
         .takesName = IsZipcodePartName,
         .fileSet = FileSetNaming{ZipcodePartOf, ZipcodePartName, 5}, .procedure = "analizzaZIPCODE",
         .read = readZipcode, .bid = zipcodeBid, .invalidName = "ZIPCODE", .kind = Disk,
         .lockBits = true, .entryPositions = true,
         .note = "Disks packed into 1!NAME to 4!NAME (5!NAME for 40 tracks), read as one"},
    };
}
// clang-format on

const std::vector<ContainerFormat>& table() {
    static const std::vector<ContainerFormat> formats = makeTable();
    return formats;
}

// Each row's extensions, and its name patterns standing for any name, as
// prepared pattern lists: every file of a search is looked up.
struct RowPatterns {
    FilePatterns extensions;
    FilePatterns names; // fits nothing for a row without name patterns
    bool byName;
};

// The row's name patterns with the mask standing for "%".
std::string namePatternList(const ContainerFormat& f, const std::string& mask) {
    std::string list;
    for (std::string_view pattern : f.namePatterns)
        list += (list.empty() ? "" : ";") + replaceAll(std::string(pattern), "%", mask);
    return list;
}

const std::vector<RowPatterns>& rowPatterns() {
    static const std::vector<RowPatterns> patterns = [] {
        std::vector<RowPatterns> out;
        for (const ContainerFormat& f : table()) {
            std::string list;
            for (std::string_view ext : f.extensions)
                list += (list.empty() ? "" : ";") + std::string(ext);
            out.push_back({FilePatterns(list), FilePatterns(namePatternList(f, "*")),
                           !f.namePatterns.empty()});
        }
        return out;
    }();
    return patterns;
}

} // namespace

std::span<const ContainerFormat> ContainerFormats() {
    return table();
}

const ContainerFormat* FormatByTag(std::string_view tag) {
    for (const ContainerFormat& f : table())
        if (f.tag == tag)
            return &f;
    return nullptr;
}

const ContainerFormat* FormatByCaption(std::string_view caption) {
    const std::string wanted = upperAscii(caption);
    for (const ContainerFormat& f : table())
        if (upperAscii(f.caption) == wanted)
            return &f;
    return nullptr;
}

namespace {

bool chosen(const ContainerFormat& f, const FormatSet* among) {
    return among == nullptr || among->contains(f);
}

// The first row whose name patterns the file's name fits.
const ContainerFormat* formatByName(std::string_view fileName, const FormatSet* among) {
    const std::string_view name = fileName.substr(fileName.find_last_of('/') + 1);
    const std::vector<RowPatterns>& patterns = rowPatterns();
    for (std::size_t i = 0; i < patterns.size(); ++i) {
        const ContainerFormat& f = table()[i];
        if (patterns[i].byName && chosen(f, among) && patterns[i].names.fits(name) &&
            (f.takesName == nullptr || f.takesName(upperAscii(name))))
            return &f;
    }
    return nullptr;
}

} // namespace

const ContainerFormat* FormatOfFileName(std::string_view fileName, const FormatSet* among) {
    // Rows known by the whole name come first: their files often carry
    // another row's extension.
    if (const ContainerFormat* f = formatByName(fileName, among))
        return f;
    const std::vector<RowPatterns>& patterns = rowPatterns();
    const auto dot = fileName.find_last_of('.');
    const std::string ext =
        upperAscii(dot == std::string_view::npos ? fileName : fileName.substr(dot + 1));
    for (std::size_t i = 0; i < patterns.size(); ++i) {
        const ContainerFormat& f = table()[i];
        if (chosen(f, among) && patterns[i].extensions.fits(ext) &&
            (f.takesExtension == nullptr || f.takesExtension(ext)))
            return &f;
    }
    return nullptr;
}

std::optional<SetPart> SetPartOf(std::string_view fileName, const FormatSet& formats) {
    // Sets are known by their names.
    const ContainerFormat* f = formatByName(fileName, &formats);
    if (f == nullptr || !f->fileSet)
        return std::nullopt;
    return SetPart{f, f->fileSet->partName(fileName, 1), f->fileSet->partOf(fileName)};
}

FormatSet::FormatSet(std::initializer_list<const ContainerFormat*> formats) {
    for (const ContainerFormat* f : formats)
        add(*f);
}

FormatSet FormatSet::all() {
    FormatSet set;
    for (const ContainerFormat& f : table())
        set.add(f);
    return set;
}

FormatSet FormatSet::defaults() {
    FormatSet set;
    for (const ContainerFormat& f : table())
        if (f.onByDefault)
            set.add(f);
    return set;
}

std::uint64_t FormatSet::bit(const ContainerFormat& format) {
    return std::uint64_t{1} << static_cast<unsigned>(&format - table().data());
}

bool FormatSet::contains(const ContainerFormat& format) const {
    return (bits_ & bit(format)) != 0;
}

void FormatSet::add(const ContainerFormat& format) {
    bits_ |= bit(format);
}

void FormatSet::remove(const ContainerFormat& format) {
    bits_ &= ~bit(format);
}

std::vector<const ContainerFormat*> FormatSet::formats() const {
    std::vector<const ContainerFormat*> out;
    for (const ContainerFormat& f : table())
        if (contains(f))
            out.push_back(&f);
    return out;
}

void ReadContainer(const ContainerFormat& format, AnalysisRecords& records, const ErrorTrap& trap,
                   const std::string& path, const ByteOpener& open, const ListingRunner* listings,
                   const std::string& readAs, const SiblingOpener* siblings) {
    // Every reader starts from empty records, so that a file that fails
    // early can never show the previous file's findings.
    records.reset();
    trap.runOnFile(std::string(format.procedure), path, [&] {
        const std::string& name = readAs.empty() ? path : readAs;
        const std::unique_ptr<ByteSource> bytes = open();
        if (format.bid != nullptr && format.bid(*bytes) == Bid::NotMine)
            return MarkInvalidFile(records, name, format.invalidName);
        ReadInput in{records, *bytes, name, listings, trap, siblings};
        format.read(in);
    });
    // A tune is reported under its own kind and name whatever its reader got to.
    if (format.tune()) {
        records.media.MediaType = std::string(format.tag);
        records.media.FileName = records.sid.FileName;
    }
}

namespace {

constexpr std::string_view kCompressions[] = {".GZ", ".BZ2", ".XZ"};

} // namespace

std::string ImageNameInside(std::string_view fileName) {
    const std::string upper = upperAscii(fileName);
    for (std::string_view suffix : kCompressions)
        if (upper.ends_with(suffix) && upper.size() > suffix.size()) {
            const std::string_view inner = fileName.substr(0, fileName.size() - suffix.size());
            return FormatOfFileName(inner) != nullptr ? std::string(inner) : std::string();
        }
    const auto dot = upper.find_last_of("./");
    if (dot == std::string::npos || upper[dot] != '.')
        return {};
    const std::string_view ext = std::string_view(upper).substr(dot + 1);
    for (const ContainerFormat& f : table())
        for (std::string_view shortExt : f.compressedExtensions)
            if (ext == shortExt)
                return std::string(fileName.substr(0, dot + 1)) + std::string(f.extensions.front());
    return {};
}

std::vector<const ContainerFormat*> FormatsSharingName(std::string_view fileName) {
    std::vector<const ContainerFormat*> found;
    const auto dot = fileName.find_last_of("./");
    if (dot == std::string_view::npos || fileName[dot] != '.')
        return found;
    const std::string ext = upperAscii(fileName.substr(dot + 1));
    for (const ContainerFormat& f : table())
        for (std::string_view shortExt : f.compressedExtensions)
            if (ext == shortExt)
                found.push_back(&f);
    if (found.size() < 2)
        found.clear();
    return found;
}

const ContainerFormat* FormatOfImageInside(std::string_view fileName, std::uint64_t size) {
    const std::vector<const ContainerFormat*> formats = FormatsSharingName(fileName);
    for (const ContainerFormat* f : formats)
        if (std::find(f->imageSizes.begin(), f->imageSizes.end(), size) != f->imageSizes.end())
            return f;
    return formats.empty() ? nullptr : formats.front();
}

std::string CompressedFilePatterns(const FormatSet& formats, const std::string& mask) {
    std::string patterns;
    auto add = [&](const std::string& pattern) {
        patterns += (patterns.empty() ? "" : ";") + mask + "." + pattern;
    };
    for (const ContainerFormat* f : formats.formats()) {
        for (std::string_view ext : f->extensions)
            for (std::string_view suffix : kCompressions)
                add(std::string(ext) + std::string(suffix));
        for (std::string_view shortExt : f->compressedExtensions)
            if (patterns.find("." + std::string(shortExt)) == std::string::npos)
                add(std::string(shortExt));
    }
    return patterns;
}

std::string FormatFilePatterns(const FormatSet& formats, const std::string& mask) {
    std::string patterns;
    for (const ContainerFormat* f : formats.formats()) {
        for (std::string_view ext : f->extensions)
            patterns += (patterns.empty() ? "" : ";") + mask + "." + std::string(ext);
        if (!f->namePatterns.empty())
            patterns += (patterns.empty() ? "" : ";") + namePatternList(*f, mask);
    }
    return patterns;
}

} // namespace qs
