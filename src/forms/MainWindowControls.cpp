// The main window's controls, their places, their keys and their order.
#include "forms/DirectoryWindow.h"
#include "forms/FolderPicker.h"
#include "forms/KeyFilter.h"
#include "forms/MainWindow.h"
#include "forms/ResultsBox.h"
#include "forms/WindowParts.h"
#include "tools/ArchiveReader.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <string_view>

namespace qs::forms {

namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

// The key filter of the file-mask box: false for characters it drops.
bool fileMaskAcceptsKey(char32_t key) {
    return std::u32string_view(U"\\/:\"><|").find(key) == std::u32string_view::npos;
}

const char* const kArchivesCaption = "Include Archives";
const char* const kArchivesTip = "Include ZIP, RAR, ARJ archives. File mask affects the archived "
                                 "files, not the file archive.";

// The window's size when the screen has room for it.
constexpr QSize kPreferredSize(1180, 760);

} // namespace

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
    // Rows of boxes close together: the table has many rows, and the
    // results below need the height on a small screen.
    grid->setVerticalSpacing(2);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        GridBox& row = boxes[i];
        auto* box = new QCheckBox(row.caption, frame);
        box->setObjectName(name + QStringLiteral("(%1)").arg(i));
        box->setToolTip(row.toolTip);
        box->setProperty("tag", row.tag);
        box->setChecked(row.ticked);
        connect(box, &QCheckBox::toggled, this, std::move(row.set));
        const int index = static_cast<int>(i);
        // The last box takes the rest of its row: a long caption there
        // widens no column.
        const int span = i + 1 == boxes.size() ? columns - index % columns : 1;
        grid->addWidget(box, index / columns, index % columns, 1, span);
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
    // The search field keeps the recent searches in its list.
    findCombo_ = new QComboBox(frame);
    findCombo_->setObjectName(QStringLiteral("cboFindSTR"));
    findCombo_->setEditable(true);
    findCombo_->setInsertPolicy(QComboBox::NoInsert);
    findCombo_->setMaxVisibleItems(20);
    findCombo_->setCompleter(nullptr); // a wildcard is typed as it is, never completed
    findCombo_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    findCombo_->setMinimumContentsLength(12);
    txFindSTR_ = findCombo_->lineEdit();
    txFindSTR_->setObjectName(QStringLiteral("txFindSTR"));
    txFindSTR_->setText(qs(request_.pattern));
    const QString tip = QStringLiteral("You can use wildcards character (* ?)  like the real C64");
    txFindSTR_->setToolTip(tip);
    findCombo_->setToolTip(tip);
    connect(txFindSTR_, &QLineEdit::textChanged, this,
            [this](const QString& text) { request_.pattern = text.toStdString(); });
    label->setBuddy(findCombo_);
    grid->addWidget(label, 0, 0);
    grid->addWidget(findCombo_, 0, 1);

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
    auto* sid = new QGridLayout(frameSID_);
    sid->addWidget(addOption(frameSID_, QStringLiteral("chkSIDName"), QStringLiteral("(SID) Name "),
                             QStringLiteral("Search in the Sid's name"), request_.sid.name),
                   0, 0);
    sid->addWidget(
        addOption(frameSID_, QStringLiteral("chkSIDAuthor"), QStringLiteral("(SID) Author"),
                  QStringLiteral("Search in the Sid's Author Name"), request_.sid.author),
        0, 1);
    sid->addWidget(addOption(frameSID_, QStringLiteral("chkSIDCopyright"),
                             QStringLiteral("(SID) Copyright"),
                             QStringLiteral("Search in the SID Copyright info. Usually the year of "
                                            "production and the company name"),
                             request_.sid.copyright),
                   1, 0);
    // Its space is kept while it is hidden, so that ticking SID moves no
    // control from under the pointer.
    QSizePolicy sidPolicy = frameSID_->sizePolicy();
    sidPolicy.setRetainSizeWhenHidden(true);
    frameSID_->setSizePolicy(sidPolicy);
    frameSID_->setVisible(false);
    grid->addWidget(frameSID_, 4, 0, 1, 2);
    grid->setRowStretch(5, 1);
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
    label->setBuddy(txFileMask_);
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
    chkIndex_ = new QCheckBox(QStringLiteral("Use the inde&x"), frame);
    chkIndex_->setObjectName(QStringLiteral("chkIndex"));
    chkIndex_->setToolTip(QStringLiteral("Answer files unchanged since the last search from the "
                                         "index (~/.cache/quillsift/index.sqlite) instead of "
                                         "reading them"));
    chkIndex_->setChecked(request_.index != SearchRequest::IndexUse::Off);
    connect(chkIndex_, &QCheckBox::toggled, this, [this](bool ticked) {
        request_.index = ticked ? SearchRequest::IndexUse::Use : SearchRequest::IndexUse::Off;
    });
    layout->addWidget(chkIndex_);
    return frame;
}

