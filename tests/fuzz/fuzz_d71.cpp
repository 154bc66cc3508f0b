// Fuzz target: the D71 reader on arbitrary bytes, placed at track 18 so that
// the fuzzer reaches the header and the directory walk.
#include "FuzzSupport.h"
#include "media/mod_D64.h"
#include "media/mod_D71.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qs::fuzz::runReaderAt(qs::analizzaD71, "fuzz.d71", data, size, qs::kTrack18Offset);
    qs::fuzz::runReader(qs::analizzaD71, "raw.d71", data, size);
    return 0;
}
