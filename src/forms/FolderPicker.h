#pragma once
// A drive list (the mounted volumes) above a folder tree, shared by the main
// window (Drive1 + DirPrg) and the result-file dialog (Drive1 + Dir1).
#include "common/ErrorTrap.h"

#include <QWidget>

class QComboBox;
class QFileSystemModel;
class QModelIndex;
class QTreeView;

namespace qs::forms {

class FolderPicker final : public QWidget {
    Q_OBJECT
  public:
    // `treeName` names the folder tree; with `checkFolders` a folder the
    // user picks is listed once and a failure is shown as "[<treeName>_Change]".
    FolderPicker(const ErrorTrap& trap, const QString& treeName, bool checkFolders,
                 QWidget* parent = nullptr);

    // The folder shown, without a trailing separator ("/" for the root).
    std::string folder() const { return folder_; }
    // Shows the folder (or its nearest existing parent) and selects its volume.
    void setFolder(const std::string& path);
    // A drive chosen in the drive list: the tree moves to its root. When the
    // drive cannot be read the message "[Drive1_Change] - ..." is shown and
    // folder and drive stay as they were.
    void chooseDrive(const std::string& root);

    QComboBox* driveList() const { return drives_; }
    QTreeView* folderTree() const { return tree_; }

  signals:
    void folderChanged(const QString& path);

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void scrollToFolder();
    void fillDrives();
    void selectDriveOf(const std::string& path);
    void showFolder(const std::string& path);
    void onTreeCurrentChanged(const QModelIndex& current);
    // Shows the folder shown as the tree's selection again, or none when it is gone.
    void selectShownFolder();

    const ErrorTrap& trap_;
    QString treeName_;
    bool checkFolders_;
    QComboBox* drives_;
    QTreeView* tree_;
    QFileSystemModel* model_;
    std::string folder_;
    bool updating_ = false;
    bool removing_ = false;     // the model is removing rows
    bool followFolder_ = false; // keep folder_ in view while the tree loads
};

} // namespace qs::forms
