// Fuzz target: the PC64 reader on arbitrary bytes, once behind a valid
// signature (so that the fuzzer starts past the header check) and once raw.
#include "FuzzSupport.h"
#include "media/mod_PC64.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string file = "C64File";
    file.append(reinterpret_cast<const char*>(data), size);
    qs::fuzz::runReader(qs::analizzaPC64, "fuzz.p00",
                        reinterpret_cast<const std::uint8_t*>(file.data()), file.size());
    qs::fuzz::runReader(qs::analizzaPC64, "raw.s01", data, size);
    return 0;
}
