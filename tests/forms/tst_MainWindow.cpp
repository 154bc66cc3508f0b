// The main window and its result-file dialog, outside a search.
#include "FormsTestSupport.h"
#include "common/Files.h"
#include "forms/FolderPicker.h"
#include "forms/ResultsFileDialog.h"
#include "intro/AboutWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QTreeView>
#include <QUrl>

using namespace qs;
using namespace qs::forms;
using namespace qs::forms::test;

namespace {

// The texts of the boxes shown so far.
std::vector<std::string> texts(const WindowFixture& f) {
    std::vector<std::string> out;
    for (const ShownBox& box : f.boxes->shown)
        out.push_back(box.text);
    return out;
}

// Runs `answer` on the next modal box, and fails (closing it) if it stays open.
void answerNextBox(const std::function<void(QMessageBox&)>& answer) {
    QTimer::singleShot(0, [answer] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        answer(*box);
        if (box->isVisible()) {
            box->close(); // never leave the test waiting on the box
            QFAIL("the box is still open");
        }
    });
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
  private slots:
    // A fresh window shows a fresh request; every click, key and drive choice
    // reaches it, and no click moves a control from under the pointer.
    void everyControlMirrorsTheRequest() {
        WindowFixture f;
        MainWindow& w = f.open();
        QVERIFY(f.boxes->shown.empty());
        verifyMirrors(f, freshRequest(f.dir.path().toStdString(), f.path("Quillsift Results.txt")));
        // The CBM listings line up only in a fixed-pitch font.
        QVERIFY(QFontInfo(f.child<QPlainTextEdit>("txResults")->font()).fixedPitch());

        w.show();
        const SearchRequest& o = w.request();
        const auto flip = [&](const QString& name, const std::function<bool()>& ticked) {
            const bool before = ticked();
            const auto places = controlPlaces(w);
            auto* box = f.child<QCheckBox>(name);
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
            QVERIFY2(ticked() != before, qPrintable(name));
            verifySamePlaces(places, w);
        };
        // The file types first: ticking SID shows the SID options.
        const auto formats = ContainerFormats();
        for (std::size_t i = 0; i < formats.size(); ++i)
            flip(QStringLiteral("chkFileType(%1)").arg(i),
                 [&] { return o.formats.contains(formats[i]); });
        const auto types = EntryTypes();
        for (std::size_t i = 0; i < types.size(); ++i)
            flip(QStringLiteral("chkCBMType(%1)").arg(i),
                 [&] { return o.reportsEntryType(types[i].type); });
        for (const auto& [name, option] : kOptionBoxes)
            flip(name, [&, option = option] { return option(o); });
        const std::size_t sid = static_cast<std::size_t>(FormatByTag("SID") - formats.data());
        flip(QStringLiteral("chkFileType(%1)").arg(sid),
             [&] { return o.formats.contains(formats[sid]); });
        QTest::keyClicks(f.child<QLineEdit>("txFindSTR"), "BLAST");
        // The mask box drops what cannot stand in a file name.
        auto* mask = f.child<QLineEdit>("txFileMask");
        mask->clear();
        QTest::keyClicks(mask, "a\\b/c:d\"e>f<g|h*? ");
        QCOMPARE(o.mask, std::string("abcdefgh*? "));
        verifyMirrors(f, o);

        // A drive that cannot be read is shown, not logged, and changes nothing.
        w.folderPicker()->chooseDrive(f.path("no-such-volume"));
        QCOMPARE(f.boxes->shown.size(), std::size_t{1});
        QCOMPARE(f.boxes->shown[0].icon, MsgIcon::Critical);
        QVERIFY(f.boxes->shown[0].text.starts_with("[Drive1_Change] - 76 - "));
        QVERIFY(!FileExists(f.path("ErrorLog.txt")));
        verifyMirrors(f, o);
        w.folderPicker()->chooseDrive("/");
        QCOMPARE(o.folder, std::string("/"));
        QCOMPARE(w.folderPicker()->driveList()->currentText(), QStringLiteral("/"));
        verifyMirrors(f, o);
    }

