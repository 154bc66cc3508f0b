#include "search/SearchRequest.h"

#include <algorithm>
#include <array>

namespace qs {

std::span<const EntryType> EntryTypes() {
    static constexpr std::array<EntryType, 8> kTypes{{
        {"PRG", "prg", true, ""},
        {"DEL", "del", false, ""},
        {"SEQ", "seq", false, ""},
        {"USR", "usr", false, ""},
        {"REL", "rel", false, ""},
        {"CBM", "cbm", false, "1581 Subdirectories"},
        {"SCR", "scr", false,
         "Scratched Files (deleted but entry still exist in the directory track)"},
        {"Others", "ukw", false,
         "Other non standard extension (i.e. saved Action Replay files in warp mode)"},
    }};
    return kTypes;
}

bool SearchRequest::reportsEntryType(std::string_view type) const {
    return std::find(entryTypes.begin(), entryTypes.end(), type) != entryTypes.end();
}

} // namespace qs
