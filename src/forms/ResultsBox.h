#pragma once
// The results box txResults: the report as the search gives it, each result
// block remembering the file it is about (from the search's block places), so
// that a double-click on the block, or "Show directory" in its menu, can ask
// for that file's directory.
#include "search/ReportRecords.h"

#include <QPlainTextEdit>

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace qs::forms {

// A report text (CR LF line ends), or after a block's texts the place it is about.
using ReportItem = std::variant<std::string, FindingPlace>;

// One result block of the box: its lines and its file.
struct ResultBlock {
    int firstLine = 0;
    int lastLine = 0; // the rule that closes it
    FindingPlace place;
};

class ResultsBox final : public QPlainTextEdit {
    Q_OBJECT
  public:
    explicit ResultsBox(QWidget* parent = nullptr);

    // Each text goes on a new line; all texts of the call are inserted at
    // once. A place follows its block's texts: it claims the block just ruled
    // off whose heading names that file. A block the box did not take up to
    // its rule gets none and stays unclickable.
    void report(std::vector<ReportItem> items);
    void clearResults();
    // The block shown on `line` (a block number of the box), or null.
    const ResultBlock* blockAt(int line) const;

  signals:
    void directoryAsked(const qs::forms::ResultBlock& block);

  protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    // Notes a text that starts on line `lines_` and how many lines it adds.
    void noteText(const std::string& text, const QString& shown);
    // Remembers `place` for the block just ruled off whose heading names it.
    void claim(const FindingPlace& place);
    std::optional<ResultBlock> blockAtPoint(const QPoint& point) const;

    struct Text {
        int line;          // where it starts in the box
        std::string first; // its first line
    };
    std::vector<ResultBlock> blocks_;
    std::vector<Text> texts_; // the texts since the last rule
    std::vector<Text> ruled_; // those of the block just ruled off, not claimed yet
    int lines_ = 1;           // the box's lines, counted as the box breaks them
    int ruleLine_ = 0;        // the last line of that rule
};

} // namespace qs::forms
