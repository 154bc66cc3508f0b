#pragma once
// The files the last search could not search, each with the message its
// error box showed and the reason in plain words, in a list that stays open
// beside the main window and copies as text.
#include "common/MessageBox.h"

#include <QDialog>

#include <string>
#include <vector>

class QTableWidget;

namespace qs::forms {

struct Problem {
    std::string file;    // the file or folder; empty when the message names none
    std::string member;  // an archive's member, or empty
    std::string message; // as the error box showed it
    std::string reason;  // in plain words
};

// What a trapped message ("[analizzaD64] - 9 - Subscript out of range (...)")
// means in plain words ("too short to be a D64"): from its error number and
// what its procedure reads (a format of the table, an archive, a folder, the
// results file).
std::string PlainReason(const TrappedMessage& message);

// One problem per file (or archive member): a second message about the same
// one joins the first.
void AddProblem(std::vector<Problem>& problems, const TrappedMessage& message);

class ProblemsWindow final : public QDialog {
    Q_OBJECT
  public:
    explicit ProblemsWindow(QWidget* parent = nullptr);

    void setProblems(const std::vector<Problem>& problems);
    // Every row, or the selected ones, as tab-separated lines (file, message,
    // reason; the message's lines joined by " / ").
    QString rowsAsText(bool selectedOnly) const;
    QTableWidget* table() const { return table_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void copyRows(bool selectedOnly) const;

    QTableWidget* table_;
    std::vector<Problem> problems_;
};

} // namespace qs::forms
