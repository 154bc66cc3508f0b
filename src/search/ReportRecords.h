#pragma once
// The report's findings as records, for front ends that write the report in
// a structured form as well: each match and warning of a file's result block.
// They follow the text report one for one; the text stays what people read.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qs {

// Where a finding was made: the file's path and, for an archive member, the
// member's name in its archive (empty for a plain file); the tag of the
// format its reader took it for (empty when no reader ran); and for a member,
// the names from the outermost archive in, the member's last (one name for a
// member of the file itself, more for archives within archives).
struct FindingPlace {
    std::string file;
    std::string member;
    std::string kind;
    std::vector<std::string> members = {};
};

struct MatchRecord {
    enum class Field { Entry, MediumName, FileName, SidName, SidAuthor, SidCopyright };
    FindingPlace place;
    Field field = Field::Entry;
    std::string shown; // the name exactly as the text report shows it (UTF-8)
    std::string bytes; // the name as the reader gave it, before any case swap
    // Entries only: the listing line's type and blocks, and the lock mark and
    // directory position where the container has them.
    std::string type;
    std::int32_t blocks = 0;
    std::optional<bool> locked;
    std::optional<std::int32_t> entryNo;
};

struct WarningRecord {
    FindingPlace place;
    std::string text; // the medium's status: a warning, or "INVALID FILE"
};

} // namespace qs
