// The about window on a fake clock, with a recording music device.
#include "intro/AboutWindow.h"
#include "TempDir.h"
#include "common/Files.h"
#include "intro/AboutTune.h"
#include "search/Output.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

#include <memory>

namespace {

const char* const kTimers[] = {"tmrSTART", "tmrShowBars", "tmrFlash",     "tmrRaster",
                               "tmrLOgo",  "tmrscroll",   "tmrCheckSound"};
const char* const kShowParts[] = {"Frame1", "lbInfoCentrale", "piclogo", "lbCredits",
                                  "lbMail", "lbLink1",        "lbLink2"};

} // namespace

class AboutWindowTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<qs::test::TempDir> temp_;
    std::vector<std::string> commands_;
    std::string mode_; // the music device's answer to "status mid1 mode"
    std::vector<QUrl> opened_;
    std::unique_ptr<qs::AboutWindow> window_;

    std::string musicFile() const { return temp_->str() + "/tmpcrt.tmp"; }
    // A control by name; the elements of a control array by their index.
    QWidget* part(const char* name, qulonglong index = 0) {
        for (QWidget* w : window_->findChildren<QWidget*>(name))
            if (!w->property("index").isValid() || w->property("index").toULongLong() == index)
                return w;
        qFatal("no control named %s", name);
    }
    bool shown(const char* name) { return part(name)->isVisibleTo(window_.get()); }
    int count(const char* name) {
        return static_cast<int>(window_->findChildren<QLabel*>(name).size());
    }
    static void runToStep(int step, qs::AboutWindow& window) {
        for (int i = 0; i < 2000 && window.step() < step; ++i)
            window.clock().Advance(10);
        QCOMPARE(window.step(), step);
    }
    void runToStep(int step) { runToStep(step, *window_); }

  private slots:
    void init() {
        temp_ = std::make_unique<qs::test::TempDir>();
        commands_.clear();
        mode_ = "playing";
        opened_.clear();
        qs::AboutWindowOptions o;
        o.manualClock = true;
        o.tempFolder = temp_->str();
        o.mci = [this](const std::string& command) {
            commands_.push_back(command);
            return command == "status mid1 mode" ? mode_ : std::string();
        };
        o.openUrl = [this](const QUrl& url) { opened_.push_back(url); };
        window_ = std::make_unique<qs::AboutWindow>(nullptr, std::move(o));
    }
    void cleanup() { window_.reset(); }

    void theShowFromItsPreparationToItsEndAndAgain() {
        window_->show();
        QVERIFY(shown("imgStart"));
        window_->clock().Advance(999);
        QVERIFY(!window_->setupDone());
        const std::vector<std::string> opening{
            "open \"" + musicFile() + "\" type sequencer alias mid1", "play mid1"};
        QCOMPARE(commands_, opening);
        QVERIFY(qs::ReadWholeFile(musicFile()) == qs::intro::MakeAboutTune());
        window_->clock().Advance(1);
        QVERIFY(window_->setupDone());
        QVERIFY(!shown("imgStart"));
        QCOMPARE(qobject_cast<QLabel*>(part("lbInfoCentrale"))->text().toStdString(),
                 qs::ProgramBanner());

        runToStep(11);
        for (const char* name : kShowParts)
            QVERIFY2(shown(name), name);

        // The music starts over when it has stopped.
        commands_.clear();
        mode_ = "stopped";
        window_->clock().Advance(1000);
        QCOMPARE(commands_, (std::vector<std::string>{"status mid1 mode", "play mid1 from 0"}));

        for (const char* name : {"lbMail", "lbLink1", "lbLink2"})
            QTest::mouseClick(part(name), Qt::LeftButton);
        const std::vector<QUrl> links{qs::AboutWindow::mailLink(), qs::AboutWindow::homePageLink(),
                                      qs::AboutWindow::groupPageLink()};
        QCOMPARE(opened_, links);

        // Closed, everything stops; a second opening starts again from step 0.
        QVERIFY(window_->close());
        QCOMPARE(window_->step(), 0);
        QCOMPARE(count("lbScorr"), 1);
        QVERIFY(shown("imgStart"));
        for (const char* name : kShowParts)
            QVERIFY2(!shown(name), name);
        for (const char* timer : kTimers)
            QVERIFY2(!window_->timerEnabled(timer), timer);
        commands_.clear();
        window_->show();
        window_->clock().Advance(1000);
        QCOMPARE(commands_.size(), std::size_t{2});
        QCOMPARE(count("lbScorr"), 3);
        runToStep(11);
    }

    void closingDuringPreparationWaitsForIt() {
        window_->show();
        window_->clock().Advance(500);
        QVERIFY(!window_->close());
        window_->reject();
        QVERIFY(window_->isVisible());
        QVERIFY(window_->unloadRequested());
        window_->clock().Advance(500);
        QVERIFY(!window_->isVisible());
        QCOMPARE(commands_.back(), std::string("close mid1"));
        QVERIFY(!qs::FileExists(musicFile()));
        QVERIFY(!window_->setupDone() && !window_->unloadRequested());
        // Nothing left to run on the clock.
        window_->clock().Advance(5000);
        QCOMPARE(window_->step(), 0);
    }

    // Our own player on whatever sound output the machine has, or none.
    void theDefaultMusicDeviceNeverStopsTheShow() {
        qs::AboutWindowOptions o;
        o.manualClock = true;
        o.tempFolder = temp_->str();
        qs::AboutWindow window(nullptr, std::move(o));
        window.show();
        runToStep(11, window);
        window.clock().Advance(3000);
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY(w == &window || !w->isVisible());
        QVERIFY(window.close());
        QVERIFY(!qs::FileExists(musicFile()));
    }
};

QTEST_MAIN(AboutWindowTest)
#include "AboutWindowTest.moc"