    // A starting folder that went after it was chosen is told as missing, and
    // nothing is searched or written; the folder tree moving on to a neighbour
    // never chooses that one instead. (The refusals themselves: the request check.)
    void startingFolderGone() {
        WindowFixture f;
        const std::string gone = f.path("gone");
        QVERIFY(QDir().mkpath(QString::fromStdString(gone)));
        MainWindowSetup setup;
        setup.startFolder = gone;
        MainWindow& w = f.open(std::move(setup));
        auto* model = qobject_cast<QFileSystemModel*>(w.folderPicker()->folderTree()->model());
        QSignalSpy loaded(model, &QFileSystemModel::directoryLoaded);
        QSignalSpy removed(model, &QFileSystemModel::rowsRemoved);
        w.show();
        QTRY_VERIFY(loaded.contains(QList<QVariant>{f.dir.path()}));
        QVERIFY(QDir(QString::fromStdString(gone)).removeRecursively());
        removed.wait(3000); // the tree notices when the system tells it
        f.child<QPlainTextEdit>("txResults")->setPlainText("left from before");
        QVERIFY(f.runSearch());
        QCOMPARE(texts(f), std::vector<std::string>{gone + ": no such folder"});
        QCOMPARE(w.folderPicker()->folder(), gone);
        QVERIFY(!w.folderPicker()->folderTree()->currentIndex().isValid());
        QVERIFY(f.child<QPlainTextEdit>("txResults")->toPlainText().isEmpty());
        QVERIFY(!FileExists(w.resultsFile()));
    }

    // Each missing program is told once and its option is switched off, in the
    // request and on screen; a search enables the frames again but not these.
    // A temporary folder out of place is told first, once.
    void missingTools_data() {
        QTest::addColumn<QStringList>("missing");
        QTest::addColumn<bool>("tempNotice");
        QTest::newRow("all") << QStringList{"c1541", "tape64", "7za"} << true;
        QTest::newRow("7za") << QStringList{"7za"} << false;
        QTest::newRow("none") << QStringList{} << false;
    }
    void missingTools() {
        QFETCH(QStringList, missing);
        QFETCH(bool, tempNotice);
        WindowFixture f;
        MainWindowSetup setup;
        setup.toolPresent = [missing](const std::string& tool) {
            return !missing.contains(QString::fromStdString(tool));
        };
        if (tempNotice)
            setup.tempFolderNotice = "the temporary folder /x/ cannot be used; using /y/ instead";
        MainWindow& w = f.open(std::move(setup));
        std::vector<std::string> told;
        if (tempNotice)
            told.push_back("The temporary folder /x/ cannot be used; using /y/ instead.");
        for (const auto& [tool, text] : {std::pair{"c1541", "C1541.exe is missing"},
                                         {"tape64", "Tape64.exe is"},
                                         {"7za", "7za.exe (7-zip)"}})
            if (missing.contains(tool))
                told.push_back(text);
        QCOMPARE(f.boxes->shown.size(), told.size());
        for (std::size_t i = 0; i < told.size(); ++i)
            QVERIFY2(f.boxes->shown[i].text.starts_with(told[i]), told[i].c_str());
        const SearchRequest& o = w.request();
        // A box of each format the program lists, and the archive option.
        const auto enabled = [&](const char* tag) {
            const auto index = FormatByTag(tag) - ContainerFormats().data();
            return f.child<QCheckBox>(QStringLiteral("chkFileType(%1)").arg(index))->isEnabled();
        };
        const auto check = [&] {
            QCOMPARE(enabled("G64"), !missing.contains("c1541"));
            QCOMPARE(enabled("TAP"), !missing.contains("tape64"));
            QCOMPARE(f.child<QCheckBox>("chkZIP")->isEnabled(), !missing.contains("7za"));
            verifyMirrors(f, o);
        };
        check();
        QVERIFY(!o.archives || !missing.contains("7za"));

        f.child<QLineEdit>("txFileMask")->setText(QStringLiteral("nothing-fits"));
        QVERIFY(f.runSearch());
        check();
    }

