#pragma once
// The results box txResults: the report as the search gives it, each result
// block remembering the file it is about and what matched there (from the
// search's match records), so that a double-click on the block, or "Show
// directory" in its menu, can ask for that file's directory.
#include "search/ReportRecords.h"

#include <QPlainTextEdit>

#include <optional>
#include <string>
#include <vector>

namespace qs::forms {

// One result block of the box: its lines, its file and its matches.
struct ResultBlock {
    int firstLine = 0;
    int lastLine = 0; // the rule that closes it
    FindingPlace place;
    std::vector<MatchRecord> matches;
};

class ResultsBox final : public QPlainTextEdit {
    Q_OBJECT
  public:
    explicit ResultsBox(QWidget* parent = nullptr);

    // Appends a line break and the text (CR LF line ends).
    void appendResult(const std::string& text);
    void clearResults();
    // The records arrive right after their block's texts; they belong to the
    // block just ruled off whose heading names their file. A block the box
    // did not take up to its rule gets none and stays unclickable.
    void reportMatch(const MatchRecord& match);
    void reportWarning(const WarningRecord& warning);
    // The block with matches shown on `line` (a block number of the box), or null.
    const ResultBlock* blockAt(int line) const;

  signals:
    void directoryAsked(const qs::forms::ResultBlock& block);

  protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    // The block that the records of `place` belong to, or null.
    ResultBlock* claim(const FindingPlace& place);
    std::optional<ResultBlock> blockAtPoint(const QPoint& point) const;

    struct Text {
        int line;          // where it starts in the box
        std::string first; // its first line
    };
    std::vector<ResultBlock> blocks_;
    std::vector<Text> texts_; // the texts since the last rule
    std::vector<Text> ruled_; // those of the block just ruled off, not claimed yet
    int ruleLine_ = 0;        // the last line of that rule
    bool claimed_ = false;    // blocks_.back() takes the records coming in
};

} // namespace qs::forms
