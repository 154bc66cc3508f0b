#pragma once
// The directory of one container, the way the C64 lists a disk: the header
// line with the disk name and ID, one line per file, the free blocks. Tapes,
// cartridges and single files get the nearest equivalent, a SID tune its
// header fields. A plain file or an archive member is analysed by its reader
// as in a search; the listing is built from the reader's records, for
// quillsift-cli --list and the window's directory window alike.
#include "common/ErrorTrap.h"
#include "search/ReportRecords.h"
#include "search/SearchRequest.h"
#include "tools/ToolEnv.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qs {

// A plain file, or a member of an archive (at any depth of archives within
// archives).
struct ListingSource {
    std::string path; // the file, or the archive that holds the members
    // The member's name as its archive stores it, after the names of the
    // archives within `path` that hold it, outermost first; empty: the file.
    std::vector<std::string> members = {};
};

using ListingKind = ContainerKind;

// One file of the directory. Texts are UTF-8, names in the glyphs of the report.
struct ListedEntry {
    std::int32_t entryNo = 0; // the slot's position in the directory (0 for a partition's end)
    std::int32_t blocks = 0;
    std::string name;          // as shown, without quotes
    std::string type;          // "prg", "seq", ...; a file left open shows its closed type
    bool locked = false;       // "<" after the type
    bool unclosed = false;     // "*" before the type
    bool partition = false;    // a 1581 partition: its files follow, one level deeper
    bool partitionEnd = false; // closes the partition `name` (no blocks, no type)
    int depth = 0;             // the partitions the entry lies in
    std::string line;          // blocks, quoted name, marks and type, as the report lines them up
};

struct DirectoryListing {
    ListingKind kind = ListingKind::Disk;
    std::string mediaType; // the format's tag
    // `0 "DISK NAME       " ID 2A`; the tape, cartridge hardware or PC64
    // signature in the same shape; empty for a tune.
    std::string header;
    std::vector<ListedEntry> entries;       // scratched and empty slots are left out, as on the C64
    std::optional<std::int32_t> blocksFree; // disks
    std::vector<std::pair<std::string, std::string>> fields; // a tune's header: label, value
    std::string warning; // what the reader noted about the medium, or empty
};

struct ListingResult {
    // Empty when the container could not be listed: the reader's or the
    // archive's error has then been reported through the trap, or `problem`
    // says in one line why there is nothing to list.
    std::optional<DirectoryListing> listing;
    std::string problem;
    // With a search's request: the records of what that search matches in
    // the container, as it reported them.
    std::vector<MatchRecord> matches;
};

// Analyses the file or member with the reader its extension names (every
// format is allowed). Archives are read in process unless `externalArchiver`,
// and by the outside archiver when libarchive refuses them. With `search`,
// also matches the container as that search did.
ListingResult ListContainer(const ListingSource& source, const ToolEnv& tools,
                            bool externalArchiver, const ErrorTrap& trap,
                            const SearchRequest* search = nullptr);

// The listing as text lines: header, entries (two blanks deeper per
// partition), "664 BLOCKS FREE."; a tune's fields as "Label: value".
std::vector<std::string> ListingLines(const DirectoryListing& listing);

} // namespace qs
