#pragma once
// Archives and compressed files of every kind a collection travels in,
// written with libarchive: ZIP (deflated), 7z, tar bundles, and single files
// compressed whole. Member names may hold folders ("Disks/game.d64").
#include <string>
#include <utility>
#include <vector>

namespace qs::samples {

using Members = std::vector<std::pair<std::string, std::string>>; // name, bytes

// `kind`: "zip", "7z", "tar", "tar.gz", "tar.bz2" or "tar.xz".
std::string WriteArchive(const std::string& kind, const Members& members);

// `bytes` compressed whole; `method`: "gz", "bz2" or "xz".
std::string Compress(const std::string& method, const std::string& bytes);

} // namespace qs::samples