QWidget* MainWindow::buildResultsPane() {
    auto* pane = new QWidget(this);
    txResults_ = new ResultsBox(pane);
    connect(txResults_, &ResultsBox::directoryAsked, this, [this](const ResultBlock& block) {
        // A stopped search's stop never cancels the listing's programs.
        ToolEnv tools = setup_.tools;
        tools.cancel = nullptr;
        showDirectory(this, block,
                      {tools, shownSearch_.externalArchiver, trap_, bridge_, shownSearch_},
                      [this](const QUrl& url) { return openUrl(url); });
    });
    auto* label = new QLabel(QStringLiteral("Results:"), pane);
    label->setObjectName(QStringLiteral("lbResults"));
    label->setBuddy(txResults_);
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(label);
    layout->addWidget(new FocusRing(txResults_, pane), 1);
    return pane;
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
                             std::move(formats), chkFileType_, 4);
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

    QWidget* resultsPane = buildResultsPane();

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
    lbInfo_ = new StatusLabel(this);
    lbInfo_->setObjectName(QStringLiteral("lbInfo"));
    lbInfo_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    connect(lbInfo_, &StatusLabel::activated, this, [this] { showProblems(); });
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("prgFolders"));
    progress_->setFormat(QStringLiteral("%v / %m folders"));
    // Wide enough for the text of a large tree or collection, drawn over the bar.
    progress_->setFixedWidth(
        progress_->fontMetrics().horizontalAdvance(QStringLiteral("999999 / 999999 folders")) + 24);
    // Its space is kept while hidden: the rows above never shift when it shows.
    QSizePolicy barPolicy = progress_->sizePolicy();
    barPolicy.setRetainSizeWhenHidden(true);
    progress_->setSizePolicy(barPolicy);
    progress_->setVisible(false);

    // Longer than a search of a few thousand files, short enough to be seen
    // as at once.
    greyLater_.setSingleShot(true);
    greyLater_.setInterval(150);
    connect(&greyLater_, &QTimer::timeout, this, &MainWindow::paintLockedControls);

    // The options: the folder beside the search options and the type lists
    // with the start button below them.
    auto* typesColumn = new QVBoxLayout;
    typesColumn->addWidget(framePCFile_);
    typesColumn->addWidget(frameCBMFile_);
    typesColumn->addStretch(1);
    typesColumn->addWidget(cmdStart_);
    auto* request = new QWidget(this);
    auto* requestLayout = new QHBoxLayout(request);
    requestLayout->setContentsMargins(0, 0, 0, 0);
    requestLayout->addWidget(frameSearch_, 1);
    requestLayout->addLayout(typesColumn, 1);
    optionsSplitter_ = new QSplitter(Qt::Horizontal, this);
    optionsSplitter_->setObjectName(QStringLiteral("splOptions"));
    optionsSplitter_->addWidget(frameFile_);
    optionsSplitter_->addWidget(request);
    optionsSplitter_->setStretchFactor(0, 2);
    optionsSplitter_->setStretchFactor(1, 3);
    optionsSplitter_->setChildrenCollapsible(false);

    // The options above the results, the line between them movable; the
    // results take what the options leave.
    splitter_ = new QSplitter(Qt::Vertical, this);
    splitter_->setObjectName(QStringLiteral("splMain"));
    splitter_->addWidget(optionsSplitter_);
    splitter_->addWidget(resultsPane);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    splitter_->setChildrenCollapsible(false);

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
    layout->addWidget(splitter_, 1);
    layout->addLayout(fileRow);
    layout->addLayout(statusRow);

    setReadingOrder();
    std::vector<QWidget*> typeBoxes(chkFileType_.begin(), chkFileType_.end());
    typeBoxes.insert(typeBoxes.end(), chkCBMType_.begin(), chkCBMType_.end());
    AssignAccessKeys(this, typeBoxes);
    buildShortcuts();
    resize(kPreferredSize);
}

