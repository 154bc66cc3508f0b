// The main window on a small screen (the screen's size comes from the
// offscreen platform's configuration; ctest runs this at 800x600 and at
// 1024x768): every control within the screen, the results box at least a
// third of the window's height, also after a run that left it larger.
#include "FormsTestSupport.h"

#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>

using namespace qs;
using namespace qs::forms;
using namespace qs::forms::test;

class TestScreen : public QObject {
    Q_OBJECT
  private slots:
    void everyControlWithinTheScreen() {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY2(qEnvironmentVariable("QS_SCREEN") ==
                     QStringLiteral("%1x%2").arg(screen.width()).arg(screen.height()),
                 "the platform's screen is not the one asked for");
        WindowFixture f;
        for (int run = 0; run < 2; ++run) {
            MainWindow& w = f.open();
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            QVERIFY(screen.contains(w.frameGeometry()));
            for (const QWidget* control : w.findChildren<QWidget*>()) {
                if (!control->isVisible() || control->objectName().isEmpty() ||
                    control->objectName().startsWith(QStringLiteral("qt_")))
                    continue;
                const QRect place(control->mapToGlobal(QPoint()), control->size());
                QVERIFY2(screen.contains(place), qPrintable(control->objectName()));
                // Not squeezed below what it needs either.
                QVERIFY2(control->width() >= control->minimumSizeHint().width() ||
                             control->sizePolicy().horizontalPolicy() == QSizePolicy::Ignored,
                         qPrintable(control->objectName()));
            }
            QVERIFY(f.child<QPlainTextEdit>("txResults")->height() * 3 >= w.height());
            // The next run starts from a window larger than any screen.
            w.resize(3000, 2000);
            f.close();
        }
    }
};

QTEST_MAIN(TestScreen)
#include "tst_screen.moc"
