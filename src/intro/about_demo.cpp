// Opens the about window alone.
// Usage: quillsift-about-demo [--screenshot FILE [--at MS]]
// With --screenshot the show runs on a fake clock to MS milliseconds (default
// 16000), silently, and a picture of the window is saved to FILE.
#include "intro/AboutWindow.h"

#include <QApplication>
#include <QPixmap>

#include <cstdlib>
#include <iostream>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qsizetype shot = args.indexOf("--screenshot");
    if (shot < 0) {
        qs::showAboutWindow(nullptr);
        return 0;
    }
    if (shot + 1 >= args.size()) {
        std::cerr << "usage: quillsift-about-demo [--screenshot FILE [--at MS]]\n";
        return 2;
    }
    const QString file = args[shot + 1];
    const qsizetype at = args.indexOf("--at");
    const int ms = at >= 0 && at + 1 < args.size() ? args[at + 1].toInt() : 16000;

    qs::AboutWindowOptions options;
    options.manualClock = true;
    options.mci = [](const std::string&) { return std::string(); };
    qs::AboutWindow window(nullptr, std::move(options));
    window.show();
    for (int t = 0; t < ms; t += 10) {
        window.clock().Advance(10);
        QApplication::processEvents();
    }
    QApplication::processEvents();
    if (!window.grab().save(file)) {
        std::cerr << "cannot save " << file.toStdString() << "\n";
        return 1;
    }
    return 0;
}
