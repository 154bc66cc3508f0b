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
    // Set when the user wants out (the stop button, Ctrl-C): a running tool
    // is then stopped as at its time limit. Null when nothing can ask.
    const std::atomic<bool>* cancel = nullptr;

    // `name` in the temporary folder, with a running number before its
    // extension, so that files analysed side by side never share one. Raises
    // "Path not found" when there is no temporary folder.
    std::string tempPath(const std::string& name) const;
};

} // namespace qs
