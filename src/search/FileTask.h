#pragma once
// The analysis of one listed file, done ahead of the report: a plain file
// goes through the dispatcher and the matcher; an archive has its fitting
// members read (in process, or by the outside archiver) and each analysed
// the same way. Everything the user will see goes into reports, one per
// plain file or archive member, shown later in order (Replay).
#include "media/Reader.h"
#include "search/FileReport.h"
#include "search/SearchOptions.h"
#include "tools/ToolEnv.h"

#include <atomic>
#include <string>
#include <vector>

namespace qs {

struct TaskContext {
    const SearchOptions& options; // the request as it stood at the start
    const ToolEnv& tools;
    const ReaderContext::Opener& opener;
    // The search's file patterns without the archive patterns, upper case:
    // which members of an archive are analysed.
    std::string memberPatterns;
    // Every archive through the outside archiver, as before it was read in process.
    bool externalArchiver = false;
    const std::atomic<bool>& stop;
};

// The file `name` in `folder` (whose full path is `path`): one report for a
// plain file; for an archive, a first report of the listing steps followed
// by one per member analysed. `records` are the readers' records, handed from
// file to file so that their room is kept; the dispatcher resets them.
// With `openFolder` (the folder held open), a plain file on disk is opened by
// its name in it.
std::vector<FileReport> AnalyseListedFile(const TaskContext& ctx, AnalysisRecords& records,
                                          const std::string& folder, const std::string& name,
                                          bool isArchive, const OpenFolder* openFolder = nullptr);

} // namespace qs
