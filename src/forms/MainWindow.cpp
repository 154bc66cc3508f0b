#include "forms/MainWindow.h"

#include "common/Files.h"
#include "common/Text.h"
#include "forms/DirectoryWindow.h"
#include "forms/FolderPicker.h"
#include "forms/ResultsBox.h"
#include "forms/ResultsFileDialog.h"
#include "forms/WindowParts.h"
#include "search/ToolPolicy.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <limits>
#include <tuple>
#include <utility>

namespace qs::forms {

namespace {

// Posted when a search has ended before its controls were painted grey.
const auto kControlsUnlocked = static_cast<QEvent::Type>(QEvent::registerEventType());

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

// The loss-of-focus warning of the file-mask box: asks when the mask holds a
// period; answers false when the person chose Cancel (focus goes back).
bool confirmFileMask(MessageSink& sink, const std::string& mask) {
    if (mask.find('.') == std::string::npos)
        return true;
    const std::string text =
        "A period is detected in the file mask. Remember that extension is automatically added "
        "when you choose the PC File Type.For example, if you want to search in all Blast files in "
        "D64, you have to choose D64 from the pc file type, and insert BLAST* in the file mask "
        "(not BLAST*.D64)\r\nPress OK if you think what you it's anyway correct, otherwise press "
        "Cancel";
    return sink.messageBox(MsgIcon::Question, MsgButtons::OkCancel, "Possible mistyping", text) ==
           MsgAnswer::Ok;
}

} // namespace

MainWindow::MainWindow(MainWindowSetup setup, QWidget* parent)
    : QWidget(parent), setup_(std::move(setup)),
      presenter_(setup_.presenter ? setup_.presenter : std::make_shared<QtMessageBoxPresenter>()),
      log_(setup_.errorLogPath), trap_(bridge_, log_) {
    if (setup_.resultsFolder.empty())
        setup_.resultsFolder = setup_.applicationFolder;
    // The window's defaults: saving on; the result blocks learn their files
    // from the search, and the directory window finds their matches again.
    request_.saveResults = true;
    request_.blockPlaces = true;
    request_.jobs = setup_.jobs;
    request_.toolTimeout = setup_.tools.timeout;
    request_.index = SearchRequest::IndexUse::Use;
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QStringLiteral("Quillsift [Orvel Soft]"));
    buildControls();
    // What the last run left: the request, the recent searches and the
    // window's shape. A folder given at the start wins over the one
    // remembered; the tools that are missing switch off what needs them.
    std::string folder, resultsFile;
    if (const auto settings = openSettings()) {
        std::tie(folder, resultsFile) = restoreRequest(*settings);
        restoreShape(*settings);
    }
    if (setup_.startFolder.empty())
        setup_.startFolder = folder.empty() ? setup_.applicationFolder : folder;
    const std::string agreed = replaceAgreed_;
    Initialize();
    if (!resultsFile.empty())
        setResultsFile(resultsFile);
    if (agreed == request_.resultsFile)
        replaceAgreed_ = agreed;
}

MainWindow::~MainWindow() {
    if (searchThread_.joinable()) {
        stop_ = true;
        bridge_.close();
        searchThread_.join();
    }
}

void MainWindow::stopSearch() {
    if (!searching() || stop_)
        return;
    setStartCaption("&START SEARCH");
    stop_ = true;
    // The files in flight are still being finished: START waits for that.
    cmdStart_->setEnabled(false);
}

void MainWindow::startClicked() {
    if (searching())
        return stopSearch();
    setSearchRunning(true);
    rememberSearch(request_.pattern);
    problems_.clear();
    if (problemsWindow_)
        problemsWindow_->setProblems(problems_);
    // The search reads its own copy, so that the controls are never read off
    // the window's thread; the box is emptied for every new search.
    running_ = request_;
    shownSearch_ = request_;
    stop_ = false;
    bridge_.beginSearch(replaceAgreed_);
    searchThread_ = std::thread([this] {
        SearchSetup setup{setup_.tools.toolFolder, setup_.tools.tempFolder, setup_.errorLogPath};
        setup.opener = setup_.opener;
        const SearchOutcome outcome =
            SearchEngine(std::move(setup)).Search(running_, bridge_, StopToken(stop_));
        QMetaObject::invokeMethod(
            this,
            [this, outcome] {
                lastOutcome_ = outcome;
                searchEnded();
            },
            Qt::QueuedConnection);
    });
}

