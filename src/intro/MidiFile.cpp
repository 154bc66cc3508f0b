#include "intro/MidiFile.h"

#include "common/ByteView.h"
#include "common/Error.h"

#include <algorithm>
#include <deque>
#include <map>

namespace qs::intro {

namespace {

struct TempoChange {
    std::uint64_t tick;
    std::uint32_t microsecondsPerQuarter;
};

struct RawNote {
    std::uint64_t startTick;
    std::uint64_t endTick;
    int channel;
    int key;
    int velocity;
    int program;
};

struct TrackScan {
    std::vector<RawNote> notes;
    std::uint64_t lastTick = 0;
};

// A cursor over one track with checked reads.
class TrackCursor {
  public:
    explicit TrackCursor(ByteView bytes) : bytes_(bytes) {}
    bool atEnd() const { return pos_ >= bytes_.size(); }
    int byte() { return bytes_.u8(pos_++); }
    std::uint32_t varLength() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const auto b = static_cast<std::uint32_t>(byte());
            value = (value << 7) | (b & 0x7Fu);
            if ((b & 0x80u) == 0)
                return value;
        }
        raise(err::TypeMismatch, "variable-length number longer than 4 bytes");
    }
    ByteView take(std::uint32_t length) {
        if (length > bytes_.size() - pos_)
            raise(err::SubscriptOutOfRange, "event data past the end of the track");
        const ByteView part = bytes_.sub(pos_, length);
        pos_ += length;
        return part;
    }

  private:
    ByteView bytes_;
    std::size_t pos_ = 0;
};

TrackScan scanTrack(ByteView bytes, std::vector<TempoChange>& tempos) {
    TrackScan scan;
    TrackCursor in(bytes);
    // Notes that sound, per channel and key, oldest first: (start tick, velocity).
    std::map<std::pair<int, int>, std::deque<std::pair<std::uint64_t, int>>> sounding;
    int programs[16] = {};
    std::uint64_t tick = 0;
    int status = -1;
    const auto release = [&](int channel, int key) {
        auto found = sounding.find({channel, key});
        if (found == sounding.end() || found->second.empty())
            return;
        const auto [startTick, velocity] = found->second.front();
        found->second.pop_front();
        scan.notes.push_back({startTick, tick, channel, key, velocity, programs[channel]});
    };
    while (!in.atEnd()) {
        tick += in.varLength();
        const int lead = in.byte();
        if (lead == 0xFF) {
            const int type = in.byte();
            const ByteView data = in.take(in.varLength());
            if (type == 0x2F)
                break;
            if (type == 0x51 && data.size() >= 3) {
                const std::uint32_t tempo = (std::uint32_t{data.u8(0)} << 16) |
                                            (std::uint32_t{data.u8(1)} << 8) | data.u8(2);
                if (tempo > 0)
                    tempos.push_back({tick, tempo});
            }
            continue;
        }
        if (lead == 0xF0 || lead == 0xF7) {
            in.take(in.varLength());
            continue;
        }
        if (lead > 0xF0)
            raise(err::TypeMismatch, "system message inside a track");
        int data1 = lead;
        if (lead >= 0x80) {
            status = lead;
            data1 = in.byte();
        } else if (status < 0) {
            raise(err::TypeMismatch, "data byte without a status byte");
        }
        data1 &= 0x7F;
        const int kind = status & 0xF0;
        const int channel = status & 0x0F;
        if (kind == 0xC0) {
            programs[channel] = data1;
            continue;
        }
        if (kind == 0xD0)
            continue;
        const int data2 = in.byte() & 0x7F;
        if (kind == 0x90 && data2 > 0)
            sounding[{channel, data1}].emplace_back(tick, data2);
        else if (kind == 0x80 || kind == 0x90)
            release(channel, data1);
    }
    scan.lastTick = tick;
    // A note still sounding at the end of its track ends there.
    for (auto& [where, queue] : sounding) {
        while (!queue.empty())
            release(where.first, where.second);
    }
    return scan;
}

