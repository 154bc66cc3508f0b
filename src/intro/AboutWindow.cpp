#include "intro/AboutWindow.h"

#include "intro/AboutArt.h"
#include "intro/MciFacade.h"
#include "intro/QtAudioOutput.h"
#include "search/Output.h"

#include <QDesktopServices>
#include <QFile>
#include <QMouseEvent>
#include <QUrlQuery>

#include <algorithm>

static void initAboutResources() {
    Q_INIT_RESOURCE(about);
}

namespace qs {

using namespace intro;

namespace {

// The stage and the window, in twips.
constexpr int kStageWidth = 6000;
constexpr int kStageHeight = 4500;
constexpr int kMargin = 30;

// Cover frames: design tops and heights; 0 and 2 slide down, 1 and 3 up.
constexpr std::array<int, 4> kHideTop{1800, 900, 3150, 0};
constexpr std::array<int, 4> kHideHeight{1350, 900, 1350, 900};
// Raster bars: design tops, heights and hues.
constexpr std::array<int, 4> kRasterTop{2150, 1830, 590, 270};
constexpr std::array<int, 4> kRasterHeight{150, 330, 120, 120};
constexpr std::array<int, 4> kRasterHue{0, 230, 120, 280};

constexpr Color kLinkColor = 0xB2A470; // the home computer's cyan

std::string resourceBytes(const QString& name) {
    QFile file(":/about/" + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// One credit text per line; lines end with CR LF (a lone LF is taken too).
std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? end : end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        if (end == std::string::npos)
            return lines;
        start = end + 1;
    }
}

QLabel* newLabel(QWidget* parent, const char* name, int pointSize, Qt::Alignment align) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setFont(IntroFont(pointSize));
    label->setAlignment(align);
    return label;
}

std::unique_ptr<QtControl> control(QWidget* w, int left, int top, int width, int height) {
    return std::make_unique<QtControl>(w, left, top, width, height);
}

} // namespace

QUrl AboutWindow::mailLink() {
    QUrl url("mailto:quillsift@example.org");
    QUrlQuery query;
    query.addQueryItem("subject", "[C64]");
    query.addQueryItem("body", "Please keep the word [C64] in the subject, so that your message "
                               "reaches us.");
    url.setQuery(query);
    return url;
}

QUrl AboutWindow::homePageLink() {
    return QUrl("https://quillsift.example.org/");
}

QUrl AboutWindow::groupPageLink() {
    return QUrl("https://csdb.dk/search/?seinsel=groups&search=quillsift");
}

AboutWindow::AboutWindow(QWidget* parent, AboutWindowOptions options)
    : QDialog(parent), options_(std::move(options)) {
    initAboutResources();
    if (!options_.mci) {
        auto facade = std::make_shared<MciFacade>(&QtAudioOutput::Create);
        options_.mci = [facade](const std::string& command) { return facade->Send(command); };
    }
    if (!options_.openUrl)
        options_.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    if (options_.tempFolder.empty()) {
        ownTemp_ = std::make_unique<PrivateTempFolder>();
        options_.tempFolder = ownTemp_->path();
    }
    setObjectName("AboutWindow");
    setWindowTitle("About..");
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(TwipsToPixels(kStageWidth + 2 * kMargin),
                 TwipsToPixels(kStageHeight + 2 * kMargin));
    buildControls();
    addTimers();
    pump_.setTimerType(Qt::PreciseTimer);
    connect(&pump_, &QTimer::timeout, this, [this] {
        const qint64 now = elapsed_.elapsed();
        // A window that was held up catches up with at most one tick of each timer,
        // as window timers do, rather than with a burst.
        const qint64 passed = std::min<qint64>(now - pumped_, 30);
        pumped_ = now;
        clock_.Advance(passed);
    });
}

AboutWindow::~AboutWindow() {
    stopShow();
}

// Timers, music and its temporary file; every failure is ignored.
void AboutWindow::stopShow() {
    clock_.DisableAll();
    clock_.CancelPending();
    music("close mid1");
    try {
        KillFile(temporaryMusicFile());
    } catch (...) {
    }
}

