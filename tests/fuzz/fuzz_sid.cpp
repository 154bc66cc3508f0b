// Fuzz target: the SID reader on arbitrary bytes (it tests no signature).
#include "FuzzSupport.h"
#include "media/mod_SID.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qs::fuzz::runReader(qs::analizzaSID, "fuzz.sid", data, size);
    return 0;
}
