#pragma once
// The about window's tune, composed for this program: a standard MIDI file of
// format 1 with a tempo track, lead, bass, arpeggio and drum tracks.
#include <string>

namespace qs::intro {

std::string MakeAboutTune();

} // namespace qs::intro
