#include "forms/ResultsFileDialog.h"

#include "common/Files.h"
#include "forms/FolderPicker.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>

#include <cstdlib>
#include <filesystem>
#include <string_view>

namespace qs::forms {

namespace {

bool isFolder(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

} // namespace

std::string RefusedNameCharacters(const std::string& typed) {
    // A results file may be copied to any system: names keep to what all
    // of them take. The slash separates folders.
    std::string refused;
    for (const char c : typed)
        if (std::string_view("\\?:*\"><|").find(c) != std::string_view::npos &&
            refused.find(c) == std::string::npos)
            refused += c;
    return refused;
}

ResultsFileDialog::ResultsFileDialog(QWidget* parent, MessageSink& sink, const ErrorTrap& trap,
                                     const std::string& resultsFile)
    : QDialog(parent), sink_(sink),
      picker_(new FolderPicker(trap, QStringLiteral("Dir1"), false, this)),
      txFileName_(new QLineEdit(this)),
      cmdOK_(new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton),
                             QStringLiteral("&Ok"), this)),
      command1_(new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton),
                                QStringLiteral("&Cancel"), this)) {
    setObjectName(QStringLiteral("ResultsFileDialog"));
    setWindowTitle(QStringLiteral("Set result file "));
    setModal(true);

    auto* label = new QLabel(QStringLiteral("File &name:"), this);
    label->setObjectName(QStringLiteral("Label1"));
    label->setBuddy(txFileName_);
    txFileName_->setObjectName(QStringLiteral("txFileName"));
    txFileName_->setToolTip(QStringLiteral(
        "A name in the folder below, or a whole path (a folder, a slash and the name)"));
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setDefault(true);
    command1_->setObjectName(QStringLiteral("Command1"));
    connect(cmdOK_, &QPushButton::clicked, this, [this] { confirm(); });
    connect(command1_, &QPushButton::clicked, this, &QDialog::reject);

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(label);
    nameRow->addWidget(txFileName_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK_);
    buttons->addWidget(command1_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(nameRow);
    layout->addWidget(picker_, 1);
    layout->addLayout(buttons);
    resize(420, 420);
    // The name first: the folder list's arrow keys would switch volumes.
    setTabOrder(txFileName_, picker_->driveList());
    setTabOrder(picker_->driveList(), picker_->folderTree());
    setTabOrder(picker_->folderTree(), cmdOK_);
    setTabOrder(cmdOK_, command1_);
    txFileName_->setFocus();

    // An empty caption leaves every control as it is.
    if (resultsFile.empty())
        return;
    const auto slash = resultsFile.find_last_of('/');
    picker_->setFolder(slash == std::string::npos ? std::string()
                                                  : resultsFile.substr(0, slash + 1));
    txFileName_->setText(QString::fromStdString(
        slash == std::string::npos ? resultsFile : resultsFile.substr(slash + 1)));
    txFileName_->selectAll();
}

void ResultsFileDialog::confirm() {
    const std::string typed = txFileName_->text().toStdString();
    // A typed path names its folder: from the root, from the home folder
    // ("~/"), or from the folder chosen below.
    const auto slash = typed.find_last_of('/');
    const std::string name = slash == std::string::npos ? typed : typed.substr(slash + 1);
    if (name.empty()) {
        sink_.messageBox(MsgIcon::Exclamation, MsgButtons::Ok, "Missing Filename",
                         "Insert Filename or cancel operation");
        return;
    }
    if (const std::string refused = RefusedNameCharacters(typed); !refused.empty()) {
        std::string listed;
        for (const char c : refused)
            listed += std::string(listed.empty() ? "" : " ") + c;
        sink_.messageBox(MsgIcon::Exclamation, MsgButtons::Ok, "Invalid Filename",
                         "A file name cannot hold these characters: " + listed +
                             "\r\nChange the name or cancel operation");
        return;
    }
    std::string folder = TrailingSlash(picker_->folder());
    if (slash != std::string::npos) {
        const std::string typedFolder = typed.substr(0, slash + 1);
        const char* home = std::getenv("HOME");
        if (typedFolder.starts_with("/"))
            folder = typedFolder;
        else if (typedFolder.starts_with("~/") && home != nullptr && *home != '\0')
            folder = TrailingSlash(home) + typedFolder.substr(2);
        else
            folder += typedFolder;
        folder = TrailingSlash(std::filesystem::path(folder).lexically_normal().string());
        if (!isFolder(folder)) {
            sink_.messageBox(MsgIcon::Exclamation, MsgButtons::Ok, "Missing Folder",
                             "The folder " + folder + " does not exist.");
            return;
        }
    }
    if (name == "." || name == ".." || isFolder(folder + name)) {
        sink_.messageBox(MsgIcon::Exclamation, MsgButtons::Ok, "Missing Filename",
                         "The path " + folder + name +
                             " is a folder: insert a file name after it.");
        return;
    }
    if (FileExists(folder + name) &&
        sink_.messageBox(MsgIcon::Question, MsgButtons::OkCancel, "File overwriting..",
                         "A file named " + name + " already exists in the folder " + folder +
                             ".\r\nDo you want to overwrite it?") != MsgAnswer::Ok)
        return;
    chosen_ = folder + name;
    accept();
}

} // namespace qs::forms
