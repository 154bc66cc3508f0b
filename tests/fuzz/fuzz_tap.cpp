// Fuzz target: the ROM loader decoder of TAP recordings and the tape64
// listing parser. Inputs get a valid signature in front so that the fuzzer
// reaches the pulse decoding in both versions.
#include "FuzzSupport.h"
#include "common/VbError.h"
#include "media/mod_TAP.h"
#include "standins/codec/TapDecoder.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    qs::ScanTap(bytes);
    for (char version : {'\0', '\1'}) {
        std::string tap = "C64-TAPE-RAW";
        tap += version;
        tap.append(3, '\0');
        tap += "\xFF\xFF\xFF\x7F"; // a size field larger than the data
        qs::ScanTap(tap + bytes);
    }
    qs::AnalysisRecords records;
    try {
        qs::ParseTapListing(records, bytes, "fuzz.tap");
    } catch (const qs::VbError&) {
        // An address column without a number is a trapped error.
    }
    return 0;
}
