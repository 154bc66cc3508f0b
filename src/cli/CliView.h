#pragma once
// The command line's side of the main window: options from flags, results to
// standard output, messages and status to standard error.
#include "search/MainView.h"

#include <atomic>
#include <cstdio>
#include <string>

namespace qs {

class Session;

struct CliSettings {
    bool quiet = false;
    bool overwrite = false; // answer OK to the overwrite question
    bool json = false;      // the report as JSON Lines instead of text
};

class CliView final : public MainView {
  public:
    CliView(SearchOptions options, CliSettings settings, std::FILE* out, std::FILE* err);

    void attach(Session* session);
    // Called from the SIGINT handler: records the request, and raises the
    // session's stop flag at once so that a running outside program ends.
    static void requestStop() {
        stopRequested_.store(true);
        if (std::atomic<bool>* flag = stopFlag_.load())
            flag->store(true);
    }
    // Prints the last status when standard error is not a terminal.
    void finish();

    SearchOptions& options() override { return options_; }
    void setSaveFile(bool ticked) override { options_.saveFile = ticked; }
    void info(const std::string& text) override;
    void doEvents() override;
    std::size_t resultsLength() const override { return 0; }
    bool resultsLimited() const override { return false; }
    std::string resultsText() const override { return {}; }
    void clearResults() override {}
    void appendResult(const std::string& text) override;
    void setSearchRunning(bool) override {}
    void setStartCaption(const std::string&) override {}
    MsgAnswer messageBox(MsgIcon icon, MsgButtons buttons, const std::string& title,
                         const std::string& text) override;
    void errorMessage(const TrappedMessage& message) override;
    void reportMatch(const MatchRecord& match) override;
    void reportWarning(const WarningRecord& warning) override;
    void reportSummary(const SearchOutcome& outcome) override;

  private:
    void clearStatusLine();
    void writeJson(const std::string& line);

    SearchOptions options_;
    CliSettings settings_;
    std::FILE* out_;
    std::FILE* err_;
    bool terminal_;
    bool statusShown_ = false;
    std::string lastStatus_;
    Session* session_ = nullptr;
    static std::atomic<bool> stopRequested_;
    static std::atomic<std::atomic<bool>*> stopFlag_;
};

// "\r\n" becomes "\n".
std::string toLf(std::string text);

} // namespace qs