void AboutWindow::buildControls() {
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);

    auto* start = new QLabel(this);
    start->setObjectName("imgStart");
    start->setPixmap(StartPicture({TwipsToPixels(kStageWidth), TwipsToPixels(kStageHeight)},
                                  QString::fromStdString(ProgramBanner())));
    imgStart_ = control(start, kMargin, kMargin, kStageWidth, kStageHeight);

    auto* stage = new QWidget(this);
    stage->setObjectName("Frame1");
    stage->setAutoFillBackground(true);
    stage->setPalette(black);
    stage->hide();
    frame1_ = control(stage, kMargin, kMargin, kStageWidth, kStageHeight);

    for (std::size_t k = 0; k < raster_.size(); ++k) {
        auto* bar = new QLabel(stage);
        bar->setObjectName("raster");
        bar->setProperty("index", static_cast<qulonglong>(k));
        bar->setPixmap(RasterBar({TwipsToPixels(kStageWidth), TwipsToPixels(kRasterHeight[k])},
                                 kRasterHue[k]));
        bar->hide();
        raster_[k] = control(bar, 0, kRasterTop[k], kStageWidth, kRasterHeight[k]);
    }
    raster_[0]->widget()->raise(); // the bouncing bar runs in front of its follower

    lbInfoCentrale_ =
        control(newLabel(stage, "lbInfoCentrale", 13, Qt::AlignCenter), 0, 1250, kStageWidth, 330);
    lbInfoCentrale_->SetCaption("Presents");
    lbInfoCentrale_->SetVisible(false);

    auto* logo = new QLabel(stage);
    logo->setObjectName("piclogo");
    logo->setPixmap(LogoPicture({TwipsToPixels(4200), TwipsToPixels(750)}));
    logo->hide();
    piclogo_ = control(logo, 800, 1600, 4200, 750);

    auto* credits = newLabel(stage, "lbCredits", 10, Qt::AlignCenter);
    credits->setProperty("index", 0ULL);
    credits->hide();
    lbCredits_ = std::make_unique<QtLabelArray>(control(credits, 0, 2650, kStageWidth, 330));

    const auto scroller = [&](const char* panelName, const char* labelName, int top,
                              std::unique_ptr<QtControl>& panel,
                              std::unique_ptr<QtLabelArray>& labels) {
        auto* frame = new QWidget(stage);
        frame->setObjectName(panelName);
        panel = control(frame, kStageWidth + 100, top, 15, 15);
        auto* first = newLabel(frame, labelName, 11, Qt::AlignLeft | Qt::AlignVCenter);
        first->setProperty("index", 0ULL);
        auto label = control(first, 0, 0, 15, 15);
        label->SetAutoSize(true);
        labels = std::make_unique<QtLabelArray>(std::move(label));
    };
    scroller("panelScroll1", "lbScorr", 3150, panelScroll1_, lbScorr_);
    scroller("PanelGreeting", "lbGreeting", 3600, panelGreeting_, lbGreeting_);

    const auto link = [&](const char* name, const char* caption, int left, int width) {
        auto* label = newLabel(stage, name, 10, Qt::AlignCenter);
        label->setCursor(Qt::PointingHandCursor);
        label->installEventFilter(this);
        auto c = control(label, left, 4080, width, 300);
        c->SetCaption(caption);
        c->SetForeColor(kLinkColor);
        c->SetVisible(false);
        return c;
    };
    lbMail_ = link("lbMail", "@ mail us", 200, 1700);
    lbLink1_ = link("lbLink1", "home page", 2150, 1700);
    lbLink2_ = link("lbLink2", "CSDb group", 4100, 1700);

    const std::array<QColor, 4> coverColors{kC64Blue, kC64LightBlue, kC64Blue, kC64LightBlue};
    for (std::size_t k = 0; k < hideCovers_.size(); ++k) {
        auto* cover = new QWidget(stage);
        cover->setObjectName("hideCover");
        cover->setProperty("index", static_cast<qulonglong>(k));
        QPalette p = cover->palette();
        p.setColor(QPalette::Window, coverColors[k]);
        cover->setPalette(p);
        cover->setAutoFillBackground(true);
        cover->hide();
        hideCovers_[k] = control(cover, 0, kHideTop[k], 1500, kHideHeight[k]);
    }
}

