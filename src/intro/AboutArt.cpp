#include "intro/AboutArt.h"

#include <QFontDatabase>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace qs::intro {

QFont IntroFont(int pointSize) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(pointSize);
    font.setBold(true);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

QPixmap StartPicture(QSize size, const QString& banner) {
    QPixmap picture(size);
    picture.fill(kC64LightBlue);
    QPainter p(&picture);
    const int border = size.height() / 10;
    const QRect screen(border, border, size.width() - 2 * border, size.height() - 2 * border);
    p.fillRect(screen, kC64Blue);
    p.setPen(kC64LightBlue);
    p.setFont(IntroFont(8));
    const int line = p.fontMetrics().height() + 2;
    const QStringList lines{"    **** " + banner.toUpper() + " ****",
                            "",
                            " 64K RAM SYSTEM  38911 BASIC BYTES FREE",
                            "",
                            "READY.",
                            "LOAD\"ABOUT\",8,1",
                            "",
                            "SEARCHING FOR ABOUT",
                            "LOADING"};
    int y = screen.top() + line;
    for (const QString& text : lines) {
        p.drawText(screen.left() + 4, y, text);
        y += line;
    }
    p.fillRect(screen.left() + 4, y - line + 3, line / 2 + 2, line - 2, kC64LightBlue);
    return picture;
}

QPixmap LogoPicture(QSize size) {
    QPixmap picture(size);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font = IntroFont(10);
    font.setPixelSize(size.height() * 3 / 4);
    font.setLetterSpacing(QFont::PercentageSpacing, 110);
    QPainterPath path;
    path.addText(0, 0, font, "QUILLSIFT");
    const QRectF box = path.boundingRect();
    const qreal scale = std::min(size.width() / box.width(), size.height() / box.height()) * 0.94;
    p.translate(size.width() / 2.0, size.height() / 2.0);
    p.scale(scale, scale);
    p.translate(-box.center());
    p.fillPath(path.translated(3 / scale, 3 / scale), QColor(0x40, 0x31, 0x8D));
    QLinearGradient fill(box.topLeft(), box.bottomLeft());
    fill.setColorAt(0.0, QColor(0xEE, 0xEE, 0x77));
    fill.setColorAt(0.45, QColor(0xDD, 0x88, 0x55));
    fill.setColorAt(0.55, QColor(0x88, 0x39, 0x32));
    fill.setColorAt(1.0, QColor(0xFF, 0x77, 0x77));
    p.fillPath(path, fill);
    p.setPen(QPen(Qt::white, 1 / scale));
    p.drawPath(path);
    return picture;
}

QPixmap RasterBar(QSize size, int hue) {
    QPixmap picture(size);
    QPainter p(&picture);
    const int bands = size.height();
    for (int y = 0; y < bands; ++y) {
        // Brightness rises to the middle band and falls again, in coarse steps.
        const double fromEdge = 1.0 - std::abs(2.0 * (y + 0.5) / bands - 1.0);
        const int level = static_cast<int>(fromEdge * 4.0 + 0.5);
        p.fillRect(0, y, size.width(), 1,
                   QColor::fromHsv(hue, level >= 4 ? 60 : 220, 70 + level * 46));
    }
    return picture;
}

} // namespace qs::intro
