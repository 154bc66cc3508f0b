#include "forms/SearchBridge.h"

#include "common/Files.h"
#include "common/Text.h"
#include "forms/MainWindow.h"

#include <QThread>

#include <utility>

namespace qs::forms {

SearchBridge::SearchBridge(MainWindow& window) : window_(window) {
    timer_.setInterval(50);
    connect(&timer_, &QTimer::timeout, this, &SearchBridge::flush);
}

SearchBridge::~SearchBridge() {
    close();
}

bool SearchBridge::onWindowThread() const {
    return QThread::currentThread() == thread();
}

void SearchBridge::beginSearch(const std::string& replaceAgreed) {
    {
        const std::lock_guard lock(mutex_);
        closed_ = false;
        quietErrors_ = false;
        replaceAgreed_ = replaceAgreed;
    }
    timer_.start();
}

void SearchBridge::endSearch() {
    timer_.stop();
    flush();
}

void SearchBridge::close() {
    {
        const std::lock_guard lock(mutex_);
        closed_ = true;
    }
    answered_.notify_all();
}

void SearchBridge::setSaveFile(bool ticked) {
    if (onWindowThread())
        return window_.setSaveFile(ticked);
    const std::lock_guard lock(mutex_);
    saveFile_ = ticked;
}

void SearchBridge::status(const std::string& text) {
    if (onWindowThread())
        return window_.info(text);
    const std::lock_guard lock(mutex_);
    status_ = text;
}

void SearchBridge::progress(std::size_t done, std::size_t total) {
    if (onWindowThread())
        return window_.folderProgress(done, total);
    const std::lock_guard lock(mutex_);
    progress_ = {done, total};
}

void SearchBridge::fileProgress(std::size_t done, std::size_t total) {
    if (onWindowThread())
        return window_.fileProgress(done, total);
    const std::lock_guard lock(mutex_);
    fileProgress_ = {done, total};
}

void SearchBridge::clearResults() {
    results_.clear();
    resultsLength_ = 0;
    if (onWindowThread())
        return window_.clearResults();
    const std::lock_guard lock(mutex_);
    reported_.clear();
    clear_ = true;
}

bool SearchBridge::appendResult(const std::string& text) {
    const std::size_t length = utf8Length(text);
    if (length + resultsLength_ > kTextBoxLimit && resultsLength_ < kTextBoxLimit)
        return false;
    results_ += "\r\n" + text;
    resultsLength_ += 2 + length;
    if (onWindowThread()) {
        window_.report({text});
        return true;
    }
    const std::lock_guard lock(mutex_);
    reported_.emplace_back(text);
    return true;
}

void SearchBridge::reportBlock(const FindingPlace& place) {
    if (onWindowThread())
        return window_.report({place});
    const std::lock_guard lock(mutex_);
    reported_.emplace_back(place);
}

void SearchBridge::errorMessage(const TrappedMessage& message) {
    // The search's errors only: the window's own (start-up, a folder
    // chosen, a directory listed) concern no search.
    if (!onWindowThread()) {
        const std::lock_guard lock(mutex_);
        problems_.push_back(message);
    }
    ReportSink::errorMessage(message);
}

bool SearchBridge::replaceResultsFile(const std::string& path) {
    {
        const std::lock_guard lock(mutex_);
        if (!replaceAgreed_.empty() && path == replaceAgreed_)
            return true;
    }
    const std::string text =
        "The result file " + path + " already exists.\r\nDo you want to overwrite it?";
    if (onWindowThread())
        return window_.messageBox(MsgIcon::Question, MsgButtons::OkCancel, "File overwriting..",
                                  text) == MsgAnswer::Ok;
    return ask(std::make_shared<Box>(Box{MsgIcon::Question, MsgButtons::OkCancel,
                                         "File overwriting..", text, false, std::nullopt, path})) ==
           MsgAnswer::Ok;
}

SearchQuestions::FullView SearchBridge::resultsViewFull(const std::string& resultsFile,
                                                        bool saving) {
    const std::string limit = "(" + std::to_string(kTextBoxLimit) + " chars)";
    if (saving) {
        messageBox(MsgIcon::Exclamation, MsgButtons::Ok, "Text Limit.",
                   "Size limit for the text box " + limit +
                       " has been reached [note: this is a VB problem, don't report it as a "
                       "bug].\r\nComplete results will be anyway available in the file " +
                       resultsFile);
        return FullView::GoOn;
    }
    const MsgAnswer answer = messageBox(
        MsgIcon::Question, MsgButtons::YesNo, "Text Limit.",
        "Size limit for the text box " + limit +
            " reached [note: this is a VB problem, don't report it as a bug].\r\nDo you want "
            "to activate the file logging? \r\n (previous results will be saved).");
    if (answer != MsgAnswer::Yes)
        return FullView::Stop;
    setSaveFile(true);
    if (FileExists(resultsFile) &&
        messageBox(MsgIcon::Question, MsgButtons::OkCancel, "File overwriting..",
                   "The file " + resultsFile +
                       " already exists.\r\nDo you want to overwrite it?") != MsgAnswer::Ok) {
        status("Process Stopped");
        return FullView::Stop;
    }
    return FullView::GoOnInFile;
}

MsgAnswer SearchBridge::escapeAnswer(MsgButtons buttons) {
    return buttons == MsgButtons::Ok      ? MsgAnswer::Ok
           : buttons == MsgButtons::YesNo ? MsgAnswer::No
                                          : MsgAnswer::Cancel;
}

MsgAnswer SearchBridge::messageBox(MsgIcon icon, MsgButtons buttons, const std::string& title,
                                   const std::string& text) {
    if (onWindowThread())
        return window_.messageBox(icon, buttons, title, text);
    const bool searchError = icon == MsgIcon::Critical;
    return ask(std::make_shared<Box>(Box{icon, buttons, title, text, searchError, std::nullopt}));
}

MsgAnswer SearchBridge::ask(std::shared_ptr<Box> box) {
    const MsgButtons buttons = box->buttons;
    std::unique_lock lock(mutex_);
    if (closed_)
        return escapeAnswer(buttons);
    if (box->searchError && quietErrors_)
        return MsgAnswer::Ok;
    boxes_.push_back(box);
    QMetaObject::invokeMethod(this, &SearchBridge::showBoxes, Qt::QueuedConnection);
    answered_.wait(lock, [&] { return box->answer.has_value() || closed_; });
    return box->answer.value_or(escapeAnswer(buttons));
}

void SearchBridge::showBoxes() {
    // What was reported before the box is on the screen before it.
    flush();
    for (;;) {
        std::shared_ptr<Box> box;
        {
            const std::lock_guard lock(mutex_);
            if (boxes_.empty())
                return;
            box = boxes_.front();
            boxes_.pop_front();
        }
        MsgAnswer answer = MsgAnswer::Ok;
        SearchErrorAnswer error;
        if (box->searchError) {
            error = window_.presenter_->presentSearchError(box->title, box->text);
        } else if (!box->agreeFile.empty()) {
            const CheckedAnswer checked = window_.presenter_->presentWithCheck(
                box->icon, box->buttons, box->title, box->text,
                "Don't ask again for this file (until another is chosen)");
            answer = checked.answer;
            // Only agreeing is remembered: a remembered refusal would stop
            // every search without a word.
            if (checked.checked && answer == MsgAnswer::Ok)
                window_.agreeToReplace(box->agreeFile);
        } else {
            answer = window_.messageBox(box->icon, box->buttons, box->title, box->text);
        }
        // The stop is asked for before the search goes on past this error.
        if (error.stopSearch)
            window_.stopSearch();
        {
            const std::lock_guard lock(mutex_);
            quietErrors_ = quietErrors_ || error.showNoMore;
            box->answer = answer;
        }
        answered_.notify_all();
    }
}

void SearchBridge::flush() {
    std::optional<std::string> status;
    std::optional<std::pair<std::size_t, std::size_t>> progress;
    std::optional<std::pair<std::size_t, std::size_t>> fileProgress;
    std::vector<TrappedMessage> problems;
    std::optional<bool> saveFile;
    std::vector<ReportItem> reported;
    bool clear = false;
    {
        const std::lock_guard lock(mutex_);
        status.swap(status_);
        progress.swap(progress_);
        fileProgress.swap(fileProgress_);
        problems.swap(problems_);
        saveFile.swap(saveFile_);
        reported.swap(reported_);
        std::swap(clear, clear_);
    }
    if (clear)
        window_.clearResults();
    if (!reported.empty())
        window_.report(std::move(reported));
    if (saveFile)
        window_.setSaveFile(*saveFile);
    if (progress)
        window_.folderProgress(progress->first, progress->second);
    if (fileProgress)
        window_.fileProgress(fileProgress->first, fileProgress->second);
    if (!problems.empty())
        window_.addProblems(problems);
    if (status)
        window_.info(*status);
}

} // namespace qs::forms
