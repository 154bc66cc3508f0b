#include "FormsTestSupport.h"

#include "forms/FolderPicker.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>

#include <algorithm>

namespace qs::forms::test {

MainWindow& WindowFixture::open(MainWindowSetup setup) {
    QDir(dir.path()).mkpath(QStringLiteral("tmp"));
    setup.applicationFolder = path("app/");
    if (setup.startFolder.empty())
        setup.startFolder = path();
    setup.resultsFolder = path();
    setup.tools.toolFolder = path("app/");
    setup.tools.tempFolder = path("tmp/");
    setup.errorLogPath = path("ErrorLog.txt");
    setup.presenter = boxes;
    if (!setup.toolPresent)
        setup.toolPresent = [](const std::string&) { return true; };
    window = std::make_unique<MainWindow>(std::move(setup));
    return *window;
}

void WindowFixture::click(const char* button) const {
    QTest::mouseClick(child<QPushButton>(QString::fromLatin1(button)), Qt::LeftButton);
}

// The search may end inside the click or later: the status line and the
// start button tell when it has.
bool WindowFixture::runSearch(const std::function<void()>& startSearch) const {
    auto* info = child<QLabel>(QStringLiteral("lbInfo"));
    auto* start = child<QPushButton>(QStringLiteral("cmdStart"));
    info->clear();
    if (startSearch)
        startSearch();
    else
        QTest::mouseClick(start, Qt::LeftButton);
    return QTest::qWaitFor(
        [&] {
            return !window->searching() && start->text() == QStringLiteral("&START SEARCH") &&
                   (info->text().startsWith(QStringLiteral("Scan Completed (")) ||
                    info->text() == QStringLiteral("Process Stopped"));
        },
        120000);
}

std::map<QString, QRect> controlPlaces(const QWidget& window) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    std::map<QString, QRect> places;
    for (const QWidget* control : window.findChildren<QWidget*>())
        if (control->isVisible() && !control->objectName().isEmpty() &&
            !control->objectName().startsWith(QStringLiteral("qt_")))
            places[control->objectName()] = {control->mapTo(&window, QPoint()), control->size()};
    return places;
}

void verifySamePlaces(const std::map<QString, QRect>& before, const QWidget& window) {
    for (const auto& [name, place] : controlPlaces(window))
        if (const auto was = before.find(name); was != before.end())
            QVERIFY2(was->second == place, qPrintable(name));
}

void verifyMirrors(const WindowFixture& f, const SearchOptions& request) {
    for (const auto& [name, option] : kOptionBoxes)
        QVERIFY2(f.child<QCheckBox>(name)->isChecked() == request.*option, name);

    const auto mirrors = [&](const QString& name, const CheckBox& box) {
        auto* widget = f.child<QCheckBox>(name);
        const Qt::CheckState states[] = {Qt::Unchecked, Qt::Checked, Qt::PartiallyChecked};
        return widget->checkState() == states[box.value] && widget->isEnabled() == box.enabled &&
               widget->text().toStdString() == box.caption &&
               widget->property("tag").toString().toStdString() == box.tag;
    };
    const std::pair<const char*, const std::vector<CheckBox>*> arrays[] = {
        {"chkFileType", &request.fileTypes}, {"chkCBMType", &request.cbmTypes}};
    for (const auto& [prefix, boxes] : arrays)
        for (std::size_t i = 0; i < boxes->size(); ++i) {
            const QString name = QStringLiteral("%1(%2)").arg(prefix).arg(i);
            QVERIFY2(mirrors(name, (*boxes)[i]), qPrintable(name));
        }
    QVERIFY(mirrors(QStringLiteral("chkZIP"), request.zip));

    QCOMPARE(f.child<QLineEdit>(QStringLiteral("txFindSTR"))->text().toStdString(),
             request.findStr);
    QCOMPARE(f.child<QLineEdit>(QStringLiteral("txFileMask"))->text().toStdString(),
             request.fileMask);
    QCOMPARE(f.child<QLabel>(QStringLiteral("lbFileName"))->text().toStdString(),
             request.resultsFile);
    QCOMPARE(f.window->folderPicker()->folder(), request.startFolder);
    const bool sid = std::any_of(request.fileTypes.begin(), request.fileTypes.end(),
                                 [](const CheckBox& b) { return b.tag == "SID" && b.ticked(); });
    QCOMPARE(!f.child<QGroupBox>(QStringLiteral("frameSID"))->isHidden(), sid);
}

std::string runProgram(const QString& name, const QStringList& args) {
    QProcess program;
    program.start(qEnvironmentVariable("QS_BIN_DIR") + "/" + name, args);
    if (!program.waitForFinished(60000) || program.exitStatus() != QProcess::NormalExit ||
        program.exitCode() != 0)
        qFatal("%s failed", qPrintable(name));
    return program.readAllStandardOutput().toStdString();
}

} // namespace qs::forms::test
