#pragma once
// A few-voice synthesiser with the sound of an 8-bit home computer: pulse,
// sawtooth and triangle oscillators and a noise channel for drums, each with
// an attack-decay-sustain-release envelope. Notes beyond the voice count take
// the voice of the oldest sounding note, as on the real chips.
#include "intro/MidiFile.h"

#include <cstdint>
#include <vector>

namespace qs::intro {

struct SynthSettings {
    int sampleRate = 22050;
    int voices = 4;
    double release = 0.15;   // seconds of fade after a note ends
    double maxSeconds = 600; // longer tunes are cut here
    double volume = 0.28;    // of one voice at full velocity
};

// The whole tune as signed 16-bit mono samples, (length + release) seconds long.
std::vector<std::int16_t> RenderTune(const MidiTune& tune, const SynthSettings& settings = {});

} // namespace qs::intro
