#pragma once
// Images kept compressed as a whole (gzip, bzip2 or xz, told by their magic
// bytes), decompressed in memory for their reader.
#include "common/ByteView.h"
#include "tools/ArchiveReader.h"

#include <memory>

namespace qs {

// The decompressed bytes of `compressed`, at most 64 MiB of them; what they
// inflate is taken from `budget` (when given). Raises when the bytes are not
// gzip, bzip2 or xz, are damaged, or inflate past the limit.
std::unique_ptr<ByteSource> Decompressed(const ByteSource& compressed, InflateBudget* budget);

} // namespace qs
