// Searches run from the window, each test waiting for the search's end rather
// than for the click to return, and the views of their results: the
// directory window's screen and the problems list.
#include "FormsTestSupport.h"
#include "common/Files.h"
#include "forms/DirectoryWindow.h"
#include "forms/ResultsBox.h"
#include "forms/ResultsFileDialog.h"
#include "forms/ScreenGrid.h"
#include "forms/WindowParts.h"
#include "samples/DiskBuilder.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QTextBlock>
#include <QTimer>
#include <QUrl>

#include <filesystem>
#include <tuple>

using namespace qs;
using namespace qs::forms;
using namespace qs::forms::test;

namespace {

// A window over the sample collection, searching it with its folders.
MainWindow& openOnSamples(WindowFixture& f, MainWindowSetup setup = {}) {
    runProgram("quillsift-samples", {f.dir.path() + "/samples"});
    setup.startFolder = f.path("samples");
    MainWindow& w = f.open(std::move(setup));
    f.child<QCheckBox>("chkRecurse")->setChecked(true);
    return w;
}

// Counts a widget's paints.
class PaintCounter final : public QObject {
  public:
    PaintCounter(QWidget& widget, int& paints) : paints_(paints) {
        widget.installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        paints_ += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }

  private:
    int& paints_;
};

QString shownResults(const WindowFixture& f) {
    return f.child<QPlainTextEdit>("txResults")->toPlainText();
}

// A disk of 144 entries named E000 to E143.
bool writeFullDisk(const std::string& path) {
    samples::DiskBuilder disk;
    disk.name(samples::toPetscii("FULL DISK")).formatBam();
    for (int e = 0; e < 144; ++e) {
        char name[8];
        std::snprintf(name, sizeof name, "E%03d", e);
        disk.add({samples::toPetscii(name), 0x82, 1, 17, 0});
    }
    return disk.save(path);
}

// Opens the directory window of the first result block.
DirectoryWindow* openFirstBlock(WindowFixture& f) {
    auto* box = f.child<ResultsBox>("txResults");
    for (int line = 0; line < box->document()->blockCount(); ++line)
        if (const ResultBlock* block = box->blockAt(line)) {
            const ResultBlock copy = *block;
            emit box->directoryAsked(copy);
            break;
        }
    const QList<DirectoryWindow*> open = f.window->findChildren<DirectoryWindow*>();
    return open.isEmpty() ? nullptr : open.back();
}

} // namespace

