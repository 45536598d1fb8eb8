#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace magtune::dataedit {

// Code 0 is a literal delimiter (its text in key notation with the delay
// code allowed); codes 0x30 and up name a card field and have no text.
struct TrackSequenceEntry {
    std::uint16_t code = 0;
    std::string text;
    bool operator==(const TrackSequenceEntry&) const = default;
};

using TrackOutputSequence = std::vector<TrackSequenceEntry>;

inline constexpr std::uint16_t kTrackLiteral = 0;
inline constexpr std::uint16_t kFirstTrackField = 0x30;

// Image bytes of a track's sequence: 16 for track 1, 8 for track 2.
std::size_t TrackImageSize(int track);
// "Definition cannot exceed " + TrackImageSize + " bytes limit. Please
// carefully design your output."
std::string TrackSequenceTooLongText(int track);
// Highest field code of a track: 0x36 for track 1, 0x34 for track 2.
std::uint16_t LastTrackField(int track);

// "Account Number" etc.; empty for a code the track does not have.
std::string TrackFieldName(std::uint16_t code, int track);
// "<Account>" etc.; empty for a code the track does not have.
std::string TrackFieldTag(std::uint16_t code, int track);

// Fails (nullopt) when the sequence needs more bytes than the track holds.
std::optional<std::vector<std::uint8_t>> EncodeTrackSequence(const TrackOutputSequence& sequence,
                                                             int track);
// Accepts any bytes; reads up to the first 0xFF.
TrackOutputSequence DecodeTrackSequence(std::span<const std::uint8_t> bytes, int track);

// The main window's text: <Account>"="<ExpireYear>, or "None" when empty.
std::string TrackSequenceText(const TrackOutputSequence& sequence, int track);
// The track dialog's row text: the field name, or the literal in quotation
// marks, or "None" for an empty literal.
std::string TrackEntryRowText(const TrackSequenceEntry& entry, int track);

struct TrackTextResult {
    std::optional<TrackOutputSequence> sequence;
    std::size_t errorPosition = 0;  // 1-based character position of the fault
    std::string error;
};
// Reads the main window's text back ("None" is the empty sequence).
TrackTextResult ReadTrackSequenceText(std::string_view text, int track);

}  // namespace magtune::dataedit
