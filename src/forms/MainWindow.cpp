#include "forms/MainWindow.h"

#include "common/Files.h"
#include "common/Text.h"
#include "forms/DirectoryWindow.h"
#include "forms/FolderPicker.h"
#include "forms/KeyFilter.h"
#include "forms/ResultsBox.h"
#include "forms/ResultsFileDialog.h"
#include "search/ToolPolicy.h"
#include "tools/ArchiveReader.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>
#include <string_view>

namespace qs::forms {

namespace {

// Posted when a search has ended before its controls were painted grey.
const auto kControlsUnlocked = static_cast<QEvent::Type>(QEvent::registerEventType());

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

// The key filter of the file-mask box: false for characters it drops.
bool fileMaskAcceptsKey(char32_t key) {
    return std::u32string_view(U"\\/:\"><|").find(key) == std::u32string_view::npos;
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

const char* const kArchivesCaption = "Include Archives";
const char* const kArchivesTip = "Include ZIP, RAR, ARJ archives. File mask affects the archived "
                                 "files, not the file archive.";

} // namespace

MainWindow::MainWindow(MainWindowSetup setup, QWidget* parent)
    : QWidget(parent), setup_(std::move(setup)),
      presenter_(setup_.presenter ? setup_.presenter : std::make_shared<QtMessageBoxPresenter>()),
      log_(setup_.errorLogPath), trap_(bridge_, log_) {
    if (setup_.startFolder.empty())
        setup_.startFolder = setup_.applicationFolder;
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
    Initialize();
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
    // The search reads its own copy, so that the controls are never read off
    // the window's thread; the box is emptied for every new search.
    running_ = request_;
    shownSearch_ = request_;
    stop_ = false;
    bridge_.beginSearch();
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
    if (closeWhenDone_)
        close();
}

QCheckBox* MainWindow::addOption(QWidget* parent, const QString& name, const QString& caption,
                                 const QString& toolTip, bool& option) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setToolTip(toolTip);
    box->setChecked(option);
    connect(box, &QCheckBox::toggled, this, [&option](bool ticked) { option = ticked; });
    return box;
}

QGroupBox* MainWindow::buildGrid(const QString& title, const QString& name,
                                 std::vector<GridBox> boxes, std::vector<QCheckBox*>& widgets,
                                 int columns) {
    auto* frame = new QGroupBox(title, this);
    auto* grid = new QGridLayout(frame);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        GridBox& row = boxes[i];
        auto* box = new QCheckBox(row.caption, frame);
        box->setObjectName(name + QStringLiteral("(%1)").arg(i));
        box->setToolTip(row.toolTip);
        box->setProperty("tag", row.tag);
        box->setChecked(row.ticked);
        connect(box, &QCheckBox::toggled, this, std::move(row.set));
        const int index = static_cast<int>(i);
        grid->addWidget(box, index / columns, index % columns);
        widgets.push_back(box);
    }
    return frame;
}

QGroupBox* MainWindow::buildSearchFrame() {
    auto* frame = new QGroupBox(QStringLiteral("Search Options"), this);
    frame->setObjectName(QStringLiteral("frameSearch"));
    auto* grid = new QGridLayout(frame);

    auto* label = new QLabel(QStringLiteral("Search for:"), frame);
    label->setObjectName(QStringLiteral("Label1"));
    txFindSTR_ = new QLineEdit(qs(request_.pattern), frame);
    txFindSTR_->setObjectName(QStringLiteral("txFindSTR"));
    txFindSTR_->setToolTip(
        QStringLiteral("You can use wildcards character (* ?)  like the real C64"));
    connect(txFindSTR_, &QLineEdit::textChanged, this,
            [this](const QString& text) { request_.pattern = text.toStdString(); });
    // Enter starts the search (the field is disabled while one runs).
    connect(txFindSTR_, &QLineEdit::returnPressed, this, &MainWindow::startClicked);
    grid->addWidget(label, 0, 0);
    grid->addWidget(txFindSTR_, 0, 1);

    grid->addWidget(addOption(frame, QStringLiteral("chkPartial"),
                              QStringLiteral("Partial Matches"),
                              QStringLiteral("Enabling this option, the result includes also "
                                             "substring (same that search *texttofind*)"),
                              request_.partial),
                    1, 0);
    grid->addWidget(addOption(frame, QStringLiteral("chkMatchCase"), QStringLiteral("Match Case"),
                              QStringLiteral("Matches UpperCase/LowCase. Remember that the search "
                                             "is in lower/upper mode, not in upper/graphic"),
                              request_.matchCase),
                    1, 1);
    grid->addWidget(addOption(frame, QStringLiteral("chkFileName"),
                              QStringLiteral("Include file name"),
                              QStringLiteral("Include the PC file name (except extension) while "
                                             "searching"),
                              request_.fileNames),
                    2, 0);
    grid->addWidget(addOption(frame, QStringLiteral("chkHeader"),
                              QStringLiteral("Include container name"),
                              QStringLiteral("Include the name of  Disk or T64 file while "
                                             "searching"),
                              request_.mediumNames),
                    2, 1);
    grid->addWidget(addOption(frame, QStringLiteral("chkShowMediaWarn"),
                              QStringLiteral("Show Warnings"),
                              QStringLiteral("Log also wranings (i.e. invalid files, directory "
                                             "track crossover, etc..)"),
                              request_.warnings),
                    3, 0);

    frameSID_ = new QGroupBox(QStringLiteral("SID search options"), frame);
    frameSID_->setObjectName(QStringLiteral("frameSID"));
    auto* sid = new QHBoxLayout(frameSID_);
    sid->addWidget(addOption(frameSID_, QStringLiteral("chkSIDName"), QStringLiteral("(SID) Name "),
                             QStringLiteral("Search in the Sid's name"), request_.sid.name));
    sid->addWidget(
        addOption(frameSID_, QStringLiteral("chkSIDAuthor"), QStringLiteral("(SID) Author"),
                  QStringLiteral("Search in the Sid's Author Name"), request_.sid.author));
    sid->addWidget(addOption(frameSID_, QStringLiteral("chkSIDCopyright"),
                             QStringLiteral("(SID) Copyright"),
                             QStringLiteral("Search in the SID Copyright info. Usually the year of "
                                            "production and the company name"),
                             request_.sid.copyright));
    // Its space is kept while it is hidden, so that ticking SID moves no
    // control from under the pointer.
    QSizePolicy sidPolicy = frameSID_->sizePolicy();
    sidPolicy.setRetainSizeWhenHidden(true);
    frameSID_->setSizePolicy(sidPolicy);
    frameSID_->setVisible(false);
    grid->addWidget(frameSID_, 4, 0, 1, 2);
    return frame;
}

