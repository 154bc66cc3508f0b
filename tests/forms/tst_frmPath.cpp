// The result-file dialog, alone and opened from the main window.
#include "FormsTestSupport.h"
#include "forms/FolderPicker.h"
#include "forms/frmPath.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace qs;
using namespace qs::forms;
using namespace qs::forms::test;

class TestFrmPath : public QObject {
    Q_OBJECT
  private slots:
    void loadsAndFiltersTheName();
    void confirmRules();
    void openedFromTheMainWindow();
};

namespace {

QLineEdit* nameBox(frmPath& d) {
    return d.findChild<QLineEdit*>(QStringLiteral("txFileName"));
}
void clickOk(frmPath& d) {
    QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
}

} // namespace

void TestFrmPath::loadsAndFiltersTheName() {
    WindowFixture f;
    frmMain& w = f.open();
    QDir(f.dir.path()).mkpath(QStringLiteral("out/deeper"));
    frmPath d(&w, w, w.session().trap, f.path("out/deeper/report.txt"));
    QCOMPARE(d.windowTitle(), QStringLiteral("Set result file "));
    QCOMPARE(nameBox(d)->text(), QStringLiteral("report.txt"));
    QCOMPARE(d.folderPicker()->folder(), f.path("out/deeper"));

    // An empty caption leaves the controls as they are.
    frmPath empty(&w, w, w.session().trap, "");
    QVERIFY(nameBox(empty)->text().isEmpty());

    // Typed characters that cannot stand in a file name are dropped.
    nameBox(d)->clear();
    QTest::keyClicks(nameBox(d), "a\\b/c?d:e*f\"g>h<i|j.k l");
    QCOMPARE(nameBox(d)->text(), QStringLiteral("abcdefghij.k l"));
}

void TestFrmPath::confirmRules() {
    WindowFixture f;
    frmMain& w = f.open();
    QFile existing(f.dir.path() + "/old.txt");
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.write("keep");
    existing.close();
    frmPath d(&w, w, w.session().trap, f.path("old.txt"));

    // No name: refused, the dialog stays.
    const QString name = nameBox(d)->text();
    nameBox(d)->clear();
    clickOk(d);
    QCOMPARE(f.boxes->shown.size(), std::size_t{1});
    QCOMPARE(f.boxes->shown[0].icon, MsgIcon::Exclamation);
    QCOMPARE(f.boxes->shown[0].title, std::string("Missing Filename"));
    QCOMPARE(f.boxes->shown[0].text, std::string("Insert Filename or cancel operation"));
    QCOMPARE(d.result(), int(QDialog::Rejected));
    QVERIFY(d.chosenPath().empty());

    // A name that exists: asked first; Cancel keeps the dialog open.
    nameBox(d)->setText(name);
    f.boxes->shown.clear();
    f.boxes->answers = {MsgAnswer::Cancel};
    clickOk(d);
    QCOMPARE(f.boxes->shown.size(), std::size_t{1});
    QCOMPARE(f.boxes->shown[0].icon, MsgIcon::Question);
    QCOMPARE(f.boxes->shown[0].buttons, MsgButtons::OkCancel);
    QCOMPARE(f.boxes->shown[0].title, std::string("File overwriting.."));
    QCOMPARE(f.boxes->shown[0].text, "A file named old.txt already exists in the folder " +
                                         f.path() + ".\r\nDo you want to overwrite it?");
    QCOMPARE(d.result(), int(QDialog::Rejected));

    clickOk(d); // answered OK this time
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QCOMPARE(d.chosenPath(), f.path("old.txt"));
    QCOMPARE(readFile(f.path("old.txt")), std::string("keep"));
}

// Through the main window's "&File.." button: Cancel, then OK at the root.
void TestFrmPath::openedFromTheMainWindow() {
    WindowFixture f;
    const char* button = "Command1"; // the dialog's Cancel
    MainWindowSetup setup;
    setup.runDialog = [&button](QDialog& dialog) {
        auto& d = static_cast<frmPath&>(dialog);
        d.folderPicker()->setFolder("/");
        nameBox(d)->setText(QStringLiteral("at-root.txt"));
        QTest::mouseClick(d.findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
        return d.result();
    };
    frmMain& w = f.open(std::move(setup));
    const std::string before = w.resultsFile();
    QTest::mouseClick(f.child<QPushButton>("Command1"), Qt::LeftButton);
    QCOMPARE(w.resultsFile(), before);
    QCOMPARE(f.child<QLabel>("lbFileName")->text(), QString::fromStdString(before));

    button = "cmdOK";
    QTest::mouseClick(f.child<QPushButton>("Command1"), Qt::LeftButton);
    // One separator between the root and the name.
    QCOMPARE(w.resultsFile(), std::string("/at-root.txt"));
    QCOMPARE(f.child<QLabel>("lbFileName")->text(), QStringLiteral("/at-root.txt"));
}

QTEST_MAIN(TestFrmPath)
#include "tst_frmPath.moc"
