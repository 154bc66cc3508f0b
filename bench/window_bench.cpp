// quillsift-window-bench FOLDER SEARCH RESULTS_FOLDER: the window's search,
// started through its real START button on the offscreen platform once the
// window has settled, timed from the click until the window has painted its
// final status. The results file of an earlier run is removed first, as the
// command line it is compared with is told to overwrite it without asking.
// Message boxes are answered as a user who wants the search to go on would
// (OK, Yes). Prints the milliseconds.
#include "common/Files.h"
#include "forms/MainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <functional>

namespace {

class GoOn final : public qs::forms::MessageBoxPresenter {
  public:
    qs::MsgAnswer present(qs::MsgIcon, qs::MsgButtons buttons, const std::string&,
                          const std::string&) override {
        return buttons == qs::MsgButtons::YesNo ? qs::MsgAnswer::Yes : qs::MsgAnswer::Ok;
    }
    qs::forms::SearchErrorAnswer presentSearchError(const std::string&,
                                                    const std::string&) override {
        return {};
    }
};

// Calls afterRepaint once each repaint of a window has been flushed.
class Clocked final : public QApplication {
  public:
    using QApplication::QApplication;
    std::function<void()> afterRepaint;

    bool notify(QObject* receiver, QEvent* event) override {
        const bool repaint = event->type() == QEvent::UpdateRequest;
        const bool handled = QApplication::notify(receiver, event);
        if (repaint && afterRepaint)
            afterRepaint();
        return handled;
    }
};

} // namespace

int main(int argc, char** argv) {
    Clocked app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: quillsift-window-bench FOLDER SEARCH RESULTS_FOLDER\n");
        return 2;
    }
    qs::PrivateTempFolder temp;
    qs::forms::MainWindowSetup setup;
    setup.applicationFolder = qs::ApplicationFolder();
    setup.startFolder = argv[1];
    setup.resultsFolder = argv[3];
    setup.tools.toolFolder = setup.applicationFolder;
    setup.tools.tempFolder = temp.path();
    setup.errorLogPath = std::string(argv[3]) + "/ErrorLog.txt";
    setup.presenter = std::make_shared<GoOn>();
    qs::forms::MainWindow window(std::move(setup));
    window.show();
    window.findChild<QLineEdit*>(QStringLiteral("txFindSTR"))->setText(QString::fromUtf8(argv[2]));
    // Like against like: the command line it is compared with reads every file.
    window.findChild<QCheckBox*>(QStringLiteral("chkIndex"))->setChecked(false);
    // As a user would, START is pressed once the window has settled: the
    // folder tree reads the start folder in the background when it opens.
    QEventLoop settle;
    QTimer::singleShot(1500, &settle, &QEventLoop::quit);
    settle.exec();

    std::error_code ignored;
    std::filesystem::remove(window.resultsFile(), ignored);
    auto* start = window.findChild<QPushButton*>(QStringLiteral("cmdStart"));
    auto* status = window.findChild<QLabel*>(QStringLiteral("lbInfo"));
    // The window's own event loop runs meanwhile, as it would for a user.
    QEventLoop loop;
    double elapsed = -1; // milliseconds
    QElapsedTimer clock;
    // The first repaint once the search's thread has ended shows its final
    // status (shown then, or by an earlier flush) and the START button back.
    app.afterRepaint = [&] {
        if (elapsed < 0 && !window.searching() &&
            status->text().startsWith(QStringLiteral("Scan Completed"))) {
            elapsed = static_cast<double>(clock.nsecsElapsed()) / 1e6;
            loop.quit();
        }
    };
    QTimer::singleShot(600000, &loop, &QEventLoop::quit);
    clock.start();
    start->click();
    loop.exec();
    if (elapsed < 0) {
        std::fprintf(stderr, "quillsift-window-bench: the search did not end in 10 minutes\n");
        return 1;
    }
    std::printf("%.1f\n", elapsed);
    return 0;
}
