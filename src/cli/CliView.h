#pragma once
// The command line's side of a search: results to standard output, messages
// and the status line to standard error, questions answered by the options.
#include "search/ReportSink.h"

#include <atomic>
#include <cstdio>
#include <functional>
#include <string>

namespace qs {

struct CliSettings {
    bool quiet = false;
    bool overwrite = false; // replace an existing results file
    bool json = false;      // the report as JSON Lines instead of text
    bool warnings = false;  // errors also as JSON records
};

class CliView final : public ReportSink {
  public:
    // The results file question is asked on `err` and answered on `in` when
    // both are a terminal.
    CliView(CliSettings settings, std::FILE* out, std::FILE* err, std::FILE* in = stdin);

    // Writes out the report and prints the last status when standard error
    // is not a terminal.
    void finish();

    // Called once when the report cannot be written (a full disk, a closed
    // or broken pipe): the search should stop.
    std::function<void()> onReportLost;
    // Why the report could not be written (an errno value), or 0.
    int reportLost() const { return outError_; }

    void status(const std::string& text) override;
    void pump() override;
    bool appendResult(const std::string& text) override;
    MsgAnswer messageBox(MsgIcon icon, MsgButtons buttons, const std::string& title,
                         const std::string& text) override;
    void errorMessage(const TrappedMessage& message) override;
    void reportMatch(const MatchRecord& match) override;
    void reportWarning(const WarningRecord& warning) override;
    void reportSummary(const SearchOutcome& outcome) override;
    bool replaceResultsFile(const std::string& path) override;
    FullView resultsViewFull(const std::string& resultsFile, bool saving) override;

  private:
    void clearStatusLine();
    void writeJson(const std::string& line);
    // Every byte of the report goes through here, so that the first failed
    // write is noticed.
    void put(const std::string& bytes);
    void flushOut();
    void lost(int error);

    CliSettings settings_;
    std::FILE* out_;
    std::FILE* err_;
    std::FILE* in_;
    bool terminal_;
    bool interactive_; // questions can be asked and answered
    int outError_ = 0;
    bool statusShown_ = false;
    std::string lastStatus_;
};

// "\r\n" becomes "\n".
std::string toLf(std::string text);

} // namespace qs