void AboutWindow::addTimers() {
    tmrSTART_ = clock_.AddTimer("tmrSTART", 800, [this] { onStartTick(); });
    tmrShowBars_ = clock_.AddTimer("tmrShowBars", 30, [this] { onShowBarsTick(); });
    tmrFlash_ = clock_.AddTimer("tmrFlash", 80, [this] { onFlashTick(); });
    tmrRaster_ = clock_.AddTimer("tmrRaster", 50, [this] { onRasterTick(); });
    tmrLOgo_ = clock_.AddTimer("tmrLOgo", 110, [this] { onLogoTick(); });
    tmrscroll_ = clock_.AddTimer("tmrscroll", 40, [this] { onScrollTick(); });
    tmrCheckSound_ = clock_.AddTimer("tmrCheckSound", 1000, [this] { onCheckSoundTick(); });
}

bool AboutWindow::timerEnabled(const std::string& name) const {
    const TickScheduler::Id id = clock_.Find(name);
    return id != SIZE_MAX && clock_.Enabled(id);
}

std::string AboutWindow::temporaryMusicFile() const {
    return options_.tempFolder.empty() ? std::string()
                                       : TrailingSlash(options_.tempFolder) + "tmpcrt.tmp";
}

std::string AboutWindow::music(const std::string& command) {
    try {
        return options_.mci(command);
    } catch (...) {
        return {};
    }
}

void AboutWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!options_.manualClock && !pump_.isActive()) {
        elapsed_.start();
        pumped_ = 0;
        pump_.start(10);
    }
    if (!preparing_ && !setupDone_)
        prepare();
}

void AboutWindow::hideEvent(QHideEvent* event) {
    pump_.stop();
    QDialog::hideEvent(event);
}

// Steps 1 to 3 of the preparation; the window shows its start picture while
// the music is got ready, and keeps answering during the pause.
void AboutWindow::prepare() {
    setupDone_ = false;
    preparing_ = true;
    setFixedWidth(TwipsToPixels(imgStart_->Width() + 60));
    imgStart_->SetVisible(true);
    update();
    clock_.After(0, [this] {
        prepareMusic();
        clock_.After(1000, [this] { finishPreparation(); });
    });
}

void AboutWindow::prepareMusic() {
    // No sound is no error: every failure here is ignored.
    try {
        const std::string path = temporaryMusicFile();
        const std::string tune = resourceBytes("tune.mid");
        if (path.empty() || tune.empty() || !WriteWholeFile(path, tune))
            return;
        music("open \"" + path + "\" type sequencer alias mid1");
        music("play mid1");
    } catch (...) {
    }
}

void AboutWindow::finishPreparation() {
    imgStart_->SetVisible(false);
    update();

    rampA_ = BuildColorRamp(0x000000, 0xFFFFFF, 8, 0, 5);
    lbInfoCentrale_->SetCaption(ProgramBanner());

    rampB_ = BuildColorRamp(0x544040, 0xFFA5A5, 6, 7, 2);
    BuildScrollLabels(*lbScorr_, resourceBytes("MAINSCROLL.txt"), *panelScroll1_);
    panelScroll1_->SetBackColor(0x000000);
    panelScroll1_->SetLeft(panelScroll1_->ContainerWidth() + 100);

    rampC_ = BuildColorRamp(0x544040, 0xFF7D7D, 6, 7, 2);
    BuildScrollLabels(*lbGreeting_, resourceBytes("GREETINGSSCROLL.txt"), *panelGreeting_);
    panelGreeting_->SetBackColor(0x000000);
    panelGreeting_->SetLeft(panelGreeting_->ContainerWidth() + 90);

    credits_ = splitLines(resourceBytes("SCROLLALTERNATO.txt"));
    rampD_ = BuildColorRamp(0x000000, 0xFFFFFF, 10, 15, 2);
    lbCredits_->Item(0).SetCaption("");
    SetTagValue(lbCredits_->Item(0), "ALTIDX", "0");

    setupDone_ = true;
    preparing_ = false;
    if (unloadRequested_) {
        reject();
        return;
    }
    frame1_->SetVisible(true);
    setTimer(tmrSTART_, true);
}

void AboutWindow::onStartTick() {
    ++step_;
    switch (step_) {
    case 1:
        for (auto& cover : hideCovers_) {
            cover->SetWidth(6000);
            cover->SetVisible(true);
            cover->widget()->raise();
        }
        for (auto& bar : raster_)
            bar->SetVisible(true);
        setTimer(tmrSTART_, false);
        setTimer(tmrShowBars_, true);
        break;
    case 3:
        for (auto& cover : hideCovers_)
            cover->SetVisible(false);
        setTimer(tmrFlash_, true);
        lbInfoCentrale_->SetVisible(true);
        break;
    case 6:
        setTimer(tmrRaster_, true);
        piclogo_->SetVisible(true);
        break;
    case 8:
        setTimer(tmrLOgo_, true);
        lbCredits_->Item(0).SetVisible(true);
        break;
    case 10:
        setTimer(tmrscroll_, true);
        setTimer(tmrCheckSound_, true);
        lbLink1_->SetVisible(true);
        lbLink2_->SetVisible(true);
        lbMail_->SetVisible(true);
        break;
    default:
        if (step_ >= 11)
            setTimer(tmrSTART_, false);
        break;
    }
}

