// What the main window remembers between runs: its request, the recent
// searches, the results file and whether it may be replaced unasked, and
// the window's shape. Kept in an INI file (by default in the XDG config
// folder); a format or entry type the file does not know yet starts as the
// table says.
#include "forms/MainWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSettings>
#include <QSplitter>

#include <algorithm>

namespace qs::forms {

namespace {

// The option boxes by their keys.
constexpr std::pair<const char*, const char*> kOptions[] = {
    {"partial", "chkPartial"},        {"matchCase", "chkMatchCase"},
    {"fileNames", "chkFileName"},     {"mediumNames", "chkHeader"},
    {"warnings", "chkShowMediaWarn"}, {"sidName", "chkSIDName"},
    {"sidAuthor", "chkSIDAuthor"},    {"sidCopyright", "chkSIDCopyright"},
    {"recurse", "chkRecurse"},        {"archives", "chkZIP"},
    {"saveResults", "chkSaveFile"},   {"index", "chkIndex"}};

// A box switched off for this run (its outside program is missing) says
// nothing of what the person wants: it is not remembered.
bool switchedOff(const QWidget* box) {
    return !box->isEnabledTo(box->parentWidget());
}

QStringList tagsOf(const std::vector<QCheckBox*>& boxes, bool tickedOnly) {
    QStringList tags;
    for (const QCheckBox* box : boxes)
        if (!switchedOff(box) && (!tickedOnly || box->isChecked()))
            tags << box->property("tag").toString();
    return tags;
}

// Ticks the boxes remembered ticked; a box the settings do not know keeps
// its start state.
void restoreTicks(const QSettings& settings, const QString& key,
                  const std::vector<QCheckBox*>& boxes) {
    if (!settings.contains(key))
        return;
    const QStringList ticked = settings.value(key).toStringList();
    const QStringList known = settings.value(key + QStringLiteral("Known")).toStringList();
    for (QCheckBox* box : boxes) {
        const QString tag = box->property("tag").toString();
        if (known.contains(tag))
            box->setChecked(ticked.contains(tag));
    }
}

} // namespace

std::unique_ptr<QSettings> MainWindow::openSettings() const {
    if (setup_.settingsFile.empty())
        return nullptr;
    return std::make_unique<QSettings>(QString::fromStdString(setup_.settingsFile),
                                       QSettings::IniFormat);
}

std::pair<std::string, std::string> MainWindow::restoreRequest(QSettings& settings) {
    settings.beginGroup(QStringLiteral("request"));
    for (const auto& [key, name] : kOptions)
        if (settings.contains(QString::fromLatin1(key)))
            findChild<QCheckBox*>(QString::fromLatin1(name))
                ->setChecked(settings.value(QString::fromLatin1(key)).toBool());
    restoreTicks(settings, QStringLiteral("formats"), chkFileType_);
    restoreTicks(settings, QStringLiteral("entryTypes"), chkCBMType_);
    if (settings.contains(QStringLiteral("mask")))
        txFileMask_->setText(settings.value(QStringLiteral("mask")).toString());
    for (const QString& past : settings.value(QStringLiteral("history")).toStringList())
        if (!past.isEmpty())
            history_.push_back(past.toStdString());
    showHistory();
    if (settings.contains(QStringLiteral("pattern")))
        txFindSTR_->setText(settings.value(QStringLiteral("pattern")).toString());
    const std::string folder = settings.value(QStringLiteral("folder")).toString().toStdString();
    const std::string resultsFile =
        settings.value(QStringLiteral("resultsFile")).toString().toStdString();
    replaceAgreed_ = settings.value(QStringLiteral("replaceAgreed")).toString().toStdString();
    settings.endGroup();
    return {folder, resultsFile};
}

void MainWindow::restoreShape(QSettings& settings) {
    settings.beginGroup(QStringLiteral("window"));
    restoreGeometry(settings.value(QStringLiteral("geometry")).toByteArray());
    splitter_->restoreState(settings.value(QStringLiteral("splitter")).toByteArray());
    optionsSplitter_->restoreState(settings.value(QStringLiteral("optionsSplitter")).toByteArray());
    settings.endGroup();
}

void MainWindow::saveSettings() {
    const auto settings = openSettings();
    if (!settings)
        return;
    settings->beginGroup(QStringLiteral("request"));
    settings->setValue(QStringLiteral("folder"), QString::fromStdString(request_.folder));
    settings->setValue(QStringLiteral("pattern"), txFindSTR_->text());
    QStringList history;
    for (const std::string& past : history_)
        history << QString::fromStdString(past);
    settings->setValue(QStringLiteral("history"), history);
    settings->setValue(QStringLiteral("mask"), txFileMask_->text());
    for (const auto& [key, name] : kOptions)
        if (const QCheckBox* box = findChild<QCheckBox*>(QString::fromLatin1(name));
            !switchedOff(box))
            settings->setValue(QString::fromLatin1(key), box->isChecked());
    settings->setValue(QStringLiteral("formats"), tagsOf(chkFileType_, true));
    settings->setValue(QStringLiteral("formatsKnown"), tagsOf(chkFileType_, false));
    settings->setValue(QStringLiteral("entryTypes"), tagsOf(chkCBMType_, true));
    settings->setValue(QStringLiteral("entryTypesKnown"), tagsOf(chkCBMType_, false));
    settings->setValue(QStringLiteral("resultsFile"), QString::fromStdString(request_.resultsFile));
    settings->setValue(QStringLiteral("replaceAgreed"), QString::fromStdString(replaceAgreed_));
    settings->endGroup();
    settings->beginGroup(QStringLiteral("window"));
    settings->setValue(QStringLiteral("geometry"), saveGeometry());
    settings->setValue(QStringLiteral("splitter"), splitter_->saveState());
    settings->setValue(QStringLiteral("optionsSplitter"), optionsSplitter_->saveState());
    settings->endGroup();
}

} // namespace qs::forms
