#pragma once
// The search's view of the main window while the search runs on a thread of
// its own. Status, progress and report texts are gathered and shown by the
// window's thread at most about 20 times a second; message boxes are shown by
// the window's thread, after everything reported before them, while the
// search waits for the answer; block places reach the results box in the
// report's order, after the texts of their block; its error boxes offer to
// stop the search and to show no further errors of it (they are still
// logged) and are noted for the problems list. The results box holds at most 65535 characters: past
// that the report goes on in the results file, or the search stops, as the person answers. Called
// on the window's thread (start-up, the folder tree, dialogs), everything happens at once.
#include "forms/ResultsBox.h"
#include "search/ReportSink.h"

#include <QObject>
#include <QTimer>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace qs::forms {

class MainWindow;

// The characters the results box holds at most.
inline constexpr std::size_t kTextBoxLimit = 65535;

class SearchBridge final : public QObject, public ReportSink {
    Q_OBJECT
  public:
    explicit SearchBridge(MainWindow& window);
    ~SearchBridge() override;

    // A search is about to start, or has ended (the last texts shown).
    // `replaceAgreed`: the results file that may be replaced without asking.
    void beginSearch(const std::string& replaceAgreed = {});
    void endSearch();
    // The window is going: boxes the running search still asks for answer
    // their escape answer.
    void close();
    // Shows what the search gathered so far (also called by the timer).
    void flush();

    // Ticks "Save Results on File".
    void setSaveFile(bool ticked);
    // The report as the results box took it (CR LF before each text), and its
    // length in characters.
    std::string resultsText() const { return results_; }
    std::size_t resultsLength() const { return resultsLength_; }

    void status(const std::string& text) override;
    void progress(std::size_t done, std::size_t total) override;
    void fileProgress(std::size_t done, std::size_t total) override;
    void clearResults() override;
    bool appendResult(const std::string& text) override;
    std::string shownResults() const override { return results_; }
    void reportBlock(const FindingPlace& place) override;
    MsgAnswer messageBox(MsgIcon icon, MsgButtons buttons, const std::string& title,
                         const std::string& text) override;
    // Also noted for the window's problems list.
    void errorMessage(const TrappedMessage& message) override;
    // Not asked for the file the person agreed to have replaced; the box
    // offers to agree for the file until it changes.
    bool replaceResultsFile(const std::string& path) override;
    FullView resultsViewFull(const std::string& resultsFile, bool saving) override;

  private:
    struct Box {
        MsgIcon icon;
        MsgButtons buttons;
        std::string title;
        std::string text;
        bool searchError; // a trapped error of the running search
        std::optional<MsgAnswer> answer;
        // A box that offers "don't ask again" for replacing this file.
        std::string agreeFile = {};
    };
    // Shows a box and waits for its answer, on the window's thread.
    MsgAnswer ask(std::shared_ptr<Box> box);
    bool onWindowThread() const;
    void showBoxes();
    static MsgAnswer escapeAnswer(MsgButtons buttons);

    MainWindow& window_;
    QTimer timer_;
    // The report as the box holds it, kept by the search for its own use
    // (the size limit, writing it to the results file).
    std::string results_;
    std::size_t resultsLength_ = 0;

    std::mutex mutex_; // guards everything below
    std::condition_variable answered_;
    std::optional<std::string> status_;
    std::optional<std::pair<std::size_t, std::size_t>> progress_;
    std::optional<std::pair<std::size_t, std::size_t>> fileProgress_;
    std::vector<TrappedMessage> problems_; // not yet in the window's list
    std::string replaceAgreed_;
    // Report texts and records not yet in the box, in the report's order.
    std::vector<ReportItem> reported_;
    bool clear_ = false; // empty the box before appending
    std::optional<bool> saveFile_;
    std::deque<std::shared_ptr<Box>> boxes_;
    bool closed_ = false;
    bool quietErrors_ = false; // no further error boxes for this search
};

} // namespace qs::forms
