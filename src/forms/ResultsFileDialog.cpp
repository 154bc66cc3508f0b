#include "forms/ResultsFileDialog.h"

#include "common/Files.h"
#include "forms/FolderPicker.h"
#include "forms/KeyFilter.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <string_view>

namespace qs::forms {

bool FileNameAcceptsKey(char32_t key) {
    return std::u32string_view(U"\\/?:*\"><|").find(key) == std::u32string_view::npos;
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

    auto* label = new QLabel(QStringLiteral("File name:"), this);
    label->setObjectName(QStringLiteral("Label1"));
    txFileName_->setObjectName(QStringLiteral("txFileName"));
    txFileName_->installEventFilter(new KeyFilter(FileNameAcceptsKey, txFileName_));
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

    // An empty caption leaves every control as it is.
    if (resultsFile.empty())
        return;
    const auto slash = resultsFile.find_last_of('/');
    picker_->setFolder(slash == std::string::npos ? std::string()
                                                  : resultsFile.substr(0, slash + 1));
    txFileName_->setText(QString::fromStdString(
        slash == std::string::npos ? resultsFile : resultsFile.substr(slash + 1)));
}

void ResultsFileDialog::confirm() {
    const std::string name = txFileName_->text().toStdString();
    if (name.empty()) {
        sink_.messageBox(MsgIcon::Exclamation, MsgButtons::Ok, "Missing Filename",
                         "Insert Filename or cancel operation");
        return;
    }
    const std::string folder = TrailingSlash(picker_->folder());
    if (FileExists(folder + name) &&
        sink_.messageBox(MsgIcon::Question, MsgButtons::OkCancel, "File overwriting..",
                         "A file named " + name + " already exists in the folder " + folder +
                             ".\r\nDo you want to overwrite it?") != MsgAnswer::Ok)
        return;
    chosen_ = folder + name;
    accept();
}

} // namespace qs::forms
