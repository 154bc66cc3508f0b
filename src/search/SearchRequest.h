#pragma once
// A search as asked for, in the search's own terms. The command line fills it
// from its options, the window from its controls.
#include "media/Formats.h"

#include <chrono>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qs {

// The directory entry types a search can report, by the type text entries
// carry ("prg", ...), as the type list shows them.
struct EntryType {
    std::string_view caption; // "PRG", ..., "Others"
    std::string_view type;    // "prg", ..., "ukw"
    bool onByDefault;
    std::string_view note; // what the window tells about it
};
std::span<const EntryType> EntryTypes();

// The header fields of a SID tune a search compares.
struct SidFields {
    bool name = true;
    bool author = false;
    bool copyright = false;
};

struct SearchRequest {
    std::string folder;        // where the search starts
    std::string pattern = "*"; // what to find; "*", "?", "#" and "[A-Z]" as wildcards
    std::string mask = "*";    // file names to open, without extension
    FormatSet formats = FormatSet::defaults();
    std::vector<std::string> entryTypes = {"prg"}; // type texts of the entries to report
    bool partial = true;                           // the pattern matches anywhere in a name
    bool matchCase = false;
    bool fileNames = false;   // also match the PC file name
    bool mediumNames = false; // also match the disk or tape name
    bool warnings = false;    // report warnings and invalid files
    SidFields sid;
    bool archives = false;    // look inside archives
    bool recurse = false;     // search the subfolders too
    bool saveResults = false; // also write the report to resultsFile
    std::string resultsFile;  // where the report is (or would be) written
    unsigned jobs = 0;        // files analysed side by side; 0: one per processor
    std::chrono::seconds toolTimeout{60};
    bool externalArchiver = false; // every archive through the outside archiver
    // The index of what the readers found (search/Index.h): not used; used
    // (a file unchanged since it was kept is answered from it, any other
    // file read and kept); or answering alone, without the disk.
    enum class IndexUse { Off, Use, Only };
    IndexUse index = IndexUse::Off;
    bool reindex = false;  // the index is emptied first and made anew
    std::string indexFile; // empty: the user's own (DefaultIndexPath)
    // What the front end wants besides the text report: each match and
    // warning as a record, and one place per result block.
    bool records = false;
    bool blockPlaces = false;

    bool reportsEntryType(std::string_view type) const;
};

} // namespace qs
