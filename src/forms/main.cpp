// quillsift [FOLDER]: the main window, starting in FOLDER (default: the
// application folder).
#include "common/modGeneral.h"
#include "forms/frmMain.h"
#include "forms/frm_ABOUT.h"

#include <QApplication>
#include <QFileInfo>

#include <cstdio>

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
    setup.errorLogPath = dataFolder + qs::kErrorLogName;
    setup.showAbout = [tempFolder = temp.path()](QWidget* owner) {
        qs::showAboutWindow(owner, tempFolder);
    };

    qs::forms::frmMain window(std::move(setup));
    window.show();
    return QApplication::exec();
}
