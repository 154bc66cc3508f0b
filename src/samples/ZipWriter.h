#pragma once
// Writes a ZIP archive with stored (uncompressed) members, enough for the
// sample collection; member names may hold folders ("Disks/game.d64").
#include <string>
#include <utility>
#include <vector>

namespace qs::samples {

std::string StoredZip(const std::vector<std::pair<std::string, std::string>>& members);

} // namespace qs::samples
