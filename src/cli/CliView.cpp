#include "cli/CliView.h"

#include "cli/JsonReport.h"
#include "common/Text.h"
#include "search/Search.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace qs {

std::string toLf(std::string text) {
    return replaceAll(std::move(text), "\r\n", "\n");
}

CliView::CliView(CliSettings settings, std::FILE* out, std::FILE* err, std::FILE* in)
    : settings_(settings), out_(out), err_(err), in_(in), terminal_(::isatty(::fileno(err)) != 0),
      interactive_(terminal_ && ::isatty(::fileno(in)) != 0) {}

void CliView::lost(int error) {
    if (outError_ != 0)
        return;
    outError_ = error != 0 ? error : EIO;
    if (onReportLost)
        onReportLost();
}

void CliView::put(const std::string& bytes) {
    if (outError_ != 0)
        return;
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), out_) != bytes.size())
        lost(errno);
}

void CliView::flushOut() {
    errno = 0;
    if (outError_ == 0 && (std::fflush(out_) != 0 || std::ferror(out_) != 0))
        lost(errno);
}

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
    // The report before the closing status.
    flushOut();
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
    flushOut();
}

bool CliView::appendResult(const std::string& text) {
    if (settings_.json)
        return true; // the records below stand for the text report
    put(toLf(text) + "\n");
    return true;
}

void CliView::writeJson(const std::string& line) {
    put(line + "\n");
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
    const std::string exists = "The result file " + escapedForLine(path) + " already exists.";
    const std::string question = exists + "\r\nDo you want to overwrite it?";
    if (settings_.overwrite) {
        messageBox(MsgIcon::Question, MsgButtons::OkCancel, "File overwriting..", question);
        return true;
    }
    // Asked only where someone can answer; otherwise the way to say yes.
    if (!interactive_) {
        messageBox(MsgIcon::Exclamation, MsgButtons::Ok, "File overwriting..",
                   exists + " Use --overwrite to replace it.");
        return false;
    }
    clearStatusLine();
    std::fprintf(err_, "File overwriting..: %s [y/N] ", toLf(question).c_str());
    std::fflush(err_);
    char answer[16];
    return std::fgets(answer, sizeof answer, in_) != nullptr &&
           (answer[0] == 'y' || answer[0] == 'Y');
}

// Standard output has no limit: never asked.
SearchQuestions::FullView CliView::resultsViewFull(const std::string&, bool) {
    return FullView::GoOn;
}

} // namespace qs
