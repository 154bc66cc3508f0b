#pragma once
// The container formats, one row each. Everything the layers above know of a
// format comes from its row: how files of it are named and recognised, the
// reader, what its entries carry, how it is listed, the outside program it
// needs. A new format is a reader, a row and its test data; nothing above
// this layer compares a format's name.
#include "media/ListingRunner.h"
#include "media/Reader.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qs {

// What a container holds, for its listing.
enum class ContainerKind { Disk, Tape, Cartridge, SingleFile, Tune };

// A format's look at a file's first bytes: without its signature a file is
// not of the format, which is said as such ("NOT A T64 FILE"), not as damage.
enum class Bid { Mine, NotMine };
using Bidder = Bid (*)(const ByteSource& bytes);

// How the files of a medium kept in several files are named: alike, but
// for the part each is (a Zipcode set: 1!NAME ... 4!NAME).
struct FileSetNaming {
    // The part a file name (no folder) is: 1 and up.
    int (*partOf)(std::string_view fileName);
    // The name of part `part` of the set of `fileName`.
    std::string (*partName)(std::string_view fileName, int part);
    int mostParts; // parts are numbered 1 to this
};

struct ContainerFormat {
    std::string_view tag = {};     // its name in reports and records: "D64", "PC64"
    std::string_view caption = {}; // what the type list and the window's box call it
    // The upper-case extensions of its files, as file-name patterns ("D64";
    // "P??" for the P00 family).
    std::vector<std::string_view> extensions = {};
    // Short extensions of its images kept compressed as a whole ("D6Z").
    std::vector<std::string_view> compressedExtensions = {};
    // Where several formats share a short extension ("D8Z"), the sizes that
    // tell this one's images apart once decompressed.
    std::vector<std::uint64_t> imageSizes = {};
    // A closer look at an extension that fits a pattern; null: every one does.
    bool (*takesExtension)(std::string_view upperExtension) = nullptr;
    // Patterns of its whole file names, "%" standing for the search's file
    // mask ("?!%.*" for "1!NAME.Z64"). A name that fits one is the format's
    // whatever its extension says.
    std::vector<std::string_view> namePatterns = {};
    // A closer look at a name (upper case, no folder) that fits a name
    // pattern; null: every one does.
    bool (*takesName)(std::string_view upperName) = nullptr;
    // Its media are kept in several files that its reader reads together.
    std::optional<FileSetNaming> fileSet = {};
    std::string_view procedure = {}; // the reader's name in its error messages
    Reader read = nullptr;
    Bidder bid = nullptr;              // null: no signature to check
    std::string_view invalidName = {}; // "NOT A <invalidName> FILE" when the bid is NotMine
    ContainerKind kind = ContainerKind::Disk;
    bool lockBits = false;       // its entries carry a lock mark
    bool entryPositions = false; // its entries have a place in a directory
    bool mediumName = true;      // it has a name of its own to match
    bool namesAsStored = false;  // names compare as stored, not PETSCII case-swapped
    // Its entry names are PC texts (host file names, UTF-8): typed text meets
    // them as it meets file names, and they are shown escaped like paths.
    bool pcEntryNames = false;
    bool partitions = false;                     // 1581 partitions, listed within their directory
    bool headerIsFileName = false;               // its listing's header names the PC file
    std::optional<ListingProgram> listedBy = {}; // the outside program that lists it
    bool onByDefault = true;                     // searched unless the request leaves it out
    std::string_view note = {};                  // what the window tells about it
    // The reader's output is of one tune's header fields, not a directory.
    bool tune() const { return kind == ContainerKind::Tune; }
};

class FormatSet;

// Every format, in the order the type list shows them.
std::span<const ContainerFormat> ContainerFormats();
const ContainerFormat* FormatByTag(std::string_view tag);
// Without regard to case.
const ContainerFormat* FormatByCaption(std::string_view caption);
// The format of the file `fileName` (a path, or a name): the first whose
// name patterns its name fits, else the first whose files carry its
// extension; only those of `among`, when given. Null for none.
const ContainerFormat* FormatOfFileName(std::string_view fileName,
                                        const FormatSet* among = nullptr);

// A file that is one part of a medium kept in several files.
struct SetPart {
    const ContainerFormat* format;
    std::string firstPart; // the name of its set's first part: the set's key
    int part;
};
// What set the file `fileName` (no folder) is a part of, when its format
// (among `formats`) keeps media in several files.
std::optional<SetPart> SetPartOf(std::string_view fileName, const FormatSet& formats);

// The name of the image a compressed file holds: its name without ".gz",
// ".bz2" or ".xz", or with its short extension spelled out ("GAME.D6Z" holds
// "GAME.D64"); empty when the name is no compressed image of a format.
std::string ImageNameInside(std::string_view fileName);
// The formats whose images a compressed file of this short extension may
// hold, when several share it ("D8Z"): its decompressed size tells them apart.
std::vector<const ContainerFormat*> FormatsSharingName(std::string_view fileName);
// Of those, the one whose images have this size, else the first.
const ContainerFormat* FormatOfImageInside(std::string_view fileName, std::uint64_t size);

// A choice of formats.
class FormatSet {
  public:
    FormatSet() = default;
    FormatSet(std::initializer_list<const ContainerFormat*> formats);
    static FormatSet all();
    static FormatSet defaults(); // those on by default
    bool contains(const ContainerFormat& format) const;
    void add(const ContainerFormat& format);
    void remove(const ContainerFormat& format);
    bool empty() const { return bits_ == 0; }
    bool operator==(const FormatSet&) const = default;
    std::vector<const ContainerFormat*> formats() const; // in table order

  private:
    static std::uint64_t bit(const ContainerFormat& format);
    std::uint64_t bits_ = 0;
};

// Gives a file's bytes, opened when the reading begins.
using ByteOpener = std::function<std::unique_ptr<ByteSource>()>;

// Runs the format's reader on the file `path` from fresh records: opens it,
// checks its signature (marking it invalid without), reads it. What fails is
// trapped under the reader's name and the file, and the records keep what was
// read up to there.
// `readAs`, when not empty, is the name the reader is given (a compressed
// image's name inside); messages name `path`. `siblings` opens the other
// files of its set.
void ReadContainer(const ContainerFormat& format, AnalysisRecords& records, const ErrorTrap& trap,
                   const std::string& path, const ByteOpener& open, const ListingRunner* listings,
                   const std::string& readAs = {}, const SiblingOpener* siblings = nullptr);

// The file-name pattern list of the formats: `mask` joined with each of their
// extensions ("*.D64;*.P??;..."), or standing in their name patterns
// ("?!*.*"); empty for none.
std::string FormatFilePatterns(const FormatSet& formats, const std::string& mask);
// The same for their images kept compressed ("*.D64.GZ;*.D6Z;...").
std::string CompressedFilePatterns(const FormatSet& formats, const std::string& mask);

} // namespace qs