void AboutWindow::onShowBarsTick() {
    hideCovers_[0]->SetTop(hideCovers_[0]->Top() + 5);
    hideCovers_[2]->SetTop(hideCovers_[2]->Top() + 5);
    hideCovers_[1]->SetTop(hideCovers_[1]->Top() - 5);
    hideCovers_[3]->SetTop(hideCovers_[3]->Top() - 5);
    if (hideCovers_[0]->Top() > 2400) {
        setTimer(tmrSTART_, true);
        setTimer(tmrShowBars_, false);
    }
}

void AboutWindow::onFlashTick() {
    CycleForeColor(lbScorr_->Item(0), rampB_);
    CopyForeColor(*lbScorr_);
    CycleForeColor(lbGreeting_->Item(0), rampC_);
    CopyForeColor(*lbGreeting_);
    CycleForeColor(*lbInfoCentrale_, rampA_);
    CycleForeColor(lbCredits_->Item(0), rampD_);
    NextAltCaption(lbCredits_->Item(0), credits_);
}

void AboutWindow::onRasterTick() {
    BounceVertical(*raster_[0], 390, 1000, 20);
    raster_[1]->SetTop(raster_[0]->Top());
}

void AboutWindow::onLogoTick() {
    BounceHorizontal(*piclogo_, 800, 950, 15);
}

void AboutWindow::onScrollTick() {
    ScrollPanelLeft(*panelScroll1_, 15);
    ScrollPanelLeft(*panelGreeting_, 25);
}

void AboutWindow::onCheckSoundTick() {
    // Loops the music; without a sound device the mode never reads "stopped".
    if (music("status mid1 mode").find("stopped") != std::string::npos)
        music("play mid1 from 0");
}

bool AboutWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == lbMail_->widget())
            options_.openUrl(mailLink());
        else if (watched == lbLink1_->widget())
            options_.openUrl(homePageLink());
        else if (watched == lbLink2_->widget())
            options_.openUrl(groupPageLink());
    }
    return QDialog::eventFilter(watched, event);
}

void AboutWindow::reject() {
    if (!isVisible())
        return;
    if (!setupDone_) {
        unloadRequested_ = true;
        return;
    }
    unload();
    QDialog::reject();
}

// Every failure here is ignored: the window must close.
void AboutWindow::unload() {
    stopShow();
    lbGreeting_->UnloadAbove0();
    lbScorr_->UnloadAbove0();
    imgStart_->SetVisible(true);
    frame1_->SetVisible(false);
    // The cover frames go back to where they start and the credits line is
    // hidden too: a second showing slides the covers apart again and brings
    // the credits at their own step, not with the first colour cycle.
    for (std::size_t k = 0; k < hideCovers_.size(); ++k) {
        hideCovers_[k]->SetVisible(false);
        hideCovers_[k]->SetTop(kHideTop[k]);
    }
    for (std::size_t k = 0; k < raster_.size(); ++k) {
        raster_[k]->SetVisible(false);
        raster_[k]->SetTop(kRasterTop[k]);
    }
    lbInfoCentrale_->SetVisible(false);
    piclogo_->SetVisible(false);
    lbCredits_->Item(0).SetVisible(false);
    lbLink1_->SetVisible(false);
    lbLink2_->SetVisible(false);
    lbMail_->SetVisible(false);
    setupDone_ = false;
    unloadRequested_ = false;
    preparing_ = false;
    step_ = 0;
}

void showAboutWindow(QWidget* parent, const std::string& tempFolder) {
    AboutWindow* window =
        parent ? parent->findChild<AboutWindow*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    std::unique_ptr<AboutWindow> owned;
    if (!window) {
        AboutWindowOptions options;
        options.tempFolder = tempFolder;
        window = new AboutWindow(parent, std::move(options));
        if (!parent)
            owned.reset(window);
    }
    window->exec();
}

} // namespace qs
