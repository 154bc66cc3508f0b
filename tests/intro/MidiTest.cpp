#include "TempDir.h"
#include "common/VbError.h"
#include "common/modGeneral.h"
#include "intro/AboutTune.h"
#include "intro/MciFacade.h"
#include "intro/MidiFile.h"
#include "intro/Synth.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace qs::intro;

namespace {

// 96 ticks per quarter; 120 beats per minute means 1 tick = 1/192 s.
std::string formatZeroSong() {
    MidiTrackWriter t;
    t.Program(0, 0, 5);
    t.NoteOn(0, 0, 60, 100);
    t.NoteOn(0, 0, 64, 90);     // running status from here on
    t.NoteOff(96, 0, 60, true); // 0.5 s
    t.Tempo(0, 250000);         // twice as fast
    t.NoteOff(96, 0, 64);       // + 0.25 s
    t.Controller(0, 0, 7, 100);
    t.NoteOn(0, 9, 36, 127); // a drum left sounding: ends with the track
    return WriteMidiFile(0, 96, {t.Chunk(192)});
}

} // namespace

TEST(MidiFile, FormatZeroWithRunningStatusAndATempoChange) {
    const MidiTune tune = ParseMidi(formatZeroSong());
    EXPECT_EQ(tune.format, 0);
    ASSERT_EQ(tune.notes.size(), 3u);
    EXPECT_DOUBLE_EQ(tune.notes[0].start, 0.0);
    EXPECT_DOUBLE_EQ(tune.notes[0].end, 0.5);
    EXPECT_EQ(tune.notes[0].key, 60);
    EXPECT_EQ(tune.notes[0].program, 5);
    EXPECT_EQ(tune.notes[1].key, 64);
    EXPECT_EQ(tune.notes[1].velocity, 90);
    EXPECT_DOUBLE_EQ(tune.notes[1].end, 0.75);
    EXPECT_EQ(tune.notes[2].channel, 9);
    EXPECT_DOUBLE_EQ(tune.notes[2].start, 0.75);
    EXPECT_DOUBLE_EQ(tune.notes[2].end, 1.25);
    EXPECT_DOUBLE_EQ(tune.length, 1.25);
}

TEST(MidiFile, FormatOneTakesTheTempoMapFromAnyTrack) {
    MidiTrackWriter tempo;
    tempo.Tempo(0, 1000000);  // 60 beats per minute
    tempo.Tempo(192, 500000); // from beat 2: 120
    MidiTrackWriter a(false);
    a.NoteOn(96, 1, 50, 80);
    a.NoteOff(192, 1, 50); // beat 1 to beat 3: 1 s + 0.5 s
    MidiTrackWriter b;
    b.NoteOn(288, 2, 70, 80);
    b.NoteOff(96, 2, 70);
    const MidiTune tune = ParseMidi(WriteMidiFile(1, 96, {tempo.Chunk(), a.Chunk(), b.Chunk(96)}));
    EXPECT_EQ(tune.trackCount, 3);
    ASSERT_EQ(tune.notes.size(), 2u);
    EXPECT_DOUBLE_EQ(tune.notes[0].start, 1.0);
    EXPECT_DOUBLE_EQ(tune.notes[0].end, 2.5);
    EXPECT_DOUBLE_EQ(tune.notes[1].start, 2.5);
    EXPECT_DOUBLE_EQ(tune.notes[1].end, 3.0);
    EXPECT_DOUBLE_EQ(tune.length, 3.5);
}

TEST(MidiFile, BrokenFilesRaiseInsteadOfReadingPastTheEnd) {
    const std::string good = formatZeroSong();
    EXPECT_THROW(ParseMidi("RIFF....WAVEfmt "), qs::VbError);
    EXPECT_THROW(ParseMidi(good.substr(0, 12)), qs::VbError);
    EXPECT_THROW(ParseMidi(good.substr(0, good.size() - 5)), qs::VbError);
    std::string format2 = good;
    format2[9] = 2;
    EXPECT_THROW(ParseMidi(format2), qs::VbError);
    std::string endless = good;
    endless.replace(22, 4, "\xFF\xFF\xFF\xFF"); // a delta time of five bytes
    EXPECT_THROW(ParseMidi(endless), qs::VbError);
}

TEST(MidiFile, TheCommittedTuneIsTheGeneratorsOutput) {
    const std::string committed = qs::ReadWholeFile(QS_SOURCE_DIR "/resources/about/tune.mid");
    EXPECT_EQ(committed, MakeAboutTune()) << "run quillsift-make-tune resources/about/tune.mid";
    const MidiTune tune = ParseMidi(committed);
    EXPECT_EQ(tune.format, 1);
    EXPECT_EQ(tune.trackCount, 5);
    EXPECT_GT(tune.notes.size(), 500u);
    EXPECT_GT(tune.length, 40.0);
    EXPECT_LT(tune.length, 90.0);
}

