#include "forms/FolderPicker.h"

#include "common/FileLister.h"
#include "search/Request.h"

#include <QComboBox>
#include <QEvent>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QScrollBar>
#include <QStorageInfo>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>

namespace qs::forms {

namespace {

std::string withoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// The nearest folder at or above `path` that exists; "/" at worst.
std::string existingFolder(std::string path) {
    std::error_code ec;
    path = withoutTrailingSlash(path.empty() ? "/" : path);
    while (!std::filesystem::is_directory(path, ec)) {
        const auto slash = path.find_last_of('/');
        if (slash == std::string::npos || slash == 0)
            return "/";
        path.resize(slash);
    }
    return path;
}

// Icons and types by kind only. The default provider reads the start of
// every file of an opened folder to find its type, which in a collection of
// thousands costs seconds of the window's time and competes with the search.
class KindIconProvider final : public QFileIconProvider {
  public:
    QIcon icon(IconType type) const override { return QFileIconProvider::icon(type); }
    QIcon icon(const QFileInfo& info) const override {
        return QFileIconProvider::icon(info.isDir() ? Folder : File);
    }
    QString type(const QFileInfo& info) const override {
        return info.isDir() ? QStringLiteral("Folder") : QStringLiteral("File");
    }
};

} // namespace

FolderPicker::FolderPicker(const ErrorTrap& trap, const QString& treeName, bool checkFolders,
                           QWidget* parent)
    : QWidget(parent), trap_(trap), treeName_(treeName), checkFolders_(checkFolders),
      drives_(new QComboBox(this)), tree_(new QTreeView(this)), model_(new QFileSystemModel(this)) {
    drives_->setObjectName(QStringLiteral("Drive1"));
    // A long mount path does not widen the window past a small screen.
    drives_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    drives_->setMinimumContentsLength(8);
    tree_->setObjectName(treeName);

    static KindIconProvider icons;
    model_->setIconProvider(&icons);
    model_->setFilter(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Drives);
    model_->setRootPath(QStringLiteral("/"));
    // When the folder shown goes, the tree moves its selection to a
    // neighbour. That is not the user's choice: the folder shown stays, so
    // that a search refuses it instead of running somewhere else. (Connected
    // before the tree's own handlers, so that it runs first.)
    connect(model_, &QAbstractItemModel::rowsAboutToBeRemoved, this, [this] { removing_ = true; });
    tree_->setModel(model_);
    connect(model_, &QAbstractItemModel::rowsRemoved, this, [this] {
        removing_ = false;
        QTimer::singleShot(0, this, [this] { selectShownFolder(); });
    });
    tree_->setHeaderHidden(true);
    for (int column = 1; column < model_->columnCount(); ++column)
        tree_->hideColumn(column);
    tree_->setSortingEnabled(true);
    tree_->sortByColumn(0, Qt::AscendingOrder);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(drives_);
    layout->addWidget(tree_, 1);

    fillDrives();
    connect(drives_, &QComboBox::activated, this,
            [this](int index) { chooseDrive(drives_->itemData(index).toString().toStdString()); });
    // Folders are read and sorted in the background: keep the shown folder in
    // view as the tree fills up, until the user takes the tree over.
    const auto follow = [this] {
        if (followFolder_)
            QTimer::singleShot(0, this, [this] { scrollToFolder(); });
    };
    connect(model_, &QFileSystemModel::directoryLoaded, this, follow);
    connect(model_, &QFileSystemModel::layoutChanged, this, follow);
    connect(model_, &QFileSystemModel::rowsInserted, this, follow);
    tree_->viewport()->installEventFilter(this);
    tree_->installEventFilter(this);
    tree_->verticalScrollBar()->installEventFilter(this);
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { onTreeCurrentChanged(current); });
}

void FolderPicker::fillDrives() {
    std::vector<std::string> roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        if (volume.isValid() && volume.isReady() && QFileInfo(volume.rootPath()).isDir())
            roots.push_back(volume.rootPath().toStdString());
    std::sort(roots.begin(), roots.end());
    roots.erase(std::unique(roots.begin(), roots.end()), roots.end());
    if (roots.empty() || roots.front() != "/")
        roots.insert(roots.begin(), "/");
    for (const std::string& root : roots)
        drives_->addItem(QString::fromStdString(root), QString::fromStdString(root));
}

void FolderPicker::selectDriveOf(const std::string& path) {
    // The volume whose root is the longest prefix of the path.
    int best = -1;
    qsizetype bestLength = -1;
    const QString p = QString::fromStdString(withoutTrailingSlash(path)) + QLatin1Char('/');
    for (int i = 0; i < drives_->count(); ++i) {
        QString root = drives_->itemData(i).toString();
        if (!root.endsWith(QLatin1Char('/')))
            root += QLatin1Char('/');
        if (p.startsWith(root) && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    const QSignalBlocker block(drives_);
    drives_->setCurrentIndex(best);
}

void FolderPicker::showFolder(const std::string& path) {
    folder_ = path;
    followFolder_ = true;
    selectDriveOf(path);
    const QModelIndex index = model_->index(QString::fromStdString(path));
    updating_ = true;
    tree_->setCurrentIndex(index);
    tree_->expand(index);
    scrollToFolder();
    updating_ = false;
    emit folderChanged(QString::fromStdString(folder_));
}

void FolderPicker::scrollToFolder() {
    tree_->scrollTo(model_->index(QString::fromStdString(folder_)),
                    QAbstractItemView::PositionAtCenter);
}

void FolderPicker::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    QTimer::singleShot(0, this, [this] { scrollToFolder(); });
}

bool FolderPicker::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
    case QEvent::KeyPress:
        followFolder_ = false;
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void FolderPicker::setFolder(const std::string& path) {
    showFolder(existingFolder(path));
}

void FolderPicker::chooseDrive(const std::string& root) {
    const std::string remembered = folder_;
    const bool ok = trap_.runUnlogged("Drive1_Change", [&] {
        // Reading the root tells a volume that is gone or locked.
        listFiles(root, kNoFilePattern);
        showFolder(withoutTrailingSlash(root));
    });
    if (!ok)
        showFolder(remembered);
}

void FolderPicker::selectShownFolder() {
    std::error_code ec;
    const QModelIndex index = std::filesystem::is_directory(folder_, ec)
                                  ? model_->index(QString::fromStdString(folder_))
                                  : QModelIndex();
    if (tree_->currentIndex() == index)
        return;
    updating_ = true;
    if (index.isValid())
        tree_->setCurrentIndex(index);
    else
        tree_->selectionModel()->clear(); // no folder looks chosen
    updating_ = false;
}

void FolderPicker::onTreeCurrentChanged(const QModelIndex& current) {
    if (updating_ || removing_ || !current.isValid())
        return;
    folder_ = withoutTrailingSlash(model_->filePath(current).toStdString());
    selectDriveOf(folder_);
    if (checkFolders_)
        trap_.runUnlogged(treeName_.toStdString() + "_Change",
                          [&] { listFiles(folder_, kNoFilePattern); });
    emit folderChanged(QString::fromStdString(folder_));
}

} // namespace qs::forms
