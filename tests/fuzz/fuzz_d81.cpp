// Fuzz target: the D81 reader on arbitrary bytes, placed at track 40 (header,
// BAM, root directory); what follows becomes tracks 41 onward, where the
// fuzzer's partitions may point.
#include "FuzzSupport.h"
#include "media/mod_D81.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qs::fuzz::runReaderAt(qs::analizzaD81, "fuzz.d81", data, size,
                          (qs::kD81DirTrack - 1) * qs::kD81TrackBytes);
    qs::fuzz::runReader(qs::analizzaD81, "raw.d81", data, size);
    return 0;
}
