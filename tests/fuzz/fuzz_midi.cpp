// Fuzz target: the MIDI file reader and the synthesiser on arbitrary bytes.
// Inputs are put behind a valid header and track chunk, so that the fuzzer
// reaches the event loop; the tune is rendered briefly at a low rate.
#include "common/VbError.h"
#include "intro/MidiFile.h"
#include "intro/Synth.h"

#include <cstdint>
#include <string>

namespace {

void readAndPlay(const std::string& bytes) {
    try {
        const qs::intro::MidiTune tune = qs::intro::ParseMidi(bytes);
        qs::intro::SynthSettings settings;
        settings.sampleRate = 1000;
        settings.maxSeconds = 5;
        (void)qs::intro::RenderTune(tune, settings);
    } catch (const qs::VbError&) {
        // A broken file is refused; that is all it may do.
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string raw(reinterpret_cast<const char*>(data), size);
    readAndPlay(raw);
    const std::uint32_t length = static_cast<std::uint32_t>(size);
    std::string framed("MThd\0\0\0\6\0\1\0\1\0\x60MTrk", 18);
    for (int shift = 24; shift >= 0; shift -= 8)
        framed += static_cast<char>((length >> shift) & 0xFFu);
    readAndPlay(framed + raw);
    return 0;
}
