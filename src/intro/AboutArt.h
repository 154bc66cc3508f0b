#pragma once
// The pictures of the about window, drawn at start rather than stored.
#include <QColor>
#include <QFont>
#include <QPixmap>

namespace qs::intro {

// The home computer's colours.
inline const QColor kC64Blue(0x35, 0x28, 0x79);
inline const QColor kC64LightBlue(0x6C, 0x5E, 0xB5);

// The picture shown while the show is prepared: a computer that loads it.
QPixmap StartPicture(QSize size, const QString& banner);
// The swaying logo.
QPixmap LogoPicture(QSize size);
// A raster bar: bands of one hue, dark at the edges and bright in the middle.
QPixmap RasterBar(QSize size, int hue);
// The font of the texts: fixed pitch, bold.
QFont IntroFont(int pointSize);

} // namespace qs::intro
