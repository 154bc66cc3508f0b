#include "forms/DirectoryWindow.h"

#include "search/ArchiveMembers.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace qs::forms {

namespace {

// The C64's blue and light blue.
const QColor kBlue(0x35, 0x28, 0x79);
const QColor kLightBlue(0x6c, 0x5e, 0xb5);
constexpr int kColumns = 40; // the C64's screen
constexpr int kRows = 25;

// Debian's fonts-sixtyfour draws the C64's characters; else any fixed pitch.
QFont screenFont() {
    QFont font(QStringLiteral("C-64"));
    font.setPixelSize(16);
    if (!QFontDatabase::families().contains(QStringLiteral("C-64"))) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPixelSize(16);
    }
    return font;
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

    // The screen inside its border.
    auto* border = new QWidget(this);
    border->setAutoFillBackground(true);
    QPalette colours = border->palette();
    colours.setColor(QPalette::Window, kLightBlue);
    colours.setColor(QPalette::Base, kBlue);
    colours.setColor(QPalette::Text, kLightBlue);
    colours.setColor(QPalette::Highlight, kLightBlue);
    colours.setColor(QPalette::HighlightedText, kBlue);
    border->setPalette(colours);
    auto* screen = new QPlainTextEdit(border);
    screen->setObjectName(QStringLiteral("txDirectory"));
    screen->setReadOnly(true);
    screen->setLineWrapMode(QPlainTextEdit::NoWrap);
    screen->setFrameShape(QFrame::NoFrame);
    screen->setFont(screenFont());
    screen->setPalette(colours);

    const std::vector<bool> matched = matchedLines(listing, matches);
    QTextCharFormat reversed;
    reversed.setForeground(kBlue);
    reversed.setBackground(kLightBlue);
    QTextCursor cursor(screen->document());
    std::size_t widest = kColumns;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (i > 0)
            cursor.insertBlock();
        const QString line = QString::fromStdString(lines_[i]);
        cursor.insertText(line, i < matched.size() && matched[i] ? reversed : QTextCharFormat());
        widest = std::max(widest, static_cast<std::size_t>(line.size()));
    }
    const QFontMetrics metrics(screen->font());
    const int columns = static_cast<int>(std::min<std::size_t>(widest, 2 * kColumns)) + 1;
    screen->setMinimumSize(metrics.horizontalAdvance(QLatin1Char('0')) * columns,
                           metrics.lineSpacing() * kRows);
    auto* borderLayout = new QVBoxLayout(border);
    borderLayout->setContentsMargins(40, 40, 40, 40);
    borderLayout->addWidget(screen);

    auto* warning = new QLabel(QString::fromStdString(listing.warning), this);
    warning->setObjectName(QStringLiteral("lbWarning"));
    warning->setTextFormat(Qt::PlainText);
    warning->setVisible(!listing.warning.empty());

    auto* cmdOpenFolder = new QPushButton(QStringLiteral("Open containing folder"), this);
    cmdOpenFolder->setObjectName(QStringLiteral("cmdOpenFolder"));
    connect(cmdOpenFolder, &QPushButton::clicked, this, &DirectoryWindow::openFolder);
    auto* cmdCopyListing = new QPushButton(QStringLiteral("Copy listing"), this);
    cmdCopyListing->setObjectName(QStringLiteral("cmdCopyListing"));
    connect(cmdCopyListing, &QPushButton::clicked, this, &DirectoryWindow::copyListing);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(warning, 1);
    buttons->addWidget(cmdOpenFolder);
    buttons->addWidget(cmdCopyListing);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(border, 1);
    layout->addLayout(buttons);
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
    window->show();
    return window;
}

} // namespace qs::forms
