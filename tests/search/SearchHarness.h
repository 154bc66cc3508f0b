#pragma once
// A search over the fake front end, with its error log in a test folder.
#include "FakeSink.h"
#include "TempDir.h"
#include "ToolSession.h"
#include "search/Search.h"

#include <atomic>
#include <filesystem>

namespace qs::test {

struct SearchHarness {
    TempDir dir;
    FakeSink view;
    SearchRequest request;
    SearchSetup setup{dir.str() + "/app/", dir.str() + "/tmp/", dir.str() + "/ErrorLog.txt"};
    std::atomic<bool> stop{false};
    SearchOutcome outcome;

    SearchHarness() {
        request.folder = dir.str() + "/root";
        request.resultsFile = dir.str() + "/Quillsift Results.txt";
        std::filesystem::create_directories(dir.path() / "root");
    }
    // Runs the request as it stands.
    const SearchOutcome& search() {
        stop = false;
        outcome = SearchEngine(setup).Search(request, view, StopToken(stop));
        return outcome;
    }
    std::string root() const { return dir.str() + "/root"; }
    std::string write(const std::string& relative, const std::string& bytes) const {
        return dir.write("root/" + relative, bytes);
    }
    std::string errorLog() const { return dir.read("ErrorLog.txt"); }
};

} // namespace qs::test
