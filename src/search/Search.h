#pragma once
// A search from the request to the summary line: the folder walk, the
// analysis of each file (ahead of the report, on worker threads), the report
// in the walk's order.
#include "common/ByteView.h"
#include "common/ErrorLog.h"
#include "search/ReportSink.h"
#include "search/SearchRequest.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace qs {

inline constexpr const char* kResultsFileName = "Quillsift Results.txt";
inline constexpr const char* kErrorLogName = "ErrorLog.txt";

enum class SearchEnd { NotRun, Completed, Stopped, Failed };

struct SearchOutcome {
    SearchEnd end = SearchEnd::NotRun;
    int filesAnalysed = 0;
    int matches = 0;
    // Files (and folders) that could not be searched, each shown and logged.
    int filesFailed = 0;
    // Writing the results file failed: it lacks part of the report.
    bool resultsIncomplete = false;
};

// What every search of a program run shares.
struct SearchSetup {
    std::string toolFolder; // where the outside programs are looked for first (trailing separator)
    std::string tempFolder; // the private temporary folder (trailing separator); empty: none
    std::string errorLogPath; // empty: nothing is logged
    ErrorLog::Clock clock = nullptr;
    // The memory the folder walk may keep file names in, so that a folder is
    // not read again for the search (past it, it is).
    std::size_t walkMemory = std::size_t{8} << 20;
    // Opens a file by its path; tests may stand in for the disk. Null: the disk.
    std::function<std::unique_ptr<ByteSource>(const std::string& path)> opener = nullptr;
};

class SearchEngine {
  public:
    explicit SearchEngine(SearchSetup setup);

    // Runs the search; reports to `sink`, asks it its questions and stops
    // when `stop` is asked for. Safe to run from any one thread at a time
    // per sink.
    SearchOutcome Search(const SearchRequest& request, ReportSink& sink, StopToken stop) const;

    const SearchSetup& setup() const { return setup_; }
    const ErrorLog& log() const { return log_; }

  private:
    SearchSetup setup_;
    ErrorLog log_;
};

// True when the file is handled as an archive under the request.
bool IsArchiveName(const SearchRequest& request, const std::string& fileName);

} // namespace qs
