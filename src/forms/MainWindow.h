#pragma once
// The main window: every search option as a control, the folder choice, the
// start button, the results box and the results file. The search itself runs
// in the core on a thread of its own, so that the window stays responsive; it
// reaches the window through the SearchBridge. The window remembers its
// request and its shape between runs, and keeps the files the last search
// could not search in its problems list.
#include "forms/MessageBoxPresenter.h"
#include "forms/Problems.h"
#include "forms/SearchBridge.h"
#include "search/FileTask.h"
#include "search/Search.h"
#include "tools/ToolEnv.h"

#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class QCheckBox;
class QComboBox;
class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSettings;
class QShortcut;
class QSplitter;
class QUrl;

namespace qs::forms {

class FolderPicker;
class HelpWindow;
class ResultsBox;
class StatusLabel;

struct MainWindowSetup {
    std::string applicationFolder; // with a trailing separator
    // The folder tree's first folder; empty: the folder remembered from the
    // last run, else the application folder.
    std::string startFolder;
    std::string
        resultsFolder; // where "Quillsift Results.txt" defaults; empty: the application folder
    ToolEnv tools;
    // Shown once at start-up in an information box when not empty: the
    // private temporary folder is not where it should be, or missing.
    std::string tempFolderNotice;
    std::string errorLogPath;
    // Where the window remembers its request and shape between runs (an INI
    // file); empty: nothing is remembered.
    std::string settingsFile;
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
    // Builds the window, takes up what it remembers and runs Initialize.
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
    // The recent searches, the latest first.
    const std::vector<std::string>& searchHistory() const { return history_; }
    // The results file the person agreed to have replaced without being
    // asked again; empty: the question is asked.
    const std::string& replaceAgreed() const { return replaceAgreed_; }
    // The files the last search could not search.
    const std::vector<Problem>& problems() const { return problems_; }
    // The problems list, shown (made on first use) and raised.
    ProblemsWindow* showProblems();

    // The window while a search runs (controls disabled, caption "&STOP
    // SEARCH", busy pointer), or idle again.
    void setSearchRunning(bool running);
    void folderProgress(std::size_t done, std::size_t total);
    void fileProgress(std::size_t done, std::size_t total);

  protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    friend class SearchBridge;
    // What the search shows, on the window's thread.
    void setSaveFile(bool ticked);
    void info(const std::string& text);
    void clearResults();
    void report(std::vector<ReportItem> items);
    void addProblems(const std::vector<TrappedMessage>& messages);
    void agreeToReplace(const std::string& path);
    // The controls a search disables.
    std::vector<QWidget*> searchLockedControls() const;
    // Lets them paint (grey while a search runs): the moment is over.
    void paintLockedControls();
    void setStartCaption(const std::string& caption);
    MsgAnswer messageBox(MsgIcon icon, MsgButtons buttons, const std::string& title,
                         const std::string& text);
    // Shows done of total on the bar, in `unit` ("folders", "files").
    void showProgress(std::size_t done, std::size_t total, const QString& unit);

    void startClicked();
    // The stop button's click while a search runs (also Escape and the error box).
    void stopSearch();
    void searchEnded();
    // Enter: starts the search from a control of the request, or presses
    // the button (or the problems link) that has the focus.
    void enterPressed();
    void showHelp();
    void rememberSearch(const std::string& pattern);
    // The recent searches in the search field's list.
    void showHistory();

    // The controls and their places (MainWindowControls.cpp).
    void buildControls();
    QGroupBox* buildSearchFrame();
    QGroupBox* buildFileFrame();
    QWidget* buildResultsPane();
    void buildShortcuts();
    // Tab goes through the controls in reading order.
    void setReadingOrder();
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
    // Brings the window within the available area of its screen.
    void fitToScreen();

    // What the window remembers between runs (WindowSettings.cpp).
    std::unique_ptr<QSettings> openSettings() const;
    // The request's options and the recent searches; answers the folder and
    // results file remembered (empty when none).
    std::pair<std::string, std::string> restoreRequest(QSettings& settings);
    void restoreShape(QSettings& settings);
    void saveSettings();

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
    std::vector<std::string> history_;
    std::string replaceAgreed_;
    std::vector<Problem> problems_;
    bool countingFiles_ = false; // the bar counts files, no longer folders
    bool placed_ = false;        // brought within its screen once

    QPushButton* cmdStart_ = nullptr;
    QPushButton* cmdOpenFile_ = nullptr;
    QPushButton* cmdAbout_ = nullptr;
    QPushButton* command1_ = nullptr;
    QCheckBox* chkSaveFile_ = nullptr;
    QCheckBox* chkZIP_ = nullptr;
    QCheckBox* chkIndex_ = nullptr;
    QGroupBox* frameSearch_ = nullptr;
    QGroupBox* frameSID_ = nullptr;
    QGroupBox* frameFile_ = nullptr;
    QGroupBox* framePCFile_ = nullptr;
    QGroupBox* frameCBMFile_ = nullptr;
    std::vector<QCheckBox*> chkFileType_;
    std::vector<QCheckBox*> chkCBMType_;
    QComboBox* findCombo_ = nullptr; // the search field with its history
    QLineEdit* txFindSTR_ = nullptr;
    QLineEdit* txFileMask_ = nullptr;
    ResultsBox* txResults_ = nullptr;
    QLabel* lbFileName_ = nullptr;
    StatusLabel* lbInfo_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QShortcut* escape_ = nullptr;
    QSplitter* splitter_ = nullptr;        // the options above, the results below
    QSplitter* optionsSplitter_ = nullptr; // the folder beside the other options
    // Paints the controls a search disabled as disabled once it has run a
    // moment (see setSearchRunning).
    QTimer greyLater_;
    FolderPicker* picker_ = nullptr;
    QPointer<ProblemsWindow> problemsWindow_;
    QPointer<HelpWindow> helpWindow_;
    bool askingMask_ = false;
};

} // namespace qs::forms
