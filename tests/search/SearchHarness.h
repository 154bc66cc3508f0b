#pragma once
// A session over the fake window, with its error log in a test folder.
#include "FakeView.h"
#include "TempDir.h"
#include "search/Session.h"

namespace qs::test {

struct SearchHarness {
    TempDir dir;
    FakeView view;
    Session session{view, ToolEnv{dir.str() + "/app/", dir.str() + "/tmp/"},
                    dir.str() + "/ErrorLog.txt"};

    SearchHarness() {
        view.opts.saveFile = false;
        view.opts.startFolder = dir.str() + "/root";
        view.opts.resultsFile = dir.str() + "/Quillsift Results.txt";
        std::filesystem::create_directories(dir.path() / "root");
    }
    std::string root() const { return dir.str() + "/root"; }
    std::string write(const std::string& relative, const std::string& bytes) const {
        return dir.write("root/" + relative, bytes);
    }
    std::string errorLog() const { return dir.read("ErrorLog.txt"); }
};

} // namespace qs::test
