#pragma once
// The analysis of one listed file, done ahead of the report: a plain file
// goes through the dispatcher and the matcher; an archive has its fitting
// members read and each analysed the same way. Everything the person will
// see goes into reports, one per plain file or archive member, handed out as
// they are made and shown later in order (Replay).
#include "search/FileReport.h"
#include "search/SearchRequest.h"
#include "tools/ToolEnv.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>

namespace qs {

// Opens a file on disk by its path; a test may serve other bytes.
using PathOpener = std::function<std::unique_ptr<ByteSource>(const std::string& path)>;

struct TaskContext {
    const SearchRequest& request; // as it stood at the start
    const ToolEnv& tools;
    const PathOpener& opener; // null: the disk
    // The search's file patterns without the archive patterns, upper case:
    // which members of an archive are analysed.
    std::string memberPatterns;
    const std::atomic<bool>& stop;
};

// Takes each report as it is made.
using ReportOut = std::function<void(FileReport&& report)>;

// The file `name` in `folder`: one report for a plain file; for an archive,
// a first report of the listing steps, one per member analysed, and one
// last when the archive as a whole failed after its first member. Each goes
// to `out` as soon as it is complete. `records` are the readers' records,
// handed from file to file so that their room is kept. With `openFolder`
// (the folder held open), a plain file on disk is opened by its name in it.
void AnalyseListedFile(const TaskContext& ctx, AnalysisRecords& records, const std::string& folder,
                       const std::string& name, bool isArchive, const OpenFolder* openFolder,
                       const ReportOut& out);

} // namespace qs
