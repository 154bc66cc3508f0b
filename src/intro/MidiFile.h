#pragma once
// Standard MIDI files: a reader of formats 0 and 1 (tempo changes, note on and
// off, program changes; everything else is skipped) and a small writer, used by
// the tune generator and the tests.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qs::intro {

struct MidiNote {
    double start = 0;   // seconds
    double end = 0;     // seconds
    int channel = 0;    // 0-15
    int key = 60;       // 0-127
    int velocity = 100; // 1-127
    int program = 0;    // the channel's program when the note started
};

struct MidiTune {
    int format = 0;
    int trackCount = 0;
    double length = 0;           // seconds, up to the last event of the longest track
    std::vector<MidiNote> notes; // ordered by start
};

// Raises Error (13 for what is not a MIDI file, 9 for a truncated one).
MidiTune ParseMidi(std::string_view bytes);

// One track's events, written with delta times in ticks.
class MidiTrackWriter {
  public:
    // With running status, repeated status bytes are left out.
    explicit MidiTrackWriter(bool runningStatus = true) : runningStatus_(runningStatus) {}
    void Tempo(std::uint32_t delta, std::uint32_t microsecondsPerQuarter);
    void Program(std::uint32_t delta, int channel, int program);
    void NoteOn(std::uint32_t delta, int channel, int key, int velocity);
    // A note on with velocity 0 when `asZeroVelocity`, otherwise a note off.
    void NoteOff(std::uint32_t delta, int channel, int key, bool asZeroVelocity = false);
    void Controller(std::uint32_t delta, int channel, int controller, int value);
    void Text(std::uint32_t delta, const std::string& text);
    // The MTrk chunk, closed with an end-of-track event.
    std::string Chunk(std::uint32_t delta = 0) const;

  private:
    void channelEvent(std::uint32_t delta, int status, std::initializer_list<int> data);
    std::string events_;
    bool runningStatus_;
    int lastStatus_ = -1;
};

// MThd followed by the track chunks; `division` is ticks per quarter note.
std::string WriteMidiFile(int format, int division, const std::vector<std::string>& trackChunks);

// A variable-length quantity as stored in MIDI files.
std::string VarLength(std::uint32_t value);

} // namespace qs::intro
