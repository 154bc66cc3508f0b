#pragma once
// Self-extracting LHA archives (.sfx): a C64 extractor loaded at $1C01, then
// an LHA stream of level-0 headers, listed from those headers. The names are
// kept as stored: they are ASCII-cased (what PC tools list), so the row
// compares and shows them as stored, not case-swapped as PETSCII.
#include "media/Formats.h"
#include "media/Reader.h"

#include <cstdint>
#include <optional>

namespace qs {

// The offset of the first LHA header: the first "-lh?-" or "-lz?-" after the
// load address (within 16 KiB) whose header holds together (level 0, its
// checksum right). None when the file is no PRG loaded at $1C01.
std::optional<std::uint64_t> SfxFirstHeader(const ByteSource& bytes);

Bid bidSfx(const ByteSource& bytes);

// Steps from header to header by their packed sizes and stops at a header
// length of 0, at the file's end or at a header that does not hold together:
// transfer padding, or else a damaged header, which the status says. A first
// header that does not hold together cannot be told from the extractor's own
// bytes and is passed over. The name is the field's part before its byte 0,
// the type the letter after it ("ukw" when there is none).
void readSfx(ReadInput& in);

} // namespace qs