class TestSearch : public QObject {
    Q_OBJECT
  private slots:
    // While the search runs only the start button (now the stop button) answers
    // and the progress bar counts up (the files, once the walk has counted
    // them), its text readable for a large tree, no control moved by its
    // showing; afterwards all is as before, and the report is the command
    // line's for the same request.
    void searchTheSampleCollection() {
        WindowFixture f;
        MainWindow& w = openOnSamples(f);
        w.show();
        const char* locked[] = {"frameFile", "frameSearch", "FramePCFile", "FrameCBMFile",
                                "cmdAbout",  "Command1",    "cmdOpenFile", "chkSaveFile"};
        auto* start = f.child<QPushButton>("cmdStart");
        auto* bar = f.child<QProgressBar>("prgFolders");
        bool checked = false;
        std::vector<int> files; // the bar's values while it counts files
        const auto places = controlPlaces(w);
        // Looked at on the bar's first step, which the search makes while it
        // runs however quickly it ends.
        auto whileRunning = [&] {
            if (std::exchange(checked, true))
                return;
            QCOMPARE(start->text(), QStringLiteral("&STOP SEARCH"));
            for (const char* name : locked)
                QVERIFY2(!f.child(name)->isEnabled(), name);
            QVERIFY(start->isEnabled());
            QVERIFY(bar->isVisible());
            verifySamePlaces(places, w);
            QVERIFY(bar->fontMetrics().horizontalAdvance(
                        QStringLiteral("999999 / 999999 folders")) < bar->width());
        };
        connect(bar, &QProgressBar::valueChanged, [&](int value) {
            whileRunning();
            if (bar->format().endsWith(QStringLiteral(" files")))
                files.push_back(value);
        });
        QVERIFY(f.runSearch());
        QVERIFY(checked);
        QVERIFY(!files.empty() && std::is_sorted(files.begin(), files.end()));
        QCOMPARE(bar->format(), QStringLiteral("%v / %m files"));
        QCOMPARE(files.back(), bar->maximum());
        QVERIFY(bar->maximum() >= w.lastOutcome().filesAnalysed);
        for (const char* name : locked)
            QVERIFY2(f.child(name)->isEnabled(), name);
        QVERIFY(!bar->isVisible());
        QVERIFY(f.boxes->shown.empty());

        // The same report as the command line's: in the box after an empty line, in
        // the file after the header line and an empty line.
        const QString cli = QString::fromStdString(
            runProgram("quillsift-cli", {"-q", "-r", QString::fromStdString(f.path("samples"))}));
        const QStringList lines = cli.trimmed().split('\n');
        QVERIFY(lines.size() > 2 && lines.last().section(' ', 1, 1).toInt() > 0);
        QCOMPARE(f.child<QLabel>("lbInfo")->text(),
                 QStringLiteral("Scan Completed (%1 files analyzed, %2 matching expressions )")
                     .arg(lines.value(lines.size() - 2).section(' ', 1, 1),
                          lines.last().section(' ', 1, 1)));
        QCOMPARE(shownResults(f), '\n' + cli.chopped(1));
        QCOMPARE(QString::fromStdString(w.resultsText()).replace("\r\n", "\n"), shownResults(f));
        const std::string file = ReadWholeFile(w.resultsFile());
        QVERIFY(file.starts_with("Generated by Quillsift "));
        QCOMPARE(file.substr(file.find("\r\n\r\n") + 4),
                 QString(cli).replace('\n', "\r\n").toStdString());
    }

    // What a search changes on the window is repainted, and only that: the
    // controls it disables go grey only once it has run a moment, so that a
    // search that ends at once does not flash them, and paint again after it
    // however soon it ends (at once, or after the window has shown the
    // outcome); the progress bar's busy animation ends once the folders are
    // counted, even while the first folder is still searched.
    void repaintsOnlyWhatChanges() {
        WindowFixture f;
        MainWindow& w = f.open();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        MainWindow& view = w;
        auto* frame = f.child("frameSearch");
        for (const int runFor : {0, 400}) {
            view.setSearchRunning(true);
            QVERIFY(!frame->isEnabled() && !frame->updatesEnabled());
            if (runFor > 0) {
                QTRY_VERIFY_WITH_TIMEOUT(frame->updatesEnabled(), 5000);
                QVERIFY(!frame->isEnabled());
            }
            view.setSearchRunning(false);
            QVERIFY(frame->isEnabled());
            QTRY_VERIFY2_WITH_TIMEOUT(frame->updatesEnabled(),
                                      qPrintable(QStringLiteral("after %1 ms").arg(runFor)), 5000);
        }

        // Uncovered (repainted whole) meanwhile, they are painted at once.
        view.setSearchRunning(true);
        w.repaint();
        QVERIFY(frame->updatesEnabled() && !frame->isEnabled());
        view.setSearchRunning(false);
        QTRY_VERIFY_WITH_TIMEOUT(frame->updatesEnabled() && frame->isEnabled(), 5000);

        auto* bar = f.child<QProgressBar>("prgFolders");
        int paints = 0;
        PaintCounter counter(*bar, paints);
        view.setSearchRunning(true);
        QTRY_VERIFY_WITH_TIMEOUT(paints > 3, 5000); // busy while the folders are counted
        view.folderProgress(0, 1);
        QTest::qWait(100);
        paints = 0;
        QTest::qWait(400);
        QVERIFY2(paints <= 1, qPrintable(QString::number(paints)));
        QCOMPARE(bar->value(), 0);
        QCOMPARE(bar->maximum(), 1);
        view.setSearchRunning(false);
    }

