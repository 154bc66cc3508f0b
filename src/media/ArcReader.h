#pragma once
// ARC archives (.arc) and SDA files (.sda: an ARC stream behind a BASIC
// loader and its decompressor), listed from their entry headers without
// unpacking: name, type letter and size.
#include "media/Formats.h"
#include "media/Reader.h"

#include <cstdint>
#include <optional>

namespace qs {

// Where the ARC stream starts: 0, or for an SDA ("01 08", SYS at offset 6)
// (line number - 6) x 254. A C128 SDA (SYS 7...) with line 15 starts a
// block earlier, and one whose line number is wrong is taken as line 15.
// None when no valid entry header stands there.
std::optional<std::uint64_t> ArcStreamStart(const ByteSource& bytes);

// Mine when an entry header stands at the stream's start.
Bid bidArc(const ByteSource& bytes);

// Steps from header to header by their block counts and stops at the first
// that is not a header: the padding after the last, or else a damaged
// header, which the status says. An entry crunched in one
// pass (mode 5) records no size: the next header is looked for at each later
// block, and the entry is listed with its packed size, which a warning says.
void readArc(ReadInput& in);

} // namespace qs
