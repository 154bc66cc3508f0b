#include "cli/CliView.h"

#include "cli/JsonReport.h"
#include "common/Text.h"
#include "search/Search.h"

#include <algorithm>
#include <unistd.h>

namespace qs {

std::string toLf(std::string text) {
    return replaceAll(std::move(text), "\r\n", "\n");
}

CliView::CliView(CliSettings settings, std::FILE* out, std::FILE* err)
    : settings_(settings), out_(out), err_(err), terminal_(::isatty(::fileno(err)) != 0) {}

void CliView::clearStatusLine() {
    if (terminal_ && statusShown_) {
        std::fputs("\r\033[K", err_);
        statusShown_ = false;
    }
}

void CliView::status(const std::string& text) {
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

void CliView::pump() {
    std::fflush(out_);
}

bool CliView::appendResult(const std::string& text) {
    if (settings_.json)
        return true; // the records below stand for the text report
    const std::string line = toLf(text) + "\n";
    std::fwrite(line.data(), 1, line.size(), out_);
    return true;
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
    ReportSink::errorMessage(message);
    if (settings_.json && settings_.warnings)
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
        return MsgAnswer::Cancel;
    case MsgButtons::YesNo:
        return MsgAnswer::No;
    }
    return MsgAnswer::Cancel;
}

bool CliView::replaceResultsFile(const std::string& path) {
    messageBox(MsgIcon::Question, MsgButtons::OkCancel, "File overwriting..",
               "The result file " + path + " already exists.\r\nDo you want to overwrite it?");
    return settings_.overwrite;
}

// Standard output has no limit: never asked.
SearchQuestions::FullView CliView::resultsViewFull(const std::string&, bool) {
    return FullView::GoOn;
}

} // namespace qs
