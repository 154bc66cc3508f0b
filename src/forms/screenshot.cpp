// quillsift-screenshot OUT.png FOLDER [SEARCH]: opens the main window on
// FOLDER, searches it with the subfolders and saves a picture of the window.
// Message boxes are answered with OK and printed to standard error.
#include "common/modGeneral.h"
#include "forms/frmMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QFileInfo>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

namespace {

class PrintingPresenter final : public qs::forms::MessageBoxPresenter {
  public:
    qs::MsgAnswer present(qs::MsgIcon, qs::MsgButtons buttons, const std::string& title,
                          const std::string& text) override {
        std::fprintf(stderr, "[%s] %s\n", title.c_str(), text.c_str());
        return buttons == qs::MsgButtons::YesNo ? qs::MsgAnswer::Yes : qs::MsgAnswer::Ok;
    }
    qs::forms::SearchErrorAnswer presentSearchError(const std::string& title,
                                                    const std::string& text) override {
        std::fprintf(stderr, "[%s] %s\n", title.c_str(), text.c_str());
        return {};
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: quillsift-screenshot OUT.png FOLDER [SEARCH]\n");
        return 2;
    }
    qs::PrivateTempFolder temp;
    const std::string appFolder = qs::ApplicationFolder();
    qs::forms::MainWindowSetup setup;
    setup.applicationFolder = appFolder;
    setup.startFolder = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath().toStdString();
    setup.resultsFolder = temp.path();
    setup.tools.toolFolder = appFolder;
    setup.tools.tempFolder = temp.path();
    setup.errorLogPath = temp.path() + qs::kErrorLogName;
    setup.presenter = std::make_shared<PrintingPresenter>();

    qs::forms::frmMain window(std::move(setup));
    window.show();
    window.findChild<QCheckBox*>(QStringLiteral("chkRecurse"))->setChecked(true);
    if (argc == 4)
        window.findChild<QLineEdit*>(QStringLiteral("txFindSTR"))
            ->setText(QString::fromLocal8Bit(argv[3]));
    QApplication::processEvents();
    window.findChild<QPushButton*>(QStringLiteral("cmdStart"))->click();
    // Let the folder tree finish reading its folders in the background.
    QEventLoop settle;
    QTimer::singleShot(1500, &settle, &QEventLoop::quit);
    settle.exec();
    if (!window.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "quillsift-screenshot: could not write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