    // Leaving the mask box with a period in it asks; Cancel brings the focus back.
    void fileMaskLostFocus() {
        WindowFixture f;
        MainWindow& w = f.open();
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        auto* mask = f.child<QLineEdit>("txFileMask");
        auto* find = f.child<QLineEdit>("txFindSTR");
        mask->setFocus();
        find->setFocus();
        QVERIFY(f.boxes->shown.empty());

        mask->setFocus();
        mask->setText(QStringLiteral("BLAST*.D64"));
        f.boxes->answers = {MsgAnswer::Cancel};
        find->setFocus();
        QCOMPARE(f.boxes->shown.size(), std::size_t{1});
        QTRY_COMPARE(QApplication::focusWidget(), mask);

        f.boxes->answers = {MsgAnswer::Ok};
        find->setFocus();
        QCOMPARE(f.boxes->shown.size(), std::size_t{2});
        QTest::qWait(20);
        QCOMPARE(QApplication::focusWidget(), find);
        QCOMPARE(w.request().mask, std::string("BLAST*.D64"));
    }

    // "&Open file" hands an existing file to the desktop, telling when no
    // program took it. "&File.." opens the dialog at the window's path; the
    // window takes a new path only when the dialog is accepted.
    void resultFileButtons() {
        WindowFixture f;
        std::vector<QUrl> opened;
        std::function<void(ResultsFileDialog&, QLineEdit*)> steps;
        MainWindowSetup setup;
        setup.runDialog = [&](QDialog& dialog) {
            auto& d = static_cast<ResultsFileDialog&>(dialog);
            steps(d, d.findChild<QLineEdit*>("txFileName"));
            return d.result();
        };
        bool opens = true;
        setup.openUrl = [&](const QUrl& url) {
            opened.push_back(url);
            return opens;
        };
        MainWindow& w = f.open(std::move(setup));
        const std::string first = w.resultsFile();
        f.click("cmdOpenFile");
        QVERIFY(WriteWholeFile(first, "keep"));
        f.click("cmdOpenFile");
        QCOMPARE(opened, std::vector<QUrl>{QUrl::fromLocalFile(QString::fromStdString(first))});
        opens = false;
        f.click("cmdOpenFile");
        QCOMPARE(texts(f),
                 (std::vector<std::string>{"The file " + first + " is not present.",
                                           "No program could open the file " + first + "."}));

        const auto click = [](ResultsFileDialog& d, const char* button) {
            QTest::mouseClick(d.findChild<QPushButton*>(button), Qt::LeftButton);
        };
        f.boxes->shown.clear();
        steps = [&](ResultsFileDialog& d, QLineEdit* name) {
            QCOMPARE(name->text(), QStringLiteral("Quillsift Results.txt"));
            QCOMPARE(d.folderPicker()->folder(), f.dir.path().toStdString());
            name->clear();
            QTest::keyClicks(name, "a\\b/c?d:e*f\"g>h<i|j.k l");
            QCOMPARE(name->text(), QStringLiteral("abcdefghij.k l"));
            name->clear();
            click(d, "cmdOK");
            QCOMPARE(d.result(), int(QDialog::Rejected));
            name->setText(QStringLiteral("Quillsift Results.txt"));
            f.boxes->answers = {MsgAnswer::Cancel};
            click(d, "cmdOK"); // overwriting refused
            QCOMPARE(f.boxes->shown.size(), std::size_t{2});
            QCOMPARE(f.boxes->shown.back().buttons, MsgButtons::OkCancel);
            QCOMPARE(d.result(), int(QDialog::Rejected));
            d.folderPicker()->setFolder("/");
            name->setText(QStringLiteral("at-root.txt"));
            click(d, "Command1"); // Cancel
        };
        f.click("Command1");
        QCOMPARE(w.resultsFile(), first);

        f.boxes->shown.clear();
        steps = [&](ResultsFileDialog& d, QLineEdit*) { click(d, "cmdOK"); }; // overwriting agreed
        f.click("Command1");
        QCOMPARE(f.boxes->shown.size(), std::size_t{1});
        QCOMPARE(w.resultsFile(), first);
        QCOMPARE(ReadWholeFile(first), std::string("keep"));

        steps = [&](ResultsFileDialog& d, QLineEdit* name) {
            d.folderPicker()->setFolder("/");
            name->setText(QStringLiteral("at-root.txt"));
            click(d, "cmdOK");
        };
        f.click("Command1");
        // One separator between the root and the name.
        QCOMPARE(w.resultsFile(), std::string("/at-root.txt"));
        verifyMirrors(f, w.request());
    }

