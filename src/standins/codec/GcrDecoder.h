#pragma once
// Reading a G64 image: its tracks' GCR bit streams, decoded by the media
// layer's GCR decoder.
#include "media/Gcr.h"

#include <string>
#include <string_view>

namespace qs {

// The raw GCR bytes of full track `track` (1-42) of a G64 image; empty when
// the image has no such track or is not a G64.
std::string_view G64TrackData(std::string_view image, int track);

// A D64 image holding the sectors of track 18 read from the G64 with a right
// checksum (everything else zero), for the disk readers; empty when the
// header sector 18/0 could not be read.
std::string G64DirectoryAsD64(std::string_view image);

} // namespace qs
