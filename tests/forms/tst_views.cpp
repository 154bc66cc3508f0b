// The views beside the main window: the directory window's screen and the
// problems list.
#include "FormsTestSupport.h"
#include "common/Files.h"
#include "forms/DirectoryWindow.h"
#include "forms/ResultsBox.h"
#include "forms/ScreenGrid.h"
#include "forms/WindowParts.h"
#include "samples/DiskBuilder.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFontDatabase>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>

using namespace qs;
using namespace qs::forms;
using namespace qs::forms::test;

namespace {

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

// The pixels of a cell of the screen.
QImage cellImage(const QImage& screen, const ScreenGrid& grid, int row, int column) {
    return screen.copy(grid.cellRect(row, column));
}

} // namespace

class TestViews : public QObject {
    Q_OBJECT
  private slots:
    // The window opens with the first match at the top of the screen (or as
    // near as the listing's end allows), its text growing with the window,
    // white on the C64's blue; the next window opens a step below and right.
    void directoryWindowShowsTheFirstMatch_data() {
        QTest::addColumn<QString>("search");
        QTest::addColumn<int>("firstRow"); // the header is row 0
        QTest::addColumn<int>("lastRow");
        QTest::newRow("in the middle") << "E06?" << 61 << 70;
        QTest::newRow("at the end") << "E14?" << 141 << 144;
        QTest::newRow("the first entry") << "E000" << 1 << 1;
    }
    void directoryWindowShowsTheFirstMatch() {
        QFETCH(QString, search);
        QFETCH(int, firstRow);
        QFETCH(int, lastRow);
        WindowFixture f;
        QVERIFY(writeFullDisk(f.path("full.d64")));
        MainWindow& w = f.open();
        f.child<QLineEdit>("txFindSTR")->setText(search);
        f.child<QCheckBox>("chkPartial")->setChecked(false);
        w.show();
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
        const auto inPalette = [](QColor c) {
            const auto& all = C64Palette::colours();
            return std::find(all.begin(), all.end(), c.rgb() & 0xffffff) != all.end();
        };
        QVERIFY(inPalette(ScreenGrid::textColour()) && inPalette(ScreenGrid::backgroundColour()));
        QVERIFY(ContrastRatio(ScreenGrid::textColour(), ScreenGrid::backgroundColour()) >= 4.5);

        DirectoryWindow* second = openFirstBlock(f);
        QVERIFY(second && second != directory);
        const QRect available = w.screen()->availableGeometry();
        QCOMPARE(
            second->frameGeometry().topLeft(),
            CascadedPlace(directory->frameGeometry(), second->frameGeometry().size(), available));
        QVERIFY(second->frameGeometry().topLeft() != directory->frameGeometry().topLeft());
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
        for (qsizetype column = type; column < type + 3; ++column) {
            const int c = int(column);
            QCOMPARE(grid.cellRect(2, c).translated(0, -grid.cellRect(0, 0).height()),
                     grid.cellRect(1, c));
            QCOMPARE(cellImage(screen, grid, 2, c), cellImage(screen, grid, 1, c));
        }
        // The empty row below the graphics holds nothing drawn (inside the
        // frame that shows the focus).
        const QImage empty = screen.copy(grid.cellRect(3, 0)
                                             .united(grid.cellRect(3, 39))
                                             .intersected(screen.rect().adjusted(3, 0, -3, 0)));
        for (int y = 0; y < empty.height(); ++y)
            for (int x = 0; x < empty.width(); ++x)
                QCOMPARE(empty.pixelColor(x, y), ScreenGrid::backgroundColour());
        // A reversed row draws the background's colour on the text's.
        QCOMPARE(cellImage(screen, grid, 4, 4).pixelColor(1, 1), ScreenGrid::textColour());
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
        const std::string status = f.child<QLabel>("lbInfo")->text().toStdString();
        QVERIFY2(
            status.ends_with(") - 3 files could not be searched; see " + f.path("ErrorLog.txt")),
            status.c_str());
        QCOMPARE(w.problems().size(), std::size_t{3});
        auto* link = f.child<StatusLabel>("lbInfo");
        QVERIFY(link->linked());
        QTest::mouseClick(link, Qt::LeftButton);
        auto* list = w.findChild<ProblemsWindow*>();
        QVERIFY(list && list->isVisible() && !list->isModal());
        QTableWidget* table = list->table();
        QCOMPARE(table->rowCount(), 3);
        const QStringList lines = list->rowsAsText(false).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        for (int row = 0; row < 3; ++row) {
            const std::string file = f.path(std::string(1, char('a' + row)) + ".d64");
            QCOMPARE(table->item(row, 0)->text().toStdString(), file);
            QCOMPARE(table->item(row, 1)->text().toStdString(),
                     f.boxes->shown[std::size_t(row)].text.replace(
                         f.boxes->shown[std::size_t(row)].text.find("\r\n"), 2, "\n"));
            QCOMPARE(table->item(row, 2)->text(), QStringLiteral("too short to be a D64"));
            QVERIFY(lines[row].startsWith(QString::fromStdString(file) + "\t[analizzaD64] - 9 - "));
            QVERIFY(lines[row].endsWith("\ttoo short to be a D64"));
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

QTEST_MAIN(TestViews)
#include "tst_views.moc"
