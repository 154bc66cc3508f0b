#pragma once
// The benchmark's collection: plain D64 and SID files, ZIPs of one D64 each,
// and a few 7z archives (solid and not) of many members; beside it the
// newer kinds of file, and archives within archives. Images are written
// sparse (only what their readers read holds data), so a collection of
// thousands stays small on the disk while every image has its true size.
#include <string>

namespace qs::bench {

struct CollectionSize {
    int plainDisks = 12000;
    int plainTunes = 3000;
    int zips = 300;
    int sevenZips = 4; // of each kind, solid and not
    int sevenZipMembers = 100;
    int windowDisks = 10000; // in one folder
    // For the largest resident size: one ZIP of many small PC64 members, and
    // many disks searched as JSON Lines by many jobs.
    int zipMembers = 400000;
    int jsonDisks = 20000;
    int manyZips = 30000; // ZIPs of one D64, in folders of 300: the index's large collection
    int mixedEach = 200;  // files of each newer kind (Zipcode: sets), in folders of 50
};

// The directory entries of the collection's disks (and tunes, one each):
// what an index of it stores.
long long DirectoryEntries(const CollectionSize& size);
long long DirectoryEntriesOfMany(const CollectionSize& size);

// Writes the collection under `root`: plain/, zips/, 7z/, window/, and what
// WriteMemoryCollection writes. Answers an error text, empty on success.
std::string WriteCollection(const std::string& root, const CollectionSize& size);
// Writes only members/ (the ZIP of many members) and json/ (the disks).
std::string WriteMemoryCollection(const std::string& root, const CollectionSize& size);

// Writes the newer kinds of file under `root`: NIB, NBZ, PRG, Lynx, ARK,
// ARC, SDA, SFX, X64, D80, D82, images compressed whole, Zipcode sets.
std::string WriteMixedCollection(const std::string& root, const CollectionSize& size);
// Writes archives within archives under `root`: bomb/ (a nested zip bomb
// alone) and rest/ (an archive holding itself, a 7z of a .tar.gz of a
// .d64.gz, a ZIP in a ZIP).
std::string WriteNestedCollection(const std::string& root);

// Writes the large collection of `size.manyZips` ZIPs under `root`.
std::string WriteManyZips(const std::string& root, const CollectionSize& size);

} // namespace qs::bench