void MainWindow::searchEnded() {
    searchThread_.join();
    bridge_.endSearch();
    setSearchRunning(false);
    cmdStart_->setEnabled(true);
    const std::size_t failed = problems_.size();
    lbInfo_->setLinked(failed > 0, QStringLiteral("Shows the %1 that could not be searched")
                                       .arg(failed == 1 ? QStringLiteral("file")
                                                        : QStringLiteral("%1 files").arg(failed)));
    if (closeWhenDone_)
        close();
}

void MainWindow::rememberSearch(const std::string& pattern) {
    constexpr std::size_t kKept = 20;
    if (pattern.empty())
        return;
    std::erase(history_, pattern);
    history_.insert(history_.begin(), pattern);
    if (history_.size() > kKept)
        history_.resize(kKept);
    showHistory();
}

void MainWindow::showHistory() {
    // The list changes under the text being edited: the text stays.
    const QSignalBlocker block(findCombo_);
    const QString text = txFindSTR_->text();
    findCombo_->clear();
    for (const std::string& past : history_)
        findCombo_->addItem(QString::fromStdString(past));
    findCombo_->setCurrentIndex(-1);
    txFindSTR_->setText(text);
}

void MainWindow::enterPressed() {
    QWidget* focus = QApplication::focusWidget();
    if (focus == nullptr)
        return;
    for (QWidget* part :
         {static_cast<QWidget*>(frameFile_), static_cast<QWidget*>(frameSearch_),
          static_cast<QWidget*>(framePCFile_), static_cast<QWidget*>(frameCBMFile_)})
        if (part->isAncestorOf(focus)) {
            if (!searching())
                startClicked();
            return;
        }
    if (focus == lbInfo_ && lbInfo_->linked())
        showProblems();
    else if (auto* button = qobject_cast<QAbstractButton*>(focus); button && button->isEnabled())
        button->animateClick();
}

ProblemsWindow* MainWindow::showProblems() {
    if (!problemsWindow_) {
        problemsWindow_ = new ProblemsWindow(this);
        problemsWindow_->setAttribute(Qt::WA_DeleteOnClose);
    }
    problemsWindow_->setProblems(problems_);
    problemsWindow_->show();
    problemsWindow_->raise();
    problemsWindow_->activateWindow();
    return problemsWindow_;
}

void MainWindow::addProblems(const std::vector<TrappedMessage>& messages) {
    for (const TrappedMessage& message : messages)
        AddProblem(problems_, message);
    if (problemsWindow_ && problemsWindow_->isVisible())
        problemsWindow_->setProblems(problems_);
}

void MainWindow::agreeToReplace(const std::string& path) {
    replaceAgreed_ = path;
}

void MainWindow::showHelp() {
    if (!helpWindow_) {
        helpWindow_ = new HelpWindow(this);
        helpWindow_->setAttribute(Qt::WA_DeleteOnClose);
    }
    helpWindow_->show();
    helpWindow_->raise();
    helpWindow_->activateWindow();
}

void MainWindow::Initialize() {
    trap_.run("Initialize", [&] {
        picker_->setFolder(setup_.startFolder);
        setResultsFile(TrailingSlash(setup_.resultsFolder) + kResultsFileName);
        info("");
        clearResults();

        if (const std::string& notice = setup_.tempFolderNotice; !notice.empty())
            messageBox(MsgIcon::Information, MsgButtons::Ok, "Temporary folder",
                       upperAscii(notice.substr(0, 1)) + notice.substr(1) + ".");

        // Tests say which tools are there; the program looks for them.
        const ToolPresence present = [&](OutsideTool tool) {
            if (!setup_.toolPresent)
                return !FindTool(setup_.applicationFolder, tool).empty();
            return setup_.toolPresent(tool == OutsideTool::C1541    ? "c1541"
                                      : tool == OutsideTool::Tape64 ? "tape64"
                                                                    : "7za");
        };
        // What a missing program would read is switched off for good.
        for (const OutsideTool tool :
             CheckOutsideTools(present, bridge_, request_.formats, request_.archives, false)) {
            if (tool == OutsideTool::Archiver) {
                chkZIP_->setChecked(false);
                chkZIP_->setEnabled(false);
            }
            const FormatSet listed = FormatsListedBy(tool);
            for (std::size_t i = 0; i < ContainerFormats().size(); ++i)
                if (listed.contains(ContainerFormats()[i])) {
                    chkFileType_[i]->setChecked(false);
                    chkFileType_[i]->setEnabled(false);
                }
        }
    });
}