    // The results box follows the report's end while the user leaves it
    // there, stays where the user scrolled to otherwise, and paints on.
    void resultsBoxFollowsTheEnd() {
        ResultsBox box;
        box.resize(400, 200);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        auto lines = [](int from) {
            std::vector<ReportItem> items;
            for (int i = from; i < from + 100; ++i)
                items.emplace_back("line " + std::to_string(i));
            return items;
        };
        auto bottomLine = [&box] {
            return box.cursorForPosition(QPoint(2, box.viewport()->height() - 2)).block().text();
        };
        QScrollBar* bar = box.verticalScrollBar();
        box.report(lines(0));
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), bar->maximum());
        QCOMPARE(bottomLine(), QStringLiteral("line 99"));
        box.report(lines(100));
        QCOMPARE(bar->value(), bar->maximum());
        QCOMPARE(bottomLine(), QStringLiteral("line 199"));
        bar->setValue(10);
        box.report(lines(200));
        QCOMPARE(bar->value(), 10);
        QVERIFY(box.viewport()->updatesEnabled());
    }

    void stoppingASearch_data() {
        QTest::addColumn<QString>("stop");
        QTest::newRow("stop button") << "cmdStart";
        QTest::newRow("closing the window") << "close";
        QTest::newRow("Enter starts, Escape stops") << "Escape";
    }

    // Stopped while an outside program that never ends lists a G64 image: the
    // window still answers, the program is ended, no summary reaches the box or
    // the file, and the window is ready for the next search.
    void stoppingASearch() {
        QFETCH(QString, stop);
        const bool closeWindow = stop == "close";
        WindowFixture f;
        QVERIFY(QDir(f.dir.path()).mkpath(QStringLiteral("app")));
        QVERIFY(WriteWholeFile(f.path("app/c1541"), "#!/bin/sh\nexec sleep 60\n"));
        std::filesystem::permissions(f.path("app/c1541"), std::filesystem::perms::owner_all);
        MainWindow& w = openOnSamples(f);
        f.child<QCheckBox>("chkFileType(3)")->setChecked(true); // G64
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        auto* start = f.child<QPushButton>("cmdStart");
        QString captionAfterStop;
        QElapsedTimer clock;
        clock.start();
        QTimer::singleShot(500, [&] {
            if (closeWindow)
                w.close();
            else if (stop == "Escape")
                QTest::keyClick(&w, Qt::Key_Escape);
            else
                QTest::mouseClick(start, Qt::LeftButton);
            captionAfterStop = start->text();
        });
        std::function<void()> enter;
        if (stop == "Escape")
            enter = [&] {
                f.child<QLineEdit>("txFindSTR")->setFocus();
                QTest::keyClick(f.child<QLineEdit>("txFindSTR"), Qt::Key_Return);
            };
        QVERIFY(f.runSearch(enter));
        QVERIFY(clock.elapsed() < 20000);
        QCOMPARE(f.child<QLabel>("lbInfo")->text(), QStringLiteral("Process Stopped"));
        if (!closeWindow)
            QCOMPARE(captionAfterStop, QStringLiteral("&START SEARCH"));
        QVERIFY(!shownResults(f).contains("Scan:"));
        QVERIFY(ReadWholeFile(w.resultsFile()).find("Scan:") == std::string::npos);
        const int stoppedAfter = w.lastOutcome().filesAnalysed;

        f.child<QCheckBox>("chkFileType(3)")->setChecked(false);
        QVERIFY(f.runSearch());
        QVERIFY(f.child<QLabel>("lbInfo")->text().startsWith("Scan Completed ("));
        QVERIFY(stoppedAfter < w.lastOutcome().filesAnalysed);
    }

    void errorsDuringASearch_data() {
        QTest::addColumn<bool>("folderGoes"); // on the real box; else its files go once listed
        QTest::addColumn<bool>("stop");
        QTest::addColumn<bool>("showNoMore");
        QTest::addColumn<int>("boxes");
        QTest::addColumn<int>("failed"); // 0: the search stops
        QTest::newRow("folder gone: the real box waits") << true << false << false << 1 << 1;
        QTest::newRow("files gone: a box each") << false << false << false << 6 << 6;
        QTest::newRow("files gone: no further boxes") << false << false << true << 1 << 6;
        QTest::newRow("files gone: stop search") << false << true << false << 1 << 0;
    }

    // A subfolder that goes while the search runs, or whose files go after it was
    // listed: each error is shown until answered while the search waits, logged,
    // and counted in the closing status. The error box can stop the search or
    // silence the rest of its errors.
    void errorsDuringASearch() {
        QFETCH(bool, folderGoes);
        const bool realBox = folderGoes;
        QFETCH(bool, stop);
        QFETCH(bool, showNoMore);
        QFETCH(int, boxes);
        QFETCH(int, failed);
        WindowFixture f;
        QVERIFY(QDir().mkpath(QString::fromStdString(f.path("start/sub"))));
        for (const char* name : {"a", "sub/f0", "sub/f1", "sub/f2", "sub/f3", "sub/f4", "sub/f5"}) {
            samples::DiskBuilder disk;
            disk.formatBam().add({samples::toPetscii("X"), 0x82, 1, 17, 0});
            QVERIFY(disk.save(f.path("start/" + std::string(name) + ".d64")));
        }
        if (realBox)
            f.boxes = nullptr;
        MainWindowSetup setup;
        setup.startFolder = f.path("start");
        // One file after another, so that the folder goes before its turn.
        setup.jobs = 1;
        setup.opener = [trigger = folderGoes ? "/a.d64" : "/f0.d64",
                        sub = f.path("start/sub")](const std::string& path) {
            if (path.ends_with(trigger))
                std::filesystem::remove_all(sub);
            return std::make_unique<FileByteSource>(path);
        };
        MainWindow& w = f.open(std::move(setup));
        f.child<QCheckBox>("chkRecurse")->setChecked(true);
        w.show();
        std::vector<ShownBox> shown;
        bool stayed = false;
        QTimer answerer;
        QPointer<QMessageBox> box;
        QElapsedTimer shownFor;
        connect(&answerer, &QTimer::timeout, [&] {
            if (box.isNull() &&
                (box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())))
                return shownFor.start();
            if (box.isNull() || (box->isVisible() && shownFor.elapsed() < 500))
                return;
            stayed = box->isVisible() && w.searching();
            shown.push_back({MsgIcon::Critical, MsgButtons::Ok, box->windowTitle().toStdString(),
                             box->text().toStdString(), box->checkBox() != nullptr});
            box->button(QMessageBox::Ok)->click();
            answerer.stop();
        });
        if (realBox)
            answerer.start(20);
        else
            f.boxes->errorAnswers = {{stop, showNoMore}};
        QVERIFY(f.runSearch());
        if (realBox)
            QVERIFY2(stayed, "the box went before it was answered");
        else
            shown = f.boxes->shown;
        QCOMPARE(int(shown.size()), boxes);
        for (const ShownBox& b : shown)
            QVERIFY(b.title == "Error Detected" && b.searchError);
        QVERIFY(shown[0].text.starts_with(folderGoes ? "[SearchC64File] - 76 - " : "["));
        const QString log = QString::fromStdString(ReadWholeFile(f.path("ErrorLog.txt")));
        QCOMPARE(int(log.count(" - [")), failed == 0 ? 1 : failed);
        const std::string status = f.child<QLabel>("lbInfo")->text().toStdString();
        if (failed == 0)
            QCOMPARE(status, std::string("Process Stopped"));
        else
            QVERIFY2(status.starts_with("Scan Completed (") &&
                         status.ends_with(") - " + std::to_string(failed) +
                                          (failed == 1 ? " file" : " files") +
                                          " could not be searched; see " + f.path("ErrorLog.txt")),
                     status.c_str());
    }

    // The question before replacing the results file offers not to ask again
    // for that file: agreed once, later searches replace it unasked until
    // another file is chosen; a file chosen in "File.." counts as agreed. A
    // refusal is not remembered.
    void replacingTheResultsFileIsAskedOnce() {
        WindowFixture f;
        std::string choose; // the file the dialog chooses
        MainWindowSetup setup;
        setup.runDialog = [&](QDialog& dialog) {
            auto& d = static_cast<ResultsFileDialog&>(dialog);
            d.findChild<QLineEdit*>("txFileName")->setText(QString::fromStdString(choose));
            QTest::mouseClick(d.findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
            return d.result();
        };
        MainWindow& w = f.open(std::move(setup));
        const std::string first = w.resultsFile(), second = f.path("second.txt");
        QVERIFY(WriteWholeFile(first, "old") && WriteWholeFile(second, "old"));
        // One search with these answers: the replacing questions it asked.
        const auto asked = [&](std::deque<MsgAnswer> answers, std::deque<bool> checks) {
            f.boxes->shown.clear();
            f.boxes->answers = std::move(answers);
            f.boxes->checks = std::move(checks);
            if (!f.runSearch())
                return -1;
            return int(
                std::count_if(f.boxes->shown.begin(), f.boxes->shown.end(),
                              [](const ShownBox& b) { return b.title == "File overwriting.."; }));
        };
        QCOMPARE(asked({MsgAnswer::Cancel}, {true}), 1); // refused, the box ticked: not kept
        QVERIFY(f.boxes->shown[0].text.ends_with("\n[x] Don't ask again for this file (until "
                                                 "another is chosen)"));
        QCOMPARE(ReadWholeFile(first), std::string("old"));
        QCOMPARE(asked({MsgAnswer::Ok}, {false}), 1);
        QCOMPARE(asked({MsgAnswer::Ok}, {true}), 1);
        QCOMPARE(asked({}, {}), 0);
        QVERIFY(ReadWholeFile(first).starts_with("Generated by "));
        w.setResultsFile(second);
        w.setResultsFile(first);
        QCOMPARE(asked({MsgAnswer::Ok}, {false}), 1);

        choose = "second.txt";
        f.boxes->answers = {MsgAnswer::Ok}; // the dialog's own question
        f.click("Command1");
        QCOMPARE(w.resultsFile(), second);
        QCOMPARE(asked({}, {}), 0);
        QVERIFY(ReadWholeFile(second).starts_with("Generated by "));
    }

    void textLimit_data() {
        QTest::addColumn<bool>("saving");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("completes");
        QTest::newRow("saving: told once") << true << int(MsgAnswer::Ok) << true;
        QTest::newRow("not saving, No: stops") << false << int(MsgAnswer::No) << false;
        QTest::newRow("not saving, Yes: the file takes over")
            << false << int(MsgAnswer::Yes) << true;
    }

    // 20 disks of 144 entries: about 82,000 characters of report.
    void textLimit() {
        QFETCH(bool, saving);
        QFETCH(int, answer);
        QFETCH(bool, completes);
        WindowFixture f;
        for (int d = 0; d < 20; ++d) {
            samples::DiskBuilder disk;
            disk.name(samples::toPetscii("FULL DISK " + std::to_string(d))).formatBam();
            for (int e = 0; e < 144; ++e)
                disk.add({samples::toPetscii("PROGRAM " + std::to_string(e)), 0x82, 1, 17, 0});
            QVERIFY(disk.save(f.path("disk" + std::to_string(100 + d) + ".d64")));
        }
        MainWindow& w = f.open();
        f.child<QCheckBox>("chkSaveFile")->setChecked(saving);
        f.boxes->answers = {static_cast<MsgAnswer>(answer)};
        QVERIFY(f.runSearch());

        QCOMPARE(f.boxes->shown.size(), std::size_t{1});
        QCOMPARE(f.boxes->shown[0].title, std::string("Text Limit."));
        // The box holds what fit, as the view holds it; the summary never fits.
        const std::string shown = w.resultsText();
        QVERIFY(shown.size() <= 65535 && w.resultsLength() <= 65535);
        QVERIFY(shown.find("Scan:") == std::string::npos);
        QCOMPARE(shownResults(f), QString::fromStdString(shown).replace("\r\n", "\n"));
        // The block cut by the limit opens nothing, nor does the heading; the
        // first block does.
        auto* box = f.child<ResultsBox>("txResults");
        QVERIFY(!box->blockAt(1) && box->blockAt(4) &&
                !box->blockAt(box->document()->blockCount() - 1));
        QCOMPARE(f.child<QCheckBox>("chkSaveFile")->isChecked(), completes);
        QCOMPARE(FileExists(w.resultsFile()), completes);
        if (!completes) {
            QCOMPARE(f.child<QLabel>("lbInfo")->text(), QStringLiteral("Process Stopped"));
            return;
        }
        QVERIFY(f.child<QLabel>("lbInfo")->text().startsWith("Scan Completed (20 files analyzed"));
        const std::string file = ReadWholeFile(w.resultsFile());
        QVERIFY(file.find("\r\n" + shown.substr(2) + "\r\n") != std::string::npos);
        QVERIFY(file.ends_with("Total: 2880 matching expressions\r\n"));
    }

    void directoryWindow_data() {
        QTest::addColumn<QString>("file"); // in the collection
        QTest::addColumn<QString>("member");
        QTest::addColumn<QString>("heading");
        QTest::newRow("disk") << "Games/Blast Collection.d64" << QString() << QString();
        QTest::newRow("1581 partition") << "Games/toolbox.d81" << QString() << QString();
        QTest::newRow("archive member") << "Archives/collection.zip"
                                        << "Disks/zipped.d64"
                                        << "ZIPPED.D64 in ";
        QTest::newRow("archive in an archive") << "Archives/nested.zip"
                                               << "Inner/more.zip::deep.d64"
                                               << "DEEP.D64 in Inner/more.zip in ";
    }

    // A double-click on the last line of a block opens the directory of its
    // file (a member read again from its archive) as the command line lists it,
    // the block's entries in reverse; the window copies the listing and opens the
    // folder that holds the file. A file gone since is told in the error box.
    void directoryWindow() {
        QFETCH(QString, file);
        QFETCH(QString, member);
        QFETCH(QString, heading);
        WindowFixture f;
        std::vector<QUrl> opened;
        MainWindowSetup setup;
        setup.openUrl = [&](const QUrl& url) { return opened.push_back(url), true; };
        MainWindow& w = openOnSamples(f, std::move(setup));
        f.child<QLineEdit>("txFindSTR")->setText(QStringLiteral("BLAST"));
        f.child<QCheckBox>("chkZIP")->setChecked(true);
        w.show();
        QVERIFY(f.runSearch());
        const QString path = QString::fromStdString(f.path("samples/")) + file;
        auto* box = f.child<ResultsBox>("txResults");
        QTextBlock line =
            box->document()->findBlock(box->document()->find(heading + path).position());
        QStringList matched; // the block's entry lines
        for (line = line.next().next().next(); !line.text().isEmpty(); line = line.next())
            matched << line.text();
        const auto doubleClick = [&](QTextBlock at) {
            QTextCursor cursor(at);
            box->setTextCursor(cursor);
            box->ensureCursorVisible();
            QTest::mouseDClick(box->viewport(), Qt::LeftButton, {}, box->cursorRect().center());
            return w.findChild<DirectoryWindow*>();
        };
        DirectoryWindow* directory = doubleClick(line.next()); // the rule
        QVERIFY(directory && directory->isVisible());
        const QString listed = QString::fromStdString(runProgram(
            "quillsift-cli", {"--list", member.isEmpty() ? path : path + "::" + member}));
        const ScreenGrid* screen = directory->screen();
        QStringList shown, reversed;
        for (std::size_t i = 0; i < screen->lines().size(); ++i) {
            shown << screen->lines()[i];
            if (screen->reversed()[i])
                reversed << screen->lines()[i].trimmed();
        }
        QCOMPARE(shown.join('\n') + '\n', listed);
        QCOMPARE(reversed, matched);
        QTest::mouseClick(directory->findChild<QPushButton*>("cmdCopyListing"), Qt::LeftButton);
        QCOMPARE(QApplication::clipboard()->text(), listed);
        QTest::mouseClick(directory->findChild<QPushButton*>("cmdOpenFolder"), Qt::LeftButton);
        QCOMPARE(opened, std::vector{QUrl::fromLocalFile(QFileInfo(path).absolutePath())});
        directory->close();
        QTRY_VERIFY(!w.findChild<DirectoryWindow*>());

        QVERIFY(QFile::remove(path));
        QVERIFY(!doubleClick(line.previous()));
        QCOMPARE(f.boxes->shown.size(), std::size_t{1});
        QVERIFY(f.boxes->shown[0].title == "Error Detected" && !f.boxes->shown[0].searchError);
    }

    // The window opens with the first match at the top of the screen (or as
    // near as the listing's end allows), its text growing with the window,
    // white on the C64's blue; the next window opens a step below and right.
    void directoryWindowShowsTheFirstMatch() {
        WindowFixture f;
        QVERIFY(writeFullDisk(f.path("full.d64")));
        MainWindow& w = f.open();
        f.child<QCheckBox>("chkPartial")->setChecked(false);
        w.show();
        // The search, and the rows it matches (the header is row 0).
        for (const auto& [search, firstRow, lastRow] :
             {std::tuple{"E06?", 61, 70}, {"E14?", 141, 144}, {"E000", 1, 1}}) {
            f.child<QLineEdit>("txFindSTR")->setText(QString::fromLatin1(search));
            QVERIFY(f.runSearch());
            DirectoryWindow* directory = openFirstBlock(f);
            QVERIFY(directory);
            QVERIFY(QTest::qWaitForWindowExposed(directory));
            ScreenGrid* screen = directory->screen();
            QCOMPARE(int(screen->lines().size()), 146); // header, 144 entries, blocks free
            for (int row = 0; row < 146; ++row)
                QCOMPARE(screen->reversed()[std::size_t(row)], row >= firstRow && row <= lastRow);
            const int rows = screen->viewport()->height() / screen->cellRect(0, 0).height();
            QVERIFY(rows >= ScreenGrid::kRows);
            QCOMPARE(screen->firstVisibleRow(), std::min(firstRow, 146 - rows));
            QVERIFY(lastRow < screen->firstVisibleRow() + rows);

            const int before = screen->pixelSize();
            directory->resize(directory->size() * 3 / 2);
            QTRY_VERIFY(screen->pixelSize() > before);
            const int shown = screen->viewport()->height() / screen->cellRect(0, 0).height();
            QCOMPARE(screen->firstVisibleRow(), std::min(firstRow, 146 - shown));
            QVERIFY(ContrastRatio(ScreenGrid::textColour(), ScreenGrid::backgroundColour()) >= 4.5);

            DirectoryWindow* second = openFirstBlock(f);
            QVERIFY(second && second != directory);
            const QPoint place = second->frameGeometry().topLeft();
            QVERIFY(place - directory->frameGeometry().topLeft() == QPoint(32, 32) ||
                    place == w.screen()->availableGeometry().topLeft());
            directory->close();
            second->close();
        }
    }

    // A name of PETSCII graphics keeps its row on the grid, in the C64's font
    // and in the fallback: its glyphs (some drawn from another font) stay in
    // their cells, the row keeps its height and the type after it its columns.
    void graphicsStayOnTheGrid_data() {
        QTest::addColumn<QFont>("font");
        QTest::newRow("preferred") << ScreenGrid::preferredFont();
        QTest::newRow("fallback") << QFontDatabase::systemFont(QFontDatabase::FixedFont);
    }
    void graphicsStayOnTheGrid() {
        QFETCH(QFont, font);
        ScreenGrid grid(font);
        const QString plain = QStringLiteral("1    \"ABCDEFGH\"         prg");
        const QString graphics = QStringLiteral("1    \"▒┼╮│┌─╳▞\"         prg");
        // Row 0 stays empty: the frame that shows the focus runs along the top.
        grid.setLines({QString(), plain, graphics, QString(), plain},
                      {false, false, false, false, true});
        grid.resize(640, 400);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        const QImage screen = grid.viewport()->grab().toImage();
        const qsizetype type = plain.indexOf(QStringLiteral("prg"));
        const auto cell = [&](int row, qsizetype column) {
            return screen.copy(grid.cellRect(row, int(column)));
        };
        for (qsizetype column = type; column < type + 3; ++column)
            QCOMPARE(cell(2, column), cell(1, column));
        // The empty row below the graphics holds nothing drawn (inside the
        // frame that shows the focus).
        const QImage empty = screen.copy(grid.cellRect(3, 0)
                                             .united(grid.cellRect(3, 39))
                                             .intersected(screen.rect().adjusted(3, 0, -3, 0)));
        QImage blank(empty.size(), empty.format());
        blank.fill(ScreenGrid::backgroundColour());
        QCOMPARE(empty, blank);
        // A reversed row draws the background's colour on the text's.
        QCOMPARE(cell(4, 4).pixelColor(1, 1), ScreenGrid::textColour());
    }

    // After a search of broken files the list holds one row per file that
    // could not be searched, with the message the error box showed and the
    // reason in plain words; it opens from the status line, which keeps its
    // text, and copies as text.
    void problemsList() {
        WindowFixture f;
        samples::DiskBuilder disk;
        disk.formatBam().add({samples::toPetscii("X"), 0x82, 1, 17, 0});
        QVERIFY(disk.save(f.path("good.d64")));
        for (const char* name : {"a.d64", "b.d64", "c.d64"})
            QVERIFY(WriteWholeFile(f.path(name), disk.bytes().substr(0, 91000)));
        MainWindow& w = f.open();
        w.show();
        QVERIFY(f.runSearch());
        auto* link = f.child<StatusLabel>("lbInfo");
        QVERIFY(link->linked() &&
                link->text().endsWith(QString::fromStdString(
                    ") - 3 files could not be searched; see " + f.path("ErrorLog.txt"))));
        QTest::mouseClick(link, Qt::LeftButton);
        auto* list = w.findChild<ProblemsWindow*>();
        QVERIFY(list && list->isVisible() && !list->isModal());
        QTableWidget* table = list->table();
        const QStringList lines = list->rowsAsText(false).split('\n', Qt::SkipEmptyParts);
        QVERIFY(table->rowCount() == 3 && lines.size() == 3);
        for (int row = 0; row < 3; ++row) {
            const QString file = QString::fromStdString(f.path("abc"[row] + std::string(".d64")));
            const QString message = QString::fromStdString(f.boxes->shown[std::size_t(row)].text);
            QCOMPARE(lines[row], file + '\t' + QString(message).replace("\r\n", " / ") +
                                     "\ttoo short to be a D64");
            QVERIFY(message.startsWith("[analizzaD64] - 9 - "));
            QCOMPARE(table->item(row, 1)->text(), QString(message).replace("\r\n", "\n"));
        }
        QTest::mouseClick(list->findChild<QPushButton*>("cmdCopyProblems"), Qt::LeftButton);
        QCOMPARE(QApplication::clipboard()->text(), list->rowsAsText(false));
        table->selectRow(1);
        QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), lines[1] + '\n');

        // The next search starts a new list.
        QVERIFY(QFile::remove(QString::fromStdString(f.path("b.d64"))));
        QVERIFY(f.runSearch());
        QCOMPARE(table->rowCount(), 2);
    }
};

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
