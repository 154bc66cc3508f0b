#include "forms/Problems.h"

#include "common/Files.h"
#include "common/Text.h"
#include "common/Wildcard.h"
#include "media/Formats.h"
#include "search/ArchiveMembers.h"
#include "tools/ArchiveReader.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace qs::forms {

namespace {

// What the failing procedure was reading.
struct Subject {
    enum class Kind { Format, Archive, Folder, ResultsFile, File } kind = Kind::File;
    const ContainerFormat* format = nullptr;
};

// "[procedure] - number - description": the procedure and the number, or
// an empty procedure when the text is not of that shape.
std::pair<std::string, int> procedureAndNumber(const std::string& text) {
    const auto close = text.find("] - ");
    if (text.empty() || text[0] != '[' || close == std::string::npos)
        return {{}, 0};
    int number = 0;
    for (std::size_t i = close + 4; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        number = number * 10 + (text[i] - '0');
    return {text.substr(1, close - 1), number};
}

// A reader's errors carry its procedure's name, or a name ending in its
// format's tag ("AnalizzaTracciaDirD81").
const ContainerFormat* formatOf(const std::string& procedure) {
    const std::string upper = upperAscii(procedure);
    for (const ContainerFormat& f : ContainerFormats())
        if (procedure == f.procedure)
            return &f;
    for (const ContainerFormat& f : ContainerFormats())
        if (upper.ends_with(upperAscii(std::string(f.tag))))
            return &f;
    return nullptr;
}

Subject subjectOf(const TrappedMessage& message, const std::string& procedure) {
    if (const ContainerFormat* format = formatOf(procedure))
        return {Subject::Kind::Format, format};
    if (procedure == "WriteFile" || procedure == "Result")
        return {Subject::Kind::ResultsFile};
    if (procedure == "DirArray2")
        return {Subject::Kind::Folder};
    if (procedure == "SearchC64File") {
        // The search's own trap reads folders and archives.
        const bool archive =
            !message.member.empty() || fitsFilePattern(FileNameOf(message.file), kArchivePatterns);
        return {archive ? Subject::Kind::Archive : Subject::Kind::Folder};
    }
    return {};
}

std::string withArticle(std::string_view caption) {
    const bool vowel =
        !caption.empty() && std::string_view("AEIOU").find(caption[0]) != std::string_view::npos;
    return (vowel ? "an " : "a ") + std::string(caption);
}

const char* toolOf(const ContainerFormat& format) {
    if (!format.listedBy)
        return nullptr;
    return *format.listedBy == ListingProgram::C1541 ? "c1541" : "tape64";
}

} // namespace

std::string PlainReason(const TrappedMessage& message) {
    const auto [procedure, number] = procedureAndNumber(message.text);
    const Subject subject = subjectOf(message, procedure);
    using Kind = Subject::Kind;
    const Kind kind = subject.kind;
    const std::string a = subject.format ? withArticle(subject.format->caption) : std::string();
    const char* tool = subject.format ? toolOf(*subject.format) : nullptr;
    switch (number) {
    case 9: // subscript out of range: a read past the end
        return kind == Kind::Format    ? "too short to be " + a
               : kind == Kind::Archive ? "the archive is cut short"
                                       : "cut short: its data ends too early";
    case 6: // overflow
        return kind == Kind::Format ? "damaged: a size or count in it is too large for " + a
                                    : "damaged: a size or count in it is too large";
    case 13: // type mismatch
        return kind == Kind::Format ? "damaged: it holds values " + a + " cannot hold"
                                    : "damaged: it holds values that cannot be read";
    case 5: // invalid procedure call
        return kind == Kind::Format ? "damaged: it is not laid out as " + a
               : kind == Kind::Archive
                   ? "the archive is damaged, or packed in a way that cannot be read"
                   : "it could not be read as expected";
    case 7: // out of memory
        return kind == Kind::Archive ? "a member is too large to unpack" : "too large to read";
    case 53: // file not found
        if (kind == Kind::Format && tool)
            return std::string("gone, or ") + tool + ", which lists " + a + ", is missing";
        if (kind == Kind::Archive && !message.member.empty())
            return "the member is no longer in the archive";
        return kind == Kind::Folder ? "the folder is gone" : "gone: moved or deleted meanwhile";
    case 70: // permission denied
        return kind == Kind::Folder        ? "no permission to read the folder"
               : kind == Kind::ResultsFile ? "no permission to write the results file"
                                           : "no permission to read it";
    case 75: // path/file access error
        if (kind == Kind::Format && tool)
            return std::string("could not be read, or ") + tool + " could not list it";
        return kind == Kind::Archive       ? "the archive is damaged or could not be read"
               : kind == Kind::ResultsFile ? "the results file could not be written (is the "
                                             "disk full?)"
               : kind == Kind::Folder      ? "the folder could not be read"
                                           : "could not be read (a disk or file-system error)";
    case 76: // path not found
        return kind == Kind::Folder ? "the folder is gone or cannot be reached"
                                    : "its folder is gone or cannot be reached";
    default:
        return "an unexpected error";
    }
}

void AddProblem(std::vector<Problem>& problems, const TrappedMessage& message) {
    const std::string reason = PlainReason(message);
    if (!message.file.empty()) {
        const auto same = std::find_if(problems.begin(), problems.end(), [&](const Problem& p) {
            return p.file == message.file && p.member == message.member;
        });
        if (same != problems.end()) {
            same->message += "\r\n" + message.text;
            if (same->reason.find(reason) == std::string::npos)
                same->reason += "; " + reason;
            return;
        }
    }
    problems.push_back({message.file, message.member, message.text, reason});
}

ProblemsWindow::ProblemsWindow(QWidget* parent)
    : QDialog(parent), table_(new QTableWidget(0, 3, this)) {
    setObjectName(QStringLiteral("ProblemsWindow"));
    setWindowTitle(QStringLiteral("Files that could not be searched"));
    setModal(false);
    table_->setObjectName(QStringLiteral("tblProblems"));
    table_->setHorizontalHeaderLabels(
        {QStringLiteral("File"), QStringLiteral("Message"), QStringLiteral("Reason")});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setWordWrap(false);
    table_->verticalHeader()->setVisible(false);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->installEventFilter(this);

    auto* label = new QLabel(QStringLiteral("&Files of the last search:"), this);
    label->setBuddy(table_);
    auto* copy = new QPushButton(QStringLiteral("Copy &all"), this);
    copy->setObjectName(QStringLiteral("cmdCopyProblems"));
    copy->setToolTip(QStringLiteral("Copies every row as text; Ctrl+C copies the rows selected"));
    connect(copy, &QPushButton::clicked, this, [this] { copyRows(false); });
    auto* close = new QPushButton(QStringLiteral("C&lose"), this);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(copy);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(table_, 1);
    layout->addLayout(buttons);
    resize(900, 320);
}

void ProblemsWindow::setProblems(const std::vector<Problem>& problems) {
    problems_ = problems;
    table_->setRowCount(static_cast<int>(problems_.size()));
    for (std::size_t i = 0; i < problems_.size(); ++i) {
        const Problem& p = problems_[i];
        const std::string file = p.member.empty() ? p.file : MemberLabel(p.member, p.file);
        const QString message =
            QString::fromStdString(p.message).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        const int row = static_cast<int>(i);
        table_->setItem(row, 0, new QTableWidgetItem(QString::fromStdString(file)));
        table_->setItem(row, 1, new QTableWidgetItem(message));
        table_->setItem(row, 2, new QTableWidgetItem(QString::fromStdString(p.reason)));
        for (int column = 0; column < 3; ++column)
            table_->item(row, column)->setToolTip(table_->item(row, column)->text());
    }
    table_->resizeColumnsToContents();
    table_->resizeRowsToContents();
}

QString ProblemsWindow::rowsAsText(bool selectedOnly) const {
    QString text;
    for (int row = 0; row < table_->rowCount(); ++row) {
        if (selectedOnly && !table_->selectionModel()->isRowSelected(row))
            continue;
        QStringList cells;
        for (int column = 0; column < 3; ++column)
            cells << table_->item(row, column)
                         ->text()
                         .replace(QLatin1Char('\n'), QStringLiteral(" / "));
        text += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return text;
}

void ProblemsWindow::copyRows(bool selectedOnly) const {
    QApplication::clipboard()->setText(rowsAsText(selectedOnly));
}

bool ProblemsWindow::eventFilter(QObject* watched, QEvent* event) {
    // The table would copy its current cell alone.
    if (watched == table_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        copyRows(true);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace qs::forms
