#pragma once
// The result-file dialog: a folder and a name for the results file, or a
// whole path typed in the name box. Nothing is written here; the caller
// stores the chosen path when the dialog is accepted.
#include "common/ErrorTrap.h"
#include "common/MessageBox.h"

#include <QDialog>

#include <string>

class QLineEdit;
class QPushButton;

namespace qs::forms {

class FolderPicker;

// The characters of a typed name (or path) that a results file's name
// cannot hold, each once, in the order typed: \ ? : * " > < |.
std::string RefusedNameCharacters(const std::string& typed);

class ResultsFileDialog final : public QDialog {
    Q_OBJECT
  public:
    // Starts from `resultsFile`, the path the main window shows.
    ResultsFileDialog(QWidget* parent, MessageSink& sink, const ErrorTrap& trap,
                      const std::string& resultsFile);

    // The folder with a trailing separator and the name, once accepted.
    const std::string& chosenPath() const { return chosen_; }
    FolderPicker* folderPicker() const { return picker_; }

  private:
    void confirm();

    MessageSink& sink_;
    FolderPicker* picker_;
    QLineEdit* txFileName_;
    QPushButton* cmdOK_;
    QPushButton* command1_;
    std::string chosen_;
};

} // namespace qs::forms
