// quillsift-screenshot OUT.png FOLDER [SEARCH [DIRECTORY.png [PROBLEMS.png]]]:
// opens the main window on FOLDER, searches it with the subfolders and saves
// a picture of the window; with DIRECTORY.png also one of the directory
// window of the first result block, with PROBLEMS.png one of the problems
// list. The results file goes where the window puts it for a user (the data
// folder under $HOME). Message boxes are answered with OK and printed to
// standard error.
#include "common/Files.h"
#include "forms/DirectoryWindow.h"
#include "forms/MainWindow.h"
#include "forms/ResultsBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QFileInfo>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

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

void settle(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool save(QWidget& widget, const char* path) {
    if (widget.grab().save(QString::fromLocal8Bit(path)))
        return true;
    std::fprintf(stderr, "quillsift-screenshot: could not write %s\n", path);
    return false;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 3 || argc > 6) {
        std::fprintf(stderr, "usage: quillsift-screenshot OUT.png FOLDER [SEARCH [DIRECTORY.png "
                             "[PROBLEMS.png]]]\n");
        return 2;
    }
    qs::PrivateTempFolder temp;
    const std::string appFolder = qs::ApplicationFolder();
    qs::forms::MainWindowSetup setup;
    setup.applicationFolder = appFolder;
    setup.startFolder = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath().toStdString();
    // An installed copy writes its results file in the user's data folder;
    // the picture shows that place rather than the build tree.
    const char* home = std::getenv("HOME");
    setup.resultsFolder = std::string(home ? home : "/tmp") + "/.local/share/quillsift/";
    if (const qs::Outcome made = qs::CreateFolderPath(setup.resultsFolder); !made) {
        std::fprintf(stderr, "quillsift-screenshot: %s\n", made.failure().detail.c_str());
        return 2;
    }
    setup.tools.toolFolder = appFolder;
    setup.tools.tempFolder = temp.path();
    setup.errorLogPath = temp.path() + qs::kErrorLogName;
    setup.presenter = std::make_shared<PrintingPresenter>();

    qs::forms::MainWindow window(std::move(setup));
    window.show();
    window.findChild<QCheckBox*>(QStringLiteral("chkRecurse"))->setChecked(true);
    if (argc >= 4)
        window.findChild<QLineEdit*>(QStringLiteral("txFindSTR"))
            ->setText(QString::fromLocal8Bit(argv[3]));
    QApplication::processEvents();
    window.findChild<QPushButton*>(QStringLiteral("cmdStart"))->click();
    // Let the folder tree finish reading its folders in the background.
    settle(1500);
    if (!save(window, argv[1]))
        return 1;
    if (argc < 5)
        return 0;
    auto* box = window.findChild<qs::forms::ResultsBox*>(QStringLiteral("txResults"));
    // The first disk's block, else the first block.
    const qs::forms::ResultBlock* shown = nullptr;
    for (int line = 0; line < box->document()->blockCount(); ++line)
        if (const qs::forms::ResultBlock* block = box->blockAt(line)) {
            if (!shown || block->place.file.ends_with(".d64")) {
                shown = block;
                if (block->place.file.ends_with(".d64"))
                    break;
            }
        }
    if (shown)
        emit box->directoryAsked(*shown);
    auto* directory = window.findChild<qs::forms::DirectoryWindow*>();
    if (!directory) {
        std::fprintf(stderr, "quillsift-screenshot: no directory window\n");
        return 1;
    }
    settle(500);
    if (!save(*directory, argv[4]))
        return 1;
    if (argc < 6)
        return 0;
    directory->close();
    qs::forms::ProblemsWindow* problems = window.showProblems();
    settle(500);
    return save(*problems, argv[5]) ? 0 : 1;
}