TEST(Synth, RendersTheWholeTuneAudibly) {
    const MidiTune tune = ParseMidi(MakeAboutTune());
    SynthSettings settings;
    settings.sampleRate = 8000;
    const std::vector<std::int16_t> pcm = RenderTune(tune, settings);
    EXPECT_EQ(pcm.size(),
              static_cast<std::size_t>(std::ceil((tune.length + settings.release) * 8000)));
    // Every second of the tune carries sound.
    for (std::size_t second = 0; second + 1 < pcm.size() / 8000; ++second) {
        double energy = 0;
        for (std::size_t i = second * 8000; i < (second + 1) * 8000; ++i)
            energy += double(pcm[i]) * pcm[i];
        EXPECT_GT(std::sqrt(energy / 8000), 1000.0) << "second " << second;
    }

    MidiTune quiet;
    quiet.length = 1.0;
    const std::vector<std::int16_t> silence = RenderTune(quiet, settings);
    EXPECT_EQ(silence.size(), 9200u);
    EXPECT_TRUE(std::all_of(silence.begin(), silence.end(), [](std::int16_t s) { return s == 0; }));
}

namespace {

// Plays in pretend time: the test says when the sound has run out.
struct FakeOutput final : AudioOutput {
    struct Log {
        std::vector<std::size_t> starts;
        std::size_t samples = 0;
        bool failStart = false;
        State state = State::Idle;
    };
    explicit FakeOutput(std::shared_ptr<Log> l) : log(std::move(l)) {}
    int SampleRate() const override { return 8000; }
    bool Start(std::shared_ptr<const std::vector<std::int16_t>> pcm, std::size_t first) override {
        log->starts.push_back(first);
        log->samples = pcm->size();
        log->state = log->failStart ? State::Failed : State::Playing;
        return !log->failStart;
    }
    void Stop() override {
        if (log->state == State::Playing)
            log->state = State::Idle;
    }
    State GetState() const override { return log->state; }
    std::shared_ptr<Log> log;
};

} // namespace

TEST(MciFacade, PlaysReportsTheEndAndRestartsFromZero) {
    qs::test::TempDir dir;
    const std::string path = dir.write("tmpcrt.tmp", MakeAboutTune());
    auto log = std::make_shared<FakeOutput::Log>();
    MciFacade mci([log] { return std::make_unique<FakeOutput>(log); });
    bool ok = false;
    mci.Send("open \"" + path + "\" type sequencer alias mid1", &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(mci.Send("status mid1 mode"), "stopped");
    mci.Send("play mid1", &ok);
    EXPECT_TRUE(ok);
    EXPECT_GT(log->samples, 40u * 8000);
    EXPECT_EQ(mci.Send("status mid1 mode"), "playing");
    log->state = AudioOutput::State::Finished; // the tune has run out
    EXPECT_EQ(mci.Send("STATUS mid1 MODE"), "stopped");
    mci.Send("play mid1 from 0", &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(log->starts, (std::vector<std::size_t>{0, 0}));
    EXPECT_EQ(mci.Send("status mid1 mode"), "playing");
    mci.Send("play mid1 from 1500", &ok);
    EXPECT_EQ(log->starts.back(), 12000u);
    mci.Send("close mid1", &ok);
    EXPECT_TRUE(ok);
    mci.Send("status mid1 mode", &ok);
    EXPECT_FALSE(ok);
}

TEST(MciFacade, WithoutSoundTheModeNeverReadsStopped) {
    qs::test::TempDir dir;
    const std::string path = dir.write("tmpcrt.tmp", MakeAboutTune());
    const std::string open = "open \"" + path + "\" type sequencer alias mid1";
    bool ok = true;

    MciFacade noDevice([] { return nullptr; });
    noDevice.Send(open, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(noDevice.Send("play mid1"), "");
    EXPECT_EQ(noDevice.Send("status mid1 mode"), "");

    auto log = std::make_shared<FakeOutput::Log>();
    log->failStart = true;
    MciFacade broken([log] { return std::make_unique<FakeOutput>(log); });
    broken.Send(open, &ok);
    EXPECT_TRUE(ok);
    broken.Send("play mid1", &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(broken.Send("status mid1 mode", &ok), "");
    EXPECT_FALSE(ok);

    MciFacade badFile([log] { return std::make_unique<FakeOutput>(log); });
    badFile.Send("open \"" + dir.write("x.tmp", "not midi") + "\" type sequencer alias mid1", &ok);
    EXPECT_FALSE(ok);
    badFile.Send("open \"" + dir.str() + "/missing\" type sequencer alias mid1", &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(badFile.Send("status mid1 mode"), "");
    EXPECT_EQ(badFile.Send("frobnicate"), "");
}
