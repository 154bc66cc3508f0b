// The main window and its result-file dialog, outside a search.
#include "FormsTestSupport.h"
#include "common/Files.h"
#include "forms/FolderPicker.h"
#include "forms/Problems.h"
#include "forms/ResultsFileDialog.h"
#include "intro/AboutWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QSplitter>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeView>
#include <QUrl>

#include <set>

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
        auto* find = f.child<QComboBox>("cboFindSTR"); // the search field and its history
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

    // On a small screen (its size from the offscreen platform's configuration,
    // given by ctest) every control is within the screen and the results box
    // keeps a third of the window's height, also after a run that left the
    // window larger than the screen.
    void everyControlWithinTheScreen() {
        if (qEnvironmentVariableIsEmpty("QS_SCREEN"))
            QSKIP("run by ctest on screens of 800x600 and 1024x768");
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY2(qEnvironmentVariable("QS_SCREEN") ==
                     QStringLiteral("%1x%2").arg(screen.width()).arg(screen.height()),
                 "the platform's screen is not the one asked for");
        WindowFixture f;
        for (int run = 0; run < 2; ++run) {
            MainWindow& w = f.open();
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            QVERIFY(screen.contains(w.frameGeometry()));
            for (const QWidget* control : w.findChildren<QWidget*>()) {
                if (!control->isVisible() || control->objectName().isEmpty() ||
                    control->objectName().startsWith(QStringLiteral("qt_")))
                    continue;
                const QRect place(control->mapToGlobal(QPoint()), control->size());
                QVERIFY2(screen.contains(place), qPrintable(control->objectName()));
                // Not squeezed below what it needs either.
                QVERIFY2(control->width() >= control->minimumSizeHint().width() ||
                             control->sizePolicy().horizontalPolicy() == QSizePolicy::Ignored,
                         qPrintable(control->objectName()));
            }
            QVERIFY(f.child<QPlainTextEdit>("txResults")->height() * 3 >= w.height());
            // The next run starts from a window larger than any screen.
            w.resize(3000, 2000);
            f.close();
        }
    }

    // A whole path typed in the name box is taken apart into its folder and
    // name: from the root, from the home folder, or below the folder shown.
    // A name with characters a file name cannot hold is refused, naming them;
    // so is a folder that does not exist. The focus starts in the name box.
    void typedFullPath() {
        struct Case {
            const char* typed;    // "@" stands for the temporary folder
            const char* expected; // the results file; "": refused, the file stays
            const char* told;     // the start of the box's text, or ""
        };
        // clang-format off
        const Case cases[] = {
            // Each starts from the file the one before chose.
            {"sub/x.txt", "@/sub/x.txt", ""},         // below the folder shown
            {"../z.txt", "@/z.txt", ""},              // above it
            {"sub/../sub/y.txt", "@/sub/y.txt", ""},  // climbing out and in again
            {"name only.txt", "@/sub/name only.txt", ""},
            {"@/sub/my results.txt", "@/sub/my results.txt", ""},
            {"@/sub/a?b*c?.txt", "", "A file name cannot hold these characters: ? *\r\n"},
            {"@/none/x.txt", "", "The folder @/none/ does not"},
            {"@/sub/", "", "Insert Filename"},
            {"@/sub", "", "The path @/sub is a folder"},
        };
        // clang-format on
        WindowFixture f;
        QVERIFY(QDir(f.dir.path()).mkpath(QStringLiteral("sub")));
        const auto here = [&](const char* text) {
            return QString::fromUtf8(text).replace('@', f.dir.path());
        };
        const Case* c = nullptr;
        bool focusInName = false;
        MainWindowSetup setup;
        setup.runDialog = [&](QDialog& dialog) {
            auto* name = dialog.findChild<QLineEdit*>("txFileName");
            dialog.show();
            focusInName =
                QTest::qWaitForWindowActive(&dialog) && QApplication::focusWidget() == name;
            name->selectAll();
            QTest::keyClicks(name, here(c->typed));
            QTest::mouseClick(dialog.findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
            dialog.hide();
            return dialog.result();
        };
        MainWindow& w = f.open(std::move(setup));
        w.show();
        for (const Case& tried : cases) {
            c = &tried;
            f.boxes->shown.clear();
            const QString before = QString::fromStdString(w.resultsFile());
            f.click("Command1");
            QVERIFY2(focusInName, c->typed);
            QCOMPARE(QString::fromStdString(w.resultsFile()),
                     *c->expected ? here(c->expected) : before);
            QCOMPARE(f.boxes->shown.size(), std::size_t(*c->told ? 1 : 0));
            QVERIFY2(!*c->told ||
                         QString::fromStdString(f.boxes->shown[0].text).startsWith(here(c->told)),
                     c->typed);
        }
    }

    // What the window remembers: set, closed, opened again, the same; a
    // folder given at the start wins over the one remembered.
    void settingsRoundTrip() {
        WindowFixture f;
        QVERIFY(QDir(f.dir.path()).mkpath(QStringLiteral("collection/sub")));
        const std::string folder = f.path("collection/sub");
        MainWindow& w = f.open();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.folderPicker()->setFolder(folder);
        for (const char* pattern : {"FIRST", "SECOND"}) { // two searches: the history
            f.child<QLineEdit>("txFindSTR")->setText(QString::fromLatin1(pattern));
            QVERIFY(f.runSearch());
        }
        f.child<QLineEdit>("txFindSTR")->setText(QStringLiteral("THIRD*"));
        f.child<QLineEdit>("txFileMask")->setText(QStringLiteral("BLAST?"));
        for (const auto& [name, option] : kOptionBoxes)
            if (QString::fromLatin1(name) != QStringLiteral("chkZIP"))
                f.child<QCheckBox>(name)->toggle();
        for (const char* box : {"chkFileType(0)", "chkFileType(3)", "chkFileType(8)",
                                "chkCBMType(0)", "chkCBMType(2)"})
            f.child<QCheckBox>(box)->toggle();
        w.setResultsFile(f.path("elsewhere.txt"));
        // Within the test screen, and no narrower than the window can be.
        const QSize chosen(std::max(780, w.minimumSizeHint().width()), 700);
        w.resize(chosen);
        auto* splitter = f.child<QSplitter>("splMain");
        auto* options = f.child<QSplitter>("splOptions");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        splitter->setSizes({splitter->sizes()[0] - 30, splitter->sizes()[1] + 30});
        options->setSizes({options->sizes()[0] + 30, options->sizes()[1] - 30});
        const QList<int> splitterSizes = splitter->sizes(), optionsSizes = options->sizes();
        const SearchRequest remembered = w.request();
        QCOMPARE(remembered.folder, folder);
        f.close();

        f.startInRememberedFolder = true;
        MainWindow& again = f.open();
        again.show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        verifyMirrors(f, remembered);
        QCOMPARE(again.searchHistory(), (std::vector<std::string>{"SECOND", "FIRST"}));
        QCOMPARE(f.child<QComboBox>("cboFindSTR")->itemText(1), QStringLiteral("FIRST"));
        QCOMPARE(again.size(), chosen);
        QCOMPARE(f.child<QSplitter>("splMain")->sizes(), splitterSizes);
        QCOMPARE(f.child<QSplitter>("splOptions")->sizes(), optionsSizes);
        f.close();

        MainWindowSetup given;
        given.startFolder = f.path("collection");
        MainWindow& third = f.open(std::move(given));
        QCOMPARE(third.request().folder, f.path("collection"));
        QCOMPARE(third.request().pattern, std::string("THIRD*"));
    }

    // Every control has its own access key (the type boxes while letters and
    // digits last); Tab goes in reading order; Enter in a field of the request
    // starts the search; Ctrl+F goes to the search field, F1 shows the help,
    // Ctrl+Q closes the window; the results box shows when it has the focus.
    void keyboard() {
        WindowFixture f;
        MainWindow& w = f.open();
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        // Labels of fields and every captioned button; the type boxes may lack one.
        std::set<QChar> keys;
        for (QWidget* control : w.findChildren<QWidget*>()) {
            auto* label = qobject_cast<QLabel*>(control);
            auto* button = qobject_cast<QAbstractButton*>(control);
            const QString caption = label && label->buddy() ? label->text()
                                    : button                ? button->text()
                                                            : QString();
            const qsizetype at = caption.indexOf('&');
            if (caption.isEmpty() || (at < 0 && control->property("tag").isValid() &&
                                      control->objectName().contains('(')))
                continue;
            QVERIFY2(at >= 0 && keys.insert(caption[at + 1].toUpper()).second, qPrintable(caption));
        }

        QStringList order;
        QWidget* at = w.folderPicker()->driveList();
        for (int i = 0; i < 200 && at != f.child("cmdAbout"); ++i, at = at->nextInFocusChain())
            if ((at->focusPolicy() & Qt::TabFocus) && !at->focusProxy())
                order << at->objectName();
        QStringList expected =
            QStringLiteral("Drive1 DirPrg txFileMask chkRecurse chkZIP chkIndex cboFindSTR "
                           "chkPartial chkMatchCase chkFileName chkHeader "
                           "chkShowMediaWarn chkSIDName chkSIDAuthor chkSIDCopyright")
                .split(' ');
        for (std::size_t i = 0; i < ContainerFormats().size(); ++i)
            expected << QStringLiteral("chkFileType(%1)").arg(i);
        for (std::size_t i = 0; i < EntryTypes().size(); ++i)
            expected << QStringLiteral("chkCBMType(%1)").arg(i);
        expected
            << QStringLiteral("cmdStart txResults Command1 chkSaveFile cmdOpenFile").split(' ');
        QCOMPARE(order, expected);

        for (const char* field : {"txFileMask", "chkCBMType(1)", "DirPrg"}) {
            f.child(field)->setFocus();
            QVERIFY(f.runSearch([&] { QTest::keyClick(f.child(field), Qt::Key_Return); }));
        }
        auto* results = f.child<QPlainTextEdit>("txResults");
        const QImage unfocused = results->parentWidget()->grab().toImage();
        results->setFocus();
        QTRY_VERIFY(results->parentWidget()->grab().toImage() != unfocused);

        QTest::keyClick(&w, Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), f.child("cboFindSTR"));
        QTest::keyClick(&w, Qt::Key_F1);
        auto* help = w.findChild<QTextBrowser*>("txHelp");
        QVERIFY(help && help->isVisible() && help->toPlainText().contains("START SEARCH"));
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!w.isVisible());
    }

    // The plain words of a trapped error, from its number and what failed.
    void plainReasons() {
        struct Case {
            const char *text, *file, *member, *reason;
        };
        // clang-format off
        const Case cases[] = {
            {"[analizzaD64] - 9 - Subscript out of range (no byte at offset 91396)\r\nFile: /c/a.d64", "/c/a.d64", "", "too short to be a D64"},
            {"[AnalizzaTracciaDirD81] - 6 - Overflow", "/c/b.d81", "", "damaged: a size or count in it is too large for a D81"},
            {"[analizzaG64] - 75 - Path/File access error (c1541 timed out after 60 s)", "/c/g.g64", "", "could not be read, or c1541 could not list it"},
            {"[SearchC64File] - 75 - Path/File access error (damaged)", "/c/a.zip", "", "the archive is damaged or could not be read"},
            {"[SearchC64File] - 53 - File not found", "/c/a.zip", "x.d64", "the member is no longer in the archive"},
            {"[SearchC64File] - 76 - Path not found", "/c/gone", "", "the folder is gone or cannot be reached"},
            {"[DirArray2] - 70 - Permission denied", "/c/locked", "", "no permission to read the folder"},
            {"[WriteFile] - 75 - Path/File access error", "/r.txt", "", "the results file could not be written (is the disk full?)"},
            {"something odd", "", "", "an unexpected error"},
        };
        // clang-format on
        for (const Case& c : cases)
            QCOMPARE(PlainReason({c.text, c.file, c.member}), std::string(c.reason));
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
