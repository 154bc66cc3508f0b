#pragma once
// Expected output files of the command line, with @ROOT@ for the searched folder.
#include "TempDir.h"
#include "common/Text.h"

#include <string>

namespace qs::test {

inline std::string expected(const std::string& name, const std::string& root) {
    return replaceAll(readFile(std::string(QS_CLI_EXPECTED_DIR) + "/" + name), "@ROOT@", root);
}

} // namespace qs::test
