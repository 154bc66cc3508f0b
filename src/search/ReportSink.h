#pragma once
// How a search reaches the person who asked for it: the report and its
// records, the status, errors and notices, and the few questions a search
// asks. Each front end answers in its own way: the window with its controls
// and dialogs, the command line with its options and the terminal.
#include "common/MessageBox.h"
#include "search/ReportRecords.h"

#include <atomic>
#include <cstddef>
#include <string>

namespace qs {

struct SearchOutcome;

// The questions a search asks; each is answered before the search goes on.
class SearchQuestions {
  public:
    virtual ~SearchQuestions() = default;
    // The results file exists already: may the search replace it? No: the
    // search does not start.
    virtual bool replaceResultsFile(const std::string& path) = 0;

    // The results view will take no more of the report. What now?
    enum class FullView {
        GoOn,       // the report goes on where it is written already
        GoOnInFile, // the report goes on in the results file, from its start
        Stop,       // the search stops
    };
    // `saving`: the report is being written to `resultsFile` already. The
    // front end says what it has to say; with GoOnInFile the person has
    // agreed to replace the results file.
    virtual FullView resultsViewFull(const std::string& resultsFile, bool saving) = 0;
};

class ReportSink : public MessageSink, public SearchQuestions {
  public:
    // The status line: what the search does now.
    virtual void status(const std::string& /*text*/) {}
    // A moment to let the front end's pending events run.
    virtual void pump() {}
    // Folders done of the folders to check.
    virtual void progress(std::size_t /*done*/, std::size_t /*total*/) {}
    // Files done of the files to search, once the walk has counted them (the
    // total may still grow when a folder holds more files at its turn).
    virtual void fileProgress(std::size_t /*done*/, std::size_t /*total*/) {}

    // The report's texts. A text the view will not take (it is full) answers
    // false and is not shown; the search then asks resultsViewFull.
    virtual void clearResults() {}
    virtual bool appendResult(const std::string& text) = 0;
    // What the view holds of the report, for the results file when the
    // report moves there (CR LF before each text).
    virtual std::string shownResults() const { return {}; }

    // The report once more as records (SearchRequest::records): each match
    // and warning as its lines are reported, and the outcome when the search
    // ends, however it ends.
    virtual void reportMatch(const MatchRecord& /*match*/) {}
    virtual void reportWarning(const WarningRecord& /*warning*/) {}
    // Where the result block just reported was found (SearchRequest::blockPlaces).
    virtual void reportBlock(const FindingPlace& /*place*/) {}
    virtual void reportSummary(const SearchOutcome& /*outcome*/) {}
};

// A search's stop: asked for by the person (a button, Ctrl-C, from any
// thread) or by the search itself when the person declines to go on.
class StopToken {
  public:
    explicit StopToken(std::atomic<bool>& flag) : flag_(&flag) {}
    bool requested() const { return flag_->load(); }
    void request() const { flag_->store(true); }
    const std::atomic<bool>& flag() const { return *flag_; }

  private:
    std::atomic<bool>* flag_;
};

} // namespace qs
