#include "dataedit/TrackSequence.h"

#include <algorithm>
#include <array>

#include "dataedit/Ansi.h"
#include "dataedit/KeyNotation.h"
#include "dataedit/QuotedKeyText.h"

namespace magtune::dataedit {

namespace {

struct TrackField {
    const char* name;
    const char* tag;
};

constexpr std::array<TrackField, 7> kTrack1Fields = {{{"All Information", "<All>"},
                                                      {"Account Number", "<Account>"},
                                                      {"Last Name", "<LastName>"},
                                                      {"First Name", "<FirstName>"},
                                                      {"Expiration Year", "<ExpireYear>"},
                                                      {"Expiration Month", "<ExpireMonth>"},
                                                      {"Discretionary Data", "<Discretion>"}}};

constexpr std::array<TrackField, 5> kTrack2Fields = {{{"All Information", "<All>"},
                                                      {"Account Number", "<Account>"},
                                                      {"Expiration Year", "<ExpireYear>"},
                                                      {"Expiration Month", "<ExpireMonth>"},
                                                      {"Discretionary Data", "<Discretion>"}}};

bool isField(std::uint16_t code, int track) {
    return code >= kFirstTrackField && code <= LastTrackField(track);
}

const TrackField* fieldOf(std::uint16_t code, int track) {
    if (!isField(code, track)) {
        return nullptr;
    }
    const std::size_t index = code - kFirstTrackField;
    return track == 1 ? &kTrack1Fields[index] : &kTrack2Fields[index];
}

// Digits in a delimiter are stored shifted, so that the reader never takes
// them for field codes 0x30-0x36.
constexpr std::uint8_t kDigitShift = 0xC0;

}  // namespace

std::size_t TrackImageSize(int track) {
    switch (track) {
        case 1:
            return 16;
        case 2:
            return 8;
        default:
            return 0;
    }
}

std::uint16_t LastTrackField(int track) {
    switch (track) {
        case 1:
            return 0x36;
        case 2:
            return 0x34;
        default:
            return 0;
    }
}

std::string TrackFieldName(std::uint16_t code, int track) {
    const TrackField* field = fieldOf(code, track);
    return field ? field->name : "";
}

std::string TrackFieldTag(std::uint16_t code, int track) {
    const TrackField* field = fieldOf(code, track);
    return field ? field->tag : "";
}

std::optional<std::vector<std::uint8_t>> EncodeTrackSequence(const TrackOutputSequence& sequence,
                                                             int track) {
    const std::size_t capacity = TrackImageSize(track);
    std::vector<std::uint8_t> image(capacity, 0xFF);
    std::vector<std::uint8_t> literal(capacity);
    std::size_t p = 0;
    for (const TrackSequenceEntry& entry : sequence) {
        if (entry.code == kTrackLiteral) {
            const int count = ParseKeySequence(entry.text, literal, false, true);
            if (count < 0 || p + static_cast<std::size_t>(count) > capacity) {
                return std::nullopt;
            }
            for (int k = 0; k < count; ++k) {
                const std::uint8_t b = literal[k];
                image[p++] =
                    (b >= '0' && b <= '9') ? static_cast<std::uint8_t>(b + kDigitShift) : b;
            }
        } else if (isField(entry.code, track)) {
            if (p >= capacity) {
                return std::nullopt;
            }
            image[p++] = static_cast<std::uint8_t>(entry.code);
        } else {
            // A code the track does not have cannot be stored; dropping it
            // silently would lose part of the user's definition.
            return std::nullopt;
        }
    }
    return image;
}

TrackOutputSequence DecodeTrackSequence(std::span<const std::uint8_t> bytes, int track) {
    TrackOutputSequence sequence;
    const std::size_t size = std::min(bytes.size(), TrackImageSize(track));
    for (std::size_t i = 0; i < size && bytes[i] != 0xFF; ++i) {
        std::uint8_t b = bytes[i];
        if (isField(b, track)) {
            sequence.push_back({b, {}});
            continue;
        }
        if (b >= '0' + kDigitShift && b <= '9' + kDigitShift) {
            b = static_cast<std::uint8_t>(b - kDigitShift);
        }
        if (sequence.empty() || sequence.back().code != kTrackLiteral) {
            sequence.push_back({kTrackLiteral, {}});
        }
        sequence.back().text += FormatKeyByte(b, true);
    }
    return sequence;
}

std::string TrackSequenceText(const TrackOutputSequence& sequence, int track) {
    if (sequence.empty()) {
        return "None";
    }
    std::string text;
    for (const TrackSequenceEntry& entry : sequence) {
        text += entry.code == kTrackLiteral ? "\"" + entry.text + "\""
                                            : TrackFieldTag(entry.code, track);
    }
    return text;
}

std::string TrackEntryRowText(const TrackSequenceEntry& entry, int track) {
    if (entry.code != kTrackLiteral) {
        return TrackFieldName(entry.code, track);
    }
    return entry.text.empty() ? "None" : "\"" + entry.text + "\"";
}

std::string TrackSequenceTooLongText(int track) {
    return "Definition cannot exceed " + std::to_string(TrackImageSize(track)) +
           " bytes limit. Please carefully design your output.";
}

TrackTextResult ReadTrackSequenceText(std::string_view text, int track) {
    TrackTextResult result;
    auto fail = [&result](std::size_t index, const std::string& message) {
        result.errorPosition = index + 1;
        result.error = message + AtPosition(index);
        return result;
    };
    if (text == "None") {
        result.sequence.emplace();
        return result;
    }
    const std::vector<std::string> chars = SplitCharacters(text);
    if (chars.empty()) {
        return fail(0, "expected a field, a quoted delimiter or \"None\"");
    }
    const std::size_t capacity = TrackImageSize(track);
    const std::string limit = TrackSequenceTooLongText(track);
    TrackOutputSequence sequence;
    std::size_t used = 0;
    std::size_t i = 0;
    while (i < chars.size()) {
        if (chars[i] == "\"") {
            QuotedKeyText literal = ReadQuotedKeyText(chars, i, false, true);
            if (!literal.ok) {
                return fail(literal.errorIndex, literal.error);
            }
            if (used + literal.bytes.size() > capacity) {
                return fail(literal.byteAt[capacity - used], limit);
            }
            used += literal.bytes.size();
            sequence.push_back({kTrackLiteral, literal.text});
            i = literal.next;
            continue;
        }
        if (chars[i] != "<") {
            return fail(i, "expected a field such as \"<Account>\" or a quoted delimiter");
        }
        std::size_t close = i + 1;
        std::string tag = "<";
        while (close < chars.size() && chars[close] != ">") {
            tag += chars[close++];
        }
        if (close >= chars.size()) {
            return fail(i, "\"<\" has no closing \">\"");
        }
        tag += ">";
        std::uint16_t code = kFirstTrackField;
        while (code <= LastTrackField(track) && TrackFieldTag(code, track) != tag) {
            ++code;
        }
        if (code > LastTrackField(track)) {
            return fail(i, "track " + std::to_string(track) + " has no field " + tag);
        }
        if (used >= capacity) {
            return fail(i, limit);
        }
        ++used;
        sequence.push_back({code, {}});
        i = close + 1;
    }
    result.sequence = std::move(sequence);
    return result;
}

}  // namespace magtune::dataedit
