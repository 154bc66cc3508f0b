#pragma once
// One program run's search state: the window it reports to, where its files
// live, the error log and trap, the analysis records, and the flags that the
// start button, the output step and the driver share.
#include "common/ErrorLog.h"
#include "common/ErrorTrap.h"
#include "common/Files.h"
#include "media/AnalysisRecords.h"
#include "media/Reader.h"
#include "search/MainView.h"
#include "tools/ToolEnv.h"
#include "tools/ToolRunner.h"

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>

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
    // Files (and folders) that could not be searched, each shown and logged.
    int filesFailed = 0;
    // Writing the results file failed: it lacks part of the report.
    bool resultsIncomplete = false;
};

class Session {
  public:
    Session(MainView& mainView, ToolEnv toolEnv, std::string errorLogPath,
            ErrorLog::Clock clock = nullptr)
        : view(mainView), tools(std::move(toolEnv)), log(std::move(errorLogPath), std::move(clock)),
          trap(mainView, log) {
        // A stop also ends a running outside program at once.
        tools.cancel = &StopSearch;
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    bool stopAsked() const { return StopSearch; }

    ReaderContext readerContext() { return ReaderContext{records, trap, opener, &listings}; }

    MainView& view;
    ToolEnv tools;
    ToolListingRunner listings{tools};
    ErrorLog log;
    ErrorTrap trap;
    AnalysisRecords records;

    // A stop of the running search was asked for: by the start button, the
    // output step, or from another thread (a signal, the window).
    std::atomic<bool> StopSearch{false};
    // Files analysed side by side ahead of the report; 1: one after another.
    unsigned jobs = std::max(1u, std::thread::hardware_concurrency());
    // Every archive through the outside archiver rather than read in process.
    bool externalArchiver = false;
    // The memory the folder walk may keep file names in, so that a folder is
    // not read again for the search (past it, it is).
    std::size_t walkMemory = std::size_t{8} << 20;
    StartState startState = StartState::Idle; // cmdStart
    bool resultsBoxOpen = true;               // txResults still takes text
    AppendingFile resultsFile;                // open while a search writes it
    std::string filePattern = "*.xyz";        // FilePrg's pattern, until the first search
    SearchOutcome lastOutcome;
    // How readers get at a file's bytes; tests may stand in for the disk.
    ReaderContext::Opener opener = OpenOnDisk{};
};

} // namespace qs
