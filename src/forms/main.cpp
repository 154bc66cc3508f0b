// quillsift [FOLDER]: the main window, starting in FOLDER (default: the
// application folder).
#include "common/Files.h"
#include "forms/MainWindow.h"
#include "intro/AboutWindow.h"

#include <QApplication>
#include <QFileInfo>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {

// Signals reach the window through a pipe, read on the window's thread.
int signalPipe[2] = {-1, -1};

extern "C" void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv); // takes the toolkit's own options out of argv
    QApplication::setApplicationName(QStringLiteral("Quillsift"));

    std::string startFolder;
    if (argc > 2 || (argc == 2 && argv[1][0] == '-')) {
        std::fprintf(stderr, "usage: quillsift [FOLDER]\n");
        return 2;
    }
    if (argc == 2) {
        const QFileInfo folder(QString::fromLocal8Bit(argv[1]));
        if (!folder.isDir()) {
            std::fprintf(stderr, "quillsift: %s is not a folder\n", argv[1]);
            return 2;
        }
        startFolder = folder.absoluteFilePath().toStdString();
    }

    qs::PrivateTempFolder temp;
    const std::string appFolder = qs::ApplicationFolder();
    const std::string dataFolder = qs::DataFolder(appFolder);
    qs::forms::MainWindowSetup setup;
    setup.applicationFolder = appFolder;
    setup.startFolder = startFolder;
    setup.resultsFolder = dataFolder;
    setup.tools.toolFolder = appFolder;
    setup.tools.tempFolder = temp.path();
    setup.tempFolderNotice = temp.notice();
    setup.errorLogPath = dataFolder + qs::kErrorLogName;
    setup.showAbout = [tempFolder = temp.path()](QWidget* owner) {
        qs::showAboutWindow(owner, tempFolder);
    };

    qs::forms::MainWindow window(std::move(setup));

    // Ctrl-C or a termination request closes the windows as the user would:
    // a running search stops and the private temporary folder is removed.
    std::unique_ptr<QSocketNotifier> signalNotifier;
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        signalNotifier = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
        QObject::connect(signalNotifier.get(), &QSocketNotifier::activated, [] {
            char byte = 0;
            while (::read(signalPipe[0], &byte, 1) > 0) {
            }
            QApplication::closeAllWindows();
        });
        struct sigaction sa {};
        sa.sa_handler = onSignal;
        sigemptyset(&sa.sa_mask);
        for (int sig : {SIGINT, SIGTERM, SIGHUP})
            sigaction(sig, &sa, nullptr);
    }

    window.show();
    return QApplication::exec();
}