QGroupBox* MainWindow::buildFileFrame() {
    auto* frame = new QGroupBox(QStringLiteral("Starting Search Folder"), this);
    frame->setObjectName(QStringLiteral("frameFile"));
    auto* layout = new QVBoxLayout(frame);

    picker_ = new FolderPicker(trap_, QStringLiteral("DirPrg"), true, frame);
    connect(picker_, &FolderPicker::folderChanged, this,
            [this](const QString& path) { request_.folder = path.toStdString(); });
    layout->addWidget(picker_, 1);

    auto* maskRow = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("File mask:"), frame);
    label->setObjectName(QStringLiteral("Label2"));
    txFileMask_ = new QLineEdit(qs(request_.mask), frame);
    txFileMask_->setObjectName(QStringLiteral("txFileMask"));
    txFileMask_->setToolTip(QStringLiteral("Insert the mask WITHOUT the extension."));
    txFileMask_->installEventFilter(new KeyFilter(fileMaskAcceptsKey, txFileMask_));
    txFileMask_->installEventFilter(this);
    connect(txFileMask_, &QLineEdit::textChanged, this,
            [this](const QString& text) { request_.mask = text.toStdString(); });
    maskRow->addWidget(label);
    maskRow->addWidget(txFileMask_, 1);
    layout->addLayout(maskRow);

    layout->addWidget(addOption(frame, QStringLiteral("chkRecurse"),
                                QStringLiteral("&Recurse folders"),
                                QStringLiteral("Search also in subdirectories"), request_.recurse));

    chkZIP_ = addOption(frame, QStringLiteral("chkZIP"), QString::fromLatin1(kArchivesCaption),
                        QString::fromLatin1(kArchivesTip), request_.archives);
    chkZIP_->setProperty("tag", QString::fromLatin1(kArchivePatterns));
    layout->addWidget(chkZIP_);

    // Files unchanged since they were last searched are answered from the
    // index (the same report, without reading them again).
    auto* index = new QCheckBox(QStringLiteral("Use the &index"), frame);
    index->setObjectName(QStringLiteral("chkIndex"));
    index->setToolTip(QStringLiteral("Answer files unchanged since the last search from the index "
                                     "(~/.cache/quillsift/index.sqlite) instead of reading them"));
    index->setChecked(request_.index != SearchRequest::IndexUse::Off);
    connect(index, &QCheckBox::toggled, this, [this](bool ticked) {
        request_.index = ticked ? SearchRequest::IndexUse::Use : SearchRequest::IndexUse::Off;
    });
    layout->addWidget(index);
    return frame;
}