void MainWindow::setReadingOrder() {
    // Left to right, top to bottom: the folder, the search options, the
    // types, START, the results, then the results file's row and the status.
    std::vector<QWidget*> order{picker_->driveList(), picker_->folderTree(), txFileMask_};
    for (QCheckBox* box : frameFile_->findChildren<QCheckBox*>())
        order.push_back(box);
    order.push_back(findCombo_);
    for (const char* name : {"chkPartial", "chkMatchCase", "chkFileName", "chkHeader",
                             "chkShowMediaWarn", "chkSIDName", "chkSIDAuthor", "chkSIDCopyright"})
        order.push_back(frameSearch_->findChild<QCheckBox*>(QString::fromLatin1(name)));
    order.insert(order.end(), chkFileType_.begin(), chkFileType_.end());
    order.insert(order.end(), chkCBMType_.begin(), chkCBMType_.end());
    for (QWidget* w : {static_cast<QWidget*>(cmdStart_), static_cast<QWidget*>(txResults_),
                       static_cast<QWidget*>(command1_), static_cast<QWidget*>(chkSaveFile_),
                       static_cast<QWidget*>(cmdOpenFile_), static_cast<QWidget*>(cmdAbout_),
                       static_cast<QWidget*>(lbInfo_)})
        order.push_back(w);
    for (std::size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void MainWindow::buildShortcuts() {
    escape_ = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape_->setEnabled(false); // only while a search runs
    connect(escape_, &QShortcut::activated, this, &MainWindow::stopSearch);
    for (const int key : {Qt::Key_Return, Qt::Key_Enter})
        connect(new QShortcut(QKeySequence(key), this), &QShortcut::activated, this,
                &MainWindow::enterPressed);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this), &QShortcut::activated, this,
            &QWidget::close);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this), &QShortcut::activated, this,
            [this] {
                findCombo_->setFocus(Qt::ShortcutFocusReason);
                txFindSTR_->selectAll();
            });
    connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, this,
            &MainWindow::showHelp);
}

void MainWindow::fitToScreen() {
    QScreen* shown = screen();
    if (shown == nullptr)
        return;
    const QRect available = shown->availableGeometry();
    // The frame's share of the window (title bar and borders), as far as it
    // is known before the window is shown.
    const QSize frame = frameGeometry().size() - geometry().size();
    const QSize room = available.size() - frame;
    QSize size = this->size().boundedTo(room).expandedTo(minimumSizeHint().boundedTo(room));
    resize(size);
    QRect placed(frameGeometry().topLeft(), size + frame);
    if (!available.contains(placed)) {
        placed.moveCenter(available.center());
        move(std::max(placed.left(), available.left()), std::max(placed.top(), available.top()));
    }
    // The results box keeps a third of the window's height at least, with
    // some room to spare: the options give up what they can, down to what
    // they need.
    layout()->activate();
    const QList<int> sizes = splitter_->sizes();
    const int total = sizes[0] + sizes[1];
    const QWidget* options = splitter_->widget(0);
    const int aroundBox = splitter_->widget(1)->height() - txResults_->height();
    const int results = height() / 3 + aroundBox + 16;
    const int kept = std::max(options->minimumSizeHint().height(),
                              std::min({sizes[0], options->sizeHint().height(), total - results}));
    splitter_->setSizes({kept, total - kept});
}

} // namespace qs::forms