// Seconds at each tick, through the tempo map (or the SMPTE frame rate).
class TickClock {
  public:
    TickClock(std::uint16_t division, std::vector<TempoChange> tempos) {
        if (division & 0x8000u) {
            const int framesPerSecond = -static_cast<std::int8_t>(division >> 8);
            const int ticksPerFrame = division & 0xFF;
            if (framesPerSecond <= 0 || ticksPerFrame == 0)
                raise(err::TypeMismatch, "bad SMPTE division");
            smpteSecondsPerTick_ = 1.0 / (framesPerSecond * ticksPerFrame);
            return;
        }
        if (division == 0)
            raise(err::TypeMismatch, "division of 0 ticks per quarter note");
        ticksPerQuarter_ = division;
        std::stable_sort(
            tempos.begin(), tempos.end(),
            [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
        // 120 beats per minute until the first tempo change.
        double seconds = 0;
        std::uint64_t tick = 0;
        std::uint32_t tempo = 500000;
        for (const TempoChange& change : tempos) {
            seconds += span(change.tick - tick, tempo);
            tick = change.tick;
            tempo = change.microsecondsPerQuarter;
            marks_.push_back({tick, seconds, tempo});
        }
        if (marks_.empty() || marks_.front().tick > 0)
            marks_.insert(marks_.begin(), {0, 0.0, 500000});
    }

    double seconds(std::uint64_t tick) const {
        if (smpteSecondsPerTick_ > 0)
            return static_cast<double>(tick) * smpteSecondsPerTick_;
        auto after = std::upper_bound(marks_.begin(), marks_.end(), tick,
                                      [](std::uint64_t t, const Mark& m) { return t < m.tick; });
        const Mark& mark = *(after - 1);
        return mark.seconds + span(tick - mark.tick, mark.tempo);
    }

  private:
    struct Mark {
        std::uint64_t tick;
        double seconds;
        std::uint32_t tempo;
    };
    double span(std::uint64_t ticks, std::uint32_t tempo) const {
        return static_cast<double>(ticks) * tempo / 1e6 / ticksPerQuarter_;
    }
    double smpteSecondsPerTick_ = 0;
    double ticksPerQuarter_ = 480;
    std::vector<Mark> marks_;
};

void putBe(std::string& out, std::uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        out += static_cast<char>((value >> (8 * i)) & 0xFFu);
}

} // namespace

MidiTune ParseMidi(std::string_view bytes) {
    const ByteView file(bytes);
    if (file.text(0, 4) != "MThd")
        raise(err::TypeMismatch, "not a standard MIDI file");
    const std::uint32_t headerLength = file.u32be(4);
    if (headerLength < 6)
        raise(err::TypeMismatch, "MIDI header too short");
    MidiTune tune;
    tune.format = file.u16be(8);
    const int declaredTracks = file.u16be(10);
    const std::uint16_t division = file.u16be(12);
    if (tune.format > 1)
        raise(err::TypeMismatch, "MIDI format " + std::to_string(tune.format) + " not supported");

    std::vector<TempoChange> tempos;
    std::vector<TrackScan> tracks;
    std::size_t pos = 8 + static_cast<std::size_t>(std::min<std::uint32_t>(headerLength, 1u << 20));
    while (pos + 8 <= file.size() && static_cast<int>(tracks.size()) < declaredTracks) {
        const std::string id = file.text(pos, 4);
        const std::uint32_t length = file.u32be(pos + 4);
        pos += 8;
        if (length > file.size() - pos)
            raise(err::SubscriptOutOfRange, "track chunk past the end of the file");
        if (id == "MTrk")
            tracks.push_back(scanTrack(file.sub(pos, length), tempos));
        pos += length;
    }
    if (tracks.empty())
        raise(err::TypeMismatch, "MIDI file without tracks");
    tune.trackCount = static_cast<int>(tracks.size());

    const TickClock clock(division, std::move(tempos));
    for (const TrackScan& track : tracks) {
        tune.length = std::max(tune.length, clock.seconds(track.lastTick));
        for (const RawNote& n : track.notes) {
            tune.notes.push_back({clock.seconds(n.startTick), clock.seconds(n.endTick), n.channel,
                                  n.key, n.velocity, n.program});
        }
    }
    std::stable_sort(tune.notes.begin(), tune.notes.end(),
                     [](const MidiNote& a, const MidiNote& b) { return a.start < b.start; });
    return tune;
}

std::string VarLength(std::uint32_t value) {
    std::string out(1, static_cast<char>(value & 0x7Fu));
    while ((value >>= 7) != 0)
        out.insert(out.begin(), static_cast<char>(0x80u | (value & 0x7Fu)));
    return out;
}

void MidiTrackWriter::channelEvent(std::uint32_t delta, int status,
                                   std::initializer_list<int> data) {
    events_ += VarLength(delta);
    if (!runningStatus_ || status != lastStatus_)
        events_ += static_cast<char>(status);
    lastStatus_ = status;
    for (const int d : data)
        events_ += static_cast<char>(d & 0x7F);
}

void MidiTrackWriter::Tempo(std::uint32_t delta, std::uint32_t microsecondsPerQuarter) {
    events_ += VarLength(delta) + "\xFF\x51\x03";
    putBe(events_, microsecondsPerQuarter, 3);
    lastStatus_ = -1;
}

void MidiTrackWriter::Text(std::uint32_t delta, const std::string& text) {
    events_ +=
        VarLength(delta) + "\xFF\x01" + VarLength(static_cast<std::uint32_t>(text.size())) + text;
    lastStatus_ = -1;
}

void MidiTrackWriter::Program(std::uint32_t delta, int channel, int program) {
    channelEvent(delta, 0xC0 | (channel & 0x0F), {program});
}

void MidiTrackWriter::NoteOn(std::uint32_t delta, int channel, int key, int velocity) {
    channelEvent(delta, 0x90 | (channel & 0x0F), {key, velocity});
}

void MidiTrackWriter::NoteOff(std::uint32_t delta, int channel, int key, bool asZeroVelocity) {
    if (asZeroVelocity)
        channelEvent(delta, 0x90 | (channel & 0x0F), {key, 0});
    else
        channelEvent(delta, 0x80 | (channel & 0x0F), {key, 64});
}

void MidiTrackWriter::Controller(std::uint32_t delta, int channel, int controller, int value) {
    channelEvent(delta, 0xB0 | (channel & 0x0F), {controller, value});
}

std::string MidiTrackWriter::Chunk(std::uint32_t delta) const {
    const std::string body = events_ + VarLength(delta) + std::string("\xFF\x2F\x00", 3);
    std::string chunk = "MTrk";
    putBe(chunk, static_cast<std::uint32_t>(body.size()), 4);
    return chunk + body;
}

std::string WriteMidiFile(int format, int division, const std::vector<std::string>& trackChunks) {
    std::string out = "MThd";
    putBe(out, 6, 4);
    putBe(out, static_cast<std::uint32_t>(format), 2);
    putBe(out, static_cast<std::uint32_t>(trackChunks.size()), 2);
    putBe(out, static_cast<std::uint32_t>(division), 2);
    for (const std::string& chunk : trackChunks)
        out += chunk;
    return out;
}

} // namespace qs::intro
