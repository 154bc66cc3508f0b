// The about window on a fake clock, with a recording music device.
#include "TempDir.h"
#include "common/modGeneral.h"
#include "intro/frm_ABOUT.h"
#include "intro/AboutTune.h"
#include "search/Output.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

#include <deque>
#include <memory>

namespace {

struct MusicLog {
    std::vector<std::string> commands;
    std::deque<std::string> statusReplies; // when empty: "playing"
};

qs::AboutWindowOptions optionsFor(const std::shared_ptr<MusicLog>& log,
                                  const std::shared_ptr<std::vector<QUrl>>& opened,
                                  const std::string& temp) {
    qs::AboutWindowOptions o;
    o.manualClock = true;
    o.tempFolder = temp;
    o.mci = [log](const std::string& command) -> std::string {
        log->commands.push_back(command);
        if (command != "status mid1 mode")
            return {};
        if (log->statusReplies.empty())
            return "playing";
        std::string reply = log->statusReplies.front();
        log->statusReplies.pop_front();
        return reply;
    };
    o.openUrl = [opened](const QUrl& url) { opened->push_back(url); };
    return o;
}

QWidget* child(QWidget* window, const char* name, qulonglong index = 0) {
    for (QWidget* w : window->findChildren<QWidget*>(name)) {
        if (!w->property("index").isValid() || w->property("index").toULongLong() == index)
            return w;
    }
    return nullptr;
}

// Twips to the nearest pixel, as the window places its controls.
int px(int twips) {
    return qs::intro::TwipsToPixels(twips);
}

int count(QWidget* window, const char* name) {
    return static_cast<int>(window->findChildren<QLabel*>(name).size());
}

} // namespace

class AboutWindowTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<qs::test::TempDir> temp_;
    std::shared_ptr<MusicLog> log_;
    std::shared_ptr<std::vector<QUrl>> opened_;
    std::unique_ptr<qs::frm_ABOUT> window_;

    std::string musicFile() const { return temp_->str() + "/tmpcrt.tmp"; }
    // Runs the clock on to the given step of the timeline.
    void runToStep(int step) {
        for (int i = 0; i < 2000 && window_->step() < step; ++i)
            window_->clock().Advance(10);
        QCOMPARE(window_->step(), step);
    }

  private slots:
    void init() {
        temp_ = std::make_unique<qs::test::TempDir>();
        log_ = std::make_shared<MusicLog>();
        opened_ = std::make_shared<std::vector<QUrl>>();
        window_ = std::make_unique<qs::frm_ABOUT>(nullptr, optionsFor(log_, opened_, temp_->str()));
    }
    void cleanup() { window_.reset(); }

    void preparationStartsTheMusicAndLaysOutTheTexts() {
        window_->show();
        QVERIFY(child(window_.get(), "imgStart")->isVisible());
        QVERIFY(!window_->setupDone());
        QCOMPARE(window_->width(), px(6000 + 60));
        window_->clock().Advance(999);
        QVERIFY(!window_->setupDone());
        const std::vector<std::string> opening{
            "open \"" + musicFile() + "\" type sequencer alias mid1", "play mid1"};
        QCOMPARE(log_->commands, opening);
        QVERIFY(qs::ReadWholeFile(musicFile()) == qs::intro::MakeAboutTune());

        window_->clock().Advance(1);
        QVERIFY(window_->setupDone());
        QVERIFY(!child(window_.get(), "imgStart")->isVisible());
        QVERIFY(child(window_.get(), "Frame1")->isVisible());
        QVERIFY(window_->timerEnabled("tmrSTART"));
        auto* title = qobject_cast<QLabel*>(child(window_.get(), "lbInfoCentrale"));
        QCOMPARE(title->text().toStdString(), qs::ProgramBanner());
        QVERIFY(!title->isVisible());
        // 574 characters of main text: three labels side by side, just right of the stage.
        QCOMPARE(count(window_.get(), "lbScorr"), 3);
        QCOMPARE(count(window_.get(), "lbGreeting"), 2);
        QWidget* panel = child(window_.get(), "panelScroll1");
        QCOMPARE(panel->x(), px(6000 + 100));
        QVERIFY(child(window_.get(), "lbScorr", 1)->x() > 0);
        QCOMPARE(child(window_.get(), "lbScorr", 2)->x(),
                 child(window_.get(), "lbScorr", 1)->geometry().right() + 1);
    }

    void timelineReachesEachStep() {
        window_->show();
        window_->clock().Advance(1000 + 800);
        QCOMPARE(window_->step(), 1);
        QVERIFY(child(window_.get(), "frmHide", 3)->isVisible());
        QVERIFY(child(window_.get(), "raster", 1)->isVisible());
        QVERIFY(!window_->timerEnabled("tmrSTART"));
        QVERIFY(window_->timerEnabled("tmrShowBars"));

        // Frame 0 slides from 1800 to beyond 2400 twips by 5 every 30 ms: 121 ticks.
        window_->clock().Advance(121 * 30 - 1);
        QVERIFY(window_->timerEnabled("tmrShowBars"));
        window_->clock().Advance(1);
        QVERIFY(!window_->timerEnabled("tmrShowBars"));
        QVERIFY(window_->timerEnabled("tmrSTART"));
        QCOMPARE(child(window_.get(), "frmHide", 0)->y(), px(2405));
        QCOMPARE(child(window_.get(), "frmHide", 1)->y(), px(900 - 605));

        window_->clock().Advance(800);
        QCOMPARE(window_->step(), 2);
        window_->clock().Advance(800);
        QCOMPARE(window_->step(), 3);
        QVERIFY(!child(window_.get(), "frmHide", 0)->isVisible());
        QVERIFY(window_->timerEnabled("tmrFlash"));
        QVERIFY(child(window_.get(), "lbInfoCentrale")->isVisible());
        QVERIFY(!child(window_.get(), "piclogo")->isVisible());

        runToStep(6);
        QVERIFY(window_->timerEnabled("tmrRaster"));
        QVERIFY(child(window_.get(), "piclogo")->isVisible());
        QVERIFY(!window_->timerEnabled("tmrLOgo"));
        runToStep(8);
        QVERIFY(window_->timerEnabled("tmrLOgo"));
        QVERIFY(child(window_.get(), "lbCredits")->isVisible());
        QVERIFY(!child(window_.get(), "lbMail")->isVisible());
        runToStep(10);
        QVERIFY(window_->timerEnabled("tmrscroll"));
        QVERIFY(window_->timerEnabled("tmrCheckSound"));
        QVERIFY(child(window_.get(), "lbMail")->isVisible());
        QVERIFY(child(window_.get(), "lbLink1")->isVisible());
        QVERIFY(child(window_.get(), "lbLink2")->isVisible());
        runToStep(11);
        QVERIFY(!window_->timerEnabled("tmrSTART"));

        // The effects run: the bars bounce in their band, the scrollers come in,
        // the credits change as their fade restarts.
        const int panelBefore = child(window_.get(), "panelScroll1")->x();
        auto* credits = qobject_cast<QLabel*>(child(window_.get(), "lbCredits"));
        QStringList seen;
        for (int i = 0; i < 1500; ++i) {
            window_->clock().Advance(10);
            const int bar = child(window_.get(), "raster", 0)->y() * 15;
            QVERIFY(bar >= 390 - 20 - 15 && bar <= 1000 + 20 + 15);
            QCOMPARE(child(window_.get(), "raster", 1)->y(),
                     child(window_.get(), "raster", 0)->y());
            if (!credits->text().isEmpty() && !seen.contains(credits->text()))
                seen << credits->text();
        }
        QCOMPARE(window_->step(), 11);
        QVERIFY(child(window_.get(), "panelScroll1")->x() < panelBefore - 300);
        QVERIFY(seen.size() >= 3);
        QCOMPARE(seen.front(), QString("code: the Quillsift developers"));
    }

    void theMusicLoopsWhenItStops() {
        window_->show();
        runToStep(10);
        log_->commands.clear();
        log_->statusReplies = {"playing", "stopped"};
        window_->clock().Advance(1000);
        QCOMPARE(log_->commands, std::vector<std::string>{"status mid1 mode"});
        window_->clock().Advance(1000);
        const std::vector<std::string> restart{"status mid1 mode", "status mid1 mode",
                                               "play mid1 from 0"};
        QCOMPARE(log_->commands, restart);
    }

    void closingDuringPreparationWaitsForIt() {
        window_->show();
        window_->clock().Advance(500);
        QVERIFY(!window_->close());
        QVERIFY(window_->isVisible());
        window_->reject();
        QVERIFY(window_->isVisible());
        QVERIFY(window_->unloadRequested());
        window_->clock().Advance(500);
        QVERIFY(!window_->isVisible());
        QCOMPARE(log_->commands.back(), std::string("close mid1"));
        QVERIFY(!qs::FileExists(musicFile()));
        QCOMPARE(window_->step(), 0);
        QVERIFY(!window_->setupDone());
        QVERIFY(!window_->unloadRequested());
        QVERIFY(!window_->timerEnabled("tmrSTART"));
        // Nothing left to run on the clock.
        window_->clock().Advance(5000);
        QCOMPARE(window_->step(), 0);
    }

    void aSecondOpeningStartsAgainFromStepOne() {
        window_->show();
        runToStep(11);
        QVERIFY(window_->close());
        QVERIFY(!window_->isVisible());
        QCOMPARE(count(window_.get(), "lbScorr"), 1);
        QCOMPARE(count(window_.get(), "lbGreeting"), 1);
        QVERIFY(child(window_.get(), "imgStart")->isVisibleTo(window_.get()));
        QVERIFY(!child(window_.get(), "Frame1")->isVisibleTo(window_.get()));
        QVERIFY(!child(window_.get(), "raster", 0)->isVisibleTo(window_.get()));
        QCOMPARE(child(window_.get(), "raster", 0)->y(), px(2150));
        QCOMPARE(child(window_.get(), "raster", 3)->y(), px(270));
        for (const char* name :
             {"lbInfoCentrale", "piclogo", "lbCredits", "lbMail", "lbLink1", "lbLink2"})
            QVERIFY2(!child(window_.get(), name)->isVisibleTo(window_.get()), name);
        for (const char* timer : {"tmrSTART", "tmrShowBars", "tmrFlash", "tmrRaster", "tmrLOgo",
                                  "tmrscroll", "tmrCheckSound"})
            QVERIFY2(!window_->timerEnabled(timer), timer);

        log_->commands.clear();
        window_->show();
        QVERIFY(!window_->setupDone());
        window_->clock().Advance(1000);
        QCOMPARE(log_->commands.size(), std::size_t{2});
        QCOMPARE(count(window_.get(), "lbScorr"), 3);
        window_->clock().Advance(800);
        QCOMPARE(window_->step(), 1);
        // The cover frames open again from where they were drawn.
        QCOMPARE(child(window_.get(), "frmHide", 0)->y(), px(1800));
        window_->clock().Advance(30 * 120);
        QVERIFY(window_->timerEnabled("tmrShowBars"));
    }

    void linksGoToTheDesktopsOpener() {
        window_->show();
        runToStep(10);
        QTest::mouseClick(child(window_.get(), "lbMail"), Qt::LeftButton);
        QTest::mouseClick(child(window_.get(), "lbLink1"), Qt::LeftButton);
        QTest::mouseClick(child(window_.get(), "lbLink2"), Qt::LeftButton);
        QCOMPARE(opened_->size(), std::size_t{3});
        const QUrl mail = opened_->at(0);
        QCOMPARE(mail.scheme(), QString("mailto"));
        QVERIFY(mail.query(QUrl::FullyDecoded).contains("subject=[C64]"));
        QVERIFY(mail.query(QUrl::FullyDecoded).contains("[C64] in the subject"));
        QCOMPARE(opened_->at(1), qs::frm_ABOUT::homePageLink());
        QCOMPARE(opened_->at(2), qs::frm_ABOUT::groupPageLink());
    }

    // Our own player on whatever sound output the machine has, or none.
    void theDefaultMusicDeviceNeverStopsTheShow() {
        qs::AboutWindowOptions o;
        o.manualClock = true;
        o.tempFolder = temp_->str();
        qs::frm_ABOUT window(nullptr, std::move(o));
        window.show();
        for (int i = 0; i < 1800 && window.step() < 11; ++i)
            window.clock().Advance(10);
        QCOMPARE(window.step(), 11);
        window.clock().Advance(3000);
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY(w == &window || !w->isVisible());
        QVERIFY(window.close());
        QVERIFY(!qs::FileExists(musicFile()));
    }
};

QTEST_MAIN(AboutWindowTest)
#include "AboutWindowTest.moc"
