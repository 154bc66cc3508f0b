// Fuzz target: the CRT reader on arbitrary bytes, once behind a valid
// signature (so that the fuzzer starts past the header check) and once raw.
#include "FuzzSupport.h"
#include "media/mod_CRT.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string file = "C64 CARTRIDGE";
    file.append(reinterpret_cast<const char*>(data), size);
    qs::fuzz::runReader(qs::analizzaCRT, "fuzz.crt",
                        reinterpret_cast<const std::uint8_t*>(file.data()), file.size());
    qs::fuzz::runReader(qs::analizzaCRT, "raw.crt", data, size);
    return 0;
}
