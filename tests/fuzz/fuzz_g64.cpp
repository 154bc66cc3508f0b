// Fuzz target: the GCR decoder of G64 images and the c1541 listing parser.
// Inputs are used as a whole image and as the raw data of track 18 behind a
// valid track table, so that the fuzzer reaches the bit-level decoding.
#include "FuzzSupport.h"
#include "common/VbError.h"
#include "media/mod_G64.h"
#include "standins/codec/GcrDecoder.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    qs::G64DirectoryAsD64(bytes);
    qs::DecodeGcrTrack(bytes, 18);

    // A G64 whose only track is track 18 holding the input.
    std::string image = "GCR-1541";
    image += '\0';
    image += static_cast<char>(84);
    image += "\xA8\x1E";
    image.resize(12 + 8 * 84, '\0');
    const std::size_t offset = image.size();
    for (std::size_t i = 0; i < 4; ++i)
        image[12 + 4 * 34 + i] = static_cast<char>(offset >> (8 * i) & 0xFF);
    const std::size_t length = size > 0xFFFF ? 0xFFFF : size;
    image += static_cast<char>(length & 0xFF);
    image += static_cast<char>(length >> 8);
    image += bytes;
    qs::G64DirectoryAsD64(image);

    qs::AnalysisRecords records;
    try {
        qs::ParseG64Listing(records, bytes, "fuzz.g64");
    } catch (const qs::VbError&) {
        // A listing line without a closing quote is a trapped error.
    }
    return 0;
}