void MainWindow::setResultsFile(const std::string& path) {
    // An agreement to replace a file holds for that file only.
    if (path != replaceAgreed_)
        replaceAgreed_.clear();
    request_.resultsFile = path;
    lbFileName_->setText(qs(path));
    lbFileName_->setToolTip(qs(path));
}

void MainWindow::setSaveFile(bool ticked) {
    chkSaveFile_->setChecked(ticked);
}

void MainWindow::info(const std::string& text) {
    lbInfo_->setText(qs(text));
}

void MainWindow::clearResults() {
    txResults_->clearResults();
}

void MainWindow::report(std::vector<ReportItem> items) {
    txResults_->report(std::move(items));
}

std::vector<QWidget*> MainWindow::searchLockedControls() const {
    return {frameFile_, frameSearch_, framePCFile_, frameCBMFile_,
            cmdAbout_,  command1_,    cmdOpenFile_, chkSaveFile_};
}

void MainWindow::paintLockedControls() {
    greyLater_.stop();
    for (QWidget* control : searchLockedControls())
        control->setUpdatesEnabled(true);
}

void MainWindow::setSearchRunning(bool running) {
    // The controls are disabled at once, but painted grey only once the
    // search has run for a moment: a search that ends at once does not flash
    // the window grey and back, and its first moments are not spent
    // repainting every control while the search starts.
    const bool greyPending = greyLater_.isActive();
    greyLater_.stop();
    for (QWidget* control : searchLockedControls()) {
        if (running)
            control->setUpdatesEnabled(false);
        control->setEnabled(!running);
    }
    if (running)
        greyLater_.start();
    else if (greyPending)
        // Never shown grey, they look as they should: they paint again after
        // the repaint that shows the search's outcome (posted events of one
        // priority are taken in turn, and a repaint has the low one).
        QCoreApplication::postEvent(this, new QEvent(kControlsUnlocked), Qt::LowEventPriority);
    escape_->setEnabled(running);
    setStartCaption(running ? "&STOP SEARCH" : "&START SEARCH");
    if (running) {
        // Hourglass over the window, arrow and hourglass over the button.
        setCursor(Qt::WaitCursor);
        cmdStart_->setCursor(Qt::BusyCursor);
        countingFiles_ = false;
        lbInfo_->setLinked(false);
        progress_->setFormat(QStringLiteral("%v / %m folders"));
        progress_->setRange(0, 0);
        progress_->setVisible(true);
    } else {
        unsetCursor();
        cmdStart_->unsetCursor();
        progress_->setVisible(false);
    }
}

void MainWindow::setStartCaption(const std::string& caption) {
    cmdStart_->setText(qs(caption));
}

void MainWindow::folderProgress(std::size_t done, std::size_t total) {
    // Once the files are counted, the bar counts them instead.
    if (!countingFiles_)
        showProgress(done, total, QStringLiteral("folders"));
}

void MainWindow::fileProgress(std::size_t done, std::size_t total) {
    countingFiles_ = true;
    showProgress(done, total, QStringLiteral("files"));
}