void MainWindow::buildControls() {
    frameSearch_ = buildSearchFrame();
    frameFile_ = buildFileFrame();
    // One box per format, laid out from the table: fixed columns, as many
    // rows as there are formats.
    std::vector<GridBox> formats;
    for (const ContainerFormat& f : ContainerFormats())
        formats.push_back({qs(std::string(f.caption)), qs(std::string(f.tag)),
                           qs(std::string(f.note)), request_.formats.contains(f),
                           [this, &f](bool ticked) {
                               if (ticked)
                                   request_.formats.add(f);
                               else
                                   request_.formats.remove(f);
                               // The SID options show exactly while tunes are searched.
                               if (f.tune())
                                   frameSID_->setVisible(ticked);
                           }});
    framePCFile_ = buildGrid(QStringLiteral("PC File Type"), QStringLiteral("chkFileType"),
                             std::move(formats), chkFileType_, 3);
    framePCFile_->setObjectName(QStringLiteral("FramePCFile"));
    std::vector<GridBox> types;
    for (const EntryType& t : EntryTypes())
        types.push_back({qs(std::string(t.caption)), qs(std::string(t.type)),
                         qs(std::string(t.note)), request_.reportsEntryType(t.type),
                         [this, type = std::string(t.type)](bool ticked) {
                             auto& list = request_.entryTypes;
                             std::erase(list, type);
                             if (ticked)
                                 list.push_back(type);
                         }});
    frameCBMFile_ = buildGrid(QStringLiteral("CBM File Type"), QStringLiteral("chkCBMType"),
                              std::move(types), chkCBMType_, 4);
    frameCBMFile_->setObjectName(QStringLiteral("FrameCBMFile"));

    cmdStart_ = new QPushButton(QStringLiteral("&START SEARCH"), this);
    cmdStart_->setObjectName(QStringLiteral("cmdStart"));
    cmdStart_->setMinimumHeight(36);
    connect(cmdStart_, &QPushButton::clicked, this, &MainWindow::startClicked);

    txResults_ = new ResultsBox(this);
    connect(txResults_, &ResultsBox::directoryAsked, this, [this](const ResultBlock& block) {
        // A stopped search's stop never cancels the listing's programs.
        ToolEnv tools = setup_.tools;
        tools.cancel = nullptr;
        showDirectory(this, block,
                      {tools, shownSearch_.externalArchiver, trap_, bridge_, shownSearch_},
                      [this](const QUrl& url) { return openUrl(url); });
    });

    cmdOpenFile_ = new QPushButton(QStringLiteral("&Open file"), this);
    cmdOpenFile_->setObjectName(QStringLiteral("cmdOpenFile"));
    connect(cmdOpenFile_, &QPushButton::clicked, this, [this] { openResultsFile(); });
    cmdAbout_ = new QPushButton(QStringLiteral("&About/Info"), this);
    cmdAbout_->setObjectName(QStringLiteral("cmdAbout"));
    cmdAbout_->setToolTip(
        QStringLiteral("..hey! hit me! I'm not the usual \"ABOUT..\" window ;-)"));
    connect(cmdAbout_, &QPushButton::clicked, this, [this] {
        if (setup_.showAbout)
            setup_.showAbout(this);
    });
    command1_ = new QPushButton(QStringLiteral("&File.."), this);
    command1_->setObjectName(QStringLiteral("Command1"));
    connect(command1_, &QPushButton::clicked, this, [this] { chooseResultsFile(); });
    chkSaveFile_ =
        addOption(this, QStringLiteral("chkSaveFile"), QStringLiteral("Sa&ve Results on File"),
                  QString(), request_.saveResults);

    lbFileName_ = new QLabel(this);
    lbFileName_->setObjectName(QStringLiteral("lbFileName"));
    lbFileName_->setTextFormat(Qt::PlainText);
    lbFileName_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    lbInfo_ = new QLabel(this);
    lbInfo_->setObjectName(QStringLiteral("lbInfo"));
    lbInfo_->setTextFormat(Qt::PlainText);
    lbInfo_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("prgFolders"));
    progress_->setFormat(QStringLiteral("%v / %m folders"));
    // Wide enough for the text of a large tree, drawn over the bar.
    progress_->setFixedWidth(
        progress_->fontMetrics().horizontalAdvance(QStringLiteral("99999 / 99999 folders")) + 24);
    // Its space is kept while hidden: the rows above never shift when it shows.
    QSizePolicy barPolicy = progress_->sizePolicy();
    barPolicy.setRetainSizeWhenHidden(true);
    progress_->setSizePolicy(barPolicy);
    progress_->setVisible(false);

    escape_ = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape_->setEnabled(false); // only while a search runs
    connect(escape_, &QShortcut::activated, this, &MainWindow::stopSearch);

    // Longer than a search of a few thousand files, short enough to be seen
    // as at once.
    greyLater_.setSingleShot(true);
    greyLater_.setInterval(150);
    connect(&greyLater_, &QTimer::timeout, this, &MainWindow::paintLockedControls);

    auto* options = new QVBoxLayout;
    options->addWidget(frameSearch_);
    options->addWidget(framePCFile_);
    options->addWidget(frameCBMFile_);
    options->addStretch(1);
    options->addWidget(cmdStart_);

    auto* top = new QHBoxLayout;
    top->addWidget(frameFile_, 2);
    top->addLayout(options, 0);
    top->addWidget(txResults_, 5);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(new QLabel(QStringLiteral("Results file:"), this));
    fileRow->addWidget(lbFileName_, 1);
    fileRow->addWidget(command1_);
    fileRow->addWidget(chkSaveFile_);
    fileRow->addWidget(cmdOpenFile_);
    fileRow->addWidget(cmdAbout_);

    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(lbInfo_, 1);
    statusRow->addWidget(progress_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(fileRow);
    layout->addLayout(statusRow);
    resize(1180, 640);
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
    if (result == QDialog::Accepted)
        setResultsFile(dialog.chosenPath());
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
    event->accept();
}

} // namespace qs::forms
