// quillsift [FOLDER]: the main window, starting in FOLDER (default: the
// folder of the last run, else the application folder).
#include "common/Files.h"
#include "forms/MainWindow.h"
#include "intro/AboutWindow.h"
#include "search/Output.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <csignal>
#include <cstdio>
#include <cstring>
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

const char* const kUsage =
    "Usage: quillsift [FOLDER]\n"
    "Opens the Quillsift window: a search of the C64 disk, tape, cartridge and tune\n"
    "files below a folder, in disk images, tapes and archives.\n"
    "\n"
    "FOLDER is the folder to search; without it the window opens on the folder of\n"
    "the last search (else the program's own folder). The window remembers its\n"
    "options in $XDG_CONFIG_HOME/quillsift/quillsift.conf.\n"
    "\n"
    "Options:\n"
    "  -h, --help     this text\n"
    "  --version      program version\n"
    "\n"
    "The toolkit's own options (such as -platform) are taken as well.\n"
    "For searches from the command line, see quillsift-cli(1).\n";

} // namespace

int main(int argc, char** argv) {
    // Answered without a display, so that they work anywhere.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("%s\n%s\n", qs::ProgramBanner().c_str(), qs::CopyrightNotice().c_str());
            return 0;
        }
    }
    QApplication app(argc, argv); // takes the toolkit's own options out of argv
    QApplication::setApplicationName(QStringLiteral("Quillsift"));
    // The desktop entry and the icon an installed copy has.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quillsift.Quillsift"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.quillsift.Quillsift")));

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
    setup.settingsFile = (QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                          QStringLiteral("/quillsift/quillsift.conf"))
                             .toStdString();
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
