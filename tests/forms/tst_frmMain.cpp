// The main window's controls, start-up, request checks and key handling.
#include "FormsTestSupport.h"
#include "common/modGeneral.h"
#include "forms/FolderPicker.h"
#include "intro/frm_ABOUT.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

using namespace qs;
using namespace qs::forms;
using namespace qs::forms::test;

namespace {

// A click on the box's indicator, where a user clicks.
void tick(QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

} // namespace

class TestFrmMain : public QObject {
    Q_OBJECT
  private slots:
    void startStates();
    void tickingBoxesFollowsTheRequest();
    void requestChecks();
    void missingTools_data();
    void missingTools();
    void fileMaskKeyFilter();
    void fileMaskLostFocus();
    void openResultsFile();
    void aboutOpensTheAboutWindow();
    void unreadableDrive();
    void realMessageBoxAnswers();
};

void TestFrmMain::startStates() {
    WindowFixture f;
    frmMain& w = f.open();
    QCOMPARE(w.windowTitle(), QStringLiteral("Quillsift [Orvel Soft]"));
    QVERIFY(f.boxes->shown.empty());

    // Each box of an array as caption=tag, then + ticked or - clear.
    const auto array = [&](const QString& name, int count) {
        QStringList boxes;
        for (int i = 0; i < count; ++i) {
            auto* box = f.child<QCheckBox>(qPrintable(name + QStringLiteral("(%1)").arg(i)));
            boxes << box->text() + "=" + box->property("tag").toString() +
                         (box->isChecked() ? "+" : "-");
        }
        return boxes.join(' ');
    };
    QCOMPARE(array("chkFileType", 9),
             QStringLiteral("D64=D64+ T64=T64+ D81=D81+ G64=G64- PC64=P?\?\\S?\?\\U?\?\\R?\?+ "
                            "D71=D71+ TAP=TAP- CRT=CRT+ SID=SID-"));
    QCOMPARE(array("chkCBMType", 8),
             QStringLiteral("PRG=prg+ DEL=del- SEQ=seq- USR=usr- REL=rel- CBM=cbm- SCR=scr- "
                            "Others=ukw-"));
    QCOMPARE(f.child<QCheckBox>("chkFileType(6)")->toolTip(),
             QStringLiteral("TAP search uses an external program and can slower the process a "
                            "lot. Don't select it if you think it's not necessary"));

    struct Option {
        const char* name;
        const char* caption;
        bool ticked;
    };
    for (const Option& o :
         {Option{"chkSaveFile", "Sa&ve Results on File", true},
          Option{"chkPartial", "Partial Matches", true},
          Option{"chkMatchCase", "Match Case", false},
          Option{"chkFileName", "Include file name", false},
          Option{"chkHeader", "Include container name", false},
          Option{"chkShowMediaWarn", "Show Warnings", false},
          Option{"chkSIDName", "(SID) Name ", true}, Option{"chkSIDAuthor", "(SID) Author", false},
          Option{"chkSIDCopyright", "(SID) Copyright", false},
          Option{"chkZIP", "Include Archives", false},
          Option{"chkRecurse", "&Recurse folders", false}}) {
        auto* box = f.child<QCheckBox>(o.name);
        QCOMPARE(box->text(), QString::fromLatin1(o.caption));
        QCOMPARE(box->isChecked(), o.ticked);
    }
    QCOMPARE(f.child<QCheckBox>("chkZIP")->property("tag").toString(),
             QStringLiteral("*.zip;*.rar;*.7z;*.arj;*.lzh"));
    QCOMPARE(f.child<QLineEdit>("txFindSTR")->text(), QStringLiteral("*"));
    QCOMPARE(f.child<QLineEdit>("txFileMask")->text(), QStringLiteral("*"));
    QCOMPARE(f.child<QPushButton>("cmdStart")->text(), QStringLiteral("&START SEARCH"));
    QCOMPARE(f.child<QPushButton>("cmdAbout")->toolTip(),
             QStringLiteral("..hey! hit me! I'm not the usual \"ABOUT..\" window ;-)"));
    QVERIFY(f.child<QGroupBox>("frameSID")->isHidden());
    QCOMPARE(f.child<QLabel>("lbInfo")->text(), QString());
    QVERIFY(f.child<QPlainTextEdit>("txResults")->toPlainText().isEmpty());
    QVERIFY(QFontInfo(f.child<QPlainTextEdit>("txResults")->font()).fixedPitch());

    // The results file defaults to its folder; the folder tree to the start folder.
    QCOMPARE(f.child<QLabel>("lbFileName")->text(),
             QString::fromStdString(f.path("Quillsift Results.txt")));
    QCOMPARE(w.options().resultsFile, f.path("Quillsift Results.txt"));
    QCOMPARE(w.options().startFolder, f.dir.path().toStdString());
}

void TestFrmMain::tickingBoxesFollowsTheRequest() {
    WindowFixture f;
    frmMain& w = f.open();
    w.show();
    auto* sid = f.child<QCheckBox>("chkFileType(8)");
    auto* frameSID = f.child<QGroupBox>("frameSID");

    tick(sid);
    QVERIFY(sid->isChecked());
    QVERIFY(frameSID->isVisible());
    QVERIFY(w.options().fileTypes[8].ticked());
    // Another type leaves the SID frame alone.
    tick(f.child<QCheckBox>("chkFileType(3)"));
    QVERIFY(frameSID->isVisible());
    QVERIFY(w.options().fileTypes[3].ticked());
    tick(sid);
    QVERIFY(!frameSID->isVisible());
    QVERIFY(!w.options().fileTypes[8].ticked());

    tick(f.child<QCheckBox>("chkCBMType(2)"));
    QVERIFY(w.options().cbmTypes[2].ticked());
    for (const char* name : {"chkMatchCase", "chkRecurse", "chkZIP", "chkHeader"})
        tick(f.child<QCheckBox>(name));
    tick(f.child<QCheckBox>("chkSaveFile"));
    QVERIFY(w.options().matchCase && w.options().recurse && w.options().header);
    QVERIFY(w.options().zip.ticked());
    QVERIFY(!w.options().saveFile);

    auto* find = f.child<QLineEdit>("txFindSTR");
    find->clear();
    QTest::keyClicks(find, "BLAST");
    QCOMPARE(w.options().findStr, std::string("BLAST"));
}

// The messages and their order are the core's; here the click runs the check
// on what the boxes show.
void TestFrmMain::requestChecks() {
    WindowFixture f;
    frmMain& w = f.open();
    f.child<QLineEdit>("txFileMask")->setText(QStringLiteral(" "));
    for (int i = 0; i < 9; ++i)
        f.child<QCheckBox>(qPrintable(QStringLiteral("chkFileType(%1)").arg(i)))->setChecked(false);
    w.appendResult("left from before");

    QTest::mouseClick(f.child<QPushButton>("cmdStart"), Qt::LeftButton);
    QCOMPARE(f.boxes->shown.size(), std::size_t{1});
    const ShownBox& box = f.boxes->shown.front();
    QCOMPARE(box.icon, MsgIcon::Information);
    QCOMPARE(box.title, std::string("Quillsift"));
    QCOMPARE(box.text, std::string("At least one PC File Type must be selected"));
    QCOMPARE(f.child<QLabel>("lbInfo")->text(), QStringLiteral("Process Stopped"));
    QVERIFY(f.child<QPlainTextEdit>("txResults")->toPlainText().isEmpty());
    QVERIFY(!QFile::exists(QString::fromStdString(w.resultsFile())));
    QCOMPARE(f.child<QPushButton>("cmdStart")->text(), QStringLiteral("&START SEARCH"));
}

void TestFrmMain::missingTools_data() {
    QTest::addColumn<QStringList>("missing");
    QTest::newRow("all") << QStringList{"c1541", "tape64", "7za"};
    QTest::newRow("c1541") << QStringList{"c1541"};
}

void TestFrmMain::missingTools() {
    QFETCH(QStringList, missing);
    WindowFixture f;
    MainWindowSetup setup;
    setup.toolPresent = [missing](const std::string& tool) {
        return !missing.contains(QString::fromStdString(tool));
    };
    frmMain& w = f.open(std::move(setup));

    const std::vector<std::string> texts{
        "C1541.exe is missing in the application folder: G64 files analyzing is disabled",
        "Tape64.exe is missing in the application folder: TAP files analyzing is disabled",
        "7za.exe (7-zip) is missing in the application folder: compressed file option is "
        "disabled"};
    QCOMPARE(f.boxes->shown.size(), static_cast<std::size_t>(missing.size()));
    for (std::size_t i = 0; i < f.boxes->shown.size(); ++i) {
        QCOMPARE(f.boxes->shown[i].icon, MsgIcon::Information);
        QCOMPARE(f.boxes->shown[i].title, std::string("External file missing"));
        QCOMPARE(f.boxes->shown[i].text, texts[i]);
    }
    const bool all = missing.size() == 3;
    auto* g64 = f.child<QCheckBox>("chkFileType(3)");
    auto* tap = f.child<QCheckBox>("chkFileType(6)");
    auto* zip = f.child<QCheckBox>("chkZIP");
    QVERIFY(!g64->isEnabled() && !g64->isChecked());
    QCOMPARE(tap->isEnabled(), !all);
    QCOMPARE(zip->isEnabled(), !all);
    QVERIFY(!w.options().fileTypes[3].enabled);
    QCOMPARE(w.options().zip.enabled, !all);
    // The other boxes keep their start states.
    QVERIFY(f.child<QCheckBox>("chkFileType(0)")->isChecked());
    QVERIFY(f.child<QCheckBox>("chkFileType(0)")->isEnabled());

    // A search enables the frames again but not the disabled options.
    f.child<QLineEdit>("txFileMask")->setText(QStringLiteral("nothing-fits"));
    QTest::mouseClick(f.child<QPushButton>("cmdStart"), Qt::LeftButton);
    QVERIFY(!g64->isEnabled());
    QCOMPARE(zip->isEnabled(), !all);
    QVERIFY(f.child<QCheckBox>("chkFileType(0)")->isEnabled());
}

void TestFrmMain::fileMaskKeyFilter() {
    WindowFixture f;
    frmMain& w = f.open();
    auto* mask = f.child<QLineEdit>("txFileMask");
    mask->clear();
    QTest::keyClicks(mask, "a\\b/c:d\"e>f<g|h*?.i ");
    QCOMPARE(mask->text(), QStringLiteral("abcdefgh*?.i "));
    QCOMPARE(w.options().fileMask, std::string("abcdefgh*?.i "));

    // Pasted text is not filtered.
    QApplication::clipboard()->setText(QStringLiteral("x:y"));
    if (QApplication::clipboard()->text() != QStringLiteral("x:y"))
        QSKIP("no clipboard on this platform");
    mask->clear();
    QTest::keyClick(mask, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(mask->text(), QStringLiteral("x:y"));
}

void TestFrmMain::fileMaskLostFocus() {
    WindowFixture f;
    frmMain& w = f.open();
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    auto* mask = f.child<QLineEdit>("txFileMask");
    auto* find = f.child<QLineEdit>("txFindSTR");

    // No period: no question.
    mask->setFocus();
    find->setFocus();
    QVERIFY(f.boxes->shown.empty());

    mask->setFocus();
    mask->setText(QStringLiteral("BLAST*.D64"));
    f.boxes->answers = {MsgAnswer::Cancel};
    find->setFocus();
    QCOMPARE(f.boxes->shown.size(), std::size_t{1});
    QCOMPARE(f.boxes->shown[0].icon, MsgIcon::Question);
    QCOMPARE(f.boxes->shown[0].buttons, MsgButtons::OkCancel);
    QCOMPARE(f.boxes->shown[0].title, std::string("Possible mistyping"));
    QVERIFY(QString::fromStdString(f.boxes->shown[0].text)
                .startsWith("A period is detected in the file mask. Remember that extension is "
                            "automatically added when you choose the PC File Type.For example"));
    // Cancel puts the focus back into the mask.
    QTRY_COMPARE(QApplication::focusWidget(), mask);
    QCOMPARE(mask->text(), QStringLiteral("BLAST*.D64"));

    // OK keeps the mask and lets the focus go.
    f.boxes->answers = {MsgAnswer::Ok};
    find->setFocus();
    QCOMPARE(f.boxes->shown.size(), std::size_t{2});
    QTest::qWait(20);
    QCOMPARE(QApplication::focusWidget(), find);
    QCOMPARE(w.options().fileMask, std::string("BLAST*.D64"));
}

void TestFrmMain::openResultsFile() {
    WindowFixture f;
    std::vector<QUrl> opened;
    MainWindowSetup setup;
    setup.openUrl = [&](const QUrl& url) { opened.push_back(url); };
    frmMain& w = f.open(std::move(setup));

    QTest::mouseClick(f.child<QPushButton>("cmdOpenFile"), Qt::LeftButton);
    QCOMPARE(f.boxes->shown.size(), std::size_t{1});
    QCOMPARE(f.boxes->shown[0].icon, MsgIcon::Exclamation);
    QCOMPARE(f.boxes->shown[0].title, std::string("No file!"));
    QCOMPARE(f.boxes->shown[0].text, "The file " + w.resultsFile() + " is not present.");
    QVERIFY(opened.empty());

    QFile file(QString::fromStdString(w.resultsFile()));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QTest::mouseClick(f.child<QPushButton>("cmdOpenFile"), Qt::LeftButton);
    QCOMPARE(f.boxes->shown.size(), std::size_t{1});
    QCOMPARE(opened.size(), std::size_t{1});
    QCOMPARE(opened[0], QUrl::fromLocalFile(QString::fromStdString(w.resultsFile())));
}

// The program's own hook: the real about window on its real clock and music device.
void TestFrmMain::aboutOpensTheAboutWindow() {
    WindowFixture f;
    MainWindowSetup setup;
    const std::string temp = f.path("tmp/");
    setup.showAbout = [temp](QWidget* owner) { showAboutWindow(owner, temp); };
    frmMain& w = f.open(std::move(setup));
    w.show();
    // Never leave the test waiting on a window nobody closes.
    QTimer::singleShot(10000, &w, [] {
        if (QWidget* modal = QApplication::activeModalWidget())
            modal->close();
    });

    for (int opening = 0; opening < 2; ++opening) {
        frm_ABOUT* about = nullptr;
        bool deferred = false;
        bool musicWritten = false;
        QTimer::singleShot(200, &w, [&] {
            about = qobject_cast<frm_ABOUT*>(QApplication::activeModalWidget());
            if (about == nullptr)
                return;
            musicWritten = FileExists(about->temporaryMusicFile());
            // A close while the show is being prepared waits for the preparation.
            about->reject();
            deferred = about->isVisible() && about->unloadRequested();
        });
        QTest::mouseClick(f.child<QPushButton>("cmdAbout"), Qt::LeftButton);
        QVERIFY(about != nullptr);
        QCOMPARE(about->windowTitle(), QStringLiteral("About.."));
        QCOMPARE(about->parentWidget(), static_cast<QWidget*>(&w));
        QVERIFY(musicWritten);
        QVERIFY(deferred);
        QVERIFY(!about->isVisible());
        QVERIFY(about->clock().Now() >= 1000);
        QCOMPARE(about->step(), 0);
        QVERIFY(!FileExists(about->temporaryMusicFile()));
    }
    // Made on first use and kept.
    QCOMPARE(w.findChildren<frm_ABOUT*>().size(), 1);
    QVERIFY(f.boxes->shown.empty());
}

void TestFrmMain::unreadableDrive() {
    WindowFixture f;
    frmMain& w = f.open();
    const std::string before = w.options().startFolder;
    w.folderPicker()->chooseDrive(f.path("no-such-volume"));
    QCOMPARE(f.boxes->shown.size(), std::size_t{1});
    QCOMPARE(f.boxes->shown[0].icon, MsgIcon::Critical);
    QCOMPARE(f.boxes->shown[0].title, std::string("Error Detected"));
    QVERIFY(QString::fromStdString(f.boxes->shown[0].text).startsWith("[Drive1_Change] - 76 - "));
    QCOMPARE(w.options().startFolder, before);
    QCOMPARE(w.folderPicker()->folder(), before);
    // Only shown, not logged.
    QVERIFY(!QFile::exists(QString::fromStdString(f.path("ErrorLog.txt"))));

    w.folderPicker()->chooseDrive("/");
    QCOMPARE(w.options().startFolder, std::string("/"));
    QCOMPARE(w.folderPicker()->driveList()->currentText(), QStringLiteral("/"));
}

// The program's own answerer, on the box it shows: a button clicked, or Escape.
void TestFrmMain::realMessageBoxAnswers() {
    struct Case {
        MsgButtons buttons;
        QMessageBox::StandardButton click; // NoButton: press Escape
        MsgAnswer expected;
    };
    QtMessageBoxPresenter presenter;
    for (const Case& c : {Case{MsgButtons::Ok, QMessageBox::NoButton, MsgAnswer::Ok},
                          Case{MsgButtons::OkCancel, QMessageBox::Ok, MsgAnswer::Ok},
                          Case{MsgButtons::OkCancel, QMessageBox::NoButton, MsgAnswer::Cancel},
                          Case{MsgButtons::YesNo, QMessageBox::Yes, MsgAnswer::Yes},
                          Case{MsgButtons::YesNo, QMessageBox::NoButton, MsgAnswer::No}}) {
        QString shownText;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            shownText = box->text();
            if (c.click == QMessageBox::NoButton)
                QTest::keyClick(box, Qt::Key_Escape);
            else if (QAbstractButton* button = box->button(c.click))
                button->click();
            if (box->isVisible()) {
                box->close(); // never leave the test waiting on the box
                QFAIL("the box is still open");
            }
        });
        QCOMPARE(presenter.present(MsgIcon::Question, c.buttons, "T", "one\r\ntwo"), c.expected);
        QCOMPARE(shownText, QStringLiteral("one\ntwo"));
    }
}

QTEST_MAIN(TestFrmMain)
#include "tst_frmMain.moc"
