#pragma once
// The search's view of the main window. The Qt window implements it with
// widgets, the command line with flags and the terminal, tests with a fake.
#include "common/MessageBox.h"
#include "search/ReportRecords.h"
#include "search/SearchOptions.h"

#include <cstddef>
#include <string>

namespace qs {

struct SearchOutcome;

class MainView : public MessageSink {
  public:
    // The request, read live by each step of the search.
    virtual SearchOptions& options() = 0;
    // Ticks "Save Results on File" (the output step does this on request).
    virtual void setSaveFile(bool ticked) = 0;

    // Status label lbInfo.
    virtual void info(const std::string& text) = 0;
    // Lets pending window events run (a stop click arrives through here).
    virtual void doEvents() = 0;

    // Results text box txResults. Texts are UTF-8; the length counts characters.
    virtual std::size_t resultsLength() const = 0;
    // False for a front end whose results have no size limit (the terminal).
    virtual bool resultsLimited() const { return true; }
    virtual std::string resultsText() const = 0;
    virtual void clearResults() = 0;
    // Appends a line break and the text. May raise error 7 when the box is full.
    virtual void appendResult(const std::string& text) = 0;

    // Start button: the search is running (controls disabled, caption
    // "&STOP SEARCH", busy pointer) or idle again.
    virtual void setSearchRunning(bool running) = 0;
    virtual void setStartCaption(const std::string& caption) = 0;

    // Folders done of the folders to check; a front end may show a progress bar.
    virtual void folderProgress(std::size_t /*done*/, std::size_t /*total*/) {}

    // The report once more as records, for a front end that writes it in a
    // structured form: each match and warning as its lines are reported, and
    // the outcome when the search ends, however it ends.
    virtual void reportMatch(const MatchRecord& /*match*/) {}
    virtual void reportWarning(const WarningRecord& /*warning*/) {}
    // Where the result block just reported was found (SearchOptions::blockPlaces).
    virtual void reportBlock(const FindingPlace& /*place*/) {}
    virtual void reportSummary(const SearchOutcome& /*outcome*/) {}
};

} // namespace qs