void MainWindow::showProgress(std::size_t done, std::size_t total, const QString& unit) {
    const auto clamp = [](std::size_t n) {
        return static_cast<int>(std::min<std::size_t>(n, std::numeric_limits<int>::max()));
    };
    // The bar repaints itself at once on a new value; its paint waits for
    // the window's next one instead, so that a search's progress costs the
    // window no paint of its own.
    const bool wasBusy = progress_->maximum() == 0;
    progress_->setUpdatesEnabled(false);
    if (wasBusy && done == 0 && total > 0) {
        // A style's busy animation goes on at 60 frames a second on a bar
        // that leaves the busy state at its minimum, until the bar is painted
        // past it: one paint off the screen ends it.
        progress_->setRange(0, 2);
        progress_->setValue(1);
        QPixmap offScreen(progress_->size());
        progress_->render(&offScreen);
    }
    progress_->setFormat(QStringLiteral("%v / %m ") + unit);
    progress_->setRange(0, clamp(total));
    progress_->setValue(clamp(done));
    progress_->setUpdatesEnabled(true);
    progress_->update();
}

MsgAnswer MainWindow::messageBox(MsgIcon icon, MsgButtons buttons, const std::string& title,
                                 const std::string& text) {
    return presenter_->present(icon, buttons, title, text);
}

void MainWindow::openResultsFile() {
    const std::string path = request_.resultsFile;
    if (!FileExists(path)) {
        messageBox(MsgIcon::Exclamation, MsgButtons::Ok, "No file!",
                   "The file " + path + " is not present.");
        return;
    }
    if (!openUrl(QUrl::fromLocalFile(qs(path))))
        messageBox(MsgIcon::Exclamation, MsgButtons::Ok, "No program!",
                   "No program could open the file " + path + ".");
}

bool MainWindow::openUrl(const QUrl& url) const {
    return setup_.openUrl ? setup_.openUrl(url) : QDesktopServices::openUrl(url);
}

void MainWindow::chooseResultsFile() {
    ResultsFileDialog dialog(this, bridge_, trap_, request_.resultsFile);
    const int result = setup_.runDialog ? setup_.runDialog(dialog) : dialog.exec();
    // The file chosen is the answer to replacing it: it is not asked again.
    if (result == QDialog::Accepted) {
        setResultsFile(dialog.chosenPath());
        replaceAgreed_ = dialog.chosenPath();
    }
}

void MainWindow::fileMaskLostFocus() {
    if (askingMask_)
        return;
    askingMask_ = true;
    const bool keep = confirmFileMask(bridge_, request_.mask);
    askingMask_ = false;
    // The focus goes back once the current focus change has finished.
    if (!keep)
        QTimer::singleShot(0, txFileMask_, [mask = txFileMask_] { mask->setFocus(); });
}

bool MainWindow::event(QEvent* event) {
    if (event->type() == kControlsUnlocked) {
        paintLockedControls();
        return true;
    }
    if (event->type() == QEvent::Paint && greyLater_.isActive()) {
        // The window is painted over controls whose painting is held back
        // (it was uncovered, or resized): they paint now, grey, instead of
        // staying blank until the moment ends.
        const QRegion& region = static_cast<QPaintEvent*>(event)->region();
        const auto lockedArea = [&](QWidget* control) {
            return region.intersects(QRect(control->mapTo(this, QPoint()), control->size()));
        };
        const std::vector<QWidget*> controls = searchLockedControls();
        if (std::any_of(controls.begin(), controls.end(), lockedArea))
            paintLockedControls();
    }
    return QWidget::event(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txFileMask_ && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // Leaving the box within the window, not switching windows or menus,
        // nor losing it because a search disabled its frame.
        if (txFileMask_->isEnabled() && reason != Qt::ActiveWindowFocusReason &&
            reason != Qt::PopupFocusReason && reason != Qt::MenuBarFocusReason)
            fileMaskLostFocus();
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // A search still running would go on with no window to show it: it is
    // stopped, and the window closes once it has ended.
    if (searchThread_.joinable()) {
        stop_ = true;
        closeWhenDone_ = true;
        bridge_.close();
        event->ignore();
        return;
    }
    saveSettings();
    event->accept();
}

void MainWindow::showEvent(QShowEvent* event) {
    // Brought within the screen once, however large it was when last closed
    // or however small the screen.
    if (!std::exchange(placed_, true))
        fitToScreen();
    QWidget::showEvent(event);
}

} // namespace qs::forms