    // The program's own hook opens the real about window over the main window,
    // made on first use and kept; the window itself is tested on its own.
    void aboutOpensTheAboutWindow() {
        WindowFixture f;
        MainWindowSetup setup;
        setup.showAbout = [temp = f.path("tmp/")](QWidget* owner) { showAboutWindow(owner, temp); };
        MainWindow& w = f.open(std::move(setup));
        w.show();
        for (int opening = 0; opening < 2; ++opening) {
            QDialog* about = nullptr;
            QTimer::singleShot(200, &w, [&] {
                if ((about = qobject_cast<AboutWindow*>(QApplication::activeModalWidget())))
                    about->reject(); // closes once its show is prepared
            });
            f.click("cmdAbout");
            QVERIFY(about != nullptr && !about->isVisible());
            QCOMPARE(about->parentWidget(), static_cast<QWidget*>(&w));
        }
        QCOMPARE(w.findChildren<AboutWindow*>().size(), 1);
    }

    // The program's own answerer, on the box it shows: a button clicked, or Escape.
    void realMessageBoxAnswers() {
        const auto press = [](QMessageBox& box, QMessageBox::StandardButton button) {
            if (button == QMessageBox::NoButton)
                QTest::keyClick(&box, Qt::Key_Escape);
            else
                box.button(button)->click();
        };
        struct Case {
            MsgButtons buttons;
            QMessageBox::StandardButton click; // NoButton: press Escape
            MsgAnswer expected;
        };
        QtMessageBoxPresenter presenter;
        for (const Case& c : {Case{MsgButtons::Ok, QMessageBox::NoButton, MsgAnswer::Ok},
                              Case{MsgButtons::OkCancel, QMessageBox::NoButton, MsgAnswer::Cancel},
                              Case{MsgButtons::YesNo, QMessageBox::Yes, MsgAnswer::Yes},
                              Case{MsgButtons::YesNo, QMessageBox::NoButton, MsgAnswer::No}}) {
            QString shownText;
            answerNextBox([&](QMessageBox& box) {
                shownText = box.text();
                press(box, c.click);
            });
            QCOMPARE(presenter.present(MsgIcon::Question, c.buttons, "T", "one\r\ntwo"),
                     c.expected);
            QCOMPARE(shownText, QStringLiteral("one\ntwo"));
        }
        // The error box of a running search: OK and Escape go on, the stop button
        // stops it, the check box asks for no further error boxes.
        for (const std::string action : {"Escape", "OK", "cmdStopSearch", "tick"}) {
            answerNextBox([&](QMessageBox& box) {
                QVERIFY(box.icon() == QMessageBox::Critical && box.checkBox());
                if (action == "cmdStopSearch")
                    return box.findChild<QPushButton*>("cmdStopSearch")->click();
                box.checkBox()->setChecked(action == "tick");
                press(box, action == "Escape" ? QMessageBox::NoButton : QMessageBox::Ok);
            });
            const SearchErrorAnswer answer =
                presenter.presentSearchError("Error Detected", "[X] - 53");
            QCOMPARE(answer.stopSearch, action == "cmdStopSearch");
            QCOMPARE(answer.showNoMore, action == "tick");
        }
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_MainWindow.moc"
