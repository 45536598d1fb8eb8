#pragma once

#include <cstdint>
#include <vector>

#include "dataedit/TrackSequence.h"

namespace magtune::settings {

// The output sequence of one track. `image` holds the encoded bytes (16 for
// track 1, 8 for track 2); they are renewed whenever the sequence changes and
// are what the image carries, so bytes that do not decode survive a round
// trip.
struct TrackSequenceSetting {
    int track = 1;
    dataedit::TrackOutputSequence defaultSequence;
    dataedit::TrackOutputSequence current;
    std::vector<std::uint8_t> image;
};

}  // namespace magtune::settings
