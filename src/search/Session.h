#pragma once
// One program run's search state: the window it reports to, where its files
// live, the error log and trap, the analysis records, and the flags that the
// start button, the output step and the driver share.
#include "common/ErrorLog.h"
#include "common/ErrorTrap.h"
#include "media/AnalysisRecords.h"
#include "media/Reader.h"
#include "search/MainView.h"
#include "tools/ToolEnv.h"
#include "tools/modShell.h"

#include <string>

namespace qs {

inline constexpr const char* kResultsFileName = "Quillsift Results.txt";
inline constexpr const char* kErrorLogName = "ErrorLog.txt";

enum class SearchEnd { NotRun, Completed, Stopped, Failed };

// The start button's state: never pressed, a search running, a search ended.
enum class StartState { Idle, Started, Stopped };

struct SearchOutcome {
    SearchEnd end = SearchEnd::NotRun;
    int filesAnalysed = 0;
    int matches = 0;
};

class Session {
  public:
    Session(MainView& mainView, ToolEnv toolEnv, std::string errorLogPath,
            ErrorLog::Clock clock = nullptr)
        : view(mainView), tools(std::move(toolEnv)), log(std::move(errorLogPath), std::move(clock)),
          trap(mainView, log) {}
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // StopSearch, also set when the user's cancel request (Ctrl-C) arrived
    // while no window events could run, e.g. during an outside program.
    bool stopAsked() {
        if (tools.cancel != nullptr && *tools.cancel)
            StopSearch = true;
        return StopSearch;
    }

    ReaderContext readerContext() { return ReaderContext{records, trap, opener, &listings}; }

    MainView& view;
    ToolEnv tools;
    ToolListingRunner listings{tools};
    ErrorLog log;
    ErrorTrap trap;
    AnalysisRecords records;

    bool StopSearch = false;                  // a stop of the running search was asked for
    StartState startState = StartState::Idle; // cmdStart
    bool resultsBoxOpen = true;               // txResults still takes text
    std::string filePattern = "*.xyz";        // FilePrg's pattern, until the first search
    SearchOutcome lastOutcome;
    // How readers get at a file's bytes; tests may stand in for the disk.
    ReaderContext::Opener opener = [](const std::string& path) {
        return std::make_unique<FileByteSource>(path);
    };
};

} // namespace qs
