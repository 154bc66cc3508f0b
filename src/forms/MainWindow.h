#pragma once
// The main window: every search option as a control, the folder choice, the
// start button, the results box and the results file. The search itself runs
// in the core on a thread of its own, so that the window stays responsive; it
// reaches the window through the SearchBridge.
#include "forms/MessageBoxPresenter.h"
#include "forms/SearchBridge.h"
#include "search/FileTask.h"
#include "search/Search.h"
#include "tools/ToolEnv.h"

#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class QCheckBox;
class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QShortcut;
class QUrl;

namespace qs::forms {

class FolderPicker;
class ResultsBox;

struct MainWindowSetup {
    std::string applicationFolder; // with a trailing separator
    std::string startFolder;       // the folder tree's first folder; empty: the application folder
    std::string
        resultsFolder; // where "Quillsift Results.txt" defaults; empty: the application folder
    ToolEnv tools;
    // Shown once at start-up in an information box when not empty: the
    // private temporary folder is not where it should be, or missing.
    std::string tempFolderNotice;
    std::string errorLogPath;
    // Answers message boxes; null: real modal boxes.
    std::shared_ptr<MessageBoxPresenter> presenter;
    // Whether an outside program ("c1541", "tape64", "7za") is there; null: looked for
    // as the search looks for it.
    std::function<bool(const std::string& tool)> toolPresent;
    // Shows the about window; null: nothing happens.
    std::function<void(QWidget* owner)> showAbout;
    // Runs a modal dialog and answers its result; null: QDialog::exec.
    std::function<int(QDialog& dialog)> runDialog;
    // Hands a file to the desktop's opener and answers whether a program took
    // it; null: QDesktopServices::openUrl.
    std::function<bool(const QUrl& url)> openUrl;
    // Files analysed side by side (0: one per processor), and a stand-in for
    // the disk (null: the disk).
    unsigned jobs = 0;
    PathOpener opener;
};

class MainWindow final : public QWidget {
    Q_OBJECT
  public:
    // Builds the window and runs Initialize.
    explicit MainWindow(MainWindowSetup setup, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The request as the controls show it.
    const SearchRequest& request() const { return request_; }
    std::string resultsFile() const { return request_.resultsFile; }
    const SearchOutcome& lastOutcome() const { return lastOutcome_; }
    const ErrorTrap& trap() const { return trap_; }
    void setResultsFile(const std::string& path);
    FolderPicker* folderPicker() const { return picker_; }
    // True from a click on START until the search's thread has ended.
    bool searching() const { return searchThread_.joinable(); }
    // The last search's report as the results box took it (CR LF before each text).
    std::string resultsText() const { return bridge_.resultsText(); }
    std::size_t resultsLength() const { return bridge_.resultsLength(); }

    // The window while a search runs (controls disabled, caption "&STOP
    // SEARCH", busy pointer), or idle again.
    void setSearchRunning(bool running);
    void folderProgress(std::size_t done, std::size_t total);

  protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    friend class SearchBridge;
    // What the search shows, on the window's thread.
    void setSaveFile(bool ticked);
    void info(const std::string& text);
    void clearResults();
    void report(std::vector<ReportItem> items);
    // The controls a search disables.
    std::vector<QWidget*> searchLockedControls() const;
    // Lets them paint (grey while a search runs): the moment is over.
    void paintLockedControls();
    void setStartCaption(const std::string& caption);
    MsgAnswer messageBox(MsgIcon icon, MsgButtons buttons, const std::string& title,
                         const std::string& text);

    void startClicked();
    // The stop button's click while a search runs (also Escape and the error box).
    void stopSearch();
    void searchEnded();
    void buildControls();
    QGroupBox* buildSearchFrame();
    QGroupBox* buildFileFrame();
    // A frame of check boxes, one per row, in a grid of `columns`.
    struct GridBox {
        QString caption, tag, toolTip;
        bool ticked;
        std::function<void(bool)> set;
    };
    QGroupBox* buildGrid(const QString& title, const QString& name, std::vector<GridBox> boxes,
                         std::vector<QCheckBox*>& widgets, int columns);
    QCheckBox* addOption(QWidget* parent, const QString& name, const QString& caption,
                         const QString& toolTip, bool& option);
    void Initialize();
    void openResultsFile();
    bool openUrl(const QUrl& url) const;
    void chooseResultsFile();
    void fileMaskLostFocus();

    MainWindowSetup setup_;
    std::shared_ptr<MessageBoxPresenter> presenter_;
    SearchRequest request_;     // as the controls show it
    SearchRequest running_;     // the running search's, fixed at its start
    SearchRequest shownSearch_; // the request whose report the results box shows
    SearchBridge bridge_{*this};
    ErrorLog log_;
    ErrorTrap trap_;
    std::atomic<bool> stop_{false};
    SearchOutcome lastOutcome_;
    std::thread searchThread_;
    bool closeWhenDone_ = false;

    QPushButton* cmdStart_ = nullptr;
    QPushButton* cmdOpenFile_ = nullptr;
    QPushButton* cmdAbout_ = nullptr;
    QPushButton* command1_ = nullptr;
    QCheckBox* chkSaveFile_ = nullptr;
    QCheckBox* chkZIP_ = nullptr;
    QGroupBox* frameSearch_ = nullptr;
    QGroupBox* frameSID_ = nullptr;
    QGroupBox* frameFile_ = nullptr;
    QGroupBox* framePCFile_ = nullptr;
    QGroupBox* frameCBMFile_ = nullptr;
    std::vector<QCheckBox*> chkFileType_;
    std::vector<QCheckBox*> chkCBMType_;
    QLineEdit* txFindSTR_ = nullptr;
    QLineEdit* txFileMask_ = nullptr;
    ResultsBox* txResults_ = nullptr;
    QLabel* lbFileName_ = nullptr;
    QLabel* lbInfo_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QShortcut* escape_ = nullptr;
    // Paints the controls a search disabled as disabled once it has run a
    // moment (see setSearchRunning).
    QTimer greyLater_;
    FolderPicker* picker_ = nullptr;
    bool askingMask_ = false;
};

} // namespace qs::forms
