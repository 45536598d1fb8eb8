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

void checkText(const dataedit::TrackOutputSequence& sequence, int track) {
    const dataedit::TrackTextResult read =
        dataedit::ReadTrackSequenceText(dataedit::TrackSequenceText(sequence, track), track);
    check(read.sequence.has_value() && *read.sequence == sequence);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (int track : {1, 2}) {
        std::vector<std::uint8_t> image(data,
                                        data + std::min(size, dataedit::TrackImageSize(track)));
        image.resize(dataedit::TrackImageSize(track), 0xFF);
        const dataedit::TrackOutputSequence decoded = dataedit::DecodeTrackSequence(image, track);
        const auto encoded = dataedit::EncodeTrackSequence(decoded, track);
        check(encoded.has_value() && encoded->size() == dataedit::TrackImageSize(track));
        check(dataedit::DecodeTrackSequence(*encoded, track) == decoded);
        checkText(decoded, track);

        const std::string text(reinterpret_cast<const char*>(data), size);
        const dataedit::TrackTextResult read = dataedit::ReadTrackSequenceText(text, track);
        if (read.sequence) {
            check(dataedit::EncodeTrackSequence(*read.sequence, track).has_value());
            checkText(*read.sequence, track);
        } else {
            check(read.errorPosition >= 1 && !read.error.empty());
        }
    }
    return 0;
}
