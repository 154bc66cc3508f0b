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
#include <optional>
#include <string>
#include <string_view>

namespace qs {

class KeptReading;

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
// With `keep`, what the readers found and the archives' members are kept
// there as the reading goes (the index stores them).
void AnalyseListedFile(const TaskContext& ctx, AnalysisRecords& records, const std::string& folder,
                       const std::string& name, bool isArchive, const OpenFolder* openFolder,
                       const ReportOut& out, KeptReading* keep = nullptr);

// The same reports from a reading kept before (by AnalyseListedFile), as
// the file stood then: the same matcher on the same records. False, and
// nothing sent to `out`, when this request takes a member that reading did
// not read, or its reader would not be the one that read it: then the file
// is to be read. With `namesMayMatch` false (no name of the reading can
// match the search string), only the medium's and tune's fields are taken
// back. Raises on a damaged reading.
// How many files analysed a reading kept before stands for, when nothing of
// it is shown to this request (no text in it can match, `namesMayMatch`
// false, and nothing else is shown of a file without a match) and it holds
// what this request's readers would read: it is then only counted. Nothing
// otherwise. Raises on a damaged reading.
// `passed`: the names of the members it passed over (KeptReading::
// passedNames), when the request's patterns need more of them than their
// shapes kept in the reading; without them, such a request is not answered.
std::optional<int> CountedAlone(const TaskContext& ctx, const std::string& path, bool isArchive,
                                std::string_view kept, const std::optional<std::string>& passed,
                                bool namesMayMatch);

bool ReplayListedFile(const TaskContext& ctx, AnalysisRecords& records, const std::string& folder,
                      const std::string& name, bool isArchive, std::string_view kept,
                      const std::optional<std::string>& passed, bool namesMayMatch,
                      const ReportOut& out);

} // namespace qs
