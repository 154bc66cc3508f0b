// Fuzz target: the D64 reader on arbitrary bytes. Inputs shorter than an
// image are padded to one, so that the fuzzer reaches the directory walk.
#include "FuzzSupport.h"
#include "media/mod_D64.h"

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first bytes land in the directory and header of track 18.
    std::vector<std::uint8_t> image(qs::kTrack18Offset, 0);
    image.insert(image.end(), data, data + size);
    qs::fuzz::runReader(qs::analizzaD64, "fuzz.d64", image.data(), image.size());
    qs::fuzz::runReader(qs::analizzaD64, "raw.d64", data, size);
    return 0;
}
