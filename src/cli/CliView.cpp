#include "cli/CliView.h"

#include "cli/JsonReport.h"
#include "common/Text.h"
#include "search/SearchDriver.h"
#include "search/Session.h"

#include <algorithm>
#include <unistd.h>

namespace qs {

std::atomic<bool> CliView::stopRequested_{false};
std::atomic<std::atomic<bool>*> CliView::stopFlag_{nullptr};

void CliView::attach(Session* session) {
    session_ = session;
    stopFlag_.store(session != nullptr ? &session->StopSearch : nullptr);
}

std::string toLf(std::string text) {
    return replaceAll(std::move(text), "\r\n", "\n");
}

CliView::CliView(SearchOptions options, CliSettings settings, std::FILE* out, std::FILE* err)
    : options_(std::move(options)), settings_(settings), out_(out), err_(err),
      terminal_(::isatty(::fileno(err)) != 0) {}

void CliView::clearStatusLine() {
    if (terminal_ && statusShown_) {
        std::fputs("\r\033[K", err_);
        statusShown_ = false;
    }
}

void CliView::info(const std::string& text) {
    lastStatus_ = text;
    if (settings_.quiet || !terminal_)
        return;
    std::string line = toLf(text);
    std::replace(line.begin(), line.end(), '\n', ' ');
    std::fputs("\r\033[K", err_);
    std::fputs(line.c_str(), err_);
    std::fflush(err_);
    statusShown_ = true;
}

void CliView::finish() {
    if (settings_.quiet)
        return;
    if (terminal_) {
        if (statusShown_)
            std::fputc('\n', err_);
    } else if (!lastStatus_.empty()) {
        std::fprintf(err_, "%s\n", lastStatus_.c_str());
    }
    statusShown_ = false;
}

void CliView::doEvents() {
    std::fflush(out_);
    // Ctrl-C acts as a click on the stop button.
    if (stopRequested_.exchange(false) && session_ != nullptr)
        StartButtonClick(*session_);
}

void CliView::appendResult(const std::string& text) {
    if (settings_.json)
        return; // the records below stand for the text report
    const std::string line = toLf(text) + "\n";
    std::fwrite(line.data(), 1, line.size(), out_);
}

void CliView::writeJson(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), out_);
    std::fputc('\n', out_);
}

void CliView::reportMatch(const MatchRecord& match) {
    if (settings_.json)
        writeJson(MatchJson(match));
}

// Warnings come only when asked for, as in the text report.
void CliView::reportWarning(const WarningRecord& warning) {
    if (settings_.json)
        writeJson(WarningJson(warning));
}

void CliView::errorMessage(const TrappedMessage& message) {
    MainView::errorMessage(message);
    if (settings_.json && options_.showMediaWarn)
        writeJson(ErrorJson(message));
}

void CliView::reportSummary(const SearchOutcome& outcome) {
    if (settings_.json)
        writeJson(SummaryJson(outcome));
}

MsgAnswer CliView::messageBox(MsgIcon, MsgButtons buttons, const std::string& title,
                              const std::string& text) {
    clearStatusLine();
    std::fprintf(err_, "%s: %s\n", title.c_str(), toLf(text).c_str());
    std::fflush(err_);
    switch (buttons) {
    case MsgButtons::Ok:
        return MsgAnswer::Ok;
    case MsgButtons::OkCancel:
        return settings_.overwrite && title == "File overwriting.." ? MsgAnswer::Ok
                                                                    : MsgAnswer::Cancel;
    case MsgButtons::YesNo:
        return MsgAnswer::No;
    }
    return MsgAnswer::Cancel;
}

} // namespace qs
