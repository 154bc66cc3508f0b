#include "forms/ScreenGrid.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace qs::forms {

namespace {

// WCAG 2 relative luminance of an sRGB colour.
double luminance(QColor c) {
    const auto channel = [](double v) {
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

constexpr int kMinPixelSize = 8;

} // namespace

double ContrastRatio(QColor a, QColor b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QFont ScreenGrid::preferredFont() {
    if (QFontDatabase::families().contains(QStringLiteral("C-64")))
        return QFont(QStringLiteral("C-64"));
    return QFontDatabase::systemFont(QFontDatabase::FixedFont);
}

ScreenGrid::ScreenGrid(const QFont& font, QWidget* parent)
    : QAbstractScrollArea(parent), font_(font) {
    setObjectName(QStringLiteral("txDirectory"));
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    QPalette colours = viewport()->palette();
    colours.setColor(QPalette::Base, backgroundColour());
    viewport()->setPalette(colours);
    // Keeps 25 rows of the smallest text and its 40 columns in view.
    font_.setPixelSize(kMinPixelSize * 2);
    const QFontMetricsF metrics(font_);
    setMinimumSize(static_cast<int>(metrics.horizontalAdvance(QLatin1Char('0')) * kColumns / 2),
                   static_cast<int>(metrics.height() * kRows / 2));
}

void ScreenGrid::setLines(std::vector<QString> lines, std::vector<bool> reversed) {
    lines_ = std::move(lines);
    reversed_ = std::move(reversed);
    reversed_.resize(lines_.size(), false);
    cells_.clear();
    for (const QString& line : lines_) {
        const QList<uint> codes = line.toUcs4();
        cells_.emplace_back(codes.begin(), codes.end());
    }
    layoutCells();
    viewport()->update();
}

int ScreenGrid::columns() const {
    std::size_t widest = kColumns;
    for (const auto& line : cells_)
        widest = std::max(widest, line.size());
    return static_cast<int>(widest);
}

void ScreenGrid::layoutCells() {
    layingOut_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{layingOut_};
    // The cell's shape is the font's; its size the largest at which the rows
    // and columns fit the view.
    QFont probe = font_;
    probe.setPixelSize(100);
    const QFontMetricsF at100(probe);
    const double width = std::max(1.0, at100.horizontalAdvance(QLatin1Char('0')));
    const double height = std::max(1.0, at100.height());
    const QSize view = viewport()->size();
    const double scale =
        std::min(view.width() / (columns() * width), view.height() / (kRows * height));
    font_.setPixelSize(std::max(kMinPixelSize, static_cast<int>(std::floor(100 * scale))));
    const QFontMetricsF metrics(font_);
    cell_ =
        QSize(std::max(1, static_cast<int>(std::ceil(metrics.horizontalAdvance(QLatin1Char('0'))))),
              std::max(1, static_cast<int>(std::ceil(metrics.height()))));
    ascent_ = static_cast<int>(std::round(metrics.ascent()));

    const int rows = static_cast<int>(lines_.size());
    const int shownRows = std::max(1, view.height() / cell_.height());
    verticalScrollBar()->setRange(0, std::max(0, rows - shownRows));
    verticalScrollBar()->setPageStep(shownRows);
    verticalScrollBar()->setSingleStep(1);
    const int textWidth = columns() * cell_.width();
    horizontalScrollBar()->setRange(0, std::max(0, textWidth - view.width()));
    horizontalScrollBar()->setPageStep(view.width());
    horizontalScrollBar()->setSingleStep(cell_.width());
    verticalScrollBar()->setValue(topRow_);
}

int ScreenGrid::firstVisibleRow() const {
    return verticalScrollBar()->value();
}

void ScreenGrid::scrollToRow(int row) {
    topRow_ = row;
    verticalScrollBar()->setValue(row);
}

void ScreenGrid::scrollContentsBy(int, int) {
    // A scroll of the person's: the row in view stays in view through resizes.
    if (!layingOut_)
        topRow_ = verticalScrollBar()->value();
    viewport()->update();
}

QSize ScreenGrid::sizeHint() const {
    // The C64's screen at 16 pixels a character row.
    QFont font = font_;
    font.setPixelSize(16);
    const QFontMetricsF metrics(font);
    return {static_cast<int>(std::ceil(metrics.horizontalAdvance(QLatin1Char('0')))) * columns(),
            static_cast<int>(std::ceil(metrics.height())) * kRows};
}

QRect ScreenGrid::cellRect(int row, int column) const {
    // The text stands in the middle of a view wider than it.
    const int spare = viewport()->width() - columns() * cell_.width();
    const int left = spare > 0 ? spare / 2 : -horizontalScrollBar()->value();
    return {left + column * cell_.width(), (row - firstVisibleRow()) * cell_.height(),
            cell_.width(), cell_.height()};
}

void ScreenGrid::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.setFont(font_);
    const QColor text = textColour(), background = backgroundColour();
    painter.fillRect(viewport()->rect(), background);
    const int first = firstVisibleRow();
    const int last = std::min(static_cast<int>(cells_.size()),
                              first + viewport()->height() / cell_.height() + 2);
    const QFontMetricsF metrics(font_);
    for (int row = first; row < last; ++row) {
        const bool reverse = reversed_[static_cast<std::size_t>(row)];
        const auto& line = cells_[static_cast<std::size_t>(row)];
        for (std::size_t column = 0; column < line.size(); ++column) {
            const QRect cell = cellRect(row, static_cast<int>(column));
            if (reverse)
                painter.fillRect(cell, text);
            const QString glyph = QString::fromUcs4(&line[column], 1);
            // Centred in its cell on the row's baseline, and never past it.
            const double advance = metrics.horizontalAdvance(glyph);
            painter.setClipRect(cell);
            painter.setPen(reverse ? background : text);
            painter.drawText(
                QPointF(cell.left() + (cell.width() - advance) / 2, cell.top() + ascent_), glyph);
            painter.setClipping(false);
        }
    }
    if (hasFocus()) {
        // The focus, a frame in the text's colour around the screen's edge.
        painter.setPen(QPen(text, 2));
        painter.drawRect(viewport()->rect().adjusted(1, 1, -1, -1));
    }
}

void ScreenGrid::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    layoutCells();
}

void ScreenGrid::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void ScreenGrid::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

} // namespace qs::forms
