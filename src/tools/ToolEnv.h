#pragma once
// Where the outside programs are looked for and where their files go.
#include <atomic>
#include <chrono>
#include <string>

namespace qs {

struct ToolEnv {
    std::string toolFolder; // the application folder, trailing separator
    std::string tempFolder; // the program's private temporary folder, trailing separator
    std::chrono::seconds timeout{60};
    // Set when the user wants out at once (Ctrl-C): a running tool is then
    // stopped as at its time limit. Null when nothing can ask.
    const std::atomic<bool>* cancel = nullptr;

    // The extraction folder for archive members.
    std::string archiveWorkFolder() const { return tempFolder + "WKCBMZip"; }
};

} // namespace qs
