#pragma once
// Arkive archives (.ark): a count, then 29-byte directory entries in the
// manner of a disk directory, then the files in whole blocks.
#include "media/Formats.h"
#include "media/Reader.h"

namespace qs {

// An ARK carries no signature: a file is taken for one when its count is not
// zero, every entry has a CBM type (DEL to REL) and a printable name, and the
// file's size fits the blocks its entries add up to (the last file may be
// unpadded, a transfer may have added up to 256 bytes).
Bid bidArk(const ByteSource& bytes);

void readArk(ReadInput& in);

} // namespace qs
