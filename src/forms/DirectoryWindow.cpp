#include "forms/DirectoryWindow.h"

#include "forms/ScreenGrid.h"
#include "search/ArchiveMembers.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace qs::forms {

namespace {

// Where a window of `size` opens after one at `previous`: a step down and
// right, or back at the screen's top left when it would leave `screen`.
QPoint cascadedPlace(const QRect& previous, const QSize& size, const QRect& screen) {
    // A title bar's height down and right.
    constexpr int kStep = 32;
    QPoint place = previous.topLeft() + QPoint(kStep, kStep);
    if (place.x() + size.width() > screen.right() + 1 ||
        place.y() + size.height() > screen.bottom() + 1)
        place = screen.topLeft(); // the cascade starts again
    return place;
}

bool samePlace(const ListedEntry& e, const MatchRecord& m) {
    return m.field == MatchRecord::Field::Entry && !e.partitionEnd && e.name == m.shown &&
           (!m.entryNo || *m.entryNo == e.entryNo);
}

// Which of ListingLines' lines show a match: an entry by its position and
// name, the header for a medium name, a tune's fields by their label.
std::vector<bool> matchedLines(const DirectoryListing& l, const std::vector<MatchRecord>& matches) {
    using Field = MatchRecord::Field;
    const auto any = [&](auto&& test) { return std::any_of(matches.begin(), matches.end(), test); };
    std::vector<bool> lines;
    if (!l.header.empty())
        lines.push_back(any([](const MatchRecord& m) { return m.field == Field::MediumName; }));
    for (const ListedEntry& e : l.entries)
        lines.push_back(any([&](const MatchRecord& m) { return samePlace(e, m); }));
    if (l.blocksFree)
        lines.push_back(false);
    for (const auto& field : l.fields) {
        const Field shown = field.first == "Name"        ? Field::SidName
                            : field.first == "Author"    ? Field::SidAuthor
                            : field.first == "Copyright" ? Field::SidCopyright
                                                         : Field::Entry;
        lines.push_back(shown != Field::Entry &&
                        any([&](const MatchRecord& m) { return m.field == shown; }));
    }
    return lines;
}

} // namespace

DirectoryWindow::DirectoryWindow(const DirectoryListing& listing,
                                 const std::vector<MatchRecord>& matches, const ResultBlock& block,
                                 MessageSink& sink, UrlOpener openUrl, QWidget* parent)
    : QDialog(parent), lines_(ListingLines(listing)),
      folder_(QFileInfo(QString::fromStdString(block.place.file)).absolutePath().toStdString()),
      sink_(sink), openUrl_(std::move(openUrl)) {
    setObjectName(QStringLiteral("DirectoryWindow"));
    const std::string& file = block.place.file;
    setWindowTitle(QString::fromStdString(
        "Directory of " +
        (block.place.member.empty() ? file : ChainLabel(file, block.place.members))));

    // The screen inside its border, in the C64's colours.
    auto* border = new QWidget(this);
    border->setAutoFillBackground(true);
    QPalette colours = border->palette();
    colours.setColor(QPalette::Window, QColor(C64Palette::kLightBlue));
    border->setPalette(colours);
    screen_ = new ScreenGrid(ScreenGrid::preferredFont(), border);
    std::vector<QString> lines;
    for (const std::string& line : lines_)
        lines.push_back(QString::fromStdString(line));
    std::vector<bool> matched = matchedLines(listing, matches);
    const auto firstMatch = std::find(matched.begin(), matched.end(), true) - matched.begin();
    screen_->setLines(std::move(lines), std::move(matched));
    // The first match in view, at the top as far as the listing's end allows.
    screen_->scrollToRow(static_cast<int>(firstMatch) < static_cast<int>(lines_.size())
                             ? static_cast<int>(firstMatch)
                             : 0);
    auto* borderLayout = new QVBoxLayout(border);
    borderLayout->setContentsMargins(32, 32, 32, 32);
    borderLayout->addWidget(screen_);

    auto* warning = new QLabel(QString::fromStdString(listing.warning), this);
    warning->setObjectName(QStringLiteral("lbWarning"));
    warning->setTextFormat(Qt::PlainText);
    warning->setVisible(!listing.warning.empty());

    auto* cmdOpenFolder = new QPushButton(QStringLiteral("Open containing &folder"), this);
    cmdOpenFolder->setObjectName(QStringLiteral("cmdOpenFolder"));
    connect(cmdOpenFolder, &QPushButton::clicked, this, &DirectoryWindow::openFolder);
    auto* cmdCopyListing = new QPushButton(QStringLiteral("&Copy listing"), this);
    cmdCopyListing->setObjectName(QStringLiteral("cmdCopyListing"));
    connect(cmdCopyListing, &QPushButton::clicked, this, &DirectoryWindow::copyListing);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(warning, 1);
    buttons->addWidget(cmdOpenFolder);
    buttons->addWidget(cmdCopyListing);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(border, 1);
    layout->addLayout(buttons);
    setTabOrder(screen_, cmdOpenFolder);
    setTabOrder(cmdOpenFolder, cmdCopyListing);
    screen_->setFocus();
}

void DirectoryWindow::openFolder() {
    if (!openUrl_(QUrl::fromLocalFile(QString::fromStdString(folder_))))
        sink_.messageBox(MsgIcon::Exclamation, MsgButtons::Ok, "No program!",
                         "No program could open the folder " + folder_ + ".");
}

void DirectoryWindow::copyListing() {
    std::string text;
    for (const std::string& line : lines_)
        text += line + "\n";
    QApplication::clipboard()->setText(QString::fromStdString(text));
}

DirectoryWindow* showDirectory(QWidget* owner, const ResultBlock& block, const ListingEnv& env,
                               UrlOpener openUrl) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ListingResult result = ListContainer({block.place.file, block.place.members}, env.tools,
                                               env.externalArchiver, env.trap, &env.search);
    QApplication::restoreOverrideCursor();
    if (!result.listing) {
        if (!result.problem.empty())
            env.sink.messageBox(MsgIcon::Exclamation, MsgButtons::Ok, "No directory!",
                                result.problem);
        return nullptr;
    }
    auto* window = new DirectoryWindow(*result.listing, result.matches, block, env.sink,
                                       std::move(openUrl), owner);
    window->setAttribute(Qt::WA_DeleteOnClose);
    // Each window a step below and right of the one before, so that none
    // hides another; within the screen.
    static QPointer<DirectoryWindow> previous;
    const QRect screen =
        (owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen())
            ->availableGeometry();
    window->resize(window->sizeHint().boundedTo(screen.size()));
    if (previous && previous->isVisible())
        window->move(
            cascadedPlace(previous->frameGeometry(), window->frameGeometry().size(), screen));
    window->show();
    previous = window;
    return window;
}

} // namespace qs::forms
