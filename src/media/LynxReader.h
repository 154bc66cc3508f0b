#pragma once
// Lynx archives (.lnx): the directory behind the BASIC stub, read entry by
// entry (name, block count, type letter) without unpacking the files.
#include "media/Formats.h"
#include "media/Reader.h"

namespace qs {

// Mine when a line after the stub (or at the file's start, for an archive
// without one) holds the directory's size in blocks and a signature that
// says "LYNX" in either case.
Bid bidLynx(const ByteSource& bytes);

// A damaged directory raises, naming the entry and the offset; the entries
// read before it stay. A directory that ends before its count (filler or the
// first file's data where an entry should start) is a warning.
void readLynx(ReadInput& in);

} // namespace qs
