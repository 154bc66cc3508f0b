#include "intro/AboutTune.h"

#include "intro/MidiFile.h"

#include <algorithm>
#include <array>
#include <vector>

namespace qs::intro {

namespace {

constexpr int kTicksPerQuarter = 96;
constexpr std::uint32_t kEighth = kTicksPerQuarter / 2;
constexpr std::uint32_t kSixteenth = kTicksPerQuarter / 4;
constexpr std::uint32_t kBar = 4 * kTicksPerQuarter;
constexpr int kLead = 0, kBass = 1, kArp = 2, kDrums = 9;

struct Chord {
    int root;
    std::array<int, 4> arp;
};
// A minor, F, C, G: round and round.
constexpr std::array<Chord, 4> kChords{{{45, {69, 72, 76, 81}},
                                        {41, {65, 69, 72, 77}},
                                        {48, {67, 72, 76, 79}},
                                        {43, {67, 71, 74, 79}}}};

struct Step {
    int key;
    int eighths;
};
// Eight bars of tune over the chords, twice round.
const std::vector<std::vector<Step>> kMelody{
    {{76, 2}, {74, 1}, {72, 1}, {69, 2}, {72, 2}}, {{77, 3}, {76, 1}, {72, 2}, {69, 2}},
    {{67, 2}, {72, 2}, {76, 2}, {79, 2}},          {{79, 3}, {77, 1}, {74, 4}},
    {{76, 2}, {74, 1}, {72, 1}, {69, 2}, {76, 2}}, {{77, 2}, {81, 2}, {79, 1}, {77, 1}, {76, 2}},
    {{74, 2}, {72, 2}, {76, 2}, {72, 2}},          {{71, 4}, {74, 2}, {79, 2}}};

// Sections of eight bars: intro, tune, tune an octave up in its second half, outro.
enum class Section { Intro, Tune, TuneHigh, Outro };
constexpr std::array<Section, 4> kForm{Section::Intro, Section::Tune, Section::TuneHigh,
                                       Section::Outro};

// Adds notes at absolute ticks and writes them with delta times.
class Timeline {
  public:
    explicit Timeline(bool runningStatus) : track_(runningStatus) {}
    void note(std::uint32_t at, std::uint32_t length, int channel, int key, int velocity) {
        events_.push_back({at, true, channel, key, velocity});
        events_.push_back({at + length, false, channel, key, 0});
    }
    std::string chunk(int channel, int program, std::uint32_t end) {
        std::stable_sort(events_.begin(), events_.end(), [](const Event& a, const Event& b) {
            return a.at != b.at ? a.at < b.at : (!a.on && b.on);
        });
        if (channel != kDrums)
            track_.Program(0, channel, program);
        std::uint32_t now = 0;
        for (const Event& e : events_) {
            if (e.on)
                track_.NoteOn(e.at - now, e.channel, e.key, e.velocity);
            else
                track_.NoteOff(e.at - now, e.channel, e.key, channel == kDrums);
            now = e.at;
        }
        return track_.Chunk(end > now ? end - now : 0);
    }

  private:
    struct Event {
        std::uint32_t at;
        bool on;
        int channel;
        int key;
        int velocity;
    };
    MidiTrackWriter track_;
    std::vector<Event> events_;
};

} // namespace

std::string MakeAboutTune() {
    Timeline lead(true), bass(true), arp(false), drums(true);
    std::uint32_t bar = 0;
    for (const Section section : kForm) {
        for (int b = 0; b < 8; ++b, bar += kBar) {
            const Chord& chord = kChords[static_cast<std::size_t>(b % 4)];
            for (std::uint32_t i = 0; i < 8; ++i) {
                const int key = chord.root + (i % 2 == 1 ? 12 : 0);
                bass.note(bar + i * kEighth, kEighth - 6, kBass, key, i % 4 == 0 ? 110 : 90);
            }
            for (std::uint32_t i = 0; i < 16; ++i) {
                const int key = chord.arp[i % 4] + (section == Section::Outro && b >= 4 ? -12 : 0);
                arp.note(bar + i * kSixteenth, kSixteenth - 4, kArp, key, 70);
            }
            if (section == Section::Intro && b < 4)
                continue;
            for (std::uint32_t beat = 0; beat < 4; ++beat) {
                const std::uint32_t at = bar + beat * kTicksPerQuarter;
                drums.note(at, 8, kDrums, beat % 2 == 0 ? 36 : 38, 110);
                drums.note(at + kEighth, 8, kDrums, 42, 60);
            }
            if (section == Section::Intro || section == Section::Outro)
                continue;
            std::uint32_t at = bar;
            for (const Step& step : kMelody[static_cast<std::size_t>(b)]) {
                const int key = step.key + (section == Section::TuneHigh && b >= 4 ? 12 : 0);
                const std::uint32_t length = static_cast<std::uint32_t>(step.eighths) * kEighth;
                lead.note(at, length - 8, kLead, key, 120);
                at += length;
            }
        }
    }

    // 125 beats per minute, a little faster from the second round of the tune.
    MidiTrackWriter tempo;
    tempo.Text(0, "Quillsift about tune");
    tempo.Tempo(0, 480000);
    tempo.Tempo(16 * kBar, 461538);
    const std::string tempoChunk = tempo.Chunk(bar - 16 * kBar);
    return WriteMidiFile(1, kTicksPerQuarter,
                         {tempoChunk, lead.chunk(kLead, 80, bar), bass.chunk(kBass, 38, bar),
                          arp.chunk(kArp, 81, bar), drums.chunk(kDrums, 0, bar)});
}

} // namespace qs::intro
