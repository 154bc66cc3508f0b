#include "intro/Synth.h"

#include <algorithm>
#include <cmath>

namespace qs::intro {

namespace {

constexpr int kDrumChannel = 9;
constexpr double kAttack = 0.004;
constexpr double kDecay = 0.12;
constexpr double kSustain = 0.6;

enum class Wave { Pulse, Saw, Triangle, Noise };

Wave waveFor(const MidiNote& note) {
    if (note.channel == kDrumChannel)
        return Wave::Noise;
    switch (note.channel % 3) {
    case 0:
        return Wave::Pulse;
    case 1:
        return Wave::Saw;
    default:
        return Wave::Triangle;
    }
}

// One note on one voice, from its start until it is taken over or faded out.
struct Segment {
    const MidiNote* note;
    double start; // seconds
    double stop;  // seconds: when the voice falls silent
};

double envelope(double t, double held, double release) {
    double level = 0;
    if (t < kAttack)
        level = t / kAttack;
    else if (t < kAttack + kDecay)
        level = 1.0 - (1.0 - kSustain) * (t - kAttack) / kDecay;
    else
        level = kSustain;
    if (t > held)
        level *= std::max(0.0, 1.0 - (t - held) / release);
    return level;
}

class Oscillator {
  public:
    Oscillator(Wave wave, double frequency, int sampleRate)
        : wave_(wave), increment_(frequency / sampleRate) {}

    double next() {
        double out = 0;
        switch (wave_) {
        case Wave::Pulse:
            out = phase_ < 0.35 ? 1.0 : -1.0;
            break;
        case Wave::Saw:
            out = 2.0 * phase_ - 1.0;
            break;
        case Wave::Triangle:
            out = phase_ < 0.5 ? 4.0 * phase_ - 1.0 : 3.0 - 4.0 * phase_;
            break;
        case Wave::Noise:
            out = noiseLevel_;
            break;
        }
        phase_ += increment_;
        if (phase_ >= 1.0) {
            phase_ -= std::floor(phase_);
            clockNoise();
        }
        return out;
    }

  private:
    // The 23-bit shift register of the classic sound chips.
    void clockNoise() {
        const std::uint32_t bit = ((lfsr_ >> 22) ^ (lfsr_ >> 17)) & 1u;
        lfsr_ = ((lfsr_ << 1) | bit) & 0x7FFFFFu;
        noiseLevel_ = static_cast<double>(lfsr_ & 0xFFu) / 127.5 - 1.0;
    }

    Wave wave_;
    double increment_;
    double phase_ = 0;
    std::uint32_t lfsr_ = 0x7FFFF8u;
    double noiseLevel_ = 0;
};

std::vector<Segment> assignVoices(const MidiTune& tune, const SynthSettings& settings) {
    std::vector<Segment> segments;
    std::vector<std::size_t> voiceSegment(static_cast<std::size_t>(std::max(settings.voices, 1)),
                                          SIZE_MAX);
    for (const MidiNote& note : tune.notes) {
        if (note.start >= settings.maxSeconds)
            break;
        // A free voice, or else the one whose note started first.
        std::size_t chosen = 0;
        double oldest = 1e300;
        bool free = false;
        for (std::size_t v = 0; v < voiceSegment.size() && !free; ++v) {
            if (voiceSegment[v] == SIZE_MAX || segments[voiceSegment[v]].stop <= note.start) {
                chosen = v;
                free = true;
            } else if (segments[voiceSegment[v]].start < oldest) {
                oldest = segments[voiceSegment[v]].start;
                chosen = v;
            }
        }
        if (!free)
            segments[voiceSegment[chosen]].stop = note.start;
        voiceSegment[chosen] = segments.size();
        segments.push_back({&note, note.start, note.end + settings.release});
    }
    return segments;
}

} // namespace

std::vector<std::int16_t> RenderTune(const MidiTune& tune, const SynthSettings& settings) {
    const double seconds = std::min(tune.length + settings.release, settings.maxSeconds);
    const double rate = settings.sampleRate;
    const auto total = static_cast<std::size_t>(std::max(0.0, std::ceil(seconds * rate)));
    std::vector<double> mix(total, 0.0);

    for (const Segment& seg : assignVoices(tune, settings)) {
        const MidiNote& note = *seg.note;
        const Wave wave = waveFor(note);
        // Drums: the key sets the noise colour, a short hit whatever the note length.
        const double frequency = wave == Wave::Noise
                                     ? 1000.0 * std::pow(2.0, (note.key - 36) / 2.0)
                                     : 440.0 * std::pow(2.0, (note.key - 69) / 12.0);
        const double held = wave == Wave::Noise ? 0.03 : std::max(0.0, note.end - note.start);
        const double release = wave == Wave::Noise ? 0.12 : settings.release;
        const double stop = std::min(seg.stop, note.start + held + release);
        const double gain = settings.volume * note.velocity / 127.0;
        Oscillator osc(wave, frequency, settings.sampleRate);
        // Clamped as doubles: a note may end long after the cut.
        const double end = std::clamp(stop * rate, 0.0, static_cast<double>(total));
        const auto first = static_cast<std::size_t>(std::clamp(seg.start * rate, 0.0, end));
        const auto last = static_cast<std::size_t>(end);
        for (std::size_t i = first; i < last; ++i) {
            const double t = static_cast<double>(i) / rate - note.start;
            mix[i] += gain * envelope(t, held, release) * osc.next();
        }
    }

    // A gentle low-pass, as the filter of the old chips rounds off the edges.
    std::vector<std::int16_t> out(total);
    double smooth = 0;
    for (std::size_t i = 0; i < total; ++i) {
        smooth += 0.55 * (mix[i] - smooth);
        out[i] = static_cast<std::int16_t>(std::lround(std::clamp(smooth, -1.0, 1.0) * 32767.0));
    }
    return out;
}

} // namespace qs::intro
