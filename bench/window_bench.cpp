// quillsift-window-bench FOLDER SEARCH RESULTS_FOLDER: the window's search,
// started through its real START button on the offscreen platform once the
// window has settled, timed from the click to the final status. Message boxes are answered as a user
// who wants the search to go on would (OK, Yes). Prints the milliseconds.
#include "common/modGeneral.h"
#include "forms/frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

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

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
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
    qs::forms::frmMain window(std::move(setup));
    window.show();
    window.findChild<QLineEdit*>(QStringLiteral("txFindSTR"))->setText(QString::fromUtf8(argv[2]));
    // As a user would, START is pressed once the window has settled: the
    // folder tree reads the start folder in the background when it opens.
    QEventLoop settle;
    QTimer::singleShot(1500, &settle, &QEventLoop::quit);
    settle.exec();

    auto* start = window.findChild<QPushButton*>(QStringLiteral("cmdStart"));
    auto* status = window.findChild<QLabel*>(QStringLiteral("lbInfo"));
    QElapsedTimer clock;
    clock.start();
    start->click();
    // The window's own event loop runs meanwhile, as it would for a user.
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!window.searching() && status->text().startsWith(QStringLiteral("Scan Completed")))
            loop.quit();
    });
    poll.start(2);
    loop.exec();
    std::printf("%lld\n", static_cast<long long>(clock.elapsed()));
    return 0;
}
