#include "forms/ResultsBox.h"

#include "common/Text.h"
#include "search/Matcher.h"

#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>

#include <algorithm>
#include <memory>

namespace qs::forms {

ResultsBox::ResultsBox(QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName(QStringLiteral("txResults"));
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The box-drawing glyphs of the CBM listings, lined up in a fixed pitch.
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::Monospace);
    if (!QFontInfo(font).fixedPitch())
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    setFont(font);
    // A box the user cannot edit keeps no undo history: it would hold a
    // second copy of every report.
    setUndoRedoEnabled(false);
}

void ResultsBox::report(std::vector<ReportItem> items) {
    QString added;
    for (ReportItem& item : items) {
        if (const auto* text = std::get_if<std::string>(&item)) {
            QString shown = QString::fromStdString(*text);
            shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            noteText(*text, shown);
            // Every text starts on a new line, so the first line stays empty.
            added += QLatin1Char('\n') + shown;
        } else {
            claim(std::get<FindingPlace>(item));
        }
    }
    if (added.isEmpty())
        return;
    // One insertion for the lot: the box lays out and scrolls once.
    QScrollBar* bar = verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    // Following the end, the box is repainted whole anyway: with its painting
    // off meanwhile, it does not lay out the lines the scroll passes over.
    if (atEnd)
        viewport()->setUpdatesEnabled(false);
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(added);
    if (atEnd) {
        bar->setValue(bar->maximum());
        viewport()->setUpdatesEnabled(true);
    }
    lines_ = document()->blockCount();
}

void ResultsBox::noteText(const std::string& text, const QString& shown) {
    ruled_.clear();
    texts_.push_back({lines_, text.substr(0, text.find("\r\n"))});
    // The characters the box starts a new line at.
    lines_ += 1 + static_cast<int>(std::count_if(shown.begin(), shown.end(), [](QChar c) {
                  return c == QLatin1Char('\n') || c == QLatin1Char('\r') ||
                         c == QChar::ParagraphSeparator || c == QChar(0xfdd0) || c == QChar(0xfdd1);
              }));
    if (text == kBlockRule || text == std::string(kBlockRule) + "\r\n") {
        ruled_.swap(texts_);
        ruleLine_ = lines_ - 1;
    }
}

void ResultsBox::clearResults() {
    clear();
    blocks_.clear();
    texts_.clear();
    ruled_.clear();
    lines_ = 1;
}

void ResultsBox::claim(const FindingPlace& place) {
    // The heading names the file, or a member "in" the archive.
    const std::string file = escapedForLine(place.file);
    const std::string inArchive = " in " + file;
    for (auto text = ruled_.rbegin(); text != ruled_.rend(); ++text) {
        if (place.member.empty() ? text->first != file : !text->first.ends_with(inArchive))
            continue;
        blocks_.push_back({text->line, ruleLine_, place});
        break;
    }
    ruled_.clear();
}

const ResultBlock* ResultsBox::blockAt(int line) const {
    const auto after =
        std::upper_bound(blocks_.begin(), blocks_.end(), line,
                         [](int l, const ResultBlock& b) { return l < b.firstLine; });
    if (after == blocks_.begin())
        return nullptr;
    const ResultBlock& block = *std::prev(after);
    return line <= block.lastLine ? &block : nullptr;
}

// A copy: whatever the directory window does, it never holds on to the box.
std::optional<ResultBlock> ResultsBox::blockAtPoint(const QPoint& point) const {
    const ResultBlock* block = blockAt(cursorForPosition(point).blockNumber());
    return block ? std::optional(*block) : std::nullopt;
}

void ResultsBox::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        if (const auto block = blockAtPoint(event->position().toPoint())) {
            event->accept();
            emit directoryAsked(*block);
            return;
        }
    }
    QPlainTextEdit::mouseDoubleClickEvent(event);
}

void ResultsBox::contextMenuEvent(QContextMenuEvent* event) {
    const std::unique_ptr<QMenu> menu(createStandardContextMenu());
    menu->addSeparator();
    QAction* show = menu->addAction(tr("Show directory"));
    show->setObjectName(QStringLiteral("mnuShowDirectory"));
    const auto block = blockAtPoint(event->pos());
    show->setEnabled(block.has_value());
    if (menu->exec(event->globalPos()) == show && block)
        emit directoryAsked(*block);
}

} // namespace qs::forms
