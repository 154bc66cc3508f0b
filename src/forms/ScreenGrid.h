#pragma once
// The directory window's screen: text on a fixed grid of character cells, as
// the C64 draws it. Every character takes one cell whatever its glyph's
// width, and a glyph the font lacks (drawn from another font) stays inside
// its cell, so that no row grows taller and no column shifts. The text
// scales with the window: 25 rows, and at least the 40 columns of the C64's
// screen, fill the view.
#include <QAbstractScrollArea>
#include <QColor>
#include <QFont>
#include <QString>

#include <vector>

namespace qs::forms {

// Colours of the C64's sixteen (the "Pepto" measurement of the VIC-II).
struct C64Palette {
    static constexpr QRgb kWhite = 0xffffff, kBlue = 0x352879, kLightBlue = 0x6c5eb5;
};

// The contrast ratio of two colours as the web's accessibility guidelines
// define it (1 to 21).
double ContrastRatio(QColor a, QColor b);

class ScreenGrid final : public QAbstractScrollArea {
    Q_OBJECT
  public:
    static constexpr int kRows = 25;
    static constexpr int kColumns = 40;
    // The screen's text and background: white on the C64's blue reads at
    // 12:1 (its light blue on blue, the start-up screen's, only at 2.3:1).
    static QColor textColour() { return QColor(C64Palette::kWhite); }
    static QColor backgroundColour() { return QColor(C64Palette::kBlue); }

    // `font`: the family drawn; its size follows the view.
    explicit ScreenGrid(const QFont& font, QWidget* parent = nullptr);

    // The lines, and which of them are drawn in reverse.
    void setLines(std::vector<QString> lines, std::vector<bool> reversed);
    const std::vector<QString>& lines() const { return lines_; }
    const std::vector<bool>& reversed() const { return reversed_; }

    // The first row in view, and the view brought to a row (as far up as the
    // listing's end allows).
    int firstVisibleRow() const;
    void scrollToRow(int row);
    // A cell's place in the view's coordinates, and the font's pixel size.
    QRect cellRect(int row, int column) const;
    int pixelSize() const { return font_.pixelSize(); }

    // The font of the C64 (Debian's fonts-sixtyfour) when installed, else the
    // system's fixed-pitch font.
    static QFont preferredFont();

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    // Sizes the font and the cells to the view; sets the scroll ranges.
    void layoutCells();
    int columns() const;

    QFont font_;
    std::vector<QString> lines_;
    std::vector<std::vector<char32_t>> cells_; // each line's characters, one per cell
    std::vector<bool> reversed_;
    QSize cell_{8, 8};
    int ascent_ = 0;
    int topRow_ = 0; // the first row in view as last chosen, kept through resizes
    bool layingOut_ = false;
};

} // namespace qs::forms
