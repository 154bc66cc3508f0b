// The about window's music: the MIDI reader, the synthesiser and the command
// facade over a pretend sound output.
#include "TempDir.h"
#include "common/Error.h"
#include "common/Files.h"
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

// start, end, channel, key of each note.
using Notes = std::vector<std::tuple<double, double, int, int>>;
Notes notesOf(const MidiTune& tune) {
    Notes notes;
    for (const MidiNote& n : tune.notes)
        notes.emplace_back(n.start, n.end, n.channel, n.key);
    return notes;
}

} // namespace

TEST(MidiFile, RunningStatusTempoChangesAndTheTempoMapOfAnyTrack) {
    const MidiTune zero = ParseMidi(formatZeroSong());
    EXPECT_EQ(notesOf(zero), (Notes{{0, 0.5, 0, 60}, {0, 0.75, 0, 64}, {0.75, 1.25, 9, 36}}));
    EXPECT_EQ(zero.notes[0].program, 5);
    EXPECT_EQ(zero.notes[1].velocity, 90);
    EXPECT_DOUBLE_EQ(zero.length, 1.25);

    MidiTrackWriter tempo;
    tempo.Tempo(0, 1000000);  // 60 beats per minute
    tempo.Tempo(192, 500000); // from beat 2: 120
    MidiTrackWriter a(false);
    a.NoteOn(96, 1, 50, 80);
    a.NoteOff(192, 1, 50); // beat 1 to beat 3: 1 s + 0.5 s
    MidiTrackWriter b;
    b.NoteOn(288, 2, 70, 80);
    b.NoteOff(96, 2, 70);
    const MidiTune one = ParseMidi(WriteMidiFile(1, 96, {tempo.Chunk(), a.Chunk(), b.Chunk(96)}));
    EXPECT_EQ(one.trackCount, 3);
    EXPECT_EQ(notesOf(one), (Notes{{1.0, 2.5, 1, 50}, {2.5, 3.0, 2, 70}}));
    EXPECT_DOUBLE_EQ(one.length, 3.5);
}

TEST(MidiFile, BrokenFilesRaiseInsteadOfReadingPastTheEnd) {
    const std::string good = formatZeroSong();
    std::string format2 = good;
    format2[9] = 2;
    std::string endless = good;
    endless.replace(22, 4, "\xFF\xFF\xFF\xFF"); // a delta time of five bytes
    for (const std::string& bad : {std::string("RIFF....WAVEfmt "), good.substr(0, 12),
                                   good.substr(0, good.size() - 5), format2, endless})
        EXPECT_THROW(ParseMidi(bad), qs::Error);
}

TEST(MidiFile, TheCommittedTuneIsTheGeneratorsOutputAndSoundsThroughout) {
    const std::string committed = qs::ReadWholeFile(QS_SOURCE_DIR "/resources/about/tune.mid");
    ASSERT_EQ(committed, MakeAboutTune()) << "run quillsift-make-tune resources/about/tune.mid";
    const MidiTune tune = ParseMidi(committed);
    EXPECT_GT(tune.length, 40.0);
    EXPECT_LT(tune.length, 90.0);

    SynthSettings settings;
    settings.sampleRate = 8000;
    const std::vector<std::int16_t> pcm = RenderTune(tune, settings);
    EXPECT_GE(pcm.size(), static_cast<std::size_t>(tune.length * 8000));
    for (std::size_t second = 0; second + 1 < pcm.size() / 8000; ++second) {
        double energy = 0;
        for (std::size_t i = second * 8000; i < (second + 1) * 8000; ++i)
            energy += double(pcm[i]) * pcm[i];
        EXPECT_GT(std::sqrt(energy / 8000), 1000.0) << "second " << second;
    }
}

namespace {

// Plays in pretend time: the test says when the sound has run out.
struct FakeOutput final : AudioOutput {
    struct Log {
        std::vector<std::size_t> starts;
        bool failStart = false;
        State state = State::Idle;
    };
    explicit FakeOutput(std::shared_ptr<Log> l) : log(std::move(l)) {}
    int SampleRate() const override { return 8000; }
    bool Start(std::shared_ptr<const std::vector<std::int16_t>>, std::size_t first) override {
        log->starts.push_back(first);
        log->state = log->failStart ? State::Failed : State::Playing;
        return !log->failStart;
    }
    void Stop() override { log->state = log->state == State::Playing ? State::Idle : log->state; }
    State GetState() const override { return log->state; }
    std::shared_ptr<Log> log;
};

std::string openCommand(const std::string& path) {
    return "open \"" + path + "\" type sequencer alias mid1";
}

} // namespace

TEST(MciFacade, PlaysReportsTheEndAndRestartsWhereAsked) {
    qs::test::TempDir dir;
    auto log = std::make_shared<FakeOutput::Log>();
    MciFacade mci([log] { return std::make_unique<FakeOutput>(log); });
    bool ok = false;
    mci.Send(openCommand(dir.write("tmpcrt.tmp", MakeAboutTune())), &ok);
    ASSERT_TRUE(ok);
    mci.Send("play mid1", &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(mci.Send("status mid1 mode"), "playing");
    log->state = AudioOutput::State::Finished; // the tune has run out
    EXPECT_EQ(mci.Send("STATUS mid1 MODE"), "stopped");
    mci.Send("play mid1 from 0");
    mci.Send("play mid1 from 1500");
    EXPECT_EQ(log->starts, (std::vector<std::size_t>{0, 0, 12000}));
    EXPECT_EQ(mci.Send("status mid1 mode"), "playing");
    mci.Send("close mid1", &ok);
    EXPECT_TRUE(ok);
    mci.Send("status mid1 mode", &ok);
    EXPECT_FALSE(ok);
}

// No device, a device that cannot play, a file that is no tune: errors with
// empty answers, so the window's loop never sees "stopped" and never restarts.
TEST(MciFacade, WithoutSoundTheModeNeverReadsStopped) {
    qs::test::TempDir dir;
    auto failing = std::make_shared<FakeOutput::Log>();
    failing->failStart = true;
    const std::string tune = dir.write("tmpcrt.tmp", MakeAboutTune());
    const std::string notMidi = dir.write("x.tmp", "not midi");
    const std::pair<bool, std::string> cases[] = {
        {false, tune}, {true, tune}, {true, notMidi}, {true, dir.str() + "/missing"}};
    for (const auto& [device, file] : cases) {
        MciFacade mci([&failing, device = device]() -> std::unique_ptr<AudioOutput> {
            return device ? std::make_unique<FakeOutput>(failing) : nullptr;
        });
        bool ok = true;
        mci.Send(openCommand(file));
        mci.Send("play mid1", &ok);
        EXPECT_FALSE(ok) << file;
        EXPECT_EQ(mci.Send("status mid1 mode"), "") << file;
        EXPECT_EQ(mci.Send("frobnicate"), "");
    }
}
