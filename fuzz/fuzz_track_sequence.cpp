// Track output sequences: any image settles after one decode/encode round,
// and any text the reader accepts fits the track and reads back equal.
#include <cstdlib>
#include <string>
#include <vector>

#include "dataedit/TrackSequence.h"

using namespace magtune;

namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void checkText(const TrackOutputSequence& sequence, int track) {
    const TrackTextResult read = ReadTrackSequenceText(TrackSequenceText(sequence, track), track);
    check(read.sequence.has_value() && *read.sequence == sequence);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (int track : {1, 2}) {
        std::vector<std::uint8_t> image(data, data + std::min(size, TrackImageSize(track)));
        image.resize(TrackImageSize(track), 0xFF);
        const TrackOutputSequence decoded = DecodeTrackSequence(image, track);
        const auto encoded = EncodeTrackSequence(decoded, track);
        check(encoded.has_value() && encoded->size() == TrackImageSize(track));
        check(DecodeTrackSequence(*encoded, track) == decoded);
        checkText(decoded, track);

        const std::string text(reinterpret_cast<const char*>(data), size);
        const TrackTextResult read = ReadTrackSequenceText(text, track);
        if (read.sequence) {
            check(EncodeTrackSequence(*read.sequence, track).has_value());
            checkText(*read.sequence, track);
        } else {
            check(read.errorPosition >= 1 && !read.error.empty());
        }
    }
    return 0;
}
