#pragma once
// The about window: a scripted show in the manner of a home-computer intro,
// with music, cover frames, raster bars, a swaying logo, two scrollers,
// changing credits and three links.
#include "common/Files.h"
#include "intro/QtIntroControls.h"
#include "intro/TickScheduler.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <QUrl>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace qs {

// Opens the about window modally over `parent` (made on first use and kept as
// its child). `tempFolder` holds the music file; empty: a private one.
void showAboutWindow(QWidget* parent, const std::string& tempFolder = {});

struct AboutWindowOptions {
    // The music device's command strings; empty: our MIDI player on the
    // default sound output.
    std::function<std::string(const std::string&)> mci;
    // Where the links go; empty: the desktop's opener.
    std::function<void(const QUrl&)> openUrl;
    // Folder with a trailing separator for the music file; empty: a private one.
    std::string tempFolder;
    // When set, nothing moves until someone calls clock().Advance().
    bool manualClock = false;
};

class AboutWindow : public QDialog {
    Q_OBJECT
  public:
    explicit AboutWindow(QWidget* parent = nullptr, AboutWindowOptions options = {});
    ~AboutWindow() override;

    // The clock of every timer of the window and of the preparation's pause.
    intro::TickScheduler& clock() { return clock_; }
    int step() const { return step_; }
    bool setupDone() const { return setupDone_; }
    bool unloadRequested() const { return unloadRequested_; }
    bool timerEnabled(const std::string& name) const;
    std::string temporaryMusicFile() const;

    static QUrl mailLink();
    static QUrl homePageLink();
    static QUrl groupPageLink();

  public slots:
    // The unload: refused while the show is being prepared, which then closes
    // the window itself when it is done.
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildControls();
    void addTimers();
    void prepare();
    void prepareMusic();
    void finishPreparation();
    void unload();
    void stopShow();
    void onStartTick();
    void onShowBarsTick();
    void onFlashTick();
    void onRasterTick();
    void onLogoTick();
    void onScrollTick();
    void onCheckSoundTick();
    std::string music(const std::string& command);
    void setTimer(intro::TickScheduler::Id timer, bool enabled) {
        clock_.SetEnabled(timer, enabled);
    }

    AboutWindowOptions options_;
    std::unique_ptr<PrivateTempFolder> ownTemp_;
    intro::TickScheduler clock_;
    QTimer pump_;
    QElapsedTimer elapsed_;
    qint64 pumped_ = 0;

    bool preparing_ = false;
    bool setupDone_ = false;
    bool unloadRequested_ = false;
    int step_ = 0;
    intro::ColorRamp rampA_, rampB_, rampC_, rampD_;
    std::vector<std::string> credits_;

    std::unique_ptr<intro::QtControl> imgStart_, frame1_, lbInfoCentrale_, piclogo_;
    std::unique_ptr<intro::QtControl> panelScroll1_, panelGreeting_;
    std::unique_ptr<intro::QtControl> lbMail_, lbLink1_, lbLink2_;
    std::array<std::unique_ptr<intro::QtControl>, 4> hideCovers_;
    std::array<std::unique_ptr<intro::QtControl>, 4> raster_;
    std::unique_ptr<intro::QtLabelArray> lbScorr_, lbGreeting_, lbCredits_;

    intro::TickScheduler::Id tmrSTART_ = 0, tmrShowBars_ = 0, tmrFlash_ = 0, tmrRaster_ = 0,
                             tmrLOgo_ = 0, tmrscroll_ = 0, tmrCheckSound_ = 0;
};

} // namespace qs
