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
    if (setup.startFolder.empty() && !startInRememberedFolder)
        setup.startFolder = path();
    setup.resultsFolder = path();
    setup.tools.toolFolder = path("app/");
    setup.tools.tempFolder = path("tmp/");
    setup.errorLogPath = path("ErrorLog.txt");
    setup.settingsFile = path("settings.ini");
    setup.presenter = boxes;
    // An index of the window's own: none of another test's, or of another
    // build's programs, whose notices would come up as boxes.
    qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(path("cache")));
    if (!setup.toolPresent)
        setup.toolPresent = [](const std::string&) { return true; };
    window = std::make_unique<MainWindow>(std::move(setup));
    return *window;
}

void WindowFixture::close() {
    window->close();
    window.reset();
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

SearchRequest freshRequest(const std::string& folder, const std::string& resultsFile) {
    SearchRequest r;
    r.saveResults = true;
    r.folder = folder;
    r.resultsFile = resultsFile;
    return r;
}

void verifyMirrors(const WindowFixture& f, const SearchRequest& request) {
    for (const auto& [name, option] : kOptionBoxes)
        QVERIFY2(f.child<QCheckBox>(name)->isChecked() == option(request), name);

    const auto mirrors = [&](const QString& name, std::string_view caption, std::string_view tag,
                             bool ticked) {
        auto* widget = f.child<QCheckBox>(name);
        return widget->isChecked() == ticked &&
               widget->text().remove('&').toStdString() == caption && // its access key left out
               widget->property("tag").toString().toStdString() == tag;
    };
    const auto formats = ContainerFormats();
    for (std::size_t i = 0; i < formats.size(); ++i) {
        const QString name = QStringLiteral("chkFileType(%1)").arg(i);
        QVERIFY2(
            mirrors(name, formats[i].caption, formats[i].tag, request.formats.contains(formats[i])),
            qPrintable(name));
    }
    const auto types = EntryTypes();
    for (std::size_t i = 0; i < types.size(); ++i) {
        const QString name = QStringLiteral("chkCBMType(%1)").arg(i);
        QVERIFY2(
            mirrors(name, types[i].caption, types[i].type, request.reportsEntryType(types[i].type)),
            qPrintable(name));
    }

    QCOMPARE(f.child<QLineEdit>(QStringLiteral("txFindSTR"))->text().toStdString(),
             request.pattern);
    QCOMPARE(f.child<QLineEdit>(QStringLiteral("txFileMask"))->text().toStdString(), request.mask);
    QCOMPARE(f.child<QLabel>(QStringLiteral("lbFileName"))->text().toStdString(),
             request.resultsFile);
    QCOMPARE(f.window->folderPicker()->folder(), request.folder);
    QCOMPARE(!f.child<QGroupBox>(QStringLiteral("frameSID"))->isHidden(),
             request.formats.contains(*FormatByTag("SID")));
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
